#pragma once
// The library's settings, values under Software\Apparata: the user's (HKEY_CURRENT_USER) where
// the user has the value, else the machine's (HKEY_LOCAL_MACHINE), so that one setting per PC
// serves every user who sets nothing. The machine's key is read in the registry view of the
// library's own architecture: a 32-bit library on 64-bit Windows reads the 32-bit view
// (Software\WOW6432Node\Apparata), as a 32-bit reg.exe or installer writes it.
#include <optional>
#include <string>

namespace hpib::win32 {

struct UserValue {
  bool present = false;
  std::optional<std::wstring> text;  // a string value (REG_SZ or REG_EXPAND_SZ, not expanded)
  unsigned long type = 0;            // the registry type of a present value
  const wchar_t* root = nullptr;     // where a present value lies: L"HKEY_CURRENT_USER" or L"HKEY_LOCAL_MACHINE"
};

UserValue UserSetting(const wchar_t* name);

}  // namespace hpib::win32
