#include "check/win32/SettingLines.h"

#include <windows.h>

#include "check/win32/LogAccess.h"
#include "core/win32/Utf8.h"
#include "framework/ErrorsSetting.h"

namespace check::win32 {

using core::win32::ToUtf8;

std::string SettingLine(const wchar_t* name, const hpib::win32::SettingValue& value) {
  if (!value.present) return "Setting " + ToUtf8(name) + ": not set for this user nor for the machine";
  const std::string shown =
      value.text ? "\"" + ToUtf8(*value.text) + "\"" : "a value of registry type " + std::to_string(value.type);
  return "Setting " + ToUtf8(name) + " (" + ToUtf8(value.root) + "\\Software\\Apparata): " + shown;
}

std::string ErrorsLine(const hpib::win32::SettingValue& value) {
  if (!value.present) return {};
  // The library's own parser, so that the check never reads the value otherwise than it.
  const framework::ErrorsSetting errors = framework::ParseErrorsSetting(value.value);
  const std::string read = errors.handling == framework::ErrorHandling::Log ? "Log" : "Box";
  return SettingLine(L"Errors", value) + ", read as " + read +
         (errors.problem.empty() ? "" : ": " + ToUtf8(errors.problem));
}

std::string LogLine(const hpib::win32::SettingValue& value) {
  if (!value.present) return {};
  if (!value.text) return SettingLine(L"Log", value) + ", not a path: no log is written";
  if (value.text->empty()) return SettingLine(L"Log", value) + ", empty: no log is written";
  std::string line = SettingLine(L"Log", value);
  if (value.type == REG_EXPAND_SZ) line += ", expanded \"" + ToUtf8(*value.value) + "\"";
  return line + ": " + LogAccess(*value.value);
}

}  // namespace check::win32
