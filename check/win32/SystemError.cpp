#include "check/win32/SystemError.h"

#include "core/win32/Utf8.h"

namespace check::win32 {

std::string SystemErrorText(DWORD error) {
  wchar_t* message = nullptr;
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, error, 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
  std::wstring text = length ? std::wstring(message, length) : std::wstring();
  LocalFree(message);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
  const std::string number = "error " + std::to_string(error);
  return text.empty() ? number : core::win32::ToUtf8(text) + " (" + number + ")";
}

}  // namespace check::win32
