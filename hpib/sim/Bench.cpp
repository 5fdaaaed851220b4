#include "hpib/sim/Bench.h"

#include <tuple>

namespace hpib::sim {

bool operator==(const MeterSource& a, const MeterSource& b) {
  return std::tie(a.dcVolts, a.acVolts, a.ohms, a.dcAmps, a.acAmps) ==
         std::tie(b.dcVolts, b.acVolts, b.ohms, b.dcAmps, b.acAmps);
}

bool operator==(const Circuit& a, const Circuit& b) {
  return std::tie(a.topology, a.ohms, a.henries, a.farads) == std::tie(b.topology, b.ohms, b.henries, b.farads);
}

bool operator==(const Faults& a, const Faults& b) {
  return std::tie(a.absent, a.timeoutFromRead, a.timeoutProbability) ==
         std::tie(b.absent, b.timeoutFromRead, b.timeoutProbability);
}

bool operator==(const InstrumentSetup& a, const InstrumentSetup& b) {
  return std::tie(a.primary, a.kind, a.meter, a.circuit, a.noise, a.seed, a.faults) ==
         std::tie(b.primary, b.kind, b.meter, b.circuit, b.noise, b.seed, b.faults);
}

bool operator==(const Bench& a, const Bench& b) { return a.instruments == b.instruments; }

}  // namespace hpib::sim
