#include "hpib/sim/Noise.h"

#include <cmath>

namespace hpib::sim {

// SplitMix64: small, full period, and defined to the bit, unlike the standard library's
// distributions, which differ between runtimes.
std::uint64_t Noise::Next() {
  std::uint64_t z = (state_ += 0x9E3779B97F4A7C15u);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
  return z ^ (z >> 31);
}

double Noise::Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }

double Noise::Gaussian() {
  // Box-Muller; 1 - u keeps the logarithm away from 0.
  const double radius = std::sqrt(-2.0 * std::log(1.0 - Uniform()));
  return radius * std::cos(2.0 * 3.14159265358979323846 * Uniform());
}

}  // namespace hpib::sim
