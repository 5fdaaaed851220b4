#include "tools/ScriptHost/ScriptRun.h"

#include <algorithm>
#include <climits>
#include <string>

#include "tools/common/Console.h"

namespace scripthost {

ScriptRun::ScriptRun(std::optional<DWORD> timeoutMs) {
  if (timeoutMs) {
    timeoutMs_ = *timeoutMs;
    deadline_ = GetTickCount64() + *timeoutMs;
  }
}

void ScriptRun::End(int exitCode) {
  if (!exitCode_) exitCode_ = exitCode;
}

void ScriptRun::TimeOut() {
  tools::WriteLine(tools::Stream::Err,
                   L"apparata_scripthost: timed out after " + std::to_wstring(timeoutMs_ / 1000) + L" s");
  End(kExitTimeout);
}

void ScriptRun::Pump(std::optional<DWORD> ms) {
  const ULONGLONG start = GetTickCount64();
  std::optional<ULONGLONG> until = deadline_;
  if (ms) until = std::min(until.value_or(ULLONG_MAX), start + *ms);
  // What is already queued is dispatched even by Sleep 0.
  for (;;) {
    MSG message;
    while (!Ended() && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        End(static_cast<int>(message.wParam));
        return;
      }
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (Ended()) return;
    const ULONGLONG now = GetTickCount64();
    if (deadline_ && now >= *deadline_) {
      TimeOut();
      return;
    }
    if (until && now >= *until) return;
    const DWORD wait = until ? static_cast<DWORD>(*until - now) : INFINITE;
    MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
}

}  // namespace scripthost
