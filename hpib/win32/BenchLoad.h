#pragma once
// The simulated bench's back end: the built-in bench, or the bench of a file read whole.
#include <memory>
#include <optional>
#include <string>

#include "hpib/Bus.h"

namespace hpib::win32 {

struct BenchLoad {
  std::unique_ptr<Bus> bus;  // null when the file cannot be read or is refused
  std::wstring failure;      // then why: the file, and the line and what is wrong there
};

// `benchFile` empty: the built-in bench. Every operation is traced to the file at `tracePath`
// when there is one.
BenchLoad LoadBench(const std::wstring& benchFile, const std::optional<std::wstring>& tracePath);

}  // namespace hpib::win32
