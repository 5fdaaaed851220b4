#include "hpib/win32/Settings.h"

#include <windows.h>

#include "core/win32/Handles.h"

namespace hpib::win32 {
namespace {

// A REG_EXPAND_SZ value may name a folder by a variable (%PUBLIC%\lab\log.csv).
std::wstring Expanded(const std::wstring& text) {
  std::wstring expanded(ExpandEnvironmentStringsW(text.c_str(), nullptr, 0), L'\0');
  if (expanded.empty()) return text;
  expanded.resize(ExpandEnvironmentStringsW(text.c_str(), expanded.data(), static_cast<DWORD>(expanded.size())));
  while (!expanded.empty() && expanded.back() == L'\0') expanded.pop_back();
  return expanded;
}

SettingValue ValueUnder(HKEY root, const wchar_t* rootName, const wchar_t* name) {
  core::win32::unique_hkey key;
  if (RegOpenKeyExW(root, L"Software\\Apparata", 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) return {};
  SettingValue value;
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
        value.value = type == REG_EXPAND_SZ ? Expanded(text) : text;
      }
    }
  }
  return value;
}

// A value the user has wins even when it is empty: that is how one user goes back to the
// default under a machine's setting.
SettingValue Setting(const wchar_t* name) {
  SettingValue user = ValueUnder(HKEY_CURRENT_USER, L"HKEY_CURRENT_USER", name);
  return user.present ? user : ValueUnder(HKEY_LOCAL_MACHINE, L"HKEY_LOCAL_MACHINE", name);
}

}  // namespace

std::wstring SettingValue::NotText(const wchar_t* name, const wchar_t* expected) const {
  return name + std::wstring(L" setting of registry type ") + std::to_wstring(type) + L" not understood; " + expected +
         L" expected";
}

TraceLines Settings::Trace() const {
  return trace.value && !trace.value->empty() ? TraceFile(*trace.value) : TraceLines();
}

Settings ReadSettings() { return {Setting(L"Bus"), Setting(L"Trace"), Setting(L"Errors"), Setting(L"Log")}; }

}  // namespace hpib::win32
