#pragma once
// The user's choice of bus back end: the value "Bus" under the user's Apparata key.
#include <optional>
#include <string>

namespace hpib {

struct BusSetting {
  enum class Kind {
    Default,  // no value: the 16-bit driver where it can be used, else debug mode
    Visa,     // "VISA" (board 0) or "VISA:GPIB<n>"
    Sim,      // "SIM" (the built-in bench) or "SIM:<path of a bench file>"
    Replay,   // "REPLAY:<path of a bus trace>"
    Invalid,  // anything else: debug mode, and the terminal says why
  };
  Kind kind = Kind::Default;
  unsigned board = 0;
  std::wstring benchFile;  // empty: the built-in bench
  std::wstring traceFile;  // what a replay answers from
};

// Letters in any case, as VISA reads resource names; no blanks, a board number of at most 99;
// a bench file's path as it stands.
BusSetting ParseBusSetting(const std::optional<std::wstring>& value);

}  // namespace hpib
