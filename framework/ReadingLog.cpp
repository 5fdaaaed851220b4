#include "framework/ReadingLog.h"

#include <cstdio>
#include <cstdlib>

#include "core/Utf8.h"

namespace framework {
namespace {

// RFC 4180: quoted only when it has to be, which keeps plain rows readable by eye.
void AppendField(std::string& row, std::string_view field) {
  if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
    row += field;
    return;
  }
  row += '"';
  for (char c : field) {
    if (c == '"') row += '"';
    row += c;
  }
  row += '"';
}

// The sixth value, then the pairs past it as Text's lines.
std::wstring LastValue(const Pairs& pairs) {
  std::wstring value = pairs[kLogPairs - 1].value;
  if (pairs.size() > static_cast<std::size_t>(kLogPairs))
    value += L"\r\n" + Lines(Pairs(pairs.begin() + kLogPairs, pairs.end()));
  return value;
}

std::string Row(const std::string& time, const std::wstring& progId, const std::string& port, const char* kind,
                const Pairs& pairs) {
  std::string row;
  AppendField(row, time);
  row += ',';
  AppendField(row, core::EncodeUtf8(progId));
  row += ',' + port + ',' + kind;
  for (int i = 0; i < kLogPairs; ++i) {
    const bool given = static_cast<std::size_t>(i) < pairs.size();
    row += ',';
    if (given) AppendField(row, core::EncodeUtf8(pairs[i].label));
    row += ',';
    if (given) AppendField(row, core::EncodeUtf8(i + 1 == kLogPairs ? LastValue(pairs) : pairs[i].value));
  }
  return row + "\r\n";
}

}  // namespace

std::string Iso8601(const LocalTime& time) {
  const int offset = std::abs(time.offsetMinutes);
  // Room for every int at its widest, so that nothing is ever cut.
  char text[128];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d%c%02d:%02d", time.year, time.month,
                time.day, time.hour, time.minute, time.second, time.millisecond,
                time.offsetMinutes < 0 ? '-' : '+', offset / 60, offset % 60);
  return text;
}

std::string LogHeader() {
  std::string header = "time,control,port,kind";
  for (int i = 1; i <= kLogPairs; ++i)
    header += ",label" + std::to_string(i) + ",value" + std::to_string(i);
  return header + "\r\n";
}

std::string ReadingRow(const std::string& time, const std::wstring& progId, std::int32_t port,
                       const Pairs& pairs) {
  return Row(time, progId, std::to_string(port), "reading", pairs);
}

std::string SimulatedRow(const std::string& time, const std::wstring& progId, std::int32_t port,
                         const Pairs& pairs) {
  return Row(time, progId, std::to_string(port), "simulated", pairs);
}

std::string ErrorRow(const std::string& time, const std::wstring& progId, std::int32_t port,
                     const std::wstring& message) {
  return Row(time, progId, std::to_string(port), "error", {{std::wstring(), message}});
}

std::string NoticeRow(const std::string& time, const std::wstring& text) {
  return Row(time, std::wstring(), std::string(), "notice", {{std::wstring(), text}});
}

LogStart KindOfStart(std::string_view firstBytes) {
  if (firstBytes.empty()) return LogStart::Empty;
  const std::string start = std::string(kByteOrderMark) + LogHeader();
  return firstBytes.substr(0, start.size()) == start ? LogStart::Log : LogStart::Foreign;
}

std::string RowTime(std::string_view row) { return std::string(row.substr(0, row.find(','))); }

}  // namespace framework
