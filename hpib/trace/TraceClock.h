#pragma once
// Where the bus trace takes its times from: the local time of day that a line starts with, and
// a steady count for how long an operation took. Tests give a clock of their own, so that a
// trace is known to the character.
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>

namespace hpib {

struct TraceClock {
  std::function<std::string()> localTime;            // "2026-12-08T14:03:10.120+01:00"
  std::function<std::int64_t()> steadyMicroseconds;  // from any start, never going back
};

// The system's clocks.
TraceClock SystemTraceClock();

// "2026-12-08T14:03:10.120+01:00": `local` and `utc` the same instant broken down, the offset
// their difference in minutes.
std::string LocalTimeStamp(const std::tm& local, const std::tm& utc, int milliseconds);

}  // namespace hpib
