#pragma once
// A Windows error as the check shows it: the system's text, then the number that a search or a
// colleague can look up.
#include <windows.h>

#include <string>

namespace check::win32 {

// "Access is denied. (error 5)", or "error 5" where the system has no text for it; UTF-8.
std::string SystemErrorText(DWORD error);

}  // namespace check::win32
