#pragma once
// A driver that costs next to nothing: it answers every entry point at once, serves one fixed
// reply, records nothing, and may fail examined calls at random, counting what it injected.
#include <cstdint>
#include <cstring>
#include <random>
#include <string>

#include "../unit/FailingDriver.h"
#include "hpib/BusDriver.h"

namespace perf {

using testing_support::RecordingDriver;

class QuietDriver : public hpib::BusDriver {
 public:
  struct Faults {
    double rate = 0;                   // share of examined calls that fail
    std::mt19937 random{20261207u};
    std::uint64_t calls = 0;           // every entry-point call
    std::uint64_t examined = 0;        // calls whose result the layer examines
    std::uint64_t injected = 0;        // of those, how many failed
  };

  QuietDriver(std::string reply, Faults& faults) : reply_(std::move(reply)), faults_(faults) {
    for (std::size_t i = 0; i < kCount; ++i) examined_[i] = testing_support::IsExamined(RecordingDriver::kEntryPoints[i]);
  }

  std::uint32_t GetProcAddress16(const char* name) override {
    for (std::uint32_t i = 0; i < kCount; ++i)
      if (std::strcmp(RecordingDriver::kEntryPoints[i], name) == 0) return 0x10000u * (i + 1);
    return 0;
  }

  std::uint16_t Call16(std::uint32_t address, std::uint16_t first, std::uint16_t) override {
    const std::size_t index = address / 0x10000u - 1;
    ++faults_.calls;
    if (index == kGetBufLen) return static_cast<std::uint16_t>(reply_.size());
    if (index == kGetBuf) return first >= 1 && first <= reply_.size() ? static_cast<unsigned char>(reply_[first - 1]) : 0;
    if (!examined_[index]) return 0;
    ++faults_.examined;
    if (faults_.rate == 0 || std::uniform_real_distribution<double>(0, 1)(faults_.random) >= faults_.rate) return 0;
    ++faults_.injected;
    return static_cast<std::uint16_t>(std::uniform_int_distribution<int>(1, 14)(faults_.random));
  }

 private:
  static constexpr std::size_t kCount = std::size(RecordingDriver::kEntryPoints);
  static constexpr std::size_t kGetBufLen = 8, kGetBuf = 9;
  std::string reply_;
  Faults& faults_;
  bool examined_[kCount] = {};
};

}  // namespace perf
