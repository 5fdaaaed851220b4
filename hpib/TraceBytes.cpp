#include "hpib/TraceBytes.h"

#include <cstdio>

namespace hpib {
namespace {

std::string Hex(unsigned char byte) {
  char text[5];
  std::snprintf(text, sizeof text, "\\x%02X", byte);
  return text;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::string EscapedBytes(std::string_view bytes) {
  std::string text;
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    switch (b) {
      case '\r': text += "\\r"; break;
      case '\n': text += "\\n"; break;
      case '\t': text += "\\t"; break;
      case '\\': text += "\\\\"; break;
      case '"': text += "\\\""; break;
      default:
        if (b >= 0x20 && b < 0x7F) text += c;
        else text += Hex(b);
    }
  }
  return text;
}

std::optional<std::string> UnescapedBytes(std::string_view escaped) {
  std::string bytes;
  for (std::size_t i = 0; i < escaped.size(); ++i) {
    const auto b = static_cast<unsigned char>(escaped[i]);
    if (b == '"' || b < 0x20 || b >= 0x7F) return std::nullopt;
    if (b != '\\') {
      bytes += escaped[i];
      continue;
    }
    if (++i == escaped.size()) return std::nullopt;
    switch (escaped[i]) {
      case 'r': bytes += '\r'; break;
      case 'n': bytes += '\n'; break;
      case 't': bytes += '\t'; break;
      case '\\': bytes += '\\'; break;
      case '"': bytes += '"'; break;
      case 'x': {
        if (i + 2 >= escaped.size()) return std::nullopt;
        const int high = HexDigit(escaped[i + 1]), low = HexDigit(escaped[i + 2]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes += static_cast<char>(high * 16 + low);
        i += 2;
        break;
      }
      default: return std::nullopt;
    }
  }
  return bytes;
}

std::string BytesDetail(const char* direction, const std::string& bytes) {
  return std::string(direction) + " \"" + EscapedBytes(bytes) + "\"";
}

}  // namespace hpib
