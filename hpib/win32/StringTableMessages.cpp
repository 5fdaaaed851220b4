#include "hpib/win32/StringTableMessages.h"

#include "hpib/HPIBMessages.h"

namespace hpib::win32 {

void ReadMessagesFrom(HMODULE module) {
  SetMessageLoader([module](int id) -> std::optional<std::wstring> {
    const wchar_t* text = nullptr;
    // With no buffer the system answers where the string lies in the loaded file.
    const int length = LoadStringW(module, static_cast<UINT>(id), reinterpret_cast<wchar_t*>(&text), 0);
    if (length <= 0 || !text) return std::nullopt;
    return std::wstring(text, static_cast<std::size_t>(length));
  });
}

}  // namespace hpib::win32
