#pragma once
// Debug mode, the back end without a driver: each operation logs a line to the bus log and
// succeeds; a read answers a simulated reading, a reply pattern bound to the bus address with
// digits drawn from a pseudo-random generator that starts anew with each back end.
#include <cstdint>
#include <string>

#include "hpib/Bus.h"

namespace hpib {

// Where debug mode's lines go: the debug terminal, which whoever starts the layer shows. Called
// under the layer's lock, from any thread: it must not call back into the layer, and may wait
// only for a thread that never takes the layer's lock.
class BusLog {
 public:
  virtual ~BusLog() = default;
  virtual void Log(const std::wstring& line) = 0;
};

// One 32-bit state, 0 at start, never seeded from anything else.
class RandomGenerator {
 public:
  // A number from 0 to n - 1; advances the state.
  std::uint32_t Draw(std::uint32_t n);

 private:
  std::uint32_t state_ = 0;
};

// The simulated reply for a read from `address`, drawing its digits from `random`.
std::string SimulatedReply(int address, RandomGenerator& random);

class DebugBus : public Bus {
 public:
  // `log` null: the lines go nowhere. The timeout's seconds are written with `decimalSeparator`,
  // the user's as it was when the library started.
  DebugBus(BusLog* log, wchar_t decimalSeparator) : log_(log), decimalSeparator_(decimalSeparator) {}

  std::uint16_t Open(std::int32_t selectCode) override;
  std::uint16_t Close() override;
  std::uint16_t Reset(std::int32_t address) override;
  std::uint16_t Timeout(std::int32_t address, double seconds) override;
  std::uint16_t Clear(std::int32_t address) override;
  std::uint16_t Local(std::int32_t address) override;
  std::uint16_t Trigger(std::int32_t address) override;
  std::uint16_t Write(std::int32_t address, std::string_view bytes, bool end) override;
  // Copies at most length - 1 bytes and leaves the length as it came.
  std::uint16_t Read(std::int32_t address, char* buffer, std::uint16_t& length) override;

 private:
  std::uint16_t Logged(const std::wstring& line);

  BusLog* log_;
  wchar_t decimalSeparator_;
  RandomGenerator random_;
};

}  // namespace hpib
