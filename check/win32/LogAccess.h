#pragma once
// Whether the library could write the log file now, asked without writing to it and without
// leaving anything behind.
#include <string>

namespace check::win32 {

// "the file can be written", "no such file yet; its folder takes a new one", or why not in the
// system's words; UTF-8.
std::string LogAccess(const std::wstring& path);

}  // namespace check::win32
