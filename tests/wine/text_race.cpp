// Wine's text layout under several threads, with nothing of the library: each thread owns a
// top-level window with four edit controls and sets their text over and over while pumping its
// messages. Under Wine 8 and 10 such a process crashes inside the edit control's WM_SETTEXT
// (gdi32's Uniscribe script cache, init_script_cache <- ScriptStringAnalyse), which is Wine's
// fault, not the library's; --locked puts one process-wide critical section around every message
// to the edit controls and around their creation and destruction, to see whether serialising
// the edit controls is enough to keep the process alive.
//
// Not part of the test suite: scripts/wine-text-race builds it, runs it and counts the crashes,
// by hand.
//
// Usage: text_race [--locked] [threads, 4 unless given] [seconds, 10 unless given]
// Exit code: 0 once every thread has finished, 1 for a bad argument or a window that could not be
// made. A crash ends the process with Wine's code for it: 5 (the low byte of an access
// violation's 0xC0000005) in the runs seen, though Wine once ended a crashed run with 0, which is
// why a finished run also prints its closing line.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace {

constexpr int kEditsPerWindow = 4;
constexpr int kMaxThreads = MAXIMUM_WAIT_OBJECTS;  // one WaitForMultipleObjects for them all
const wchar_t kWindowClass[] = L"TextRaceWindow";

bool g_locked = false;
CRITICAL_SECTION g_editLock;
DWORD g_seconds = 10;

struct ThreadState {
  int index = 0;
  unsigned long long calls = 0;
  bool ok = false;
};

// The subclass of each edit control in --locked mode: the whole of every message the control
// handles (WM_SETTEXT and its layout, painting, WM_SETFONT, WM_NCDESTROY) runs under the one lock.
// The original procedure is kept in the window's user data, which the edit control leaves alone.
LRESULT CALLBACK LockedEditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto original = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  EnterCriticalSection(&g_editLock);
  LRESULT result = CallWindowProcW(original, hwnd, message, wParam, lParam);
  LeaveCriticalSection(&g_editLock);
  return result;
}

void Lock() {
  if (g_locked) EnterCriticalSection(&g_editLock);
}

void Unlock() {
  if (g_locked) LeaveCriticalSection(&g_editLock);
}

void PumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

DWORD WINAPI RaceThread(void* parameter) {
  auto* state = static_cast<ThreadState*>(parameter);
  HINSTANCE instance = GetModuleHandleW(nullptr);

  wchar_t title[64];
  swprintf(title, 64, L"Text race %d", state->index);
  // The top-level window is made and destroyed outside the lock: its activation may send to
  // another thread's windows, and that thread may be waiting for the lock.
  HWND window = CreateWindowExW(0, kWindowClass, title, WS_OVERLAPPEDWINDOW,
                                40 + 20 * state->index, 40 + 20 * state->index, 360, 200,
                                nullptr, nullptr, instance, nullptr);
  if (!window) {
    std::fprintf(stderr, "thread %d: CreateWindowExW failed, error %lu\n", state->index,
                 GetLastError());
    return 1;
  }
  ShowWindow(window, SW_SHOWNOACTIVATE);

  HWND edits[kEditsPerWindow] = {};
  HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  bool made = true;
  Lock();
  for (int i = 0; i < kEditsPerWindow && made; ++i) {
    edits[i] = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                               WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 10, 10 + 40 * i, 320, 28,
                               window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(100 + i)),
                               instance, nullptr);
    if (!edits[i]) {
      std::fprintf(stderr, "thread %d: edit %d: CreateWindowExW failed, error %lu\n",
                   state->index, i, GetLastError());
      made = false;
      break;
    }
    if (g_locked) {
      LONG_PTR original = GetWindowLongPtrW(edits[i], GWLP_WNDPROC);
      SetWindowLongPtrW(edits[i], GWLP_USERDATA, original);
      SetWindowLongPtrW(edits[i], GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&LockedEditProc));
    }
    SendMessageW(edits[i], WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  Unlock();

  if (made) {
    // Text that changes in content and length every time, as a live reading would.
    static const wchar_t* const kUnits[] = {L"V", L"mV", L"\u03a9", L"k\u03a9", L"pF", L"\u00b5H"};
    wchar_t text[96];
    unsigned long long round = 0;
    const ULONGLONG end = GetTickCount64() + 1000ULL * g_seconds;
    while (GetTickCount64() < end) {
      for (int i = 0; i < kEditsPerWindow; ++i) {
        unsigned long long n = round * kEditsPerWindow + i;
        swprintf(text, 96, L"%d.%d  %+.*f %ls%.*ls", state->index, i,
                 static_cast<int>(n % 7), (static_cast<double>(n % 100003) - 50000.0) / 7.0,
                 kUnits[n % 6], static_cast<int>(n % 13), L"  OVLD  AUTO  ");
        SetWindowTextW(edits[i], text);
        ++state->calls;
      }
      ++round;
      PumpMessages();
    }
  }

  Lock();
  for (HWND edit : edits) {
    if (edit) DestroyWindow(edit);
  }
  Unlock();
  DestroyWindow(window);
  PumpMessages();
  state->ok = made;
  return made ? 0 : 1;
}

bool ParseCount(const char* text, long low, long high, long* value) {
  char* end = nullptr;
  long parsed = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || parsed < low || parsed > high) return false;
  *value = parsed;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  long threads = 4;
  long seconds = 10;
  int positional = 0;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--locked") == 0) {
      g_locked = true;
    } else if (positional == 0 && ParseCount(argv[i], 1, kMaxThreads, &threads)) {
      ++positional;
    } else if (positional == 1 && ParseCount(argv[i], 1, 86400, &seconds)) {
      ++positional;
    } else {
      std::fprintf(stderr,
                   "usage: text_race [--locked] [threads 1-%d, default 4] [seconds, default 10]\n",
                   kMaxThreads);
      return 1;
    }
  }
  g_seconds = static_cast<DWORD>(seconds);
  InitializeCriticalSection(&g_editLock);

  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kWindowClass;
  if (!RegisterClassW(&windowClass)) {
    std::fprintf(stderr, "RegisterClassW failed, error %lu\n", GetLastError());
    return 1;
  }

  ThreadState states[kMaxThreads];
  HANDLE handles[kMaxThreads] = {};
  int started = 0;
  for (int i = 0; i < threads; ++i) {
    states[i].index = i;
    handles[i] = CreateThread(nullptr, 0, &RaceThread, &states[i], 0, nullptr);
    if (!handles[i]) {
      std::fprintf(stderr, "CreateThread failed, error %lu\n", GetLastError());
      break;
    }
    ++started;
  }
  // The main thread owns no window, so it can wait without pumping.
  if (started > 0) WaitForMultipleObjects(static_cast<DWORD>(started), handles, TRUE, INFINITE);

  unsigned long long calls = 0;
  bool ok = started == threads;
  for (int i = 0; i < started; ++i) {
    CloseHandle(handles[i]);
    calls += states[i].calls;
    ok = ok && states[i].ok;
  }
  std::printf("%s, %ld thread%s, %ld s: %llu SetWindowTextW calls%s\n",
              g_locked ? "locked" : "unlocked", threads, threads == 1 ? "" : "s", seconds, calls,
              ok ? "" : " (a thread could not make its windows)");
  std::fflush(stdout);
  DeleteCriticalSection(&g_editLock);
  return ok ? 0 : 1;
}
