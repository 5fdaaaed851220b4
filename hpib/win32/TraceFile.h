#pragma once
// The bus trace as a file: each VISA call appended as one line, with the local time.
#include <string>

#include "hpib/VisaTrace.h"

namespace hpib::win32 {

// Opens, appends and closes the file for every line, so that nothing is lost when the process
// ends and other programs can read it meanwhile. A file that cannot be written loses the line.
VisaTraceSink TraceFile(const std::wstring& path);

}  // namespace hpib::win32
