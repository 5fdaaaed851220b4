#include "hpib/sim/Analyzer.h"

#include <charconv>
#include <cmath>
#include <optional>

namespace hpib::sim {
namespace {

constexpr double kPi = 3.14159265358979323846;

using Quantity = double (*)(const Immittance&, double omega);
struct Field {
  char letter;
  Quantity value;
};

// A1 to A3: a magnitude, and its phase in display B.
struct Polar {
  char letter;
  std::complex<double> (*of)(const Immittance&);
};
constexpr Polar kPolar[] = {{'Z', [](const Immittance& m) { return m.z; }},
                            {'Y', [](const Immittance& m) { return m.y; }},
                            {'M', [](const Immittance& m) { return Reflection(m); }}};

// A4 to A6: real and imaginary parts.
constexpr Field kRectangular[][2] = {
    {{'R', [](const Immittance& m, double) { return m.z.real(); }},
     {'X', [](const Immittance& m, double) { return m.z.imag(); }}},
    {{'G', [](const Immittance& m, double) { return m.y.real(); }},
     {'B', [](const Immittance& m, double) { return m.y.imag(); }}},
    {{'X', [](const Immittance& m, double) { return Reflection(m).real(); }},
     {'Y', [](const Immittance& m, double) { return Reflection(m).imag(); }}}};

// A7 and A8 by scheme: scheme G reads the element as part of a parallel circuit, the others as
// part of a series one.
struct Scheme {
  bool parallel;
  Field second;
};
constexpr Scheme kSchemes[] = {
    {false, {'R', [](const Immittance& m, double) { return m.z.real(); }}},
    {true, {'G', [](const Immittance& m, double) { return m.y.real(); }}},
    {false, {'D', [](const Immittance& m, double) { return m.z.real() / std::fabs(m.z.imag()); }}},
    {false, {'Q', [](const Immittance& m, double) { return std::fabs(m.z.imag()) / m.z.real(); }}}};
constexpr Field kSeriesL{'L', [](const Immittance& m, double w) { return m.z.imag() / w; }};
constexpr Field kParallelL{'L', [](const Immittance& m, double w) { return -1.0 / (w * m.y.imag()); }};
constexpr Field kSeriesC{'C', [](const Immittance& m, double w) { return -1.0 / (w * m.z.imag()); }};
constexpr Field kParallelC{'C', [](const Immittance& m, double w) { return m.y.imag() / w; }};

constexpr int kFunctions = 8;
constexpr int kSchemeCount = 4;
const std::string kOverflowValue = "+9.9999E+99";
constexpr std::size_t kValueWidth = 11;

// "+1.2345E+01"; nothing when the value needs a three-digit exponent or is no number.
std::optional<std::string> ValueText(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  if (value == 0) value = 0.0;  // no instrument shows a negative zero
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 4);
  std::string text(buffer, result.ptr);
  if (text[0] != '-') text.insert(0, 1, '+');
  text[text.find('e')] = 'E';
  if (text.size() == kValueWidth) return text;
  if (text[text.find('E') + 1] == '-') return std::string("+0.0000E+00");
  return std::nullopt;
}

std::string FieldText(char letter, double value) {
  const std::optional<std::string> text = ValueText(value);
  return std::string{text ? 'N' : 'O', letter, 'N'} + text.value_or(kOverflowValue);
}

std::optional<double> Number(std::string_view text) {
  double value = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return std::nullopt;
  return value;
}

bool EndsWith(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

}  // namespace

AnalyzerState AnalyzerCommand(AnalyzerState state, std::string_view command) {
  if (!EndsWith(command, "EN")) return state;
  const std::string_view body = command.substr(0, command.size() - 2);
  if (body.size() > 2 && body.substr(0, 2) == "FR") {
    if (const std::optional<double> megahertz = Number(body.substr(2))) state.megahertz = *megahertz;
    return state;
  }
  if (body.size() != 2) return state;
  const int n = body[1] - '0';
  if (body[0] == 'A' && n >= 1 && n <= kFunctions) state.function = n;
  if (body[0] == 'B' && n >= 1 && n <= kSchemeCount) {
    state.scheme = n;
    // B1 and B2 also name the angle; B3 and B4 leave it.
    if (n <= 2) state.radians = n == 2;
  }
  return state;
}

std::string AnalyzerReply(const AnalyzerState& state, const Immittance& atFrequency) {
  if (!(state.megahertz >= kLowestMegahertz && state.megahertz <= kHighestMegahertz))
    return " O?N" + kOverflowValue + ",O?N" + kOverflowValue;
  const double omega = 2.0 * kPi * state.megahertz * 1e6;
  const Immittance& m = atFrequency;
  const int index = state.function - 1;
  if (index < 3) {
    const std::complex<double> c = kPolar[index].of(m);
    const double phase = std::arg(c) * (state.radians ? 1.0 : 180.0 / kPi);
    return " " + FieldText(kPolar[index].letter, std::abs(c)) + "," + FieldText(state.radians ? 'R' : 'D', phase);
  }
  Field a, b;
  if (index < 6) {
    a = kRectangular[index - 3][0];
    b = kRectangular[index - 3][1];
  } else {
    const Scheme& scheme = kSchemes[state.scheme - 1];
    const bool inductance = index == 6;
    a = inductance ? (scheme.parallel ? kParallelL : kSeriesL) : (scheme.parallel ? kParallelC : kSeriesC);
    b = scheme.second;
  }
  return " " + FieldText(a.letter, a.value(m, omega)) + "," + FieldText(b.letter, b.value(m, omega));
}

}  // namespace hpib::sim
