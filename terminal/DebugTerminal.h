#pragma once
// The window that stands in for the bus in debug mode: a top-level form, "HPIB driver debug
// terminal", whose one text box logs a line for every bus operation. Whoever starts the driver
// layer makes it, shows it and hands it to debug mode's back end as its bus log.
#include <cstddef>
#include <deque>
#include <string>
#include <thread>

#include "core/SpinLock.h"
#include "hpib/BusLog.h"
#include "toolkit/Form.h"
#include "toolkit/Widgets.h"

namespace terminal {

class TDebugTerminal : public toolkit::Form, public hpib::BusLog {
 public:
  TDebugTerminal();
  toolkit::Memo& DebugMemo;

  // More than this many lines in the box, and the next line empties it first.
  static constexpr int kLineLimit = 50;
  // Lines waiting for the terminal's thread, at most. Each line waiting before the last
  // kLineLimit + 2 is one the rule empties the box of before they all show, so none of these
  // is ever read; past this many, the oldest go.
  static constexpr std::size_t kMostWaiting = 4096;

  // One operation, one line: control characters show as their pictures (U+2400 on). Callable
  // from any thread, and never waits for the terminal's thread: there the line shows at once;
  // another thread leaves it, in order, for the terminal's thread.
  void Log(const std::wstring& line) override;

 private:
  void ShowPending();

  const std::thread::id thread_ = std::this_thread::get_id();
  core::SpinLock pendingLock_;
  std::deque<std::wstring> pending_;
  bool posted_ = false;   // the terminal's thread has been asked to show what waits
  bool dropped_ = false;  // lines went for want of room: the box was emptied meanwhile
  bool showing_ = false;  // on the terminal's thread: a read of the box inside ShowPending
};

}  // namespace terminal
