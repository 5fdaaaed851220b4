#include "instruments/Numbers.h"

#include <charconv>

namespace instruments {
namespace {

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

}  // namespace

std::optional<double> ReadNumber(const std::wstring& text, wchar_t separator) {
  std::size_t i = 0, end = text.size();
  while (i < end && text[i] == L' ') ++i;
  while (end > i && text[end - 1] == L' ') --end;

  // The number rewritten for from_chars, which takes "." only and no "+".
  std::string plain;
  if (i < end && (text[i] == L'+' || text[i] == L'-')) {
    if (text[i] == L'-') plain += '-';
    ++i;
  }
  int digits = 0;
  bool point = false;
  for (; i < end; ++i) {
    const wchar_t c = text[i];
    if (IsDigit(c)) {
      plain += static_cast<char>(c);
      ++digits;
    } else if ((c == L'.' || c == separator) && !point) {
      plain += '.';
      point = true;
    } else {
      break;
    }
  }
  if (digits == 0) return std::nullopt;
  if (i < end && (text[i] == L'E' || text[i] == L'e')) {
    plain += 'e';
    ++i;
    if (i < end && (text[i] == L'+' || text[i] == L'-')) plain += static_cast<char>(text[i++]);
    if (i == end || !IsDigit(text[i])) return std::nullopt;
    for (; i < end && IsDigit(text[i]); ++i) plain += static_cast<char>(text[i]);
  }
  if (i != end) return std::nullopt;

  double value = 0;
  const auto [rest, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
  if (error != std::errc() || rest != plain.data() + plain.size()) return std::nullopt;
  return value;
}

}  // namespace instruments
