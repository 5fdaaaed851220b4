#pragma once
// The B7-40/5 multimeter as the simulation plays it: three-character commands change what it
// measures and on which range, and a reading becomes its fixed-column reply.
#include <optional>
#include <string>
#include <string_view>

#include "hpib/sim/Bench.h"

namespace hpib::sim {

enum class Quantity { DcVolts, AcVolts, Ohms, DcAmps, AcAmps };

struct MeterState {
  Quantity quantity = Quantity::DcVolts;  // the control's panel starts on "U="
  std::optional<int> range = 1;           // 0 the largest to 5 the smallest; none: automatic
};

// The state after one command; a command the meter does not know changes nothing.
MeterState MeterCommand(MeterState state, std::string_view command);

// What the terminals present in the meter's unit for the quantity (ohms in kilohms).
double MeterInput(const MeterSource& source, Quantity quantity);

// "<letter> <value>": the letter that names the quantity, a blank, the value in nine
// characters, sign, five digits, "E" and the exponent of the range's last digit, as
// "R +11357E-4" for 1.1357 kilohms on range 3; " OVERLOAD" beyond the range.
std::string MeterReply(const MeterState& state, double value);

}  // namespace hpib::sim
