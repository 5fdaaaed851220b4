#pragma once
// The Windows headers, for the toolkit's Win32 files. The toolkit's charset constants share their
// names with macros of wingdi.h (same values), so the toolkit declares them first.
#include "toolkit/Control.h"
// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <windowsx.h>
// clang-format on
