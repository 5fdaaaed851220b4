#pragma once
// One simulated instrument with its state: what it was told, its last reading, its scatter.
#include <memory>
#include <string>
#include <string_view>

#include "hpib/sim/Bench.h"

namespace hpib::sim {

class SimInstrument {
 public:
  virtual ~SimInstrument() = default;
  // One message from the controller, a string message and raw bytes alike.
  virtual void Receive(std::string_view bytes) = 0;
  // A trigger: a new reading of the component, with the scatter the bench gives.
  virtual void Measure() = 0;
  // What a read answers: the last reading, or the one taken at power-on.
  virtual std::string Reply() const = 0;
};

// The instrument of the setup's kind, at its power-on state, its first reading taken.
std::unique_ptr<SimInstrument> MakeInstrument(const InstrumentSetup& setup);

}  // namespace hpib::sim
