#pragma once
// The settings as the check shows them: each value as the library reads it and where it was
// found (the user's key, else the machine's), and what the library will make of it.
#include <string>

#include "hpib/win32/Settings.h"

namespace check::win32 {

// 'Setting Bus (HKEY_CURRENT_USER\Software\Apparata): "VISA"', or that it is not set.
std::string SettingLine(const wchar_t* name, const hpib::win32::SettingValue& value);

// Errors and Log, each only when set: Errors as the library's parser reads it, Log with whether
// the file can be written now.
std::string ErrorsLine(const hpib::win32::SettingValue& value);
std::string LogLine(const hpib::win32::SettingValue& value);

}  // namespace check::win32
