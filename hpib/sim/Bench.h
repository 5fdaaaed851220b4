#pragma once
// A simulated bench as data: which instrument answers at which primary address, what it has
// on its terminals, how much its readings scatter and which faults it shows on demand.
#include <cstdint>
#include <optional>
#include <vector>

namespace hpib::sim {

enum class Kind { Multimeter, LcrMeter, Analyzer };  // B7-40/5, E7-12, HP 4191A

// What the multimeter's terminals see, in volts, ohms and amperes.
struct MeterSource {
  double dcVolts = 0, acVolts = 0, ohms = 0, dcAmps = 0, acAmps = 0;
};

enum class Topology { Series, Parallel };

// The component on an impedance instrument: R, L and C in series or in parallel. An element
// that is not given is not there: a short in series, an open in parallel.
struct Circuit {
  Topology topology = Topology::Series;
  std::optional<double> ohms, henries, farads;
};

struct Faults {
  bool absent = false;                           // nothing answers at the address
  std::optional<std::uint64_t> timeoutFromRead;  // the 1-based read from which none is answered
  double timeoutProbability = 0;                 // of each read, drawn from the seed
};

struct InstrumentSetup {
  int primary = 0;
  Kind kind = Kind::Multimeter;
  MeterSource meter;  // the multimeter's only
  Circuit circuit;    // the impedance instruments' only
  double noise = 0;   // relative standard deviation of a reading
  std::uint64_t seed = 0;
  Faults faults;
};

struct Bench {
  std::vector<InstrumentSetup> instruments;
};

bool operator==(const MeterSource& a, const MeterSource& b);
bool operator==(const Circuit& a, const Circuit& b);
bool operator==(const Faults& a, const Faults& b);
bool operator==(const InstrumentSetup& a, const InstrumentSetup& b);
bool operator==(const Bench& a, const Bench& b);

}  // namespace hpib::sim
