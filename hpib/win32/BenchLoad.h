#pragma once
// The simulated bench's back end: the built-in bench, or the bench of a file read whole.
#include <memory>
#include <string>
#include <variant>

#include "hpib/Bus.h"
#include "hpib/sim/Bench.h"
#include "hpib/win32/TraceFile.h"

namespace hpib::win32 {

struct BenchLoad {
  std::unique_ptr<Bus> bus;  // null when the file cannot be read or is refused
  std::wstring failure;      // then why: the file, and the line and what is wrong there
};

// The bench of `benchFile`, the built-in bench when it is empty, or why there is none.
std::variant<sim::Bench, std::wstring> ReadBench(const std::wstring& benchFile);

// Every operation's trace line goes to `trace` when there is one.
BenchLoad LoadBench(const std::wstring& benchFile, TraceLines trace);

}  // namespace hpib::win32
