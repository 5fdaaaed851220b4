#pragma once
// The driver layer: the only code that touches the HP-IB bus. One driver, one interface card and
// one card-open flag serve every control of the process. Each operation returns the driver's
// 16-bit result code, which callers pass to HPIBCheck.
//
// Without a driver the layer runs in debug mode for the life of the process: each operation
// logs a line in the debug terminal instead and succeeds; reads answer simulated readings.
#include <cstdint>
#include <memory>
#include <string>

#include "hpib/BusDriver.h"
#include "toolkit/Exceptions.h"

namespace hpib {

class TDebugTerminal;

// A bus failure: "Critical HPIB driver error:", a line feed and the driver's message.
class EHardwareError : public toolkit::Exception {
 public:
  using Exception::Exception;
};

// The select code of the interface card; nothing changes it.
constexpr std::uint16_t HPIBSelectCode = 7;

// Bytes that one message carries at most, in either direction.
constexpr std::uint16_t HPIBMaxMessage = 249;

// Starts the layer, once per load of the library: with a driver in driver mode, without one
// (null) in debug mode, creating and showing the debug terminal.
void HPIBLoad(std::unique_ptr<BusDriver> driver);
// Releases the driver or destroys the terminal. The card is not closed.
void HPIBUnload();

bool HPIBDebugMode();
// The debug terminal, or null in driver mode.
TDebugTerminal* DebugTerminal();
// Appends a line to the debug terminal; does nothing without one.
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
