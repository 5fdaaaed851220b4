#pragma once
// The debug terminal lives on a thread of the library's own with a message loop, so that it
// outlives whichever apartment thread made the first control and never waits for a host's
// thread. That thread holds the library loaded while it runs; it ends when the library may be
// unloaded, and the next control starts a new one. The caller serializes the calls below.
#include <string>

#include "hpib/BusLog.h"

namespace server {

// The layer's log for the life of the process: each line goes to whichever terminal shows now.
hpib::BusLog& TerminalLog();

// Shows the terminal, `firstLine` first when there is one, unless it is up. Throws
// core::Exception when its window cannot be made; the next call tries again.
void ShowTerminal(const std::wstring& firstLine);

// Ends the terminal's thread and waits until it has let go of the library. Never under the
// loader lock (the thread needs it to end).
void StopTerminal() noexcept;

}  // namespace server
