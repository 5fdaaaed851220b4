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

  hpib::Result Open(std::int32_t) override { return Unexamined(); }
  hpib::Result Close() override { return Unexamined(); }
  hpib::Result Reset(std::int32_t) override { return Examined(); }
  hpib::Result Timeout(std::int32_t, double) override { return Examined(); }
  hpib::Result Clear(std::int32_t) override { return Examined(); }
  hpib::Result Local(std::int32_t) override { return Examined(); }
  hpib::Result Trigger(std::int32_t) override { return Examined(); }
  hpib::Result Write(std::int32_t, std::string_view, bool) override { return Examined(); }
  hpib::Reply Read(std::int32_t) override {
    const hpib::Result result = Examined();
    if (hpib::Failed(result)) return hpib::NoReply(result);
    return hpib::Received(reply_);
  }

 private:
  hpib::Result Unexamined() {
    ++faults_.calls;
    return hpib::Result::Success;
  }
  hpib::Result Examined() {
    ++faults_.calls;
    ++faults_.examined;
    if (faults_.rate == 0 || std::uniform_real_distribution<double>(0, 1)(faults_.random) >= faults_.rate)
      return hpib::Result::Success;
    ++faults_.injected;
    return static_cast<hpib::Result>(std::uniform_int_distribution<int>(1, 14)(faults_.random));
  }

  std::string reply_;
  Faults& faults_;
};

}  // namespace perf
