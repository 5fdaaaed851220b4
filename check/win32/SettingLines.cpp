#include "check/win32/SettingLines.h"

#include <windows.h>

#include "check/win32/LogAccess.h"
#include "core/win32/Utf8.h"
#include "framework/ErrorsSetting.h"

namespace check::win32 {

using core::win32::ToUtf8;

std::string SettingLine(const wchar_t* name, const hpib::win32::UserValue& value) {
  if (!value.present) return "Setting " + ToUtf8(name) + ": not set for this user nor for the machine";
  const std::string shown =
      value.text ? "\"" + ToUtf8(*value.text) + "\"" : "a value of registry type " + std::to_string(value.type);
  return "Setting " + ToUtf8(name) + " (" + ToUtf8(value.root) + "\\Software\\Apparata): " + shown;
}

std::string ErrorsLine() {
  const hpib::win32::UserValue value = hpib::win32::UserSetting(L"Errors");
  if (!value.present) return {};
  // The library's own parser, so that the check never reads the value otherwise than it.
  const framework::ErrorsSetting errors = framework::ParseErrorsSetting(value.text);
  const std::string read = errors.handling == framework::ErrorHandling::Log ? "Log" : "Box";
  return SettingLine(L"Errors", value) + ", read as " + read +
         (errors.problem.empty() ? "" : ": " + ToUtf8(errors.problem));
}

std::string LogLine() {
  const hpib::win32::UserValue value = hpib::win32::UserSetting(L"Log");
  if (!value.present) return {};
  if (!value.text) return SettingLine(L"Log", value) + ", not a path: no log is written";
  if (value.text->empty()) return SettingLine(L"Log", value) + ", empty: no log is written";
  std::wstring path = *value.text;
  std::string line = SettingLine(L"Log", value);
  if (value.type == REG_EXPAND_SZ) {
    path = Expanded(path);
    line += ", expanded \"" + ToUtf8(path) + "\"";
  }
  return line + ": " + LogAccess(path);
}

}  // namespace check::win32
