#pragma once
// The instruments that answer reads in debug mode: reply patterns bound to bus addresses, with
// digits drawn from the process's one pseudo-random generator.
#include <cstdint>
#include <string>

namespace hpib {

// The generator: one 32-bit state, 0 at start, never seeded from anything else.
class RandomGenerator {
 public:
  // A number from 0 to n - 1; advances the state.
  std::uint32_t Draw(std::uint32_t n);
  void Reset() { state_ = 0; }

 private:
  std::uint32_t state_ = 0;
};

// The simulated reply for a read from `address`, drawing its digits from `random`.
std::string SimulatedReply(int address, RandomGenerator& random);

}  // namespace hpib
