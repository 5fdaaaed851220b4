#include "core/Convert.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/Exceptions.h"

namespace core {
namespace {

int DigitValue(wchar_t c, int base) {
  int v = -1;
  if (c >= L'0' && c <= L'9') v = c - L'0';
  else if (c >= L'a' && c <= L'f') v = c - L'a' + 10;
  else if (c >= L'A' && c <= L'F') v = c - L'A' + 10;
  return v < base ? v : -1;
}

}  // namespace

std::int32_t StrToInt(const std::wstring& text) {
  auto fail = [&text]() -> EConvertError {
    return EConvertError(L"'" + text + L"' is not a valid integer value");
  };
  std::size_t i = 0;
  while (i < text.size() && text[i] == L' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
  int base = 10;
  if (i < text.size() && text[i] == L'$') {
    base = 16;
    ++i;
  }
  if (i == text.size()) throw fail();
  std::int64_t value = 0;
  for (; i < text.size(); ++i) {
    int d = DigitValue(text[i], base);
    if (d < 0) throw fail();
    value = value * base + d;
    // Hexadecimal texts may name the full 32-bit pattern ($FFFFFFFF is -1).
    if (value > (base == 16 ? 0xFFFFFFFFLL : 0x80000000LL)) throw fail();
  }
  if (base == 16 && value > 0x7FFFFFFF) value -= 0x100000000LL;
  if (negative) value = -value;
  if (value > INT32_MAX || value < INT32_MIN) throw fail();
  return static_cast<std::int32_t>(value);
}

std::wstring FloatToStr(double value, wchar_t decimalSeparator) {
  if (std::isnan(value)) return L"NAN";
  if (std::isinf(value)) return value > 0 ? L"INF" : L"-INF";
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.15G", value);
  std::wstring text;
  const char* p = buffer;
  for (; *p && *p != 'E'; ++p) text += (*p == '.') ? decimalSeparator : static_cast<wchar_t>(*p);
  if (*p == 'E') {
    // The runtime writes exponents without "+" and without leading zeros: 1E20, 1E-7.
    text += L'E';
    ++p;
    if (*p == '-') text += L'-';
    if (*p == '-' || *p == '+') ++p;
    while (*p == '0' && p[1]) ++p;
    for (; *p; ++p) text += static_cast<wchar_t>(*p);
  }
  return text;
}

std::int32_t CheckedAdd(std::int32_t a, std::int32_t b) {
  std::int64_t r = static_cast<std::int64_t>(a) + b;
  if (r > INT32_MAX || r < INT32_MIN) throw EIntOverflow();
  return static_cast<std::int32_t>(r);
}

std::int32_t CheckedMul(std::int32_t a, std::int32_t b) {
  std::int64_t r = static_cast<std::int64_t>(a) * b;
  if (r > INT32_MAX || r < INT32_MIN) throw EIntOverflow();
  return static_cast<std::int32_t>(r);
}

}  // namespace core

namespace core {
std::wstring FormatStr(const std::wstring& pattern, const std::wstring& argument) {
  std::wstring text = pattern;
  auto at = text.find(L"%s");
  if (at != std::wstring::npos) text.replace(at, 2, argument);
  return text;
}

}  // namespace core
