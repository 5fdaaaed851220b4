#include "hpib/BusSetting.h"

#include <cwctype>

namespace hpib {
namespace {

bool StartsWithNoCase(const std::wstring& text, const std::wstring& prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (static_cast<wchar_t>(std::towupper(static_cast<wint_t>(text[i]))) != prefix[i]) return false;
  return true;
}

}  // namespace

BusSetting ParseBusSetting(const std::optional<std::wstring>& value) {
  if (!value || value->empty()) return {};
  const std::wstring& text = *value;
  const std::wstring kVisa = L"VISA", kBoard = L"VISA:GPIB";
  if (text.size() == kVisa.size() && StartsWithNoCase(text, kVisa)) return {BusSetting::Kind::Visa, 0};
  const std::size_t digits = text.size() - kBoard.size();
  if (StartsWithNoCase(text, kBoard) && digits >= 1 && digits <= 2) {
    unsigned board = 0;
    for (std::size_t i = kBoard.size(); i < text.size(); ++i) {
      if (text[i] < L'0' || text[i] > L'9') return {BusSetting::Kind::Invalid, 0};
      board = board * 10 + static_cast<unsigned>(text[i] - L'0');
    }
    return {BusSetting::Kind::Visa, board};
  }
  return {BusSetting::Kind::Invalid, 0};
}

}  // namespace hpib
