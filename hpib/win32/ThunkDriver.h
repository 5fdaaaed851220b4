#pragma once
// The bridge to the 16-bit HP-IB driver HPIB_THK.DLL through the system's flat thunk. Only
// 32-bit systems that offer QT_Thunk have it; everywhere else the layer runs in debug mode.
#include <windows.h>

#include <memory>
#include <string>

#include "hpib/EntryPointBus.h"

namespace hpib::win32 {

// Loads HPIB_THK.DLL from the folder of `self` (the control library's own module). Null when
// the system has no flat thunk, the 64-bit build, a path too long for the 16-bit loader, or a
// 16-bit load that answers 32 or less.
std::unique_ptr<EntryPoints> LoadThunkDriver(HMODULE self);

// Where the driver is looked for beside `self`, UTF-8, as said to a person.
std::string ThunkDriverFile(HMODULE self);

}  // namespace hpib::win32
