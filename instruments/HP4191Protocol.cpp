#include "instruments/HP4191Protocol.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "core/Exceptions.h"
#include "core/Latin1.h"
#include "instruments/Numbers.h"

namespace instruments::hp4191 {
namespace {

struct Label {
  wchar_t letter;
  const wchar_t* text;
};
// The label boxes are narrow: the blanks make the unit wrap under the quantity.
constexpr Label kLabelsA[] = {{L'Z', L"|Z|  Ohm"}, {L'Y', L"|Y|     Sm"}, {L'M', L"|\u0413|"},   {L'R', L"R  Ohm"},
                              {L'G', L"G     Sm"}, {L'X', L"\u0413x"},     {L'L', L"L     H"}, {L'C', L"C     F"}};
constexpr Label kLabelsB[] = {{L'B', L"B     Sm"}, {L'G', L"G     Sm"}, {L'Q', L"Q"}, {L'X', L"X  Ohm"},
                              {L'Y', L"\u0413y"}};
constexpr const wchar_t* kUnknownA = L"?   ???";
constexpr const wchar_t* kUnknownB = L"?  ???";

std::wstring Find(const Label* begin, const Label* end, wchar_t letter, const wchar_t* unknown) {
  const Label* found = std::find_if(begin, end, [letter](const Label& l) { return l.letter == letter; });
  return found != end ? found->text : unknown;
}

// Display A shows a magnitude (|Z|, |Y|, |Г|): display B then shows its phase.
bool IsPolar(wchar_t letterA) { return letterA == L'M' || letterA == L'Y' || letterA == L'Z'; }

constexpr struct {
  const wchar_t* text;
  ControlWord word;
} kControlWords[] = {{L"EXTENDEDOUTPUT", ControlWord::ExtendedOutput},
                     {L"AUTOSTOP", ControlWord::AutoStop},
                     {L"SCANUP", ControlWord::ScanUp},
                     {L"SCANDOWN", ControlWord::ScanDown},
                     {L"SCANOFF", ControlWord::ScanOff}};

std::optional<wchar_t> Second(const std::wstring& upper) {
  if (upper.size() < 2) return std::nullopt;
  return upper[1];
}

// Decimal digits of a magnitude and the count of them before the point (which may be zero or
// negative for magnitudes below 1): 0.0125 is "125" with -1.
struct Decimal {
  std::string digits;
  int integerDigits;
};

// The shortest digits that read back as the value: a step of 0.1 is 0.1, not its binary
// neighbour, so that halves are halves as the user wrote them.
Decimal ShortestDigits(double magnitude) {
  if (magnitude == 0) return {"0", 1};
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific);
  const std::string text(buffer, result.ptr);
  const std::size_t e = text.find('e');
  std::string digits = text.substr(0, e);
  digits.erase(std::remove(digits.begin(), digits.end(), '.'), digits.end());
  return {digits, std::stoi(text.substr(e + 1)) + 1};
}

// Keeps `count` leading digits (none or fewer than there are: zeros stand for the rest),
// rounding half away from zero; a carry adds an integer digit.
Decimal RoundDigits(Decimal d, int count) {
  const bool up = count >= 0 && static_cast<std::size_t>(count) < d.digits.size() && d.digits[count] >= '5';
  d.digits.resize(static_cast<std::size_t>(std::max(count, 0)), '0');
  if (!up) return d;
  int i = count - 1;
  for (; i >= 0 && d.digits[i] == '9'; --i) d.digits[i] = '0';
  if (i >= 0) {
    ++d.digits[i];
  } else {
    d.digits.insert(d.digits.begin(), '1');
    ++d.integerDigits;
  }
  return d;
}

constexpr int kPrecision = 10;
constexpr int kDecimals = 4;

std::wstring Scientific(Decimal d, bool negative) {
  d = RoundDigits(d, kPrecision);
  while (d.digits.size() > 1 && d.digits.back() == '0') d.digits.pop_back();
  std::string text = negative ? "-" : "";
  text += d.digits.substr(0, 1);
  if (d.digits.size() > 1) text += "." + d.digits.substr(1);
  text += "E" + std::to_string(d.integerDigits - 1);
  return core::FromLatin1(text);
}

}  // namespace

std::wstring ModeCommand(int tag) { return L"A" + std::to_wstring(tag) + L"EN"; }

std::wstring AngleSchemeCommand(int tag) { return L"B" + std::to_wstring(tag) + L"EN"; }

