#include "core/Latin1.h"

namespace core {

std::string ToLatin1(std::wstring_view text) {
  std::string bytes;
  bytes.reserve(text.size());
  for (wchar_t c : text) {
    auto code = static_cast<unsigned long>(c);
    bytes += static_cast<char>(code <= 0xFF ? code : '?');
  }
  return bytes;
}

std::wstring FromLatin1(std::string_view bytes) {
  std::wstring text;
  text.reserve(bytes.size());
  for (char b : bytes) text += static_cast<wchar_t>(static_cast<unsigned char>(b));
  return text;
}

}  // namespace core
