#pragma once
// The recording back end with one chosen fault: the k-th operation whose result code the layer's
// callers examine answers the chosen result instead of success.
#include <string>

#include "RecordingBus.h"

namespace testing_support {

// Operations whose result goes through HPIBCheck. The open's and the close's results are not
// examined, so a fault there cannot be seen.
inline bool IsExamined(const std::string& operation) { return operation != "Open" && operation != "Close"; }

class FailingBus : public RecordingBus {
 public:
  struct Fault {
    int at = 0;              // which examined operation fails, from 1; 0: none
    hpib::Result result = hpib::Result::Success;  // what it answers
    int examined = 0;        // examined operations so far
  };

  FailingBus(Log& log, Fault& fault) : RecordingBus(log), log_(log), fault_(fault) {}

 protected:
  hpib::Result Done(const std::string& operation, const std::string& arguments) override {
    if (IsExamined(operation) && ++fault_.examined == fault_.at) log_.results[operation].push_front(fault_.result);
    return RecordingBus::Done(operation, arguments);
  }

 private:
  Log& log_;
  Fault& fault_;
};

}  // namespace testing_support
