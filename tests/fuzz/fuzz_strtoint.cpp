// StrToInt either refuses a text with the runtime's message or reads a value that its decimal
// form gives back.
#include <cstdint>
#include <cstdlib>

#include "FuzzText.h"
#include "core/Convert.h"
#include "core/Exceptions.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::wstring text = HostText(data, size);
  try {
    const std::int32_t value = core::StrToInt(text);
    if (core::StrToInt(std::to_wstring(value)) != value) std::abort();
  } catch (const core::EConvertError& e) {
    if (e.Message() != L"'" + text + L"' is not a valid integer value") std::abort();
  }
  return 0;
}
