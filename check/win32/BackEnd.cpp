#include "check/win32/BackEnd.h"

#include <windows.h>

#include "check/VisaSurvey.h"
#include "check/win32/SettingLines.h"
#include "core/win32/Utf8.h"
#include "hpib/trace/TraceLine.h"
#include "hpib/win32/BusChoice.h"
#include "hpib/win32/Settings.h"
#include "hpib/win32/ThunkDriver.h"

namespace check::win32 {

using core::win32::ToUtf8;
using hpib::win32::BusKind;

namespace {

// Why the 16-bit driver, with no Bus setting, cannot be used; the terminal has no line for it.
std::string NoDriverReason(const std::string& path) {
  std::string why;
  if (sizeof(void*) == 8) why = "a 64-bit process cannot call 16-bit code";
  else if (GetFileAttributesW(core::win32::FromUtf8(path).c_str()) == INVALID_FILE_ATTRIBUTES)
    why = "there is no such file";
  else why = "this Windows has no flat thunk to 16-bit code (only Windows 95, 98 and Me have one)";
  return "Debug mode: Bus is not set, and the 16-bit driver " + path + " cannot be used: " + why;
}

}  // namespace

BackEnd ChooseBackEnd(Output& out, const hpib::win32::TraceLines& trace) {
  const hpib::win32::Settings settings = hpib::win32::ReadSettings();
  out.Line(SettingLine(L"Bus", settings.bus));
  if (settings.trace.present)
    out.Line(SettingLine(L"Trace", settings.trace) + (trace ? ", not written: this run traces here" : ""));
  for (const std::string& line : {ErrorsLine(settings.errors), LogLine(settings.log)})
    if (!line.empty()) out.Line(line);

  // What the VISA library says of itself, through a resource manager of the survey's own.
  std::optional<VisaSurvey> survey;
  const auto visaLoaded = [&](const hpib::win32::VisaFunctionsLoad& library, unsigned board) {
    out.Line("VISA library: " + ToUtf8(library.path));
    hpib::VisaTraceSink sink;
    if (trace) sink = [&trace](const hpib::VisaCall& call) { trace(hpib::TraceDetailLine(hpib::VisaTraceLine(call))); };
    survey = SurveyVisa(library.functions, board, sink);
    for (const std::string& line : survey->lines) out.Line(line);
  };
  const HMODULE self = GetModuleHandleW(nullptr);
  hpib::win32::BusChoice choice = hpib::win32::ChooseBus(settings, self, {}, visaLoaded);
  BackEnd backEnd;
  if (choice.DebugMode()) {
    backEnd.debugReason = choice.reason.empty() ? NoDriverReason(hpib::win32::ThunkDriverFile(self)) : ToUtf8(choice.reason);
    return backEnd;
  }
  backEnd.bus = std::move(choice.bus);
  backEnd.traceName = choice.traceName;
  backEnd.replay = choice.kind == BusKind::Replay;
  for (const std::string& line : choice.description) out.Line(line);
  if (choice.kind == BusKind::Thunk)
    out.Line("  every address is asked with a trigger and a read (this program has not met this driver: "
             "only Windows 95, 98 and Me can run it)");
  if (choice.kind == BusKind::Visa) {
    if (survey) backEnd.found = survey->listed;
    backEnd.notFound = "not found by the VISA search";
  }
  if (choice.kind == BusKind::Bench) {
    backEnd.found = choice.instruments;
    backEnd.notFound = "no instrument of the bench there";
  }
  return backEnd;
}

}  // namespace check::win32
