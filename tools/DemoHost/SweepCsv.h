#pragma once
// The analyzer's sweep as CSV, UTF-8: a header line, then one line per reading with the
// frequency in MHz first, then both values, each followed by its label, as the panel shows them.
#include <optional>
#include <string>

namespace demo {

extern const char kSweepCsvHeader[];

// The line of one reading, from the HP 4191A's Text ("|Z|  Ohm=+6.2826E+03", CR LF,
// "Fi Deg=-8.9954E+01", CR LF, "F MHz=85.000000"); nothing for a text of another shape.
std::optional<std::string> SweepCsvLine(const std::wstring& text);

}  // namespace demo
