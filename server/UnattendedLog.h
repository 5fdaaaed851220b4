#pragma once
// The log file of the settings for unattended work, Errors and Log (framework/Unattended.h),
// appended by every control of every process of the user, and the library's notices about it.
#include <functional>
#include <optional>
#include <string>

#include "framework/ErrorsSetting.h"
#include "hpib/win32/TraceFile.h"

namespace server {

// Errors and Log as read with the first control of the process, like Bus.
struct UnattendedSettings {
  framework::ErrorsSetting errors;
  std::optional<std::wstring> logPath;  // blanks left out, variables filled in
  std::wstring logProblem;              // why a Log value is not followed
};

// Hands the framework what the settings ask for. Notices go to `trace` (the Trace setting's
// file), the debug output and, through `say`, where the user looks (the debug terminal in debug
// mode). `debugMode` is the reason the library runs in debug mode, when it does: the log's first
// row says it, and its readings are marked simulated. Nothing is set up for a user who set
// neither.
void StartUnattended(const UnattendedSettings& settings, hpib::win32::TraceLines trace,
                     const std::function<void(const std::wstring&)>& say, const std::optional<std::wstring>& debugMode);

}  // namespace server
