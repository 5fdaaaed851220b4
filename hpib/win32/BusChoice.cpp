#include "hpib/win32/BusChoice.h"

#include "hpib/BusSetting.h"
#include "hpib/win32/BenchLoad.h"
#include "hpib/win32/ThunkDriver.h"
#include "hpib/win32/UserSettings.h"
#include "hpib/visa/win32/VisaLibrary.h"

namespace hpib::win32 {

namespace {

TraceLines UserTrace() {
  const std::optional<std::wstring> path = UserSetting(L"Trace").text;
  return path && !path->empty() ? TraceFile(*path) : TraceLines();
}

}  // namespace

BusChoice ChooseBus(HMODULE self, TraceLines trace) {
  const UserValue bus = UserSetting(L"Bus");
  if (bus.present && !bus.text)
    return {nullptr, L"Debug mode: Bus setting of registry type " + std::to_wstring(bus.type) +
                         L" not understood; a text, VISA, VISA:GPIB<n>, SIM or SIM:<bench file>, expected"};
  const BusSetting setting = ParseBusSetting(bus.text);
  switch (setting.kind) {
    case BusSetting::Kind::Default:
      if (std::unique_ptr<EntryPoints> driver = LoadThunkDriver(self))
        return {std::make_unique<EntryPointBus>(std::move(driver)), {}};
      return {};
    case BusSetting::Kind::Visa: {
      VisaLoad visa = LoadVisaBus(setting.board, trace ? std::move(trace) : UserTrace());
      if (!visa.bus) return {nullptr, L"Debug mode: " + visa.failure};
      return {std::move(visa.bus), {}};
    }
    case BusSetting::Kind::Sim: {
      BenchLoad sim = LoadBench(setting.benchFile, trace ? std::move(trace) : UserTrace());
      if (!sim.bus) return {nullptr, L"Debug mode: " + sim.failure};
      return {std::move(sim.bus), {}};
    }
    case BusSetting::Kind::Invalid:
      break;
  }
  return {nullptr, L"Debug mode: Bus setting \"" + *bus.text +
                       L"\" not understood; VISA, VISA:GPIB<n>, SIM or SIM:<bench file> expected"};
}

}  // namespace hpib::win32
