#include "hpib/TraceBytes.h"

#include <cstdio>

namespace hpib {
namespace {

std::string Hex(unsigned char byte) {
  char text[5];
  std::snprintf(text, sizeof text, "\\x%02X", byte);
  return text;
}

std::string Escaped(const std::string& bytes) {
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

}  // namespace

std::string BytesDetail(const char* direction, const std::string& bytes) {
  return std::string(direction) + " \"" + Escaped(bytes) + "\"";
}

}  // namespace hpib
