#pragma once
// The window that stands in for the bus in debug mode: a top-level form, "HPIB driver debug
// terminal", whose one text box logs a line for every bus operation. Whoever starts the driver
// layer makes it, shows it and hands it to debug mode's back end as its bus log.
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "hpib/DebugBus.h"
#include "toolkit/Form.h"
#include "toolkit/Widgets.h"

namespace terminal {

class TDebugTerminal : public toolkit::Form, public hpib::BusLog {
 public:
  TDebugTerminal();
  toolkit::Memo& DebugMemo;

  // More than this many lines in the box, and the next line empties it first.
  static constexpr int kLineLimit = 50;
  // One operation, one line: control characters show as their pictures (U+2400 on). Callable
  // from any thread: on the terminal's own thread the line shows at once; another thread
  // leaves it, in order, for the terminal's thread and never waits for that thread.
  void Log(const std::wstring& line) override;

 private:
  void ShowPending();

  const std::thread::id thread_ = std::this_thread::get_id();
  std::mutex pendingMutex_;
  std::vector<std::wstring> pending_;
};

}  // namespace terminal
