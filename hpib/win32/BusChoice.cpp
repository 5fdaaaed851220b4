#include "hpib/win32/BusChoice.h"

#include "core/win32/Utf8.h"
#include "hpib/BusSetting.h"
#include "hpib/DebugBus.h"
#include "hpib/sim/SimBus.h"
#include "hpib/win32/BenchLoad.h"
#include "hpib/win32/ThunkDriver.h"

namespace hpib::win32 {

namespace {

std::string InstrumentLine(const sim::InstrumentSetup& setup) {
  static const char* const kNames[] = {"B7-40/5", "E7-12", "HP4191A"};
  std::string line = "  " + std::to_string(setup.primary) + ": " + kNames[static_cast<int>(setup.kind)];
  if (setup.faults.absent) line += ", absent = yes";
  if (setup.faults.timeoutFromRead) line += ", timeout_from_read = " + std::to_string(*setup.faults.timeoutFromRead);
  if (setup.faults.timeoutProbability > 0)
    line += ", timeout_probability = " + std::to_string(setup.faults.timeoutProbability);
  return line;
}

BusChoice Chosen(std::unique_ptr<Bus> bus, BusKind kind, std::vector<std::string> description) {
  return {std::move(bus), kind, std::move(description), std::nullopt, {}};
}

BusChoice Visa(unsigned board, TraceLines trace, const VisaLoaded& visaLoaded) {
  const VisaFunctionsLoad library = LoadVisaFunctions();
  if (!library.library) return {nullptr, BusKind::Debug, {}, std::nullopt, library.failure};
  if (visaLoaded) visaLoaded(library, board);
  VisaLoad visa = VisaBusOn(library, board, std::move(trace));
  if (!visa.bus) return {nullptr, BusKind::Debug, {}, std::nullopt, visa.failure};
  const std::string name = "GPIB" + std::to_string(board);
  return Chosen(std::move(visa.bus), BusKind::Visa,
                {"Back end: VISA, board " + name + " (the board check opens " + name + "::INTFC)"});
}

BusChoice Bench(const std::wstring& benchFile, TraceLines trace) {
  auto read = ReadBench(benchFile);
  if (const std::wstring* failure = std::get_if<std::wstring>(&read)) return {nullptr, BusKind::Debug, {}, std::nullopt, *failure};
  sim::Bench& bench = std::get<sim::Bench>(read);
  BusChoice choice = Chosen(nullptr, BusKind::Bench,
                            {"Back end: the simulated bench, " + (benchFile.empty() ? std::string("built in")
                                                                                    : "of the file " + core::win32::ToUtf8(benchFile))});
  choice.instruments.emplace();
  for (const sim::InstrumentSetup& setup : bench.instruments) {
    choice.description.push_back(InstrumentLine(setup));
    choice.instruments->push_back(static_cast<unsigned>(setup.primary));
  }
  choice.bus = std::make_unique<sim::SimBus>(std::move(bench), std::move(trace));
  return choice;
}

BusChoice Follow(const Settings& settings, HMODULE self, TraceLines trace, const VisaLoaded& visaLoaded) {
  const SettingValue& bus = settings.bus;
  if (bus.present && !bus.text)
    return {nullptr, BusKind::Debug, {}, std::nullopt,
            bus.NotText(L"Bus", L"a text, VISA, VISA:GPIB<n>, SIM or SIM:<bench file>,")};
  const BusSetting setting = ParseBusSetting(bus.value);
  if (!trace) trace = settings.Trace();
  switch (setting.kind) {
    case BusSetting::Kind::Default:
      if (std::unique_ptr<EntryPoints> driver = LoadThunkDriver(self))
        return Chosen(std::make_unique<EntryPointBus>(std::move(driver)), BusKind::Thunk,
                      {"Back end: the 16-bit driver " + ThunkDriverFile(self)});
      return {};
    case BusSetting::Kind::Visa:
      return Visa(setting.board, std::move(trace), visaLoaded);
    case BusSetting::Kind::Sim:
      return Bench(setting.benchFile, std::move(trace));
    case BusSetting::Kind::Invalid:
      break;
  }
  return {nullptr, BusKind::Debug, {}, std::nullopt,
          L"Bus setting \"" + *bus.text + L"\" not understood; VISA, VISA:GPIB<n>, SIM or SIM:<bench file> expected"};
}

}  // namespace

BusChoice ChooseBus(const Settings& settings, HMODULE self, DebugModeLog terminal, TraceLines trace,
                    const VisaLoaded& visaLoaded) {
  BusChoice choice = Follow(settings, self, std::move(trace), visaLoaded);
  if (choice.DebugMode()) {
    choice.bus = std::make_unique<DebugBus>(terminal.log, terminal.decimalSeparator);
    if (!choice.reason.empty()) choice.reason = L"Debug mode: " + choice.reason;
  }
  return choice;
}

}  // namespace hpib::win32
