#pragma once
// The driver layer: the only code that touches the HP-IB bus. One driver, one interface card and
// one card-open flag serve every control of the process. Each operation returns the driver's
// 16-bit result code, which callers pass to HPIBCheck.
//
// Without a driver the layer runs in debug mode for the life of the process: each operation
// logs a line to the bus log (the debug terminal) instead and succeeds; reads answer simulated
// readings.
//
// Threads: controls on several apartment threads share the layer. One lock, the layer's own,
// makes each operation below whole: its driver calls (a write with its buffer, a read with its
// buffer), the simulated instruments and its log line, never interleaved with another thread's.
// Lock order: the layer's lock, then the bus log's own; nothing else is ever taken under it. It is held for one operation only, never while the library calls out to
// the host (an event, an error box): the error box's message loop runs other controls' bus
// operations on the same thread.
#include <cstdint>
#include <memory>
#include <string>

#include "core/Exceptions.h"
#include "hpib/BusDriver.h"

namespace hpib {

// Where debug mode's lines go. Called under the layer's lock, from any thread: it must not call
// back into the layer, and may wait only for a thread that never takes the layer's lock.
class BusLog {
 public:
  virtual ~BusLog() = default;
  virtual void Log(const std::wstring& line) = 0;
};

// A bus failure: "Critical HPIB driver error:", a line feed and the driver's message.
class EHardwareError : public core::Exception {
 public:
  using Exception::Exception;
};

// The select code of the interface card; nothing changes it.
constexpr std::uint16_t HPIBSelectCode = 7;

// Bytes that one message carries at most, in either direction.
constexpr std::uint16_t HPIBMaxMessage = 249;

// Starts the layer, once per load of the library: with a driver in driver mode, without one
// (null) in debug mode.
void HPIBLoad(std::unique_ptr<BusDriver> driver);
// Releases the driver and lets go of the log. The card is not closed.
void HPIBUnload();
// Debug mode's lines go to `log` from now on; null: nowhere. Whoever starts the layer shows the
// terminal and sets it here; it must outlive the setting.
void HPIBSetLog(BusLog* log);

bool HPIBDebugMode();
// Appends a line to the bus log; does nothing without one.
void DebugLog(const std::wstring& line);

std::uint16_t HPIBOpenCard(std::int32_t selectCode);
std::uint16_t HPIBClose();
std::uint16_t HPIBClear(std::int32_t address);
std::uint16_t HPIBLocal(std::int32_t address);
std::uint16_t HPIBTrigger(std::int32_t address);
std::uint16_t HPIBReset(std::int32_t address);
std::uint16_t HPIBTimeout(std::int32_t address, double seconds);
// Reads one reply into `buffer` (at least HPIBMaxMessage bytes), at most `length` - 1 bytes in
// debug mode and HPIBMaxMessage with a driver, which also sets `length` to what it holds.
std::uint16_t HPIBEnter(std::int32_t address, char* buffer, std::uint16_t& length);
// Sends `count` bytes as a string message, respectively as raw bytes; at most HPIBMaxMessage
// of them go out.
std::uint16_t HPIBOutput(std::int32_t address, const char* bytes, std::uint16_t count);
std::uint16_t HPIBOutputBytes(std::int32_t address, const char* bytes, std::uint16_t count);

// Closes the card and raises EHardwareError for any code but 0.
void HPIBCheck(std::uint32_t code);
bool HPIBIsOpen();

}  // namespace hpib
