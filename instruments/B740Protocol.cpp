#include "instruments/B740Protocol.h"

#include "instruments/Numbers.h"

namespace instruments::b740 {
namespace {

struct Unit {
  wchar_t letter;
  const wchar_t* label;
};
// The label box is narrow: the blanks make the unit wrap under the quantity letter.
constexpr Unit kUnits[] = {{L'U', L"Udc V"}, {L'V', L"Uac V"}, {L'R', L"R     kOm"}, {L'I', L"I     A"}};

constexpr std::size_t kValueStart = 2;  // character 3
constexpr std::size_t kValueLength = 9;

}  // namespace

std::wstring FunctionCommand(int number) { return L"F" + std::to_wstring(number) + L"E"; }

std::wstring RangeCommand(int position) {
  return L"B" + std::to_wstring(position == kAutoRangePosition ? 7 : position) + L"E";
}

int RangePositionOfDigit(int digit) { return digit == 7 ? kAutoRangePosition : digit; }

std::wstring UnitLabel(wchar_t functionLetter) {
  for (const auto& unit : kUnits)
    if (unit.letter == functionLetter) return unit.label;
  return L"????";
}

Reading ParseReply(const std::wstring& reply) {
  std::wstring columns = reply;
  if (columns.size() < kValueStart + kValueLength) columns.resize(kValueStart + kValueLength, L' ');
  const std::wstring value = columns.substr(kValueStart, kValueLength);
  return {UnitLabel(columns[0]), columns[1] == L'P', value, ReadNumber(value, L'.')};
}

}  // namespace instruments::b740
