#include "hpib/Bus.h"

#include <algorithm>
#include <cmath>

#include "core/Exceptions.h"

namespace hpib {

std::uint16_t BusWord(std::int64_t value) {
  if (value < 0 || value > 0xFFFF) throw core::ERangeError();
  return static_cast<std::uint16_t>(value);
}

std::uint16_t TimeoutMilliseconds(double seconds) {
  // Round half to even, as the runtime's Round does.
  const double rounded = std::nearbyint(seconds * 1000.0);
  if (!(rounded >= 0.0 && rounded <= 65535.0)) throw core::ERangeError();
  return static_cast<std::uint16_t>(rounded);
}

void PutReply(std::string_view reply, char* buffer, std::uint16_t& length) {
  length = static_cast<std::uint16_t>(std::min<std::size_t>(reply.size(), 0xFFFF));
  std::copy_n(reply.data(), std::min<std::size_t>(reply.size(), HPIBMaxMessage), buffer);
}

}  // namespace hpib
