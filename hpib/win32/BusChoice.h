#pragma once
// Which back end serves the driver layer, by the user's setting "Bus" under
// HKEY_CURRENT_USER\Software\Apparata: none, the 16-bit driver beside the library (or debug mode
// where it cannot be used); "VISA" or "VISA:GPIB<n>", the VISA library of the system; "SIM" or
// "SIM:<bench file>", the simulated bench. A setting that cannot be followed means debug mode and
// a reason for the terminal's first line.
#include <windows.h>

#include <memory>
#include <string>

#include "hpib/Bus.h"
#include "hpib/win32/TraceFile.h"

namespace hpib::win32 {

struct BusChoice {
  std::unique_ptr<Bus> bus;  // null: debug mode
  std::wstring reason;       // why the setting is not followed; empty when it is
};

// `self` is the control library's own module, beside which the 16-bit driver lies. The bus
// trace goes to `trace` when it is given, else to the file of the user's setting "Trace".
BusChoice ChooseBus(HMODULE self, TraceLines trace = {});

}  // namespace hpib::win32
