#include "toolkit/win32/PeerContext.h"

#include <system_error>

#include "toolkit/Platform.h"
#include "toolkit/win32/WindowPeer.h"

namespace toolkit::win32 {

using core::win32::unique_hbrush;
using core::win32::unique_hfont;

COLORREF ToColorRef(Color color) {
  if (color & 0x80000000u) return GetSysColor(static_cast<int>(color & 0xFF));
  return color & 0xFFFFFF;
}

WindowClasses::WindowClasses(HINSTANCE module) : module_(module) {
  const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                      ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS | ICC_UPDOWN_CLASS};
  InitCommonControlsEx(&controls);
  const std::pair<const wchar_t*, UINT> kClasses[] = {
      {kFormClass, 0u},
      {kPanelClass, static_cast<UINT>(CS_HREDRAW | CS_VREDRAW)},
      {kBevelClass, static_cast<UINT>(CS_HREDRAW | CS_VREDRAW)},
      {kGraphicClass, static_cast<UINT>(CS_HREDRAW | CS_VREDRAW)},
      {kUtilityClass, 0u},
  };
  for (const auto& [name, style] : kClasses) {
    // Behaviour comes from the peers, which subclass every window they make.
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = style;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = module;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<const wchar_t*>(IDC_ARROW));
    wc.lpszClassName = name;
    if (!RegisterClassExW(&wc)) {
      const auto error = static_cast<int>(GetLastError());
      Unregister();
      throw std::system_error(error, std::system_category(), "RegisterClassExW");
    }
    registered_.push_back(name);
  }
}

WindowClasses::~WindowClasses() { Unregister(); }

void WindowClasses::Unregister() noexcept {
  for (auto it = registered_.rbegin(); it != registered_.rend(); ++it) UnregisterClassW(*it, module_);
  registered_.clear();
}

PeerContext::PeerContext(HINSTANCE module) : module_(module) {
  // Hidden for good; a popup rather than a message-only window so that it can hold child windows.
  utility_.reset(CreateWindowExW(0, kUtilityClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, module, nullptr));
  if (!utility_) throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), "CreateWindowExW");
  SetWindowLongPtrW(utility_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrW(utility_.get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&UtilityProc));
}

PeerContext::~PeerContext() {
  if (utility_) SetWindowLongPtrW(utility_.get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DefWindowProcW));
}

LRESULT CALLBACK PeerContext::UtilityProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* context = reinterpret_cast<PeerContext*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_TIMER) {
    auto it = context->timers_.find(wParam);
    if (it != context->timers_.end()) {
      Timer* timer = it->second;
      DispatchUserEvent(*timer, [timer] { timer->Tick(); });
    }
    return 0;
  }
  LRESULT result = 0;
  if (ReflectToChild(message, wParam, lParam, result)) return result;
  return DefWindowProcW(window, message, wParam, lParam);
}

HFONT PeerContext::FontFor(const Font& font) {
  FontKey key{font.Name, font.Height, font.Bold, font.Charset};
  auto it = fonts_.find(key);
  if (it == fonts_.end()) {
    unique_hfont made(CreateFontW(font.Height, 0, 0, 0, font.Bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                                  static_cast<DWORD>(font.Charset), OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                  DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, font.Name.c_str()));
    it = fonts_.emplace(std::move(key), std::move(made)).first;
  }
  return it->second.get();
}

HBRUSH PeerContext::BrushFor(Color color) {
  if (color & 0x80000000u) return GetSysColorBrush(static_cast<int>(color & 0xFF));
  auto it = brushes_.find(color);
  if (it == brushes_.end()) it = brushes_.emplace(color, unique_hbrush(CreateSolidBrush(ToColorRef(color)))).first;
  return it->second.get();
}

UINT_PTR PeerContext::AddTimer(Timer& timer) {
  const UINT_PTR id = nextTimerId_++;
  timers_.emplace(id, &timer);
  return id;
}

void PeerContext::RemoveTimer(UINT_PTR id) {
  KillTimer(utility_.get(), id);
  timers_.erase(id);
}

}  // namespace toolkit::win32
