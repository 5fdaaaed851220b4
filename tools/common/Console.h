#pragma once
// Line output for the tools. Console windows get UTF-16 through WriteConsoleW; files and pipes
// get UTF-8, so that a log read back on any system shows the same characters.
#include <windows.h>

#include <string>
#include <string_view>

namespace tools {

enum class Stream { Out, Err };

// One line, ended by CR LF and written at once (nothing is buffered).
void WriteLine(Stream stream, std::wstring_view text);

// "0x80070002: The system cannot find the file specified.": the code, then the system's text
// when it has one.
std::wstring DescribeResult(HRESULT hr);

}  // namespace tools
