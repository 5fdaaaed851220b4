#pragma once
// Number <-> text conversions with the runtime's rules and messages.
#include <cstdint>
#include <string>

namespace core {

// Reads a 32-bit signed integer: optional blanks, an optional sign, then decimal digits or
// "$" and hexadecimal digits (either case). Anything else, or a value outside 32 bits,
// raises EConvertError "'<text>' is not a valid integer value".
std::int32_t StrToInt(const std::wstring& text);

// The general floating-point form: up to 15 significant digits, no trailing zeros, an
// exponent only for very large or small magnitudes, `decimalSeparator` as the separator.
std::wstring FloatToStr(double value, wchar_t decimalSeparator);

// a + b and a * b in 32-bit signed arithmetic; overflow raises EIntOverflow.
std::int32_t CheckedAdd(std::int32_t a, std::int32_t b);
std::int32_t CheckedMul(std::int32_t a, std::int32_t b);

// The pattern with its first "%s" replaced by `argument`.
std::wstring FormatStr(const std::wstring& pattern, const std::wstring& argument);

}  // namespace core
