#pragma once
// The one conversion between host text and bus bytes. Byte b is the character U+00b and back;
// a host character above U+00FF cannot travel on the bus and becomes "?".
#include <string>

namespace hpib {

std::string ToBusBytes(const std::wstring& text);
std::wstring FromBusBytes(const std::string& bytes);

}  // namespace hpib
