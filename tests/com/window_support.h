#pragma once
// Reading windows and pumping this thread's messages with a deadline, for the tests that drive
// real windows under Wine: the toolkit's and the server's.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace window_support {

inline std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  return std::wstring(name, static_cast<std::size_t>(GetClassNameW(window, name, 64)));
}

inline std::wstring TextOf(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

// Runs the thread's messages until `done` holds or `timeoutMs` has passed; tells which. The
// wait wakes at least every 10 ms, as `done` may turn on something that sends no message.
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (done()) return true;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<long long>(left.count(), 10)),
                              QS_ALLINPUT);
  }
}

// As PumpUntil, but looks after every message: many controls running free can keep
// the queue from ever running empty.
inline bool PumpEachUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > timeoutMs) return false;
    MSG msg;
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    } else {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
  }
  return true;
}

inline void PumpFor(DWORD ms) {
  PumpUntil([] { return false; }, ms);
}

// A window's client area as its own painting draws it (through WM_PRINTCLIENT), or as the
// window's device context holds it now, or the whole window with its frame as it is now on the
// screen, in a 32-bit bitmap.
class Picture {
 public:
  enum class Source { Painting, Screen, WholeWindow };
  explicit Picture(HWND window, Source source = Source::Painting) {
    RECT area;
    if (source == Source::WholeWindow) {
      GetWindowRect(window, &area);
      OffsetRect(&area, -area.left, -area.top);
    } else {
      GetClientRect(window, &area);
    }
    width = area.right;
    height = area.bottom;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    if (source == Source::Painting) {
      SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
    } else {
      HDC screen = source == Source::Screen ? GetDC(window) : GetWindowDC(window);
      BitBlt(dc, 0, 0, width, height, screen, 0, 0, SRCCOPY);
      ReleaseDC(window, screen);
    }
    GdiFlush();
    const auto* data = static_cast<const std::uint32_t*>(bits);
    pixels.assign(data, data + static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    SelectObject(dc, previous);
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
  // As a COLORREF.
  COLORREF At(int x, int y) const {
    const std::uint32_t p = pixels.at(static_cast<std::size_t>(y * width + x));
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
  int width = 0, height = 0;
  std::vector<std::uint32_t> pixels;
};

}  // namespace window_support
