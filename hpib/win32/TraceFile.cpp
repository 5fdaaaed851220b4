#include "hpib/win32/TraceFile.h"

#include <windows.h>

#include "core/win32/Handles.h"

namespace hpib::win32 {

namespace {

void Append(const std::wstring& path, const std::string& line) {
  const HANDLE opened = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (opened == INVALID_HANDLE_VALUE) return;
  const core::win32::unique_handle file(opened);
  const std::string text = line + "\r\n";
  DWORD written = 0;
  WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

}  // namespace

TraceLines TraceFile(const std::wstring& path) {
  return [path](const std::string& line) { Append(path, line); };
}

}  // namespace hpib::win32
