#pragma once
// The library's per-user settings, values under HKEY_CURRENT_USER\Software\Apparata.
#include <optional>
#include <string>

namespace hpib::win32 {

// A string value (REG_SZ or REG_EXPAND_SZ, not expanded); nothing when it is absent. A value of
// another type reads as a text that names its type, so that it is refused, not ignored.
std::optional<std::wstring> UserSetting(const wchar_t* name);

}  // namespace hpib::win32
