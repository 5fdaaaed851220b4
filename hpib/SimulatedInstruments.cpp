#include "hpib/SimulatedInstruments.h"

#include <array>

namespace hpib {
namespace {

// One instrument: its address, its reply with "%d" where a drawn digit goes, and the bound of
// each draw in the order the digits are drawn.
struct SimulatedInstrument {
  int address;
  const char* reply;
  std::array<std::uint32_t, 2> draws;  // 0 ends the list
};

constexpr SimulatedInstrument kInstruments[] = {
    {703, "2.%d723E+1 D", {9, 0}},                           // E7-12 LCR meter
    {707, "R +1135%dE-4", {9, 0}},                           // B7-40/5 multimeter
    {717, " NRN+1.23%d5E+01,NXN+5.432%dE-01", {9, 5}},       // HP 4191A analyzer
};

constexpr const char* kUnknownReply = "DEBUG DEBUG DEBUG DEBUG DEBUG DEBUG DEBUG DEBUG";

}  // namespace

std::uint32_t RandomGenerator::Draw(std::uint32_t n) {
  state_ = state_ * 134775813u + 1u;
  return static_cast<std::uint32_t>((static_cast<std::uint64_t>(state_) * n) >> 32);
}

std::string SimulatedReply(int address, RandomGenerator& random) {
  for (const auto& instrument : kInstruments) {
    if (instrument.address != address) continue;
    std::string reply;
    std::size_t draw = 0;
    for (const char* p = instrument.reply; *p; ++p) {
      if (p[0] == '%' && p[1] == 'd' && draw < instrument.draws.size() && instrument.draws[draw]) {
        reply += std::to_string(random.Draw(instrument.draws[draw++]));
        ++p;
      } else {
        reply += *p;
      }
    }
    return reply;
  }
  return kUnknownReply;
}

}  // namespace hpib
