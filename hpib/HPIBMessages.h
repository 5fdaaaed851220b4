#pragma once
// The driver layer's texts, with the identifiers under which the library's string table
// carries them too.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "hpib/Result.h"

namespace hpib {

struct HPIBMessage {
  int stringId;
  const wchar_t* text;
};

// Messages of result codes 1 to 13, by code.
extern const HPIBMessage kResultMessages[13];
extern const HPIBMessage kMissingEntryMessage;   // "Unable to obtain function <%s>!"
extern const HPIBMessage kCriticalErrorMessage;  // "Critical HPIB driver error:\n%s"

// Where the texts are read from: a loader answers the text under an identifier, or nothing, and
// then the built-in text stands. The Windows build reads the library's string table, so that a
// translated resource takes effect; none is set by default.
using MessageLoader = std::function<std::optional<std::wstring>(int stringId)>;
void SetMessageLoader(MessageLoader loader);
std::wstring MessageText(const HPIBMessage& message);

// The text for a result; "?????" for one outside 1 to 13.
std::wstring ResultText(Result result);

}  // namespace hpib
