#pragma once
// The HP 4191A analyzer as the simulation plays it: A and B functions and the test frequency
// set by "A<n>EN", "B<n>EN" and "FR<MHz>EN"; a measurement becomes the two-field reply
// " NZN+5.0000E+00,NDN+1.2345E-01": a blank, then per field the status ("N", or "O" for an
// overflow), the function letter, "N" and the value.
#include <complex>
#include <string>
#include <string_view>

#include "hpib/sim/Circuit.h"

namespace hpib::sim {

struct AnalyzerState {
  int function = 1;        // A1 |Z|, A2 |Y|, A3 |Г|, A4 R+X, A5 G+B, A6 Гx+Гy, A7 L, A8 C
  bool radians = false;    // the phase of A1 to A3: B1 degrees, B2 radians
  int scheme = 1;          // beside L and C: B1 R, B2 G, B3 D, B4 Q
  double megahertz = 1.0;  // as last commanded, also when out of range
};

// The lowest and the highest test frequency, in MHz.
constexpr double kLowestMegahertz = 1.0;
constexpr double kHighestMegahertz = 1000.0;

// The state after one command; a command the analyzer does not know, or a frequency that is
// no number, changes nothing.
AnalyzerState AnalyzerCommand(AnalyzerState state, std::string_view command);

// The reply to a measurement of `atFrequency`, what the circuit presents at the state's
// frequency. A frequency out of range answers an overflow in both fields.
std::string AnalyzerReply(const AnalyzerState& state, const Immittance& atFrequency);

}  // namespace hpib::sim
