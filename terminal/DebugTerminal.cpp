#include "terminal/DebugTerminal.h"

#include <mutex>
#include <utility>

#include "toolkit/Platform.h"

namespace terminal {
namespace {

std::wstring OneLine(std::wstring line) {
  for (wchar_t& c : line) {
    if (c < 0x20) c = static_cast<wchar_t>(0x2400 + c);
    else if (c == 0x7F) c = 0x2421;
  }
  return line;
}

}  // namespace

TDebugTerminal::TDebugTerminal()
    : toolkit::Form(nullptr, L"DebugTerminal"), DebugMemo(Make<toolkit::Memo>(L"DebugMemo")) {
  SetCaption(L"HPIB driver debug terminal");
  BorderIcons = false;
  SetBounds(0, 0, 320, 240);
  DebugMemo.SetParent(this);
  DebugMemo.SetAlign(toolkit::Align::Client);
  OnPosted = [this] { ShowPending(); };
  // Whoever reads the box after an operation has returned finds that operation's line in it.
  DebugMemo.OnRead = [this] { ShowPending(); };
}

void TDebugTerminal::Log(const std::wstring& line) {
  bool post = false;
  {
    std::lock_guard<core::SpinLock> lock(pendingLock_);
    if (pending_.size() == kMostWaiting) {
      pending_.pop_front();
      dropped_ = true;
    }
    pending_.push_back(OneLine(line));
    post = !posted_;
    posted_ = true;
  }
  if (std::this_thread::get_id() == thread_)
    ShowPending();
  else if (post)
    toolkit::CurrentPlatform().Post(*this);
}

void TDebugTerminal::ShowPending() {
  // A read of the box while lines are added comes from here: they show in order as it is.
  if (showing_) return;
  showing_ = true;
  struct Done {
    bool& showing;
    ~Done() { showing = false; }
  } done{showing_};
  for (;;) {
    std::deque<std::wstring> lines;
    bool dropped = false;
    {
      std::lock_guard<core::SpinLock> lock(pendingLock_);
      if (pending_.empty() && !dropped_) {
        posted_ = false;
        return;
      }
      lines.swap(pending_);
      dropped = std::exchange(dropped_, false);
    }
    // Lines that went would have emptied the box at least once: what it held went with them.
    if (dropped) DebugMemo.ClearLines();
    for (const std::wstring& line : lines) {
      if (DebugMemo.LineCount() > kLineLimit) DebugMemo.ClearLines();
      DebugMemo.Append(line);
    }
  }
}

}  // namespace terminal
