#pragma once
// The files of the Log setting as files: which one the rows go to, made whole when new, opened
// for appending only. The log is appended to only when it is one (it begins with the byte-order
// mark and the header) or is empty; another program's file stays as it is and the rows go to a
// file beside it. Paths too long for the plain form are reached through the "\\?\" form.
#include <windows.h>

#include <string>
#include <string_view>

#include "core/win32/Handles.h"

namespace server::logfiles {

// An append-only handle that every other reader and writer may share; null with the error in
// GetLastError.
core::win32::unique_handle OpenAppend(const std::wstring& path);

// All of `bytes`, or the error; `written` says how many reached the file either way.
DWORD WriteAll(HANDLE file, std::string_view bytes, DWORD& written);

// A new log appears whole, with its byte-order mark and header, or not at all; a log that another
// process made first counts as made. Answers the error of the step that failed, or ERROR_SUCCESS.
DWORD CreateWhole(const std::wstring& path);

struct Target {
  std::wstring path;    // where the rows go
  DWORD error;          // ERROR_SUCCESS, or why no file can take them now
  std::wstring notice;  // said when the rows go elsewhere than the log's own path
};

// The file for the log `path`, checked once per process and again when it has gone: the log
// itself when it is a log (a last line left without its end gets one), empty (it gets the
// byte-order mark and header) or missing (made whole); else the first of <stem>.apparata.csv,
// <stem>.apparata-2.csv, ... that may be, whose rows then begin with a notice row, written at `time`.
Target ChooseTarget(const std::wstring& path, const std::string& time);

// Where the rows held since `since` (a log time) go when they pass the bound:
// <stem>.held-<yyyymmdd>-<hhmmss>-<process id>.csv beside the log.
std::wstring HeldFileName(const std::wstring& path, const std::string& since);

}  // namespace server::logfiles
