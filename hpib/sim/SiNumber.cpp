#include "hpib/sim/SiNumber.h"

#include <charconv>
#include <cmath>

namespace hpib::sim {
namespace {

constexpr struct {
  char suffix;
  double factor;
} kSuffixes[] = {{'p', 1e-12}, {'n', 1e-9}, {'u', 1e-6}, {'m', 1e-3}, {'k', 1e3},
                 {'M', 1e6},   {'G', 1e9},  {'%', 1e-2}};

}  // namespace

std::optional<double> ParseSiNumber(std::string_view text) {
  double factor = 1.0;
  for (const auto& s : kSuffixes)
    if (!text.empty() && text.back() == s.suffix) {
      factor = s.factor;
      text.remove_suffix(1);
      break;
    }
  double value = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size()) return std::nullopt;
  value *= factor;
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}

std::string SiNumberText(double value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

}  // namespace hpib::sim
