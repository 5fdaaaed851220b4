#include "terminal/DebugTerminal.h"

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
}

void TDebugTerminal::Log(const std::wstring& line) {
  bool first;
  {
    std::lock_guard<std::mutex> lock(pendingMutex_);
    first = pending_.empty();
    pending_.push_back(OneLine(line));
  }
  if (std::this_thread::get_id() == thread_)
    ShowPending();
  else if (first)
    toolkit::CurrentPlatform().Post(*this);
}

void TDebugTerminal::ShowPending() {
  std::vector<std::wstring> lines;
  {
    std::lock_guard<std::mutex> lock(pendingMutex_);
    lines.swap(pending_);
  }
  for (const std::wstring& line : lines) {
    if (DebugMemo.LineCount() > kLineLimit) DebugMemo.ClearLines();
    DebugMemo.Append(line);
  }
}

}  // namespace terminal
