#pragma once
// The B7-40/5 multimeter's language: three-character commands out, one fixed-column reply in.
#include <array>
#include <optional>
#include <string>

namespace instruments::b740 {

// The function buttons, left to right: caption and the function number the meter takes.
struct Function {
  const wchar_t* caption;
  int number;
};
constexpr std::array<Function, 5> kFunctions{{{L"U=", 5}, {L"U~", 6}, {L"R", 2}, {L"I=", 1}, {L"I~", 3}}};

// Range positions of the track bar: 0 the largest range, 5 the smallest, 6 automatic.
constexpr int kAutoRangePosition = 6;

// "F<number>E".
std::wstring FunctionCommand(int number);
// "B<digit>E"; automatic ranging is digit 7, not 6.
std::wstring RangeCommand(int position);
// The track bar position that a range digit names: 7 is automatic ranging.
int RangePositionOfDigit(int digit);

// The unit label that a reply's first character names; "????" for an unknown one.
std::wstring UnitLabel(wchar_t functionLetter);

struct Reading {
  std::wstring unit;   // from character 1
  bool beep = false;   // character 2 is "P"
  std::wstring value;  // characters 3 to 11, exactly as sent
  std::optional<double> number;  // the value read as a number; none for " OVERLOAD"
};

// Reads a reply by its columns; positions the reply lacks count as blanks.
Reading ParseReply(const std::wstring& reply);

}  // namespace instruments::b740
