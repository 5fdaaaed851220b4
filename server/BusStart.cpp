#include "server/BusStart.h"

#include <mutex>
#include <optional>
#include <string>

#include "hpib/DebugBus.h"
#include "hpib/HPIBDrv.h"
#include "hpib/win32/BusChoice.h"
#include "server/TerminalHost.h"
#include "server/UnattendedLog.h"
#include "toolkit/Platform.h"

namespace server {
namespace {

std::mutex g_startMutex;  // taken by a creating thread only, never under the layer's lock
bool g_busChosen = false;
bool g_debugMode = false;
bool g_unattendedStarted = false;
std::wstring g_reason;  // the terminal's first line: why the user's setting is not followed
const wchar_t kNoBusReason[] = L"Debug mode: no Bus setting, and the 16-bit driver HPIB_THK.DLL cannot be used";

}  // namespace

void StartBus(HINSTANCE module) {
  const std::lock_guard<std::mutex> lock(g_startMutex);
  if (!g_busChosen) {
    hpib::win32::BusChoice choice = hpib::win32::ChooseBus(module);
    g_debugMode = !choice.bus;
    if (g_debugMode)
      choice.bus = std::make_unique<hpib::DebugBus>(&TerminalLog(), toolkit::CurrentPlatform().DecimalSeparator());
    hpib::HPIBLoad(std::move(choice.bus));
    g_reason = std::move(choice.reason);
    g_busChosen = true;
  }
  if (g_debugMode) ShowTerminal(g_reason);
  if (!g_unattendedStarted) {
    // In debug mode its notices go to the terminal, as every other line of the library does.
    // Without a Bus setting the terminal has no first line; the log still says why.
    StartUnattended(
        [](const std::wstring& line) {
          if (g_debugMode) TerminalLog().Log(line);
        },
        g_debugMode ? std::optional<std::wstring>(g_reason.empty() ? kNoBusReason : g_reason) : std::nullopt);
    g_unattendedStarted = true;
  }
}

void EndTerminal() noexcept {
  const std::lock_guard<std::mutex> lock(g_startMutex);
  StopTerminal();
}

}  // namespace server
