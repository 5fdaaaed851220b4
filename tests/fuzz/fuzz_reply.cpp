// Any reply, of any length, parses into the columns each meter's panel shows: for the
// multimeter a known or "????" unit and exactly nine value characters, for the LCR meter ten
// value characters and a one-letter label.
#include <cstdint>
#include <cstdlib>

#include "core/Latin1.h"
#include "instruments/B740Protocol.h"
#include "instruments/E712Protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::wstring reply = core::FromLatin1(std::string(reinterpret_cast<const char*>(data), size));
  const auto reading = instruments::b740::ParseReply(reply);
  if (reading.value.size() != 9) std::abort();
  if (reading.unit.empty()) std::abort();
  if (size >= 11 && reading.value != reply.substr(2, 9)) std::abort();
  const auto values = instruments::e712::ParseReply(reply);
  if (values.value.size() != 10 || values.label.size() != 1) std::abort();
  if (size >= 11 && values.value + values.label != reply.substr(0, 11)) std::abort();
  return 0;
}
