#include "server/UnattendedLog.h"

#include <windows.h>

#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "core/win32/Handles.h"
#include "core/win32/Utf8.h"
#include "framework/HeldRows.h"
#include "framework/ReadingLog.h"
#include "framework/Unattended.h"
#include "hpib/win32/TraceFile.h"
#include "server/LogFiles.h"

namespace server {
namespace {

using core::win32::unique_handle;
using Said = std::vector<std::wstring>;

// Rows held while the log cannot be written, at most this many bytes (rows are 60 to 110 bytes:
// 600000 rows or more, over an hour and a half of ten controls reading ten times a second);
// past it they go to a file of their own beside the log.
constexpr std::size_t kHeldBytes = 64u << 20;
// Held rows go back to the file in writes of whole rows of about this size.
constexpr std::size_t kChunkBytes = 64u << 10;

// Windows puts each write of an append-only handle whole at the end, whichever process makes
// it; Wine 8 does not: it writes at the size it saw a moment before, so two processes appending
// at once overwrite each other's rows (measured: 0.4 to 1.6 % of the rows of two processes lost,
// some torn). Every row of every process of the session takes its turn under one mutex; one that
// waited past the bound writes anyway, as before.
class Turn {
 public:
  explicit Turn(HANDLE mutex) : mutex_(mutex) {
    const DWORD wait = mutex ? WaitForSingleObject(mutex, 5000) : WAIT_FAILED;
    owned_ = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
  }
  Turn(const Turn&) = delete;
  Turn& operator=(const Turn&) = delete;
  ~Turn() {
    if (owned_) ReleaseMutex(mutex_);
  }

 private:
  const HANDLE mutex_;
  bool owned_ = false;
};

std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }
std::wstring Wide(const std::string& text) { return core::win32::FromUtf8(text); }

class LogFile : public framework::UnattendedOutput {
 public:
  LogFile(std::optional<std::wstring> path, hpib::win32::TraceLines trace, std::function<void(const std::wstring&)> say)
      : path_(std::move(path)), trace_(std::move(trace)), say_(std::move(say)), target_(path_.value_or(std::wstring())) {}

  // The host is done with the library: a last try, and rows the file still refuses go to a file
  // of their own. Never waits for a thread that may have been ended holding the lock.
  ~LogFile() override {
    if (!path_) return;
    Said said;
    {
      const Turn turn(turn_.get());
      const std::unique_lock<std::mutex> lock(heldLock_, std::try_to_lock);
      if (!lock || held_.Empty()) return;
      said = WriteHeld(0);
      if (!held_.Empty()) Join(said, SetAside());
    }
    for (const std::wstring& text : said) Note(text);
  }

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

  // Every row joins the held ones and the file takes as many as it will, oldest first: no row
  // overtakes another. The file is opened and closed for each try, so that nothing waits in the
  // process while it can be written and it can be moved away between rows.
  void Append(const std::string& row) override {
    if (!path_) return;
    Said said;
    {
      const Turn turn(turn_.get());  // before the lock: it may wait on another process
      const std::lock_guard<std::mutex> lock(heldLock_);
      held_.Add(row);
      said = WriteHeld(1);
      if (held_.Full()) Join(said, SetAside());
    }
    for (const std::wstring& text : said) Tell(text);
  }

  void Debug(const std::wstring& text) override { OutputDebugStringW((L"Apparata: " + text + L"\n").c_str()); }
  bool Logging() const override { return path_.has_value(); }

  // The library's own word: a notice row, and where the user looks (the terminal only when
  // `terminal` is set: the reason for debug mode is its first line already).
  void Notice(const std::wstring& text, bool terminal) {
    Append(framework::NoticeRow(Now(), text));
    terminal ? Tell(text) : Note(text);
  }

 private:
  static void Join(Said& said, Said more) { said.insert(said.end(), more.begin(), more.end()); }

  // Where the user looks: the terminal in debug mode, the trace, the debug output.
  void Tell(const std::wstring& text) {
    say_(text);
    Note(text);
  }
  void Note(const std::wstring& text) {
    if (trace_) trace_(core::win32::ToUtf8(text));
    Debug(text);
  }

  // The file the rows go to, checked when first written and again when it has gone.
  unique_handle OpenTarget(DWORD& error, Said& said) {
    if (checked_) {
      unique_handle file = logfiles::OpenAppend(target_);
      error = file ? ERROR_SUCCESS : GetLastError();
      if (error != ERROR_FILE_NOT_FOUND) return file;
    }
    logfiles::Target target = logfiles::ChooseTarget(*path_, Now());
    target_ = std::move(target.path);
    error = target.error;
    if (error != ERROR_SUCCESS) return {};
    checked_ = true;
    if (!target.notice.empty()) said.push_back(std::move(target.notice));
    unique_handle file = logfiles::OpenAppend(target_);
    if (!file) error = GetLastError();
    return file;
  }

