#pragma once
// Tests name results by the numbers of the driver's table, as the instruments' manuals do.
#include <ostream>

#include "hpib/Result.h"

namespace hpib {

inline bool operator==(Result result, int code) { return static_cast<int>(result) == code; }
inline bool operator==(int code, Result result) { return result == code; }
inline bool operator!=(Result result, int code) { return !(result == code); }
inline void PrintTo(Result result, std::ostream* out) { *out << static_cast<int>(result); }

}  // namespace hpib
