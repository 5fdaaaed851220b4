#pragma once
// Numbers as users type them into the panels' edits and as the instruments send them. Both "."
// and the regional decimal separator are taken, so that the forms' own texts ("1.000000") read
// on every system.
#include <optional>
#include <string>

namespace instruments {

// Blanks around, an optional sign, digits with at most one decimal separator ("." or
// `separator`) and at least one digit, an optional exponent ("E" or "e", sign, digits).
// Nothing for any other text, or for a magnitude beyond the floating-point range.
std::optional<double> ReadNumber(const std::wstring& text, wchar_t separator);

}  // namespace instruments
