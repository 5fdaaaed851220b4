#pragma once
// What every bus operation answers: success, one of the errors the driver layer has a message
// for (hpib/HPIBMessageTable.inc, in code order), or a code no message describes. A 16-bit driver
// may answer any word: such a word is kept as it came, and only 1 to 13 have names.
#include <cstdint>

namespace hpib {

enum class Result : std::uint16_t {
  Success = 0,
#define HPIB_RESULT_MESSAGE(name, stringId, text) name,
#define HPIB_MESSAGE(name, stringId, text)
#include "hpib/HPIBMessageTable.inc"
#undef HPIB_RESULT_MESSAGE
#undef HPIB_MESSAGE
  Unnamed = 0xFFFF,  // an error that no message of the table describes
};

constexpr bool Failed(Result result) { return result != Result::Success; }

}  // namespace hpib
