#pragma once
// The one rule between host text and bytes: byte b is the character U+00b and back, so every
// byte a bus or a runtime hands over reads as a character, and a character above U+00FF,
// which no byte stands for, becomes "?". Commands and replies on the bus follow it, and so
// does the narrow text of a standard exception on its way to a host.
#include <string>
#include <string_view>

namespace core {

std::string ToLatin1(std::wstring_view text);
std::wstring FromLatin1(std::string_view bytes);

}  // namespace core
