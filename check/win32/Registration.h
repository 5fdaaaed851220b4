#pragma once
// Which library the hosts of the check's bitness load: the controls' registration, the user's
// and the machine's, with each file's version. A user's own registration wins over the
// machine's, so a per-user copy keeps its user on that copy through every machine-wide upgrade.
#include <string>
#include <vector>

namespace check::win32 {

// The library's lines: where it is registered and its version, and a per-user copy that
// shadows the machine's, or that it is not registered at all.
std::vector<std::string> LibraryLines();

}  // namespace check::win32
