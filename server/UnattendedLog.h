#pragma once
// The settings for unattended work, Errors and Log under HKEY_CURRENT_USER\Software\Apparata
// (framework/Unattended.h), read with the first control of the process like Bus; and the log
// file they ask for, appended by every control of every process of the user.
#include <functional>
#include <optional>
#include <string>

namespace server {

// Reads both settings once and hands the framework what they ask for; `say` shows a line where
// the user looks for the library's notices (the debug terminal in debug mode). `debugMode` is
// the reason the library runs in debug mode, when it does: the log's first row says it, and its
// readings are marked simulated. Nothing is set up for a user who set neither.
void StartUnattended(const std::function<void(const std::wstring&)>& say,
                     const std::optional<std::wstring>& debugMode);

}  // namespace server