  // Under the lock: the held rows to the file, and the outage's beginning or end when this try
  // makes one. `added` rows came with this try. Answers what is to be said once the lock is free.
  Said WriteHeld(std::size_t added) {
    Said said;
    DWORD error = ERROR_SUCCESS;
    unique_handle file = OpenTarget(error, said);
    while (file && !held_.Empty()) {
      const std::string rows = held_.Next(kChunkBytes);
      DWORD written = 0;
      error = logfiles::WriteAll(file.get(), rows, written);
      held_.Written(written);
      if (error != ERROR_SUCCESS) file.reset();
    }
    if (file && outage_) {
      const std::wstring text = Resumed();
      DWORD written = 0;
      error = logfiles::WriteAll(file.get(), framework::NoticeRow(Now(), text), written);
      if (error == ERROR_SUCCESS) {
        outage_.reset();
        said.push_back(text);
      }
    }
    if (error == ERROR_SUCCESS) return said;
    if (!outage_) {
      outage_ = Outage{framework::RowTime(held_.Next(0)), error, held_.Count(), 0, {}};
      said.push_back(L"Log file " + Quoted(target_) + L" cannot be written (system error " + std::to_wstring(error) +
                     L"); its rows from " + Wide(outage_->since) + L" on are held until it can be written again");
    } else {
      outage_->held += added;
    }
    return said;
  }

  // Past the bound, or at the end: the held rows into a file of their own beside the log.
  Said SetAside() {
    const std::wstring aside = logfiles::HeldFileName(target_, outage_->since);
    const std::size_t count = held_.Count();
    const std::string rows = held_.TakeAll();
    DWORD error = GetFileAttributesW(aside.c_str()) == INVALID_FILE_ATTRIBUTES ? logfiles::CreateWhole(aside) : ERROR_SUCCESS;
    if (error == ERROR_SUCCESS) {
      const unique_handle file = logfiles::OpenAppend(aside);
      DWORD written = 0;
      error = file ? logfiles::WriteAll(file.get(), rows, written) : GetLastError();
    }
    if (error != ERROR_SUCCESS)
      return {L"Log file " + Quoted(target_) + L" still cannot be written, nor " + Quoted(aside) + L" beside it (system error " +
              std::to_wstring(error) + L"): " + std::to_wstring(count) + L" rows held since " + Wide(outage_->since) +
              L" are lost"};
    outage_->setAside += count;
    outage_->aside = aside;
    return {L"Log file " + Quoted(target_) + L" still cannot be written: " + std::to_wstring(count) + L" rows held since " +
            Wide(outage_->since) + L" went to " + Quoted(aside)};
  }

  std::wstring Resumed() const {
    std::wstring text = L"Log file " + Quoted(target_) + L" can be written again; it could not from " +
                        Wide(outage_->since) + L" (system error " + std::to_wstring(outage_->error) + L"), and the " +
                        std::to_wstring(outage_->held) + L" rows held meanwhile are written before this one";
    if (outage_->setAside)
      text += L", but for " + std::to_wstring(outage_->setAside) + L" that went to " + Quoted(outage_->aside);
    return text;
  }

  struct Outage {
    std::string since;      // the time of its first row held
    DWORD error;            // of the try that began it
    std::size_t held;       // rows held since it began
    std::size_t setAside;   // of them, rows that went to `aside`
    std::wstring aside;
  };

  const std::optional<std::wstring> path_;
  const hpib::win32::TraceLines trace_;
  const std::function<void(const std::wstring&)> say_;
  const unique_handle turn_{CreateMutexW(nullptr, FALSE, L"Local\\Apparata.LogRow")};
  std::mutex heldLock_;  // for what follows; never held across a wait on another thread
  framework::HeldRows held_{kHeldBytes};
  std::wstring target_;
  bool checked_ = false;
  std::optional<Outage> outage_;
};

// For the life of the process: controls made later still report to it.
std::unique_ptr<LogFile> g_output;

}  // namespace

void StartUnattended(const UnattendedSettings& settings, hpib::win32::TraceLines trace,
                     const std::function<void(const std::wstring&)>& say, const std::optional<std::wstring>& debugMode) {
  const framework::ErrorsSetting& errors = settings.errors;
  if (errors.handling == framework::ErrorHandling::Box && !settings.logPath && errors.problem.empty() &&
      settings.logProblem.empty())
    return;
  g_output = std::make_unique<LogFile>(settings.logPath, std::move(trace), say);
  if (debugMode) g_output->Notice(*debugMode, false);
  for (const std::wstring& problem : {errors.problem, settings.logProblem})
    if (!problem.empty()) g_output->Notice(problem, true);
  framework::SetUnattended({errors.handling, g_output.get(), debugMode.has_value()});
}

}  // namespace server
