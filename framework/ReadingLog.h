#pragma once
// The log of the Log setting: every control appends one row per reading and one per error to
// one CSV file (RFC 4180, UTF-8), so that a night's unattended work can be read back in a
// spreadsheet with the errors in their place among the readings.
#include <cstdint>
#include <string>
#include <string_view>

#include "framework/Reading.h"

namespace framework {

// Label and value columns of a row: the longest Text of any control, the HP 4191A's with its
// extended output, has this many pairs.
constexpr int kLogPairs = 6;

// Written once, by whoever creates the file, so that spreadsheets read the file as UTF-8.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// A moment on the local clock and the clock's distance from UTC (east positive), as the
// system reports both.
struct LocalTime {
  int year, month, day, hour, minute, second, millisecond;
  int offsetMinutes;
};

// ISO 8601 extended form with milliseconds and the offset, e.g. 2026-03-29T01:59:59.250+01:00:
// the offset keeps rows from both sides of a clock change in order.
std::string Iso8601(const LocalTime& time);

// time,control,port,kind,label1,value1,...,label6,value6 and CRLF.
std::string LogHeader();

// One reading: the pairs of the control's Text, a label and a value each. Pairs past the sixth
// go, as Text's lines joined by CRLF, into the last value, so that nothing read is lost.
std::string ReadingRow(const std::string& time, const std::wstring& progId, std::int32_t port,
                       const Pairs& pairs);

// A reading of debug mode's made-up instruments, as ReadingRow but of the kind "simulated": no
// value that no instrument measured passes for one in a night's data.
std::string SimulatedRow(const std::string& time, const std::wstring& progId, std::int32_t port,
                         const Pairs& pairs);

// One error: its message, line feeds and all, in the first value.
std::string ErrorRow(const std::string& time, const std::wstring& progId, std::int32_t port,
                     const std::wstring& message);

// The library's own word on the log (debug mode, a setting not understood, an outage of the file):
// the kind "notice", no control and no port, the text in the first value.
std::string NoticeRow(const std::string& time, const std::wstring& text);

// What an existing file is to the log, by its first bytes (as many as the byte-order mark and the
// header have): empty, a log that rows may be appended to, or another program's file that must
// stay as it is.
enum class LogStart { Empty, Log, Foreign };
LogStart KindOfStart(std::string_view firstBytes);

// The time column of a row made above.
std::string RowTime(std::string_view row);

}  // namespace framework
