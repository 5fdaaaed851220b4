#include "hpib/win32/BusChoice.h"

#include "hpib/BusSetting.h"
#include "hpib/win32/ThunkDriver.h"
#include "hpib/win32/UserSettings.h"
#include "hpib/win32/VisaLibrary.h"

namespace hpib::win32 {

BusChoice ChooseBusDriver(HMODULE self) {
  const std::optional<std::wstring> value = UserSetting(L"Bus");
  const BusSetting setting = ParseBusSetting(value);
  switch (setting.kind) {
    case BusSetting::Kind::Default:
      return {LoadThunkDriver(self), {}};
    case BusSetting::Kind::Visa: {
      VisaLoad visa = LoadVisaDriver(setting.board, UserSetting(L"Trace"));
      if (!visa.driver) return {nullptr, L"Debug mode: " + visa.failure};
      return {std::move(visa.driver), {}};
    }
    case BusSetting::Kind::Invalid:
      break;
  }
  return {nullptr, L"Debug mode: Bus setting \"" + *value + L"\" not understood; VISA or VISA:GPIB<n> expected"};
}

}  // namespace hpib::win32
