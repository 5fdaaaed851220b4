#include "hpib/sim/Multimeter.h"

#include <cmath>
#include <cstdio>

namespace hpib::sim {
namespace {

struct Function {
  char digit;  // of the "F" command
  Quantity quantity;
  char letter;                 // of the reply
  double MeterSource::*input;  // what the terminals present
  double scale;                // from the source's unit to the meter's
  int topExponent;             // range 0 reads up to 10^topExponent
};
// Both current functions answer "I": the meter's own display does not tell them apart either.
constexpr Function kFunctions[] = {
    {'5', Quantity::DcVolts, 'U', &MeterSource::dcVolts, 1.0, 3},
    {'6', Quantity::AcVolts, 'V', &MeterSource::acVolts, 1.0, 3},
    {'2', Quantity::Ohms, 'R', &MeterSource::ohms, 1e-3, 4},
    {'1', Quantity::DcAmps, 'I', &MeterSource::dcAmps, 1.0, 1},
    {'3', Quantity::AcAmps, 'I', &MeterSource::acAmps, 1.0, 1},
};

constexpr int kRanges = 6;
constexpr char kAutoDigit = '7';
constexpr int kDigits = 5;
constexpr long kMaxCount = 99999;

const Function& FunctionOf(Quantity quantity) {
  for (const Function& f : kFunctions)
    if (f.quantity == quantity) return f;
  return kFunctions[0];
}

// The exponent of the last digit on a range: five digits up to the range's top.
int LastDigitExponent(const Function& f, int range) { return f.topExponent - range - kDigits; }

std::optional<long> Count(double value, int exponent) {
  const double count = std::round(value / std::pow(10.0, exponent));
  if (!(std::fabs(count) <= kMaxCount)) return std::nullopt;
  return static_cast<long>(count);
}

}  // namespace

MeterState MeterCommand(MeterState state, std::string_view command) {
  if (command.size() != 3 || command[2] != 'E') return state;
  const char digit = command[1];
  if (command[0] == 'F') {
    for (const Function& f : kFunctions)
      if (f.digit == digit) state.quantity = f.quantity;
  } else if (command[0] == 'B') {
    if (digit == kAutoDigit) state.range.reset();
    else if (digit >= '0' && digit < '0' + kRanges) state.range = digit - '0';
  }
  return state;
}

double MeterInput(const MeterSource& source, Quantity quantity) {
  const Function& f = FunctionOf(quantity);
  return source.*f.input * f.scale;
}

std::string MeterReply(const MeterState& state, double value) {
  const Function& f = FunctionOf(state.quantity);
  const std::string head{f.letter, ' '};
  // Automatic ranging settles on the smallest range that holds the value.
  for (int range = state.range.value_or(kRanges - 1); range >= 0; --range) {
    const int exponent = LastDigitExponent(f, range);
    if (const std::optional<long> count = Count(value, exponent)) {
      char text[32];
      std::snprintf(text, sizeof text, "%c%0*ldE%+d", *count < 0 ? '-' : '+', kDigits, std::labs(*count), exponent);
      return head + text;
    }
    if (state.range) break;
  }
  return head + " OVERLOAD";
}

}  // namespace hpib::sim
