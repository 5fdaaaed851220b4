#include "check/win32/Output.h"

#include <windows.h>

#include "core/win32/Utf8.h"

namespace check::win32 {

Output::Output(const std::wstring& reportPath) : reportPath_(reportPath) {
  if (reportPath.empty()) return;
  // CREATE_NEW: whether the file exists and its making are one step, with no moment between.
  const HANDLE file = CreateFileW(reportPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) report_ = core::win32::unique_handle(file);
  else reportError_ = GetLastError();
}

namespace {

// A console gets UTF-16 through WriteConsoleW; a file or a pipe gets UTF-8, as the report does.
void Write(DWORD stream, const std::string& bytes) {
  const HANDLE handle = GetStdHandle(stream);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return;
  DWORD written = 0, mode = 0;
  if (GetConsoleMode(handle, &mode)) {
    const std::wstring text = core::win32::FromUtf8(bytes);
    WriteConsoleW(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  } else {
    WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  }
}

}  // namespace

void Output::Line(const std::string& line) {
  const std::string bytes = line + "\r\n";
  Write(STD_OUTPUT_HANDLE, bytes);
  DWORD written = 0;
  if (report_) WriteFile(report_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void Output::Error(const std::string& line) { Write(STD_ERROR_HANDLE, line + "\r\n"); }

}  // namespace check::win32
