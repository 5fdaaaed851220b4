#include "hpib/Bus.h"

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

Reply Received(std::string bytes) {
  Reply reply;
  reply.sent = bytes.size();
  reply.bytes = std::move(bytes);
  return reply;
}

Reply NoReply(Result result) {
  Reply reply;
  reply.result = result;
  return reply;
}

}  // namespace hpib
