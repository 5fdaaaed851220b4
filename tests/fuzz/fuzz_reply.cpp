// Any reply, of any length, parses into a known or "????" unit and exactly nine value characters.
#include <cstdlib>

#include "hpib/BusBytes.h"
#include "instruments/B740Protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::wstring reply = hpib::FromBusBytes(std::string(reinterpret_cast<const char*>(data), size));
  const auto reading = instruments::b740::ParseReply(reply);
  if (reading.value.size() != 9) std::abort();
  if (reading.unit.empty()) std::abort();
  if (size >= 11 && reading.value != reply.substr(2, 9)) std::abort();
  return 0;
}
