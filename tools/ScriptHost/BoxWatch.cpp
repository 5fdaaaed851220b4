#include "tools/ScriptHost/BoxWatch.h"

#include <string>

#include "tools/ScriptHost/ScriptRun.h"
#include "tools/common/Console.h"

namespace scripthost {

namespace {

// How often, past the deadline, the watch looks for a box while the pump has not ended the run.
constexpr DWORD kLookAgainMs = 100;

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

std::wstring TextOf(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

// A box is a dialog of the system's class; its message is the static text that has words (the
// icon is a static too, without).
BOOL CALLBACK FindMessage(HWND child, LPARAM found) {
  if (ClassOf(child) != L"Static") return TRUE;
  *reinterpret_cast<std::wstring*>(found) = TextOf(child);
  return reinterpret_cast<std::wstring*>(found)->empty();
}

struct Box {
  HWND window = nullptr;
  std::wstring message;
};

BOOL CALLBACK FindBox(HWND window, LPARAM found) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != GetCurrentProcessId() || !IsWindowVisible(window) || ClassOf(window) != L"#32770") return TRUE;
  Box& box = *reinterpret_cast<Box*>(found);
  box.window = window;
  EnumChildWindows(window, FindMessage, reinterpret_cast<LPARAM>(&box.message));
  return FALSE;
}

// The box's lines as one line of the host's error output.
std::wstring OneLine(std::wstring text) {
  for (std::size_t at; (at = text.find(L"\r\n")) != std::wstring::npos;) text.replace(at, 2, L" ");
  for (wchar_t& c : text)
    if (c == L'\n' || c == L'\r') c = L' ';
  return text;
}

}  // namespace

BoxWatch::BoxWatch(std::optional<DWORD> timeoutMs) {
  if (!timeoutMs) return;
  timeoutMs_ = *timeoutMs;
  stop_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (stop_) thread_.reset(CreateThread(nullptr, 0, Watch, this, 0, nullptr));
}

BoxWatch::~BoxWatch() {
  if (!thread_) return;
  SetEvent(stop_.get());
  WaitForSingleObject(thread_.get(), INFINITE);
}

DWORD WINAPI BoxWatch::Watch(void* self) {
  const BoxWatch& watch = *static_cast<const BoxWatch*>(self);
  for (DWORD wait = watch.timeoutMs_; WaitForSingleObject(watch.stop_.get(), wait) == WAIT_TIMEOUT;
       wait = kLookAgainMs) {
    Box box;
    EnumWindows(FindBox, reinterpret_cast<LPARAM>(&box));
    if (!box.window) continue;
    tools::WriteLine(tools::Stream::Err, L"apparata_scripthost: timed out after " +
                                             std::to_wstring(watch.timeoutMs_ / 1000) + L" s with a box up: " +
                                             OneLine(box.message));
    // The script's thread is inside the box's loop and cannot unwind: the process ends here.
    TerminateProcess(GetCurrentProcess(), kExitTimeout);
  }
  return 0;
}

}  // namespace scripthost
