#pragma once
// Wide text as UTF-8, for the files the library writes (the log, the bus trace). Wide text is
// UTF-16 on Windows and UTF-32 elsewhere; a host may hand over a broken surrogate, which comes
// out as U+FFFD rather than as bytes no reader accepts.
#include <string>
#include <string_view>

namespace core {

std::string EncodeUtf8(std::wstring_view text);

}  // namespace core
