#include "hpib/win32/BusChoice.h"

#include <filesystem>
#include <fstream>

#include "core/win32/Utf8.h"
#include "hpib/BusSetting.h"
#include "hpib/DebugBus.h"
#include "hpib/replay/ReplayBus.h"
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

BusChoice Chosen(std::unique_ptr<Bus> bus, BusKind kind, std::vector<std::string> description, std::string traceName) {
  return {std::move(bus), kind, std::move(description), std::nullopt, std::move(traceName), {}};
}

BusChoice Refused(std::wstring reason) { return {nullptr, BusKind::Debug, {}, std::nullopt, {}, std::move(reason)}; }

BusChoice Visa(unsigned board, const VisaLoaded& visaLoaded) {
  const VisaFunctionsLoad library = LoadVisaFunctions();
  if (!library.library) return Refused(library.failure);
  if (visaLoaded) visaLoaded(library, board);
  VisaLoad visa = VisaBusOn(library, board, {});
  if (!visa.bus) return Refused(visa.failure);
  const std::string name = "GPIB" + std::to_string(board);
  return Chosen(std::move(visa.bus), BusKind::Visa,
                {"Back end: VISA, board " + name + " (the board check opens " + name + "::INTFC)"}, "VISA board " + name);
}

BusChoice Bench(const std::wstring& benchFile) {
  auto read = ReadBench(benchFile);
  if (const std::wstring* failure = std::get_if<std::wstring>(&read)) return Refused(*failure);
  sim::Bench& bench = std::get<sim::Bench>(read);
  const std::string which = benchFile.empty() ? std::string("built in") : "of the file " + core::win32::ToUtf8(benchFile);
  BusChoice choice = Chosen(nullptr, BusKind::Bench, {"Back end: the simulated bench, " + which}, "simulated bench, " + which);
  choice.instruments.emplace();
  for (const sim::InstrumentSetup& setup : bench.instruments) {
    choice.description.push_back(InstrumentLine(setup));
    choice.instruments->push_back(static_cast<unsigned>(setup.primary));
  }
  choice.bus = std::make_unique<sim::SimBus>(std::move(bench), nullptr);
  return choice;
}

// A trace is read through once to be checked, then line by line as it is played: each reading
// opens the file anew.
BusChoice Replay(const std::wstring& traceFile) {
  const std::string name = core::win32::ToUtf8(traceFile);
  const TraceOpener open = [traceFile]() -> TraceLineSource {
    auto stream = std::make_shared<std::ifstream>(std::filesystem::path(traceFile), std::ios::binary);
    if (!stream->is_open()) return [] { return std::optional<std::string>(); };
    return StreamLines(std::move(stream));
  };
  if (!std::ifstream(std::filesystem::path(traceFile), std::ios::binary).is_open())
    return Refused(L"bus trace " + traceFile + L" cannot be opened");
  auto replay = OpenReplay(name, open);
  if (const TraceError* error = std::get_if<TraceError>(&replay))
    return Refused(L"bus trace " + core::win32::FromUtf8(TraceErrorText(name, *error)));
  BusChoice choice = Chosen(std::move(std::get<std::unique_ptr<ReplayBus>>(replay)), BusKind::Replay,
                            {"Back end: the replay of the bus trace " + name}, "replay of " + name);
  choice.instruments = TraceAddresses(open());
  std::string addresses;
  for (unsigned primary : *choice.instruments) addresses += (addresses.empty() ? " " : ", ") + std::to_string(primary);
  choice.description.push_back("  instruments in the trace:" + (addresses.empty() ? std::string(" none") : addresses));
  return choice;
}

BusChoice Follow(const Settings& settings, HMODULE self, const VisaLoaded& visaLoaded) {
  const SettingValue& bus = settings.bus;
  if (bus.present && !bus.text)
    return Refused(bus.NotText(L"Bus", L"a text, VISA, VISA:GPIB<n>, SIM, SIM:<bench file> or REPLAY:<trace file>,"));
  const BusSetting setting = ParseBusSetting(bus.value);
  switch (setting.kind) {
    case BusSetting::Kind::Default:
      if (std::unique_ptr<EntryPoints> driver = LoadThunkDriver(self))
        return Chosen(std::make_unique<EntryPointBus>(std::move(driver)), BusKind::Thunk,
                      {"Back end: the 16-bit driver " + ThunkDriverFile(self)}, "16-bit driver HPIB_THK.DLL");
      return {};
    case BusSetting::Kind::Visa:
      return Visa(setting.board, visaLoaded);
    case BusSetting::Kind::Sim:
      return Bench(setting.benchFile);
    case BusSetting::Kind::Replay:
      return Replay(setting.traceFile);
    case BusSetting::Kind::Invalid:
      break;
  }
  return Refused(L"Bus setting \"" + *bus.text +
                 L"\" not understood; VISA, VISA:GPIB<n>, SIM, SIM:<bench file> or REPLAY:<trace file> expected");
}

}  // namespace

BusChoice ChooseBus(const Settings& settings, HMODULE self, DebugModeLog terminal, const VisaLoaded& visaLoaded) {
  BusChoice choice = Follow(settings, self, visaLoaded);
  if (choice.DebugMode()) {
    choice.bus = std::make_unique<DebugBus>(terminal.log, terminal.decimalSeparator);
    choice.traceName = "debug mode";
    if (!choice.reason.empty()) choice.reason = L"Debug mode: " + choice.reason;
  }
  return choice;
}

}  // namespace hpib::win32
