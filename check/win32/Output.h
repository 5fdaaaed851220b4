#pragma once
// Where the bus check's lines go: the console (or whatever takes the standard output), and the
// report file when one is asked for, each line as it comes.
#include <optional>
#include <string>

#include "core/win32/ComResource.h"

namespace check::win32 {

class Output {
 public:
  // `reportPath` empty: no report.
  explicit Output(const std::wstring& reportPath);
  // Whether the report file, if any, could be made.
  bool Ready() const { return reportPath_.empty() || report_.get() != nullptr; }
  // One line, UTF-8, to the standard output and the report.
  void Line(const std::string& line);
  // One line, UTF-8, to the standard error alone.
  static void Error(const std::string& line);

 private:
  std::wstring reportPath_;
  core::win32::unique_handle report_;
};

}  // namespace check::win32
