#pragma once
// The bus trace as a file, appended line by line; each line carries its own time.
#include <functional>
#include <string>

namespace hpib::win32 {

using TraceLines = std::function<void(const std::string& line)>;

// Opens, appends and closes the file for every line, so that nothing is lost when the process
// ends and other programs can read it meanwhile. A file that cannot be written loses the line.
TraceLines TraceFile(const std::wstring& path);

}  // namespace hpib::win32
