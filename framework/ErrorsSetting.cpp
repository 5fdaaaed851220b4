#include "framework/ErrorsSetting.h"

namespace framework {
namespace {

// ASCII letters only: no locale may turn another letter into one of these words.
bool EqualsNoCase(const std::wstring& text, const std::wstring& word) {
  if (text.size() != word.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i) {
    const wchar_t c = text[i] >= L'a' && text[i] <= L'z' ? static_cast<wchar_t>(text[i] - L'a' + L'A') : text[i];
    if (c != word[i]) return false;
  }
  return true;
}

}  // namespace

std::optional<std::wstring> SettingText(const std::optional<std::wstring>& value) {
  if (!value) return std::nullopt;
  const wchar_t kBlanks[] = L" \t";
  const std::size_t first = value->find_first_not_of(kBlanks);
  if (first == std::wstring::npos) return std::nullopt;
  return value->substr(first, value->find_last_not_of(kBlanks) - first + 1);
}

ErrorsSetting ParseErrorsSetting(const std::optional<std::wstring>& value) {
  const std::optional<std::wstring> text = SettingText(value);
  if (!text || EqualsNoCase(*text, L"BOX")) return {ErrorHandling::Box, {}};
  if (EqualsNoCase(*text, L"LOG")) return {ErrorHandling::Log, {}};
  return {ErrorHandling::Box, L"Errors setting \"" + *value + L"\" not understood; Box or Log expected"};
}

}  // namespace framework
