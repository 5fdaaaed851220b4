#pragma once
// The Windows headers that the toolkit's Win32 files use, in the order they need.
#include <windows.h>
#include <commctrl.h>
#include <windowsx.h>
