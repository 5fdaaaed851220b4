#pragma once
// How a run ends, shared by the Host object, the script site and the message pump. The first
// end wins: a script that fails and then quits with 0 still fails, and a Quit inside an event
// handler ends a Host.Sleep that the main code is waiting in.
#include <windows.h>

#include <optional>

namespace scripthost {

constexpr int kExitFailure = 1;
constexpr int kExitTimeout = 2;

class ScriptRun {
 public:
  // `timeoutMs` counts from now; none runs until the script quits.
  explicit ScriptRun(std::optional<DWORD> timeoutMs);

  void End(int exitCode);
  bool Ended() const { return exitCode_.has_value(); }
  int ExitCode() const { return exitCode_.value_or(0); }

  // Dispatches messages (the controls' window timers among them) for `ms` milliseconds, or
  // until the run ends; none waits for the end alone. Past the timeout the run ends with
  // kExitTimeout.
  void Pump(std::optional<DWORD> ms);

 private:
  void TimeOut();

  std::optional<int> exitCode_;
  std::optional<ULONGLONG> deadline_;
  DWORD timeoutMs_ = 0;
};

}  // namespace scripthost
