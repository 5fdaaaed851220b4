#include "hpib/sim/LcrMeter.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace hpib::sim {
namespace {

constexpr double kOmega = 2.0 * 3.14159265358979323846 * kLcrTestHertz;

using Measure = double (*)(const Immittance&);
struct Value {
  char letter;
  Measure measure;
};
// Inductance and resistance as a series circuit, capacitance and conductance as a parallel
// one in C+G, which is what each mode is chosen for; D is the same either way.
constexpr Value kSeriesL{'L', [](const Immittance& m) { return m.z.imag() / kOmega; }};
constexpr Value kSeriesC{'C', [](const Immittance& m) { return -1.0 / (kOmega * m.z.imag()); }};
constexpr Value kParallelC{'C', [](const Immittance& m) { return m.y.imag() / kOmega; }};
constexpr Value kDissipation{'D', [](const Immittance& m) { return m.z.real() / std::fabs(m.z.imag()); }};
constexpr Value kSeriesR{'R', [](const Immittance& m) { return m.z.real(); }};
constexpr Value kParallelG{'G', [](const Immittance& m) { return m.y.real(); }};

struct Mode {
  Value first, second;
};
constexpr Mode kModes[] = {{kSeriesL, kDissipation}, {kSeriesC, kDissipation}, {kSeriesL, kSeriesR},
                           {kParallelC, kParallelG}};
constexpr int kModeCount = 4;

constexpr unsigned char kFirstRangeByte = 0x2A;
constexpr unsigned char kAutoRangeByte = 0x20;
constexpr int kRanges = 5;
constexpr unsigned char kFirstRequest = 0x38;
constexpr unsigned char kSecondRequest = 0x30;

constexpr std::size_t kValueWidth = 10;
const std::string kOverload = "OVERLOAD  ";

// Range 0 reads up to 1 megohm, each next one a tenth of that.
double RangeTop(int range) { return std::pow(10.0, 6 - range); }

// Whether the range set, or in automatic ranging any, holds the magnitude.
bool InRange(const LcrState& state, double magnitude) {
  if (state.range) return magnitude <= RangeTop(*state.range);
  return magnitude <= RangeTop(0);
}

// "2.0723E+1": five digits, fewer when a long exponent needs the room.
std::string ValueText(double value) {
  if (!std::isfinite(value)) return kOverload;
  if (value == 0) value = 0.0;  // no instrument shows a negative zero
  for (int precision = 4; precision >= 0; --precision) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, precision);
    const std::string text(buffer, result.ptr);
    const std::size_t e = text.find('e');
    const int exponent = std::atoi(text.c_str() + e + 1);
    std::string shown = text.substr(0, e) + (exponent < 0 ? "E-" : "E+") + std::to_string(std::abs(exponent));
    if (shown.size() <= kValueWidth) return shown.append(kValueWidth - shown.size(), ' ');
  }
  return kOverload;
}

std::string Reply(const Value& value, const Immittance& m, bool inRange) {
  return (inRange ? ValueText(value.measure(m)) : kOverload) + value.letter;
}

}  // namespace

LcrState LcrCommand(LcrState state, unsigned char byte) {
  if (byte < kModeCount) state.mode = byte;
  else if (byte == kAutoRangeByte) state.range.reset();
  else if (byte >= kFirstRangeByte && byte < kFirstRangeByte + kRanges) state.range = byte - kFirstRangeByte;
  else if (byte == kFirstRequest) state.request = 0;
  else if (byte == kSecondRequest) state.request = 1;
  return state;
}

LcrReading LcrMeasure(const LcrState& state, const Immittance& atTestFrequency) {
  const Mode& mode = kModes[state.mode];
  const bool inRange = InRange(state, std::abs(atTestFrequency.z));
  return {Reply(mode.first, atTestFrequency, inRange), Reply(mode.second, atTestFrequency, inRange)};
}

const std::string& LcrReply(const LcrState& state, const LcrReading& reading) {
  return state.request == 0 ? reading.first : reading.second;
}

}  // namespace hpib::sim
