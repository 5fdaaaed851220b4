#pragma once
// The contract of the outside 16-bit HP-IB driver library, as the layer sees it once loaded.
//
// Every entry point is found by its exact name and takes two 16-bit words, first word first,
// returning one word. Where only one argument means anything, the second word is 1.
//   OpenHPIB     (select code, 1)     -> result code
//   CloseHPIB    (1, 1)               -> result code
//   ClearHPIB    (address, 1)         -> result code
//   LocalHPIB    (address, 1)         -> result code
//   TriggerHPIB  (address, 1)         -> result code
//   ResetHPIB    (address, 1)         -> result code
//   TimeoutHPIB  (milliseconds, address) -> result code
//   EntersHPIB   (address, 1)         -> result code; on 0 the reply waits in the transfer buffer
//   GetBufLen    (1, 1)               -> number of bytes in the transfer buffer
//   GetBuf       (position from 1, 1) -> the byte there, in the low 8 bits
//   SetBufLen    (count, 1)           -> unused
//   SetBuf       (position from 1, byte) -> unused
//   OutputsHPIB  (address, 1)         -> result code; sends the buffer as a string message
//   OutputABHPIB (address, 1)         -> result code; sends the buffer as raw bytes
// Result codes: 0 success, 1..13 the errors of the message table, anything else unnamed.
#include <cstdint>

namespace hpib {

class BusDriver {
 public:
  virtual ~BusDriver() = default;
  // The 16:16 address of the named entry point, or 0 when the library has none by that name.
  virtual std::uint32_t GetProcAddress16(const char* name) = 0;
  // Calls the entry point at `address` with the two words and returns its word.
  virtual std::uint16_t Call16(std::uint32_t address, std::uint16_t first, std::uint16_t second) = 0;
};

}  // namespace hpib
