#pragma once
// The back end of the outside 16-bit HP-IB driver library: each bus operation becomes the
// driver's own sequence of entry-point calls, each entry point looked up by name on every call
// (the driver keeps no table of them for us), a message moved byte by byte through the
// driver's one transfer buffer.
//
// Every entry point takes two 16-bit words, first word first, and returns one word. Where only
// one argument means anything, the second word is 1.
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
#include <cstdint>
#include <memory>

#include "hpib/Bus.h"

namespace hpib {

// The loaded driver library.
class EntryPoints {
 public:
  virtual ~EntryPoints() = default;
  // The 16:16 address of the named entry point, or 0 when the library has none by that name.
  virtual std::uint32_t GetProcAddress16(const char* name) = 0;
  // Calls the entry point at `address` with the two words and returns its word.
  virtual std::uint16_t Call16(std::uint32_t address, std::uint16_t first, std::uint16_t second) = 0;
};

class EntryPointBus : public Bus {
 public:
  explicit EntryPointBus(std::unique_ptr<EntryPoints> driver) : driver_(std::move(driver)) {}

  Result Open(std::int32_t selectCode) override;
  Result Close() override;
  Result Reset(std::int32_t address) override;
  Result Timeout(std::int32_t address, double seconds) override;
  Result Clear(std::int32_t address) override;
  Result Local(std::int32_t address) override;
  Result Trigger(std::int32_t address) override;
  Result Write(std::int32_t address, std::string_view bytes, bool end) override;
  Reply Read(std::int32_t address) override;
  // "Name(first,second) -> word" for each entry point but the buffer's bytes (SetBuf, GetBuf),
  // which SetBufLen and GetBufLen count; "Name missing" for one the library lacks.
  void SendDetailsTo(DetailSink details) override { details_ = std::move(details); }

 private:
  // Raises "Unable to obtain function <name>!" when the library lacks the entry point.
  std::uint16_t Call(const char* name, std::uint16_t first, std::uint16_t second);

  std::unique_ptr<EntryPoints> driver_;
  DetailSink details_;
};

}  // namespace hpib
