#pragma once
// The window that stands in for the bus in debug mode: a top-level form, "HPIB driver debug
// terminal", whose one text box logs a line for every bus operation.
#include <string>

#include "toolkit/Form.h"
#include "toolkit/Widgets.h"

namespace hpib {

class TDebugTerminal : public toolkit::Form {
 public:
  TDebugTerminal();
  toolkit::Memo& DebugMemo;

  // More than this many lines in the box, and the next line empties it first.
  static constexpr int kLineLimit = 50;
  void Log(const std::wstring& line);
};

}  // namespace hpib
