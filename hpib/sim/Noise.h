#pragma once
// The simulation's random numbers: one seed, the same sequence on every platform and run, so
// that a bench repeats what it did.
#include <cstdint>

namespace hpib::sim {

class Noise {
 public:
  explicit Noise(std::uint64_t seed) : state_(seed) {}

  // From 0 up to, not including, 1.
  double Uniform();
  // Standard normal: mean 0, standard deviation 1.
  double Gaussian();

 private:
  std::uint64_t Next();

  std::uint64_t state_;
};

}  // namespace hpib::sim
