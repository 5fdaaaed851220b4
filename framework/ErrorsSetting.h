#pragma once
// The user's choice of what an error does: the value "Errors" under the user's Apparata key.
#include <optional>
#include <string>

namespace framework {

enum class ErrorHandling {
  Box,  // no value, or "Box": the modal error box, as always
  Log,  // "Log": no box from work no person started; the error goes to the log, free-running retries
};

struct ErrorsSetting {
  ErrorHandling handling = ErrorHandling::Box;
  std::wstring problem;  // empty, or why the value was not understood
};

// "Box" or "Log" in any letter case, blanks around them ignored. An empty value counts as no
// value, as for the Bus setting. Anything else keeps the box, which never hides an error, and
// says why, with the value as given.
ErrorsSetting ParseErrorsSetting(const std::optional<std::wstring>& value);

// A text setting as the library reads it (Errors, Log): the spaces and tabs around it, which a
// hand-typed value or a pasted path brings along, left out; no value when nothing else is left.
std::optional<std::wstring> SettingText(const std::optional<std::wstring>& value);

}  // namespace framework
