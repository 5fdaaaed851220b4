#pragma once
// The E7-12 LCR meter's language: single command bytes written as "$" and two hexadecimal
// digits, and two fixed-column replies per measurement, one for each value.
#include <array>
#include <optional>
#include <string>

namespace instruments::e712 {

// The measuring modes, in the order of their menu items; an item's Tag is its index and the
// byte that selects the mode.
struct Mode {
  const wchar_t* name;
  const wchar_t* caption;
};
constexpr std::array<Mode, 4> kModes{{{L"LDItem", L"L+D"}, {L"CDItem", L"C+D"}, {L"LRItem", L"L+R"}, {L"CGItem", L"C+G"}}};

// Range positions of the track bar: 0 the largest range, 4 the smallest, 5 automatic.
constexpr int kAutoRangePosition = 5;
// Where the panel starts and where Clear puts it.
constexpr int kInitialRangePosition = 2;

// The meter takes one byte per command, sent without END.
// The requests for the first and for the second value of a measurement.
constexpr char kFirstValueRequest = 0x38;
constexpr char kSecondValueRequest = 0x30;

// The byte of a mode item's Tag.
char ModeByte(int tag);
// The byte of a range position: 42 + position, automatic ranging 0x20.
char RangeByte(int position);

// What a text written to the meter shows on the panel: the mode item or the range position
// its byte selects, or neither.
struct Mirror {
  std::optional<int> mode;
  std::optional<int> rangePosition;
};
// Reads the written text as an integer, decimal or hexadecimal after "$". A text that is no
// integer raises EConvertError "'<text>' is not a valid integer value".
Mirror MirrorOf(const std::wstring& written);

struct Reading {
  std::wstring value;  // characters 1 to 10, exactly as sent
  std::wstring label;  // character 11, the quantity letter
  std::optional<double> number;  // the value read as a number; none for "OVERLOAD"
};
// Reads one reply by its columns; positions the reply lacks count as blanks.
Reading ParseReply(const std::wstring& reply);

}  // namespace instruments::e712
