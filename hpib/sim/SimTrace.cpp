#include "hpib/sim/SimTrace.h"

#include "core/Latin1.h"
#include "hpib/HPIBMessages.h"

namespace hpib::sim {

std::string SimTraceLine(std::optional<std::int32_t> address, const char* operation, const std::string& detail,
                         Result result) {
  std::string line = address ? std::to_string(*address) + " " + operation : operation;
  if (!detail.empty()) line += " " + detail;
  line += " -> " + std::to_string(static_cast<std::uint16_t>(result));
  if (Failed(result)) line += " " + core::ToLatin1(ResultText(result));
  return line;
}

}  // namespace hpib::sim
