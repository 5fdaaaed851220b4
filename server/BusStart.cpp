#include "server/BusStart.h"

#include <mutex>
#include <optional>
#include <string>

#include "framework/ErrorsSetting.h"
#include "hpib/HPIBDrv.h"
#include "hpib/trace/TraceLine.h"
#include "hpib/trace/TracingBus.h"
#include "hpib/win32/BusChoice.h"
#include "hpib/win32/Settings.h"
#include "server/TerminalHost.h"
#include "server/UnattendedLog.h"
#include "toolkit/Platform.h"

namespace server {
namespace {

std::mutex g_startMutex;  // taken by a creating thread only, never under the layer's lock
// The settings and the choice made of them, once per process; the bus itself is the layer's.
std::optional<hpib::win32::Settings> g_settings;
std::optional<hpib::win32::BusChoice> g_choice;
bool g_unattendedStarted = false;
const wchar_t kNoBusReason[] = L"Debug mode: no Bus setting, and the 16-bit driver HPIB_THK.DLL cannot be used";

// Errors and Log as the unattended log takes them, parsed from the snapshot.
UnattendedSettings Unattended(const hpib::win32::Settings& settings) {
  UnattendedSettings parsed{framework::ParseErrorsSetting(settings.errors.value), {}, {}};
  if (settings.errors.present && !settings.errors.text)
    parsed.errors.problem = settings.errors.NotText(L"Errors", L"a text, Box or Log,");
  if (settings.log.present && !settings.log.text)
    parsed.logProblem = settings.log.NotText(L"Log", L"a text, the log file's path,");
  parsed.logPath = framework::SettingText(settings.log.value);
  return parsed;
}

// The log's notices in the bus trace: lines of their own under the operations, which a replay
// passes over.
hpib::win32::TraceLines NoticeLines(hpib::win32::TraceLines trace) {
  if (!trace) return {};
  return [trace](const std::string& text) { trace(hpib::TraceDetailLine("notice: " + text)); };
}

}  // namespace

void StartBus(HINSTANCE module) {
  const std::lock_guard<std::mutex> lock(g_startMutex);
  if (!g_choice) {
    g_settings = hpib::win32::ReadSettings();
    g_choice = hpib::win32::ChooseBus(*g_settings, module, {&TerminalLog(), toolkit::CurrentPlatform().DecimalSeparator()});
    hpib::BusTrace trace;
    if ((trace.sink = g_settings->Trace())) trace.backEnd = g_choice->traceName;
    hpib::HPIBLoad(std::move(g_choice->bus), std::move(trace));
  }
  const bool debugMode = g_choice->DebugMode();
  if (debugMode) ShowTerminal(g_choice->reason);
  if (g_unattendedStarted) return;
  // In debug mode its notices go to the terminal, as every other line of the library does.
  // Without a Bus setting the terminal has no first line; the log still says why.
  const std::wstring& reason = g_choice->reason;
  StartUnattended(Unattended(*g_settings), NoticeLines(g_settings->Trace()),
                  [debugMode](const std::wstring& line) {
                    if (debugMode) TerminalLog().Log(line);
                  },
                  debugMode ? std::optional<std::wstring>(reason.empty() ? kNoBusReason : reason) : std::nullopt);
  g_unattendedStarted = true;
}

void EndTerminal() noexcept {
  const std::lock_guard<std::mutex> lock(g_startMutex);
  StopTerminal();
}

}  // namespace server
