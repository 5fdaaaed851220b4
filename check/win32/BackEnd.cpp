#include "check/win32/BackEnd.h"

#include <windows.h>

#include "check/VisaSurvey.h"
#include "check/win32/SettingLines.h"
#include "core/win32/Utf8.h"
#include "hpib/BusSetting.h"
#include "hpib/DriverPath.h"
#include "hpib/sim/Bench.h"
#include "hpib/win32/BenchLoad.h"
#include "hpib/win32/BusChoice.h"
#include "hpib/win32/UserSettings.h"
#include "hpib/visa/win32/VisaLibrary.h"

namespace check::win32 {

using core::win32::ToUtf8;
using hpib::BusSetting;

namespace {

std::string OwnPath() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  return length > 0 && length < MAX_PATH ? ToUtf8(std::wstring(path, length)) : std::string();
}

// The 16-bit driver where the library looks for it: beside the library, which the setup installs
// beside this program.
std::string DriverPath() { return hpib::DriverPathBeside(OwnPath(), "HPIB_THK.DLL"); }

// Why the 16-bit driver, with no Bus setting, cannot be used; the terminal has no line for it.
std::string NoDriverReason() {
  const std::string path = DriverPath();
  std::string why;
  if (sizeof(void*) == 8) why = "a 64-bit process cannot call 16-bit code";
  else if (GetFileAttributesW(core::win32::FromUtf8(path).c_str()) == INVALID_FILE_ATTRIBUTES)
    why = "there is no such file";
  else why = "this Windows has no flat thunk to 16-bit code (only Windows 95, 98 and Me have one)";
  return "Debug mode: Bus is not set, and the 16-bit driver " + path + " cannot be used: " + why;
}

std::string InstrumentLine(const hpib::sim::InstrumentSetup& setup) {
  static const char* const kNames[] = {"B7-40/5", "E7-12", "HP4191A"};
  std::string line = "  " + std::to_string(setup.primary) + ": " + kNames[static_cast<int>(setup.kind)];
  if (setup.faults.absent) line += ", absent = yes";
  if (setup.faults.timeoutFromRead) line += ", timeout_from_read = " + std::to_string(*setup.faults.timeoutFromRead);
  if (setup.faults.timeoutProbability > 0)
    line += ", timeout_probability = " + std::to_string(setup.faults.timeoutProbability);
  return line;
}

}  // namespace

BackEnd ChooseBackEnd(Output& out, const hpib::win32::TraceLines& trace) {
  const hpib::win32::UserValue bus = hpib::win32::UserSetting(L"Bus");
  out.Line(SettingLine(L"Bus", bus));
  const hpib::win32::UserValue traceSetting = hpib::win32::UserSetting(L"Trace");
  if (traceSetting.present)
    out.Line(SettingLine(L"Trace", traceSetting) + (trace ? ", not written: this run traces here" : ""));
  for (const std::string& line : {ErrorsLine(), LogLine()})
    if (!line.empty()) out.Line(line);
  BusSetting setting = hpib::ParseBusSetting(bus.text);
  if (bus.present && !bus.text) setting.kind = BusSetting::Kind::Invalid;

  std::optional<VisaSurvey> survey;
  if (setting.kind == BusSetting::Kind::Visa) {
    const hpib::win32::VisaFunctionsLoad library = hpib::win32::LoadVisaFunctions();
    if (library.failure.empty()) {
      out.Line("VISA library: " + ToUtf8(library.path));
      hpib::VisaTraceSink sink;
      if (trace) sink = [&trace](const hpib::VisaCall& call) { trace(hpib::VisaTraceLine(call)); };
      survey = SurveyVisa(library.functions, setting.board, sink);
      for (const std::string& line : survey->lines) out.Line(line);
    }
  }

  hpib::win32::BusChoice choice = hpib::win32::ChooseBus(GetModuleHandleW(nullptr), trace);
  BackEnd backEnd;
  if (!choice.bus) {
    backEnd.debugReason = choice.reason.empty() ? NoDriverReason() : ToUtf8(choice.reason);
    return backEnd;
  }
  backEnd.bus = std::move(choice.bus);
  switch (setting.kind) {
    case BusSetting::Kind::Visa: {
      const std::string board = "GPIB" + std::to_string(setting.board);
      out.Line("Back end: VISA, board " + board + " (the board check opens " + board + "::INTFC)");
      if (survey) backEnd.found = survey->listed;
      backEnd.notFound = "not found by the VISA search";
      break;
    }
    case BusSetting::Kind::Sim: {
      const auto bench = hpib::win32::ReadBench(setting.benchFile);
      out.Line("Back end: the simulated bench, " +
               (setting.benchFile.empty() ? std::string("built in") : "of the file " + ToUtf8(setting.benchFile)));
      backEnd.found.emplace();
      if (const hpib::sim::Bench* read = std::get_if<hpib::sim::Bench>(&bench))
        for (const hpib::sim::InstrumentSetup& setup : read->instruments) {
          out.Line(InstrumentLine(setup));
          backEnd.found->push_back(static_cast<unsigned>(setup.primary));
        }
      backEnd.notFound = "no instrument of the bench there";
      break;
    }
    default:
      out.Line("Back end: the 16-bit driver " + DriverPath());
      out.Line("  every address is asked with a trigger and a read (this program has not met this driver: "
               "only Windows 95, 98 and Me can run it)");
      break;
  }
  return backEnd;
}

}  // namespace check::win32
