#pragma once
// Where the bus check's lines go: the console (or whatever takes the standard output), and the
// report file when one is asked for, each line as it comes.
#include <windows.h>

#include <string>

#include "core/win32/ComResource.h"

namespace check::win32 {

class Output {
 public:
  // `reportPath` empty: no report. The report is a new file: one that exists, whatever it holds
  // (a bench file, a log), is never written over.
  explicit Output(const std::wstring& reportPath);
  // Whether the report file, if any, could be made; if not, the system's error code.
  bool Ready() const { return reportPath_.empty() || report_.get() != nullptr; }
  DWORD ReportError() const { return reportError_; }
  // One line, UTF-8, to the standard output and the report.
  void Line(const std::string& line);
  // One line, UTF-8, to the standard error alone.
  static void Error(const std::string& line);

 private:
  std::wstring reportPath_;
  core::win32::unique_handle report_;
  DWORD reportError_ = 0;
};

}  // namespace check::win32
