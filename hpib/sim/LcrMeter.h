#pragma once
// The E7-12 LCR meter as the simulation plays it: single command bytes choose the mode, the
// range and which of the two values the next read answers; a measurement at the meter's one
// test frequency becomes two fixed-column replies.
#include <optional>
#include <string>

#include "hpib/sim/Circuit.h"

namespace hpib::sim {

// The meter measures at one frequency only.
constexpr double kLcrTestHertz = 1000.0;

struct LcrState {
  int mode = 0;                 // 0 L+D, 1 C+D, 2 L+R, 3 C+G
  std::optional<int> range = 2;  // 0 the largest to 4 the smallest; none: automatic
  int request = 0;              // 0 the first value, 1 the second
};

// The state after one byte; a byte the meter does not know changes nothing.
LcrState LcrCommand(LcrState state, unsigned char byte);

// Both replies of one measurement: the value in ten characters ("2.0723E+1 ", "OVERLOAD  "
// beyond the range) and the quantity letter ("L", "C", "D", "R" or "G").
struct LcrReading {
  std::string first, second;
};
LcrReading LcrMeasure(const LcrState& state, const Immittance& atTestFrequency);

// The reply that a read answers: the value the last request asked for.
const std::string& LcrReply(const LcrState& state, const LcrReading& reading);

}  // namespace hpib::sim
