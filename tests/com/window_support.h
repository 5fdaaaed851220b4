#pragma once
// Reading windows and pumping this thread's messages with a deadline, for the tests that drive
// real windows under Wine: the toolkit's and the server's.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <map>
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

inline void PumpFor(DWORD ms) {
  PumpUntil([] { return false; }, ms);
}

// While it lives, runs `act` once on every visible window of the class that this thread shows.
// It looks from a thread timer, so it acts inside modal loops too (message boxes, menus).
class WindowWatch {
 public:
  WindowWatch(std::wstring className, std::function<void(HWND)> act)
      : className_(std::move(className)), act_(std::move(act)), timer_(SetTimer(nullptr, 0, 20, Tick)) {
    Watches()[timer_] = this;
  }
  WindowWatch(const WindowWatch&) = delete;
  WindowWatch& operator=(const WindowWatch&) = delete;
  ~WindowWatch() {
    KillTimer(nullptr, timer_);
    Watches().erase(timer_);
  }

 private:
  static std::map<UINT_PTR, WindowWatch*>& Watches() {
    static std::map<UINT_PTR, WindowWatch*> watches;
    return watches;
  }
  static void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD) {
    const auto found = Watches().find(timer);
    if (found != Watches().end()) EnumThreadWindows(GetCurrentThreadId(), Visit, reinterpret_cast<LPARAM>(found->second));
  }
  static BOOL CALLBACK Visit(HWND window, LPARAM data) {
    auto& watch = *reinterpret_cast<WindowWatch*>(data);
    if (window == watch.last_ || !IsWindowVisible(window) || ClassOf(window) != watch.className_) return TRUE;
    watch.last_ = window;
    watch.act_(window);
    return TRUE;
  }
  const std::wstring className_;
  const std::function<void(HWND)> act_;
  const UINT_PTR timer_;
  HWND last_ = nullptr;
};

// While it lives, closes every dialog box of this thread (an error box among them) and
// remembers the text of each: a box would otherwise hold the test in its modal loop.
class DialogWatch {
 public:
  std::vector<std::wstring> texts;

 private:
  WindowWatch watch_{L"#32770", [this](HWND dialog) {
                       HWND text = GetDlgItem(dialog, 0xFFFF);  // the message of a message box
                       texts.push_back(text ? TextOf(text) : L"<no text>");
                       SendMessageW(dialog, WM_COMMAND, IDOK, 0);
                     }};
};

}  // namespace window_support
