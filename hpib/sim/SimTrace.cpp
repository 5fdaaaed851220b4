#include "hpib/sim/SimTrace.h"

#include "core/Latin1.h"
#include "hpib/HPIBMessages.h"

namespace hpib::sim {

std::string SimTraceLine(std::optional<std::int32_t> address, const char* operation, const std::string& detail,
                         std::uint16_t code) {
  std::string line = address ? std::to_string(*address) + " " + operation : operation;
  if (!detail.empty()) line += " " + detail;
  line += " -> " + std::to_string(code);
  if (code != 0) line += " " + core::ToLatin1(ResultCodeText(code));
  return line;
}

}  // namespace hpib::sim
