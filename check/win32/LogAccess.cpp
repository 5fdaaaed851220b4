#include "check/win32/LogAccess.h"

#include <windows.h>

#include "check/win32/SystemError.h"
#include "core/win32/ComResource.h"

namespace check::win32 {

namespace {

// The library appends through this access and share mode; another program holding the file
// without sharing it is found here as the library would find it.
constexpr DWORD kLogAccess = FILE_APPEND_DATA;
constexpr DWORD kLogShare = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// A new file beside the log, deleted by the system as its handle closes: the library makes its
// new log the same way, under a name of its own that it then renames.
DWORD FolderTakesAFile(const std::wstring& path) {
  const std::wstring probe = path + L"." + std::to_wstring(GetCurrentProcessId()) + L".check";
  const HANDLE file = CreateFileW(probe.c_str(), kLogAccess | DELETE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) return GetLastError();
  const core::win32::unique_handle closed(file);
  return ERROR_SUCCESS;
}

}  // namespace

std::string LogAccess(const std::wstring& path) {
  const HANDLE file =
      CreateFileW(path.c_str(), kLogAccess, kLogShare, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    const core::win32::unique_handle opened(file);
    return "the file can be written";
  }
  const DWORD error = GetLastError();
  // A missing folder is a missing file too: the library would try to make both the same way.
  if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
    return "the file cannot be written: " + SystemErrorText(error);
  const DWORD folder = FolderTakesAFile(path);
  if (folder != ERROR_SUCCESS) return "no such file, and none can be made there: " + SystemErrorText(folder);
  return "no such file yet; its folder takes a new one";
}

}  // namespace check::win32
