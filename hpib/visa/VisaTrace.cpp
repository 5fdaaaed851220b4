#include "hpib/visa/VisaTrace.h"

#include <cstdio>

namespace hpib {
namespace {

std::string OneLine(std::string text) {
  for (char& c : text)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  return text;
}

}  // namespace

std::string StatusHex(visa::ViStatus status) {
  char text[9];
  std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(status));
  return text;
}

std::string VisaTraceLine(const VisaCall& call) {
  std::string line = call.operation + " " + (call.resource.empty() ? "RM" : call.resource);
  if (!call.detail.empty()) line += " " + call.detail;
  return line + " -> 0x" + StatusHex(call.status) + " " + OneLine(call.statusText);
}

}  // namespace hpib
