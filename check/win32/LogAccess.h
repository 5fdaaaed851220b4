#pragma once
// Whether the library could write the log file now, asked without writing to it and without
// leaving anything behind.
#include <string>

namespace check::win32 {

// "the file can be written", "no such file yet; its folder takes a new one", or why not in the
// system's words; UTF-8.
std::string LogAccess(const std::wstring& path);

// A REG_EXPAND_SZ value with its environment variables filled in, as the library reads it.
std::wstring Expanded(const std::wstring& value);

}  // namespace check::win32
