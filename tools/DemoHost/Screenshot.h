#pragma once
// Saves what a window shows in its client area, child windows included, as a 24-bit .bmp file.
// Copied from the window's device context: PrintWindow would leave the children out under Wine.
#include <windows.h>

#include <string>

namespace demo {

HRESULT SaveClientArea(HWND window, const std::wstring& path);

}  // namespace demo
