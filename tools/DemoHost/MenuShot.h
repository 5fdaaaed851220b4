#pragma once
// A picture of a control's context menu as a user sees it: the menu opened on the control, the
// screen around it saved while the menu is up, then the menu closed again.
#include <windows.h>

#include <string>

namespace demo {

// Opens the context menu of the control in `site` (a container's site window) and saves the
// screen area of `window` and the menu to `path`; the menu's own loop runs meanwhile, so this
// returns when the menu has closed. Answers how the saving went.
HRESULT SaveContextMenu(HWND site, HWND window, const std::wstring& path);

}  // namespace demo
