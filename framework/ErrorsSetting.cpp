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

ErrorsSetting ParseErrorsSetting(const std::optional<std::wstring>& value) {
  if (!value || value->empty() || EqualsNoCase(*value, L"BOX")) return {ErrorHandling::Box, {}};
  if (EqualsNoCase(*value, L"LOG")) return {ErrorHandling::Log, {}};
  return {ErrorHandling::Box, L"Errors setting \"" + *value + L"\" not understood; Box or Log expected"};
}

}  // namespace framework
