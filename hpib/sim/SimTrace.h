#pragma once
// The bus trace of the simulated bench: one line per operation,
// "<address> <operation>[ <detail>] -> <result code>[ <message>]", as
// '707 Write sent "F2E" END -> 0' or '703 Read -> 4 HPIB timeout!'.
#include <cstdint>
#include <optional>
#include <string>

#include "hpib/Result.h"

namespace hpib::sim {

// `address` none: an operation without one (Close).
std::string SimTraceLine(std::optional<std::int32_t> address, const char* operation, const std::string& detail,
                         Result result);

}  // namespace hpib::sim
