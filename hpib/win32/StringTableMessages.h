#pragma once
// The driver layer's messages from a module's string table.
#include <windows.h>

namespace hpib::win32 {

// From now on the driver layer reads its messages from `module`'s string table; a message the
// table lacks keeps its built-in text.
void ReadMessagesFrom(HMODULE module);

}  // namespace hpib::win32
