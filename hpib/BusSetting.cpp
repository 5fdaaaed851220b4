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

BusSetting Setting(BusSetting::Kind kind, unsigned board = 0, std::wstring benchFile = {}) {
  return {kind, board, std::move(benchFile), {}};
}

}  // namespace

BusSetting ParseBusSetting(const std::optional<std::wstring>& value) {
  if (!value || value->empty()) return {};
  const std::wstring& text = *value;
  const std::wstring kVisa = L"VISA", kBoard = L"VISA:GPIB", kSim = L"SIM", kBench = L"SIM:", kReplay = L"REPLAY:";
  if (text.size() == kVisa.size() && StartsWithNoCase(text, kVisa)) return Setting(BusSetting::Kind::Visa, 0);
  if (text.size() == kSim.size() && StartsWithNoCase(text, kSim)) return Setting(BusSetting::Kind::Sim, 0);
  if (text.size() > kBench.size() && StartsWithNoCase(text, kBench))
    return Setting(BusSetting::Kind::Sim, 0, text.substr(kBench.size()));
  if (text.size() > kReplay.size() && StartsWithNoCase(text, kReplay))
    return {BusSetting::Kind::Replay, 0, {}, text.substr(kReplay.size())};
  const std::size_t digits = text.size() - kBoard.size();
  if (StartsWithNoCase(text, kBoard) && digits >= 1 && digits <= 2) {
    unsigned board = 0;
    for (std::size_t i = kBoard.size(); i < text.size(); ++i) {
      if (text[i] < L'0' || text[i] > L'9') return Setting(BusSetting::Kind::Invalid, 0);
      board = board * 10 + static_cast<unsigned>(text[i] - L'0');
    }
    return Setting(BusSetting::Kind::Visa, board);
  }
  return Setting(BusSetting::Kind::Invalid, 0);
}

}  // namespace hpib
