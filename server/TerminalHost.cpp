#include "server/TerminalHost.h"

#include <windows.h>

#include <string>

#include "core/Exceptions.h"
#include "core/win32/ComResource.h"
#include "terminal/DebugTerminal.h"

namespace server {

using core::win32::unique_handle;

namespace {

// The layer's log for the life of the process; it hands each line to whichever terminal shows
// now. A bus operation never waits for the terminal's thread: the terminal keeps the line in
// its queue and shows it when its thread comes round, or when someone reads the box.
class TerminalRelay : public hpib::BusLog {
 public:
  void Log(const std::wstring& line) override {
    const Exclusive lock(lock_);
    if (terminal_) terminal_->Log(line);
  }
  void Attach(terminal::TDebugTerminal* terminal) {
    const Exclusive lock(lock_);
    terminal_ = terminal;
  }
  // A terminal going away after a newer one came leaves the newer one in place.
  void Detach(terminal::TDebugTerminal* terminal) {
    const Exclusive lock(lock_);
    if (terminal_ == terminal) terminal_ = nullptr;
  }

 private:
  // A slim lock: threads that meet on it cost no kernel object (a contended runtime mutex keeps
  // one for good).
  struct Exclusive {
    explicit Exclusive(SRWLOCK& lock) : lock_(lock) { AcquireSRWLockExclusive(&lock_); }
    ~Exclusive() { ReleaseSRWLockExclusive(&lock_); }
    Exclusive(const Exclusive&) = delete;
    Exclusive& operator=(const Exclusive&) = delete;
    SRWLOCK& lock_;
  };
  SRWLOCK lock_ = SRWLOCK_INIT;  // guards terminal_ while terminals come and go
  terminal::TDebugTerminal* terminal_ = nullptr;
};

TerminalRelay g_relay;

DWORD g_terminalThreadId = 0;  // 0: no terminal up
unique_handle g_terminalThread;

struct TerminalStart {
  HMODULE module;  // a reference of the thread's own, let go as it exits
  const std::wstring* firstLine;
  unique_handle ready{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  bool shown = false;
};

[[noreturn]] void NoTerminal() {
  throw core::Exception(L"The debug terminal cannot be shown: no window can be made.");
}

DWORD WINAPI RunTerminal(void* parameter) {
  auto& start = *static_cast<TerminalStart*>(parameter);
  const HMODULE module = start.module;
  {
    toolkit::FormPtr<terminal::TDebugTerminal> terminal;
    try {
      terminal = toolkit::CreateForm<terminal::TDebugTerminal>();
      terminal->Show();
      if (!start.firstLine->empty()) terminal->Log(*start.firstLine);
      g_relay.Attach(terminal.get());
      start.shown = true;
    } catch (...) {
      terminal.reset();
    }
    SetEvent(start.ready.get());  // `start` belongs to the starting thread from here on
    if (terminal) {
      MSG message;
      while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
      g_relay.Detach(terminal.get());
    }
  }
  // The last reference may be this one: the library then unloads here, with no window left.
  FreeLibraryAndExitThread(module, 0);
}

// Waits for the terminal's thread, answering the messages that other threads send meanwhile
// (showing or destroying a window may send some to the host's windows on this thread).
void Await(HANDLE handle) {
  const HANDLE handles[] = {handle};
  while (MsgWaitForMultipleObjects(1, handles, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

void Show(const std::wstring& firstLine) {
  TerminalStart start{nullptr, &firstLine};
  if (!start.ready ||
      !GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&RunTerminal),
                          &start.module))
    NoTerminal();
  DWORD id = 0;
  unique_handle thread(CreateThread(nullptr, 0, RunTerminal, &start, 0, &id));
  if (!thread) {
    FreeLibrary(start.module);
    NoTerminal();
  }
  Await(start.ready.get());
  if (!start.shown) NoTerminal();
  g_terminalThreadId = id;
  g_terminalThread = std::move(thread);
}

}  // namespace

hpib::BusLog& TerminalLog() { return g_relay; }

void ShowTerminal(const std::wstring& firstLine) {
  if (!g_terminalThread) Show(firstLine);
}

void StopTerminal() noexcept {
  if (!g_terminalThread) return;
  PostThreadMessageW(g_terminalThreadId, WM_QUIT, 0, 0);
  Await(g_terminalThread.get());
  g_terminalThread.reset();
  g_terminalThreadId = 0;
}

}  // namespace server
