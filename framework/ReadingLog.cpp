#include "framework/ReadingLog.h"

#include <cstdio>
#include <cstdlib>
#include <type_traits>

namespace framework {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

bool IsHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Wide text is UTF-16 on Windows and UTF-32 elsewhere; a host may hand over a broken surrogate,
// which the file shows as U+FFFD rather than as bytes no reader accepts.
std::string ToUtf8(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = static_cast<char32_t>(static_cast<std::make_unsigned_t<wchar_t>>(text[i]));
    if constexpr (sizeof(wchar_t) == 2) {
      if (IsHighSurrogate(c) && i + 1 < text.size()) {
        const char32_t low = static_cast<char16_t>(text[i + 1]);
        if (IsLowSurrogate(low)) {
          AppendUtf8(out, 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00));
          ++i;
          continue;
        }
      }
    }
    if (IsHighSurrogate(c) || IsLowSurrogate(c) || c > 0x10FFFF) c = kReplacement;
    AppendUtf8(out, c);
  }
  return out;
}

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
  AppendField(row, ToUtf8(progId));
  row += ',' + port + ',' + kind;
  for (int i = 0; i < kLogPairs; ++i) {
    const bool given = static_cast<std::size_t>(i) < pairs.size();
    row += ',';
    if (given) AppendField(row, ToUtf8(pairs[i].label));
    row += ',';
    if (given) AppendField(row, ToUtf8(i + 1 == kLogPairs ? LastValue(pairs) : pairs[i].value));
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
