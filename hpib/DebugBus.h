#pragma once
// Debug mode, the back end without a driver: each operation logs a line to the bus log and
// succeeds; a read answers a simulated reading, a reply pattern bound to the bus address with
// digits drawn from a pseudo-random generator that starts anew with each back end.
#include <cstdint>
#include <string>

#include "hpib/Bus.h"
#include "hpib/BusLog.h"

namespace hpib {

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

  Result Open(std::int32_t selectCode) override;
  Result Close() override;
  Result Reset(std::int32_t address) override;
  Result Timeout(std::int32_t address, double seconds) override;
  Result Clear(std::int32_t address) override;
  Result Local(std::int32_t address) override;
  Result Trigger(std::int32_t address) override;
  Result Write(std::int32_t address, std::string_view bytes, bool end) override;
  Reply Read(std::int32_t address) override;
  bool IsDebugMode() const override { return true; }
  // The terminal's line of each operation.
  void SendDetailsTo(DetailSink details) override { details_ = std::move(details); }

 private:
  Result Logged(const std::wstring& line);

  BusLog* log_;
  wchar_t decimalSeparator_;
  RandomGenerator random_;
  DetailSink details_;
};

}  // namespace hpib
