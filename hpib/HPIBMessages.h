#pragma once
// The driver layer's texts, with the identifiers under which the library's string table
// carries them too.
#include <cstdint>

namespace hpib {

struct HPIBMessage {
  int stringId;
  const wchar_t* text;
};

// Messages of driver result codes 1 to 13, by code.
extern const HPIBMessage kResultMessages[13];
extern const HPIBMessage kMissingEntryMessage;   // "Unable to obtain function <%s>!"
extern const HPIBMessage kCriticalErrorMessage;  // "Critical HPIB driver error:\n%s"

// The text for a driver result code; "?????" for codes outside 1 to 13.
const wchar_t* ResultCodeText(std::uint32_t code);

}  // namespace hpib
