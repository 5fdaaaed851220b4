#pragma once
// The timeout, kept while a modal box is up. A control's error box runs its own message loop on
// the script's thread, where the run's pump never gets back to look at the clock; this watch
// runs on a thread of its own and, past the deadline with a box of this process up, says so with
// the box's text and ends the process with the timeout's exit code. Without a box it leaves the
// end to the pump.
#include <windows.h>

#include <optional>

#include "core/win32/Handles.h"

namespace scripthost {

class BoxWatch {
 public:
  // `timeoutMs` counts from now; none watches nothing.
  explicit BoxWatch(std::optional<DWORD> timeoutMs);
  // Stops watching and waits for the watch's thread.
  ~BoxWatch();
  BoxWatch(const BoxWatch&) = delete;
  BoxWatch& operator=(const BoxWatch&) = delete;

 private:
  static DWORD WINAPI Watch(void* self);

  DWORD timeoutMs_ = 0;
  core::win32::unique_handle stop_;
  core::win32::unique_handle thread_;
};

}  // namespace scripthost
