#pragma once
// The recording driver with one chosen fault: the k-th call whose result code the layer
// examines answers the chosen code instead of success.
#include <string>

#include "RecordingDriver.h"

namespace testing_support {

// Entry points whose result goes through HPIBCheck. The open's result and the transfer
// buffer's answers are not examined, so a fault there cannot be seen.
inline bool IsExamined(const std::string& name) {
  for (const char* examined : {"ResetHPIB", "TimeoutHPIB", "ClearHPIB", "LocalHPIB", "TriggerHPIB", "EntersHPIB",
                               "OutputsHPIB", "OutputABHPIB"})
    if (name == examined) return true;
  return false;
}

class FailingDriver : public RecordingDriver {
 public:
  struct Fault {
    int at = 0;               // which examined call fails, from 1; 0: none
    std::uint16_t code = 0;   // what it answers
    int examined = 0;         // examined calls so far
  };

  FailingDriver(Log& log, Fault& fault) : RecordingDriver(log), log_(log), fault_(fault) {}

  std::uint16_t Call16(std::uint32_t address, std::uint16_t first, std::uint16_t second) override {
    const std::string name = kEntryPoints[address / 0x10000u - 1];
    if (IsExamined(name) && ++fault_.examined == fault_.at) log_.results[name].push_front(fault_.code);
    return RecordingDriver::Call16(address, first, second);
  }

 private:
  Log& log_;
  Fault& fault_;
};

}  // namespace testing_support
