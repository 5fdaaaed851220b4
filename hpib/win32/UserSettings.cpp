#include "hpib/win32/UserSettings.h"

#include <windows.h>

#include "core/win32/Handles.h"

namespace hpib::win32 {
namespace {

UserValue ValueUnder(HKEY root, const wchar_t* rootName, const wchar_t* name) {
  core::win32::unique_hkey key;
  if (RegOpenKeyExW(root, L"Software\\Apparata", 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) return {};
  UserValue value;
  DWORD type = 0, bytes = 0;
  if (RegQueryValueExW(key.get(), name, nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS) {
    value.present = true;
    value.root = rootName;
    value.type = type;
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
      std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
      DWORD size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
      if (RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size) == ERROR_SUCCESS) {
        text.resize(size / sizeof(wchar_t));
        // The stored text may or may not end in zeros.
        while (!text.empty() && text.back() == L'\0') text.pop_back();
        value.text = text;
      }
    }
  }
  return value;
}

}  // namespace

// A value the user has wins even when it is empty: that is how one user goes back to the
// default under a machine's setting.
UserValue UserSetting(const wchar_t* name) {
  UserValue user = ValueUnder(HKEY_CURRENT_USER, L"HKEY_CURRENT_USER", name);
  return user.present ? user : ValueUnder(HKEY_LOCAL_MACHINE, L"HKEY_LOCAL_MACHINE", name);
}

}  // namespace hpib::win32
