#pragma once
// What a circuit of the bench presents to an impedance instrument at one frequency.
#include <complex>

#include "hpib/sim/Bench.h"

namespace hpib::sim {

// Impedance and admittance of the same two terminals, both kept so that a short or an open
// stays finite in the one that describes it; the other is then infinite.
struct Immittance {
  std::complex<double> z, y;
};

Immittance ImmittanceOf(const Circuit& circuit, double hertz);

// The reflection coefficient against the analyzer's 50 ohms.
std::complex<double> Reflection(const Immittance& immittance);

// Scales the magnitude by 1 + relative and turns the phase by `radians`, a reading's scatter.
Immittance Scattered(const Immittance& immittance, double relative, double radians);

}  // namespace hpib::sim
