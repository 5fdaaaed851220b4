#include "hpib/sim/Circuit.h"

#include <cmath>
#include <limits>

namespace hpib::sim {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kReference = 50.0;  // ohms

std::complex<double> Inverse(std::complex<double> value) {
  if (value == 0.0) return {std::numeric_limits<double>::infinity(), 0.0};
  return 1.0 / value;
}

}  // namespace

Immittance ImmittanceOf(const Circuit& circuit, double hertz) {
  const double omega = 2.0 * kPi * hertz;
  const std::complex<double> j(0.0, 1.0);
  if (circuit.topology == Topology::Series) {
    std::complex<double> z = circuit.ohms.value_or(0.0);
    if (circuit.henries) z += j * omega * *circuit.henries;
    if (circuit.farads) z += Inverse(j * omega * *circuit.farads);
    return {z, Inverse(z)};
  }
  std::complex<double> y = 0.0;
  if (circuit.ohms) y += Inverse(*circuit.ohms);
  if (circuit.henries) y += Inverse(j * omega * *circuit.henries);
  if (circuit.farads) y += j * omega * *circuit.farads;
  return {Inverse(y), y};
}

std::complex<double> Reflection(const Immittance& immittance) {
  // From whichever side stays finite: an open reflects +1, a short -1.
  if (std::abs(immittance.z) <= kReference) return (immittance.z - kReference) / (immittance.z + kReference);
  return (1.0 - kReference * immittance.y) / (1.0 + kReference * immittance.y);
}

Immittance Scattered(const Immittance& immittance, double relative, double radians) {
  const std::complex<double> factor = std::polar(1.0 + relative, radians);
  return {immittance.z * factor, immittance.y / factor};
}

}  // namespace hpib::sim
