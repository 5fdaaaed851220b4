#include "tools/DemoHost/SweepCsv.h"

#include <utility>
#include <vector>

#include "core/win32/Utf8.h"

namespace demo {
namespace {

using core::win32::ToUtf8;

// A label in quotes, its own quotes doubled: labels hold blanks and could hold commas.
std::string Quoted(const std::wstring& label) {
  std::string text = "\"";
  for (char c : ToUtf8(label)) text += c == '"' ? std::string("\"\"") : std::string(1, c);
  return text + "\"";
}

}  // namespace

const char kSweepCsvHeader[] = "MHz,A,A label,B,B label";

std::optional<std::string> SweepCsvLine(const std::wstring& text) {
  std::vector<std::pair<std::wstring, std::wstring>> fields;  // label, value
  for (std::size_t start = 0; start <= text.size();) {
    std::size_t end = text.find(L"\r\n", start);
    if (end == std::wstring::npos) end = text.size();
    const std::wstring line = text.substr(start, end - start);
    const std::size_t equals = line.rfind(L'=');
    if (equals == std::wstring::npos) return std::nullopt;
    fields.emplace_back(line.substr(0, equals), line.substr(equals + 1));
    start = end + 2;
  }
  if (fields.size() != 3 || fields[2].first != L"F MHz") return std::nullopt;
  return ToUtf8(fields[2].second) + "," + ToUtf8(fields[0].second) + "," + Quoted(fields[0].first) + "," +
         ToUtf8(fields[1].second) + "," + Quoted(fields[1].first);
}

}  // namespace demo
