#pragma once
// An exception's text in a trace line: the library's wide text as UTF-8 bytes, one code unit at
// a time (a UTF-16 surrogate stays a code unit of its own), so that any text comes back as it was.
#include <string>
#include <string_view>

namespace hpib {

std::string TraceTextBytes(std::wstring_view text);
// The text of TraceTextBytes' bytes; a byte that starts no sequence, or a sequence cut short,
// stands for itself.
std::wstring TraceTextOf(std::string_view bytes);

}  // namespace hpib
