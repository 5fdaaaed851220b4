#include "server/UnattendedLog.h"

#include <windows.h>

#include <atomic>
#include <memory>
#include <optional>

#include "core/win32/ComResource.h"
#include "core/win32/Utf8.h"
#include "framework/ReadingLog.h"
#include "framework/Unattended.h"
#include "hpib/win32/TraceFile.h"
#include "hpib/win32/UserSettings.h"

namespace server {
namespace {

using core::win32::unique_handle;

unique_handle OpenFile(const std::wstring& path, DWORD creation) {
  const HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, creation, FILE_ATTRIBUTE_NORMAL, nullptr);
  return unique_handle(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

bool WriteWhole(HANDLE file, std::string_view bytes) {
  DWORD written = 0;
  return WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

// A new log appears whole, with its byte-order mark and header, or not at all: it is written
// under a name of this process's own and renamed to the log's name unless another process's
// log got there first. A process that opened an empty new file could otherwise put its row
// before the header.
bool CreateWhole(const std::wstring& path) {
  const std::wstring draft = path + L"." + std::to_wstring(GetCurrentProcessId()) + L".new";
  {
    const unique_handle file = OpenFile(draft, CREATE_ALWAYS);
    if (!file || !WriteWhole(file.get(), std::string(framework::kByteOrderMark) + framework::LogHeader())) {
      DeleteFileW(draft.c_str());
      return false;
    }
  }
  if (MoveFileExW(draft.c_str(), path.c_str(), 0)) return true;
  const DWORD error = GetLastError();
  DeleteFileW(draft.c_str());
  return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS;
}

class LogFile : public framework::UnattendedOutput {
 public:
  LogFile(std::optional<std::wstring> path, std::function<void(const std::wstring&)> say)
      : path_(std::move(path)), say_(std::move(say)) {}

  std::string Now() override {
    SYSTEMTIME utc, local;
    GetSystemTime(&utc);
    if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) local = utc;
    FILETIME utcTime, localTime;
    SystemTimeToFileTime(&utc, &utcTime);
    SystemTimeToFileTime(&local, &localTime);
    const auto ticks = [](const FILETIME& t) {
      return static_cast<long long>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
    };
    const long long offsetMinutes = (ticks(localTime) - ticks(utcTime)) / 600000000LL;
    return framework::Iso8601({local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond,
                               local.wMilliseconds, static_cast<int>(offsetMinutes)});
  }

  // One row, one write on a file opened for appending only. Opened and closed for each row, so
  // that nothing waits in the process and the file can be moved away between rows.
  void Append(const std::string& row) override {
    if (!path_) return;
    const DWORD error = AppendInTurn(row);
    if (error == ERROR_SUCCESS) return;
    if (!told_.exchange(true))
      Tell(L"Log file \"" + *path_ + L"\" cannot be written (system error " + std::to_wstring(error) +
           L"); measuring goes on, and each later row tries again");
  }

  // Windows puts each write of an append-only handle whole at the end, whichever process makes
  // it; Wine 8 does not: it writes at the size it saw a moment before, so two processes
  // appending at once overwrite each other's rows (measured: 0.4 to 1.6 % of the rows of two
  // processes lost, some torn). Every row of every process of the session takes its turn under
  // one mutex; one that waited past the bound writes anyway, as before. Answers the error, or
  // ERROR_SUCCESS.
  DWORD AppendInTurn(const std::string& row) {
    const DWORD wait = turn_ ? WaitForSingleObject(turn_.get(), 5000) : WAIT_FAILED;
    unique_handle file = OpenFile(*path_, OPEN_EXISTING);
    if (!file && GetLastError() == ERROR_FILE_NOT_FOUND && CreateWhole(*path_)) file = OpenFile(*path_, OPEN_EXISTING);
    const DWORD error = file && WriteWhole(file.get(), row) ? ERROR_SUCCESS : GetLastError();
    file.reset();  // closed before the next process's turn
    if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) ReleaseMutex(turn_.get());
    return error;
  }

  void Debug(const std::wstring& text) override { OutputDebugStringW((L"Apparata: " + text + L"\n").c_str()); }
  bool Logging() const override { return path_.has_value(); }

  // Where the user looks: the terminal in debug mode, the trace, the debug output.
  void Tell(const std::wstring& text) {
    say_(text);
    if (const std::optional<std::wstring> trace = hpib::win32::UserSetting(L"Trace").text)
      hpib::win32::TraceFile(*trace)(core::win32::ToUtf8(text));
    Debug(text);
  }

 private:
  const std::optional<std::wstring> path_;
  const std::function<void(const std::wstring&)> say_;
  const unique_handle turn_{CreateMutexW(nullptr, FALSE, L"Local\\Apparata.LogRow")};
  std::atomic<bool> told_{false};  // the failure to write has been said
};

// For the life of the process: controls made later still report to it.
std::unique_ptr<LogFile> g_output;

}  // namespace

void StartUnattended(const std::function<void(const std::wstring&)>& say) {
  const framework::ErrorsSetting errors = framework::ParseErrorsSetting(hpib::win32::UserSetting(L"Errors").text);
  std::optional<std::wstring> path = hpib::win32::UserSetting(L"Log").text;
  if (path && path->empty()) path.reset();
  if (errors.handling == framework::ErrorHandling::Box && !path && errors.problem.empty()) return;
  g_output = std::make_unique<LogFile>(std::move(path), say);
  if (!errors.problem.empty()) g_output->Tell(errors.problem);
  framework::SetUnattended({errors.handling, g_output.get()});
}

}  // namespace server
