#pragma once
// The simulated bench of the setting Bus: the built-in bench, or the bench of a file read whole.
#include <string>
#include <variant>

#include "hpib/sim/Bench.h"

namespace hpib::win32 {

// The bench of `benchFile`, the built-in bench when it is empty, or why there is none: the file,
// and the line and what is wrong there.
std::variant<sim::Bench, std::wstring> ReadBench(const std::wstring& benchFile);

}  // namespace hpib::win32
