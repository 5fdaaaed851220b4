#pragma once
// Which back end serves the driver layer, by the setting Bus: none, the 16-bit driver beside the
// library (or debug mode where it cannot be used); "VISA" or "VISA:GPIB<n>", the VISA library of
// the system; "SIM" or "SIM:<bench file>", the simulated bench; "REPLAY:<trace file>", a bus
// trace played back as a bench. A setting that cannot be followed
// means debug mode and a reason for the terminal's first line. The one choice that the library,
// its unattended log and the bus check share.
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "hpib/Bus.h"
#include "hpib/BusLog.h"
#include "hpib/visa/win32/VisaLibrary.h"
#include "hpib/win32/Settings.h"

namespace hpib::win32 {

enum class BusKind { Debug, Thunk, Visa, Bench, Replay };

struct BusChoice {
  std::unique_ptr<Bus> bus;  // never null: debug mode's own when nothing else can be used
  BusKind kind = BusKind::Debug;
  std::vector<std::string> description;  // UTF-8, "Back end: ..." and what it holds; none in debug mode
  std::optional<std::vector<unsigned>> instruments;  // the bench's or the replayed trace's primary addresses
  std::string traceName;  // the bus trace's words for the back end, "VISA board GPIB0"
  std::wstring reason;  // debug mode's first line when Bus asked for something else; empty otherwise

  bool DebugMode() const { return kind == BusKind::Debug; }
};

struct DebugModeLog {
  BusLog* log = nullptr;           // where debug mode's lines go; null: nowhere
  wchar_t decimalSeparator = L'.';  // the user's, as it was when the library started
};

// Called with the VISA library once it is loaded and before its board is opened.
using VisaLoaded = std::function<void(const VisaFunctionsLoad& library, unsigned board)>;

// `self` is the module beside which the 16-bit driver lies. The back end traces nothing itself:
// the driver layer writes the one bus trace, with the back end's own lines under each operation.
BusChoice ChooseBus(const Settings& settings, HMODULE self, DebugModeLog terminal, const VisaLoaded& visaLoaded = {});

}  // namespace hpib::win32
