#include "instruments/ScanArithmetic.h"

#include <cmath>
#include <cstdint>

#include "core/Exceptions.h"

namespace instruments {

int ScanProgress(double from, double to, double value, int maximum) {
  const double span = to - from;
  if (span == 0) throw core::Exception(L"Floating point division by zero");
  // nearbyint rounds in the default mode, to nearest with ties to even.
  const double progress = std::nearbyint(maximum * (value - from) / span);
  if (!(progress >= INT32_MIN && progress <= INT32_MAX)) throw core::ERangeError();
  return static_cast<int>(progress);
}

}  // namespace instruments
