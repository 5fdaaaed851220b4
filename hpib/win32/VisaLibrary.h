#pragma once
// The VISA back end on the system's VISA library: visa32.dll in 32-bit processes, visa64.dll in
// 64-bit ones, loaded at run time from the system folder, where VISA installations put it.
#include <memory>
#include <optional>
#include <string>

#include "hpib/Bus.h"

namespace hpib::win32 {

struct VisaLoad {
  std::unique_ptr<Bus> bus;  // null when the library or the board cannot be used
  std::wstring failure;     // then why, e.g. "VISA library ... cannot be loaded (error 126)"
};

// Loads the library, checks that `board` opens, and traces every VISA call to the file at
// `tracePath` when there is one.
VisaLoad LoadVisaBus(unsigned board, const std::optional<std::wstring>& tracePath);

}  // namespace hpib::win32
