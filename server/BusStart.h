#pragma once
// The driver layer starts with the first control, never at load: loading a library (the 16-bit
// driver, VISA) or making a window under the loader lock can hang the host, and a host that
// only registers the library, or only reads its type library, needs neither the bus nor a
// window. In debug mode the terminal (TerminalHost.h) shows what the bus would have seen.
#include <windows.h>

namespace server {

// Starts the driver layer on the back end the user chose, the first time; in debug mode also
// shows the debug terminal if it is not up. Throws core::Exception when the terminal's window
// cannot be made; the next call tries again.
void StartBus(HINSTANCE module);

// Nothing of the library is in use: ends the terminal's thread and waits until it has let go of
// the library. Never under the loader lock (the thread needs it to end).
void EndTerminal() noexcept;

}  // namespace server
