#pragma once
// The seam below the driver layer: what a back end (the 16-bit driver, VISA, debug mode's
// simulation) does for each bus operation. Every operation answers a result code of the message
// table: 0 success, 1 to 13 the named errors, anything else unnamed.
//
// The layer calls one operation at a time, from whichever thread, under its own lock: a back end
// needs no lock of its own. Addresses and select codes come as the layer's callers gave them; a
// back end whose driver takes 16-bit words refuses a larger one with core::ERangeError before it
// sends anything (BusWord).
#include <cstdint>
#include <string_view>

namespace hpib {

// Bytes that one message carries at most, in either direction.
constexpr std::uint16_t HPIBMaxMessage = 249;

class Bus {
 public:
  virtual ~Bus() = default;

  virtual std::uint16_t Open(std::int32_t selectCode) = 0;
  virtual std::uint16_t Close() = 0;
  virtual std::uint16_t Reset(std::int32_t address) = 0;
  virtual std::uint16_t Timeout(std::int32_t address, double seconds) = 0;
  virtual std::uint16_t Clear(std::int32_t address) = 0;
  virtual std::uint16_t Local(std::int32_t address) = 0;
  virtual std::uint16_t Trigger(std::int32_t address) = 0;
  // Sends `bytes` (at most HPIBMaxMessage) as a string message, END with the last byte, or as
  // raw bytes without END.
  virtual std::uint16_t Write(std::int32_t address, std::string_view bytes, bool end) = 0;
  // Reads one reply into `buffer`, which has room for HPIBMaxMessage bytes. `length` comes in
  // as the caller's bound; a driver sets it to the number of bytes the instrument sent, which
  // may be more than it copies (PutReply).
  virtual std::uint16_t Read(std::int32_t address, char* buffer, std::uint16_t& length) = 0;
};

// `value` as a driver's 16-bit word; core::ERangeError when it does not fit.
std::uint16_t BusWord(std::int64_t value);
// Seconds as a driver's milliseconds, an exact half to the even neighbour; core::ERangeError
// outside 0 to 65535.
std::uint16_t TimeoutMilliseconds(double seconds);
// What a driver does with a reply it received whole: the first HPIBMaxMessage bytes to the
// buffer, the whole count to `length`.
void PutReply(std::string_view reply, char* buffer, std::uint16_t& length);

}  // namespace hpib
