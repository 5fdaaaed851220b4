#pragma once
// The bus trace as a file: each line appended after the local time.
#include <functional>
#include <string>

namespace hpib::win32 {

using TraceLines = std::function<void(const std::string& line)>;

// Opens, appends and closes the file for every line, so that nothing is lost when the process
// ends and other programs can read it meanwhile. A file that cannot be written loses the line.
TraceLines TraceFile(const std::wstring& path);

// The local time as each trace line starts with it: "2026-12-08 00:32:10.120".
std::string TraceTime();

}  // namespace hpib::win32
