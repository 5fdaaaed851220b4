#pragma once
// The library's settings, read once into one snapshot that the bus choice, the unattended log
// and the bus check share. Each is a value under Software\Apparata: the user's
// (HKEY_CURRENT_USER) where the user has the value, else the machine's (HKEY_LOCAL_MACHINE), so
// that one setting per PC serves every user who sets nothing. The machine's key is read in the
// registry view of the library's own architecture: a 32-bit library on 64-bit Windows reads the
// 32-bit view (Software\WOW6432Node\Apparata), as a 32-bit reg.exe or installer writes it.
#include <optional>
#include <string>

#include "hpib/win32/TraceFile.h"

namespace hpib::win32 {

struct SettingValue {
  bool present = false;
  std::optional<std::wstring> text;   // a string value (REG_SZ or REG_EXPAND_SZ) as stored
  std::optional<std::wstring> value;  // the text as the library uses it: a REG_EXPAND_SZ expanded
  unsigned long type = 0;             // the registry type of a present value
  const wchar_t* root = nullptr;      // where a present value lies: L"HKEY_CURRENT_USER" or L"HKEY_LOCAL_MACHINE"

  // Why a present value that is no text is not followed, `expected` saying what would be.
  std::wstring NotText(const wchar_t* name, const wchar_t* expected) const;
};

struct Settings {
  SettingValue bus, trace, errors, log;
  // The bus trace of the Trace setting: its file, or nothing when it names none.
  TraceLines Trace() const;
};

Settings ReadSettings();

}  // namespace hpib::win32
