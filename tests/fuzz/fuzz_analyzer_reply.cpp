// Any reply, of any length, parses into labels from the two tables and values of at most eleven
// characters taken from the reply.
#include <cstdint>
#include <cstdlib>

#include "core/Latin1.h"
#include "instruments/HP4191Protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::wstring reply = core::FromLatin1(std::string(reinterpret_cast<const char*>(data), size));
  const auto reading = instruments::hp4191::ParseReply(reply);
  if (reading.labelA.empty() || reading.labelB.empty()) std::abort();
  if (reading.valueA.size() > 11 || reading.valueB.size() > 11) std::abort();
  if (!reading.valueA.empty() && reply.find(reading.valueA) == std::wstring::npos) std::abort();
  if (!reading.valueB.empty() && reply.find(reading.valueB) == std::wstring::npos) std::abort();
  return 0;
}
