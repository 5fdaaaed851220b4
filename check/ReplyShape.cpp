#include "check/ReplyShape.h"

#include <cctype>

namespace check {
namespace {

bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// Digits, at least one, from `at`; advances it past them.
bool Digits(std::string_view text, std::size_t& at) {
  const std::size_t start = at;
  while (at < text.size() && IsDigit(text[at])) ++at;
  return at > start;
}

bool Sign(char c) { return c == '+' || c == '-'; }

// Whether `text` has the shape of `pattern`, where "9" stands for a digit, "+" for a sign and
// any other character for itself.
bool Shaped(std::string_view text, std::string_view pattern) {
  if (text.size() != pattern.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool fits = pattern[i] == '9' ? IsDigit(text[i]) : pattern[i] == '+' ? Sign(text[i]) : text[i] == pattern[i];
    if (!fits) return false;
  }
  return true;
}

// The multimeter's nine characters: a sign, five digits, "E", the exponent's sign and digit.
bool MeterValue(std::string_view v) { return Shaped(v, "+99999E+9"); }

// The LCR meter's ten characters: "2.0723E+1" or "-1.5E-12" (a sign only when negative, the
// digits after the point as the exponent leaves room) and blanks up to ten.
bool LcrValue(std::string_view v) {
  std::size_t at = v[0] == '-' ? 1 : 0;
  if (!(at < v.size() && IsDigit(v[at++]))) return false;
  if (at < v.size() && v[at] == '.' && !Digits(v, ++at)) return false;
  if (!(at + 1 < v.size() && v[at] == 'E' && Sign(v[at + 1]))) return false;
  at += 2;
  if (!Digits(v, at)) return false;
  return v.find_first_not_of(' ', at) == std::string_view::npos;
}

// The analyzer's eleven characters: "+6.2826E+03".
bool AnalyzerValue(std::string_view v) { return Shaped(v, "+9.9999E+99"); }

std::optional<ReplyShape> Multimeter(std::string_view r) {
  static const std::pair<char, const char*> kFunctions[] = {
      {'U', "DC volts"}, {'V', "AC volts"}, {'R', "ohms"}, {'I', "amperes"}};
  if (r.size() != 11 || (r[1] != ' ' && r[1] != 'P')) return std::nullopt;
  const std::string_view value = r.substr(2);
  if (value != " OVERLOAD" && !MeterValue(value)) return std::nullopt;
  for (const auto& [letter, function] : kFunctions)
    if (r[0] == letter)
      return ReplyShape{"B7-40/5 multimeter", value == " OVERLOAD" ? function + std::string(", overload") : function};
  return std::nullopt;
}

std::optional<ReplyShape> LcrMeter(std::string_view r) {
  static const std::pair<char, const char*> kQuantities[] = {
      {'L', "inductance"}, {'C', "capacitance"}, {'D', "dissipation factor"}, {'R', "resistance"},
      {'G', "conductance"}};
  if (r.size() != 11) return std::nullopt;
  const std::string_view value = r.substr(0, 10);
  if (value != "OVERLOAD  " && !LcrValue(value)) return std::nullopt;
  for (const auto& [letter, quantity] : kQuantities)
    if (r[10] == letter)
      return ReplyShape{"E7-12 LCR meter", value == "OVERLOAD  " ? quantity + std::string(", overload") : quantity};
  return std::nullopt;
}

// What the displays show, display A by its letter, display B by its letter after display A's.
constexpr std::pair<char, const char*> kDisplayA[] = {{'Z', "|Z|"}, {'Y', "|Y|"}, {'M', "|reflection|"},
                                                      {'R', "R"},   {'G', "G"},   {'X', "reflection x"},
                                                      {'L', "L"},   {'C', "C"}};
struct DisplayBRow {
  std::string_view afterA;
  char letter;
  const char* shows;
};
constexpr DisplayBRow kDisplayB[] = {{"ZYM", 'D', "phase in degrees"}, {"ZYM", 'R', "phase in radians"},
                                     {"R", 'X', "X"},   {"G", 'B', "B"},   {"X", 'Y', "reflection y"},
                                     {"LC", 'R', "R"},  {"LC", 'G', "G"},  {"LC", 'D', "D"},
                                     {"LC", 'Q', "Q"}};

std::optional<std::string> Displays(char a, char b) {
  for (const auto& [letter, shows] : kDisplayA)
    if (letter == a)
      for (const DisplayBRow& row : kDisplayB)
        if (row.letter == b && row.afterA.find(a) != std::string_view::npos)
          return std::string(shows) + " and " + row.shows;
  return std::nullopt;
}

// " NZN+6.2826E+03,NDN-8.9954E+01": for each display its status (N, O for overflow), letter,
// "N" and value.
std::optional<ReplyShape> Analyzer(std::string_view r) {
  if (r.size() != 30 || r[0] != ' ' || r[15] != ',') return std::nullopt;
  const std::string_view a = r.substr(1, 14), b = r.substr(16, 14);
  for (std::string_view field : {a, b})
    if ((field[0] != 'N' && field[0] != 'O') || field[2] != 'N' || !AnalyzerValue(field.substr(3)))
      return std::nullopt;
  if (a[1] == '?' && b[1] == '?') return ReplyShape{"HP 4191A analyzer", "test frequency out of range"};
  std::optional<std::string> reading = Displays(a[1], b[1]);
  if (!reading) return std::nullopt;
  if (a[0] == 'O' || b[0] == 'O') *reading += ", overflow";
  return ReplyShape{"HP 4191A analyzer", *reading};
}

}  // namespace

std::optional<ReplyShape> RecogniseReply(std::string_view reply) {
  while (!reply.empty() && (reply.back() == '\n' || reply.back() == '\r')) reply.remove_suffix(1);
  for (auto shape : {Multimeter, LcrMeter, Analyzer})
    if (std::optional<ReplyShape> found = shape(reply)) return found;
  return std::nullopt;
}

}  // namespace check
