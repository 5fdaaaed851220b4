#include "hpib/DebugTerminal.h"

namespace hpib {

TDebugTerminal::TDebugTerminal()
    : toolkit::Form(nullptr, L"DebugTerminal"), DebugMemo(Make<toolkit::Memo>(L"DebugMemo")) {
  SetCaption(L"HPIB driver debug terminal");
  BorderIcons = false;
  SetBounds(0, 0, 320, 240);
  DebugMemo.SetParent(this);
  DebugMemo.SetAlign(toolkit::Align::Client);
}

void TDebugTerminal::Log(const std::wstring& line) {
  if (DebugMemo.LineCount() > kLineLimit) DebugMemo.ClearLines();
  DebugMemo.Append(line);
}

}  // namespace hpib
