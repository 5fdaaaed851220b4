#include "server/LogFiles.h"

#include "core/win32/Utf8.h"
#include "framework/ReadingLog.h"

namespace server::logfiles {
namespace {

using core::win32::unique_handle;

// Null stands for none in the holder; the failure value of CreateFileW is not one.
unique_handle Opened(HANDLE file) { return unique_handle(file == INVALID_HANDLE_VALUE ? nullptr : file); }

// The plain form stops at MAX_PATH, a draft's name beside a long log's name included.
std::wstring Reachable(const std::wstring& path) {
  if (path.size() < MAX_PATH || path.rfind(L"\\\\?\\", 0) == 0) return path;
  std::wstring full(GetFullPathNameW(path.c_str(), 0, nullptr, nullptr), L'\0');
  full.resize(GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr));
  return full.rfind(L"\\\\", 0) == 0 ? L"\\\\?\\UNC\\" + full.substr(2) : L"\\\\?\\" + full;
}

// The path without its extension, where its last name has one.
std::wstring Stem(const std::wstring& path) {
  const std::size_t dot = path.rfind(L'.');
  return dot == std::wstring::npos || path.find_first_of(L"\\/", dot) != std::wstring::npos ? path : path.substr(0, dot);
}

std::wstring Beside(const std::wstring& path, int n) {
  return Stem(path) + L".apparata" + (n > 1 ? L"-" + std::to_wstring(n) : std::wstring()) + L".csv";
}

struct Look {
  DWORD error = ERROR_SUCCESS;
  framework::LogStart start = framework::LogStart::Empty;
  bool lineEnded = true;
};

// The file's first bytes and its last one, read without keeping anyone else out.
Look LookAt(const std::wstring& path) {
  const unique_handle file = Opened(CreateFileW(Reachable(path).c_str(), GENERIC_READ,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  Look look;
  if (!file) {
    look.error = GetLastError();
    return look;
  }
  std::string first(framework::kByteOrderMark.size() + framework::LogHeader().size(), '\0');
  DWORD read = 0;
  if (!ReadFile(file.get(), first.data(), static_cast<DWORD>(first.size()), &read, nullptr)) look.error = GetLastError();
  look.start = framework::KindOfStart(std::string_view(first).substr(0, read));
  LARGE_INTEGER last{};
  last.QuadPart = -1;
  char end = '\n';
  if (read && SetFilePointerEx(file.get(), last, nullptr, FILE_END) && ReadFile(file.get(), &end, 1, &read, nullptr))
    look.lineEnded = end == '\n';
  return look;
}

DWORD AppendNow(const std::wstring& path, std::string_view bytes) {
  const unique_handle file = OpenAppend(path);
  DWORD written = 0;
  return file ? WriteAll(file.get(), bytes, written) : GetLastError();
}

std::string Start() { return std::string(framework::kByteOrderMark) + framework::LogHeader(); }

}  // namespace

unique_handle OpenAppend(const std::wstring& path) {
  return Opened(CreateFileW(Reachable(path).c_str(), FILE_APPEND_DATA,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
}

DWORD WriteAll(HANDLE file, std::string_view bytes, DWORD& written) {
  written = 0;
  if (!WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) return GetLastError();
  return written == bytes.size() ? ERROR_SUCCESS : ERROR_HANDLE_DISK_FULL;
}

// Written under a name of this process's own and renamed to the log's name unless another
// process's log got there first. A process that opened an empty new file could otherwise put its
// row before the header. The error said is the one of the step that failed, never the clean-up's.
DWORD CreateWhole(const std::wstring& path) {
  const std::wstring draft = Reachable(path + L"." + std::to_wstring(GetCurrentProcessId()) + L".new");
  DWORD error = ERROR_SUCCESS;
  {
    const unique_handle file =
        Opened(CreateFileW(draft.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    error = file ? WriteAll(file.get(), Start(), written) : GetLastError();
  }
  if (error == ERROR_SUCCESS && !MoveFileExW(draft.c_str(), Reachable(path).c_str(), 0)) {
    error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) error = ERROR_SUCCESS;
  }
  DeleteFileW(draft.c_str());
  return error;
}

Target ChooseTarget(const std::wstring& path, const std::string& time) {
  constexpr int kBeside = 9;
  for (int n = 0; n <= kBeside; ++n) {
    const std::wstring candidate = n ? Beside(path, n) : path;
    const Look look = LookAt(candidate);
    if (look.start == framework::LogStart::Foreign && look.error == ERROR_SUCCESS) continue;
    Target target{candidate, look.error, {}};
    if (look.error == ERROR_FILE_NOT_FOUND)
      target.error = CreateWhole(candidate);
    else if (look.error == ERROR_SUCCESS && look.start == framework::LogStart::Empty)
      target.error = AppendNow(candidate, Start());
    else if (look.error == ERROR_SUCCESS && !look.lineEnded)
      target.error = AppendNow(candidate, "\r\n");
    if (n && target.error == ERROR_SUCCESS) {
      target.notice = L"Log file \"" + path + L"\" is not a log of Apparata and stays as it is; the rows go to \"" +
                      candidate + L"\"";
      target.error = AppendNow(candidate, framework::NoticeRow(time, target.notice));
    }
    return target;
  }
  return {path, ERROR_FILE_EXISTS, {}};
}

std::wstring HeldFileName(const std::wstring& path, const std::string& since) {
  const std::string digits = since.substr(0, 4) + since.substr(5, 2) + since.substr(8, 2) + "-" + since.substr(11, 2) +
                             since.substr(14, 2) + since.substr(17, 2);
  return Stem(path) + L".held-" + core::win32::FromUtf8(digits) + L"-" + std::to_wstring(GetCurrentProcessId()) +
         L".csv";
}

}  // namespace server::logfiles
