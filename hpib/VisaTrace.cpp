#include "hpib/VisaTrace.h"

#include <cstdio>

namespace hpib {
namespace {

std::string Hex(unsigned value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*X", digits, value);
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
        else text += "\\x" + Hex(b, 2);
    }
  }
  return text;
}

std::string OneLine(std::string text) {
  for (char& c : text)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  return text;
}

}  // namespace

std::string BytesDetail(const char* direction, const std::string& bytes) {
  return std::string(direction) + " \"" + Escaped(bytes) + "\"";
}

std::string VisaTraceLine(const VisaCall& call) {
  std::string line = call.operation + " " + (call.resource.empty() ? "RM" : call.resource);
  if (!call.detail.empty()) line += " " + call.detail;
  return line + " -> 0x" + Hex(static_cast<std::uint32_t>(call.status), 8) + " " + OneLine(call.statusText);
}

}  // namespace hpib
