#include "framework/Unattended.h"

#include <algorithm>
#include <cstdint>

namespace framework {
namespace {
Unattended g_unattended;
}

void SetUnattended(const Unattended& unattended) { g_unattended = unattended; }

const Unattended& CurrentUnattended() { return g_unattended; }

unsigned RetryDelayMs(unsigned intervalMs, unsigned failuresInARow) {
  constexpr unsigned kCeilingMs = 60000;
  if (intervalMs >= kCeilingMs || failuresInARow <= 1) return intervalMs;
  // Below the ceiling the interval fits in 16 bits, so 31 doublings fit in 64; more than that
  // is past the ceiling whatever the interval, unless the interval is 0.
  const unsigned doublings = failuresInARow - 1;
  if (doublings > 31) return intervalMs == 0 ? 0 : kCeilingMs;
  const std::uint64_t delay = std::uint64_t{intervalMs} << doublings;
  return static_cast<unsigned>(std::min<std::uint64_t>(delay, kCeilingMs));
}

}  // namespace framework
