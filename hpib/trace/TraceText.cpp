#include "hpib/trace/TraceText.h"

#include <cstdint>

#include "core/Utf8.h"

namespace hpib {

std::string TraceTextBytes(std::wstring_view text) { return core::EncodeUtf8(text); }

std::wstring TraceTextOf(std::string_view bytes) {
  std::wstring text;
  for (std::size_t i = 0; i < bytes.size();) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    const std::size_t length = lead >= 0xF0 && lead < 0xF8 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    std::uint32_t unit = length == 1 ? lead : lead & (0x7Fu >> length);
    std::size_t taken = 1;
    while (taken < length && i + taken < bytes.size() && (static_cast<unsigned char>(bytes[i + taken]) & 0xC0) == 0x80)
      unit = (unit << 6) | (static_cast<unsigned char>(bytes[i + taken++]) & 0x3F);
    if (taken < length || (sizeof(wchar_t) == 2 && unit > 0xFFFF)) {
      text += static_cast<wchar_t>(lead);
      ++i;
      continue;
    }
    text += static_cast<wchar_t>(unit);
    i += taken;
  }
  return text;
}

}  // namespace hpib
