#pragma once
// Saves what a window shows, child windows included, as a 24-bit .bmp file: its client area, or
// the whole window with its title bar and frame. Copied from the window's device context:
// PrintWindow would leave the children out under Wine.
#include <windows.h>

#include <string>

namespace demo {

enum class Area { Client, Window };

HRESULT SaveWindowPicture(HWND window, const std::wstring& path, Area area);

// What the screen shows in `area` (screen coordinates), menus and every window included.
HRESULT SaveScreenArea(const RECT& area, const std::wstring& path);

}  // namespace demo
