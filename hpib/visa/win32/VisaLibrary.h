#pragma once
// The VISA back end on the system's VISA library: visa32.dll in 32-bit processes, visa64.dll in
// 64-bit ones, loaded at run time from the system folder, where VISA installations put it.
#include <memory>
#include <string>

#include "hpib/Bus.h"
#include "hpib/visa/VisaApi.h"
#include "hpib/win32/TraceFile.h"

namespace hpib::win32 {

struct VisaLoad {
  std::unique_ptr<Bus> bus;  // null when the library or the board cannot be used
  std::wstring failure;     // then why, e.g. "VISA library ... cannot be loaded (error 126)"
};

struct VisaFunctionsLoad {
  visa::Functions functions{};
  std::shared_ptr<void> library;  // keeps the functions loaded; null when they are not
  std::wstring path;              // the library's file
  std::wstring failure;           // why the functions are not there, e.g. "VISA library ... has no viOpen"
};

// Loads the library and finds every function of the list.
VisaFunctionsLoad LoadVisaFunctions();

// The back end on the loaded library once `board` opens; every VISA call's trace line goes to
// `trace` when there is one.
VisaLoad VisaBusOn(const VisaFunctionsLoad& loaded, unsigned board, TraceLines trace);

}  // namespace hpib::win32
