#include "tools/DemoHost/MenuShot.h"

#include "tools/DemoHost/Screenshot.h"

namespace demo {
namespace {

// Long enough for the menu to be drawn.
constexpr UINT kMenuShownMs = 500;

// The one picture being taken: a thread timer's procedure has no context of its own.
struct MenuShot {
  HWND window = nullptr;
  std::wstring path;
  HRESULT result = E_PENDING;
};
MenuShot g_shot;

void CALLBACK TakeAndClose(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  RECT area{};
  GetWindowRect(g_shot.window, &area);
  // The menu is a top-level window of the system's menu class.
  if (const HWND menu = FindWindowW(L"#32768", nullptr)) {
    RECT menuArea{};
    GetWindowRect(menu, &menuArea);
    UnionRect(&area, &area, &menuArea);
    g_shot.result = SaveScreenArea(area, g_shot.path);
  } else {
    g_shot.result = HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
  }
  EndMenu();
}

}  // namespace

HRESULT SaveContextMenu(HWND site, HWND window, const std::wstring& path) {
  const HWND control = GetWindow(site, GW_CHILD);
  if (!control) return E_HANDLE;
  g_shot = {window, path, E_PENDING};
  RECT bounds{};
  GetWindowRect(control, &bounds);
  // Where a right click in the middle of the panel's display would open it.
  const POINT at{bounds.left + 40, bounds.top + 20};
  // The menu's loop dispatches the timer while the menu is open.
  SetTimer(nullptr, 0, kMenuShownMs, TakeAndClose);
  SendMessageW(control, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(control), MAKELPARAM(at.x, at.y));
  return g_shot.result;
}

}  // namespace demo