std::wstring FrequencyCommand(const std::wstring& frequency) { return L"FR" + frequency + L"EN"; }

std::wstring UpperCase(const std::wstring& text) {
  std::wstring upper = text;
  for (wchar_t& c : upper)
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  return upper;
}

std::optional<ControlWordFound> FindControlWord(const std::wstring& upper) {
  for (const auto& entry : kControlWords)
    if (upper.find(entry.text) != std::wstring::npos)
      return ControlWordFound{entry.word, upper.find(L"ON") != std::wstring::npos};
  return std::nullopt;
}

int ModeIndex(const std::wstring& upper) {
  const std::optional<wchar_t> second = Second(upper);
  if (!second || *second < L'0' || *second > L'9')
    throw core::EConvertError(L"'" + (second ? std::wstring(1, *second) : L"") + L"' is not a valid integer value");
  const int mode = *second - L'0';
  if (mode < 1 || mode > static_cast<int>(kModes.size()))
    throw core::Exception(L"Mode " + std::to_wstring(mode) + L" is not one of the modes 1 to 8");
  return mode - 1;
}

std::optional<int> AngleIndex(const std::wstring& upper) {
  const std::optional<wchar_t> second = Second(upper);
  if (!second) return std::nullopt;
  return *second == L'1' ? 0 : 1;
}

std::optional<int> SchemeIndex(const std::wstring& upper) {
  const std::optional<wchar_t> second = Second(upper);
  if (!second || *second < L'1' || *second > L'4') return std::nullopt;
  return *second - L'1';
}

std::optional<std::wstring> FrequencyText(const std::wstring& upper) {
  const std::size_t fr = upper.find(L"FR");
  if (fr == std::wstring::npos) return std::nullopt;
  const std::size_t start = fr + 2, end = upper.find(L"EN", start);
  if (end == std::wstring::npos) return std::wstring();
  return upper.substr(start, end - start);
}

std::wstring FormatFrequency(double value) {
  const bool negative = value < 0;
  Decimal d = ShortestDigits(std::fabs(value));
  if (d.integerDigits > kPrecision) return Scientific(d, negative);
  d = RoundDigits(d, std::min(kPrecision, d.integerDigits + kDecimals));
  if (d.integerDigits > kPrecision) return Scientific(d, negative);

  // Lay the digits out around the point: zeros before digits that start after it.
  std::string digits = d.digits;
  int integerDigits = d.integerDigits;
  if (integerDigits < 1) {
    digits.insert(0, static_cast<std::size_t>(1 - integerDigits), '0');
    integerDigits = 1;
  }
  digits.resize(static_cast<std::size_t>(integerDigits + kDecimals), '0');
  const bool zero = digits.find_first_not_of('0') == std::string::npos;
  return core::FromLatin1((negative && !zero ? "-" : "") + digits.substr(0, integerDigits) + "." +
                          digits.substr(integerDigits));
}

std::wstring LabelA(wchar_t letterA) { return Find(std::begin(kLabelsA), std::end(kLabelsA), letterA, kUnknownA); }

std::wstring LabelB(wchar_t letterB, wchar_t letterA) {
  if (letterB == L'D') return IsPolar(letterA) ? L"Fi Deg" : L"D";
  if (letterB == L'R') return IsPolar(letterA) ? L"Fi Rad" : L"R Ohm";
  return Find(std::begin(kLabelsB), std::end(kLabelsB), letterB, kUnknownB);
}

Reading ParseReply(const std::wstring& reply) {
  std::wstring s = reply.substr(0, kShortStringLength);
  if (s.size() >= 2 && s[1] == L' ') s.erase(1, 1);
  // 1-based positions as the instrument's manual counts them.
  auto at = [&s](std::size_t position) { return position <= s.size() ? s[position - 1] : L'\0'; };
  auto field = [&s](std::size_t position) {
    return position <= s.size() ? s.substr(position - 1, 11) : std::wstring();
  };
  Reading r;
  r.beep = at(2) == L'O' || at(17) == L'O';
  r.labelA = LabelA(at(3));
  r.valueA = field(5);
  r.numberA = at(2) == L'O' ? std::nullopt : ReadNumber(r.valueA, L'.');
  r.labelB = LabelB(at(18), at(3));
  r.valueB = field(20);
  r.numberB = at(17) == L'O' ? std::nullopt : ReadNumber(r.valueB, L'.');
  return r;
}

}  // namespace instruments::hp4191
