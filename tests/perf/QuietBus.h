#pragma once
// A back end that costs next to nothing: it answers every operation at once, serves one fixed
// reply, records nothing, and may fail examined operations at random, counting what it injected.
#include <cstdint>
#include <random>
#include <string>

#include "hpib/Bus.h"

namespace perf {

class QuietBus : public hpib::Bus {
 public:
  struct Faults {
    double rate = 0;                   // share of examined operations that fail
    std::mt19937 random{20261207u};
    std::uint64_t calls = 0;           // every operation
    std::uint64_t examined = 0;        // operations whose result the layer's callers examine
    std::uint64_t injected = 0;        // of those, how many failed
  };

  QuietBus(std::string reply, Faults& faults) : reply_(std::move(reply)), faults_(faults) {}

  std::uint16_t Open(std::int32_t) override { return Unexamined(); }
  std::uint16_t Close() override { return Unexamined(); }
  std::uint16_t Reset(std::int32_t) override { return Examined(); }
  std::uint16_t Timeout(std::int32_t, double) override { return Examined(); }
  std::uint16_t Clear(std::int32_t) override { return Examined(); }
  std::uint16_t Local(std::int32_t) override { return Examined(); }
  std::uint16_t Trigger(std::int32_t) override { return Examined(); }
  std::uint16_t Write(std::int32_t, std::string_view, bool) override { return Examined(); }
  std::uint16_t Read(std::int32_t, char* buffer, std::uint16_t& length) override {
    const std::uint16_t code = Examined();
    if (code == 0) hpib::PutReply(reply_, buffer, length);
    return code;
  }

 private:
  std::uint16_t Unexamined() {
    ++faults_.calls;
    return 0;
  }
  std::uint16_t Examined() {
    ++faults_.calls;
    ++faults_.examined;
    if (faults_.rate == 0 || std::uniform_real_distribution<double>(0, 1)(faults_.random) >= faults_.rate) return 0;
    ++faults_.injected;
    return static_cast<std::uint16_t>(std::uniform_int_distribution<int>(1, 14)(faults_.random));
  }

  std::string reply_;
  Faults& faults_;
};

}  // namespace perf
