#pragma once
// Numbers of the bench file: a decimal number with "." and at most one suffix, as a datasheet
// writes values: p n u m k M G for 10^-12 to 10^9, % for a hundredth.
#include <optional>
#include <string>
#include <string_view>

namespace hpib::sim {

// Nothing for a text that is no finite number.
std::optional<double> ParseSiNumber(std::string_view text);
// The shortest text without a suffix that ParseSiNumber reads back as exactly `value`.
std::string SiNumberText(double value);

}  // namespace hpib::sim
