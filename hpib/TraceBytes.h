#pragma once
// The bytes of a bus trace line, as every back end that traces writes them.
#include <string>

namespace hpib {

// 'sent "..."' / 'received "..."': printable ASCII as it is, the rest escaped (\r, \n, \t, \\,
// \", \xHH), so that one call stays one line whatever its bytes.
std::string BytesDetail(const char* direction, const std::string& bytes);

}  // namespace hpib
