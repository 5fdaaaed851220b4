#pragma once
// The library's per-user settings, values under HKEY_CURRENT_USER\Software\Apparata.
#include <optional>
#include <string>

namespace hpib::win32 {

struct UserValue {
  bool present = false;
  std::optional<std::wstring> text;  // a string value (REG_SZ or REG_EXPAND_SZ, not expanded)
  unsigned long type = 0;            // the registry type of a present value
};

UserValue UserSetting(const wchar_t* name);

}  // namespace hpib::win32
