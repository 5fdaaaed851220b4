#include "resources/Pictures.h"

#include <cstring>

namespace resources {
namespace {

struct PictureRows {
  const wchar_t* name;
  const char* const* rows;
  int height;
};

#include "PictureTable.inc"

// The standard 16-colour palette, as 0x00BBGGRR.
constexpr std::uint32_t kPalette[16] = {0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080,
                                        0x808000, 0xC0C0C0, 0x808080, 0x0000FF, 0x00FF00, 0x00FFFF,
                                        0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};

std::uint32_t ColorOf(char digit) {
  const int index = digit <= '9' ? digit - '0' : digit - 'a' + 10;
  return kPalette[index];
}

}  // namespace

std::optional<Picture> FindPicture(const std::wstring& name) {
  for (const PictureRows& entry : kPictures) {
    if (name != entry.name) continue;
    Picture picture;
    picture.Height = entry.height;
    picture.Width = static_cast<int>(std::strlen(entry.rows[0]));
    picture.Pixels.reserve(static_cast<std::size_t>(picture.Width) * static_cast<std::size_t>(picture.Height));
    for (int y = 0; y < entry.height; ++y)
      for (const char* p = entry.rows[y]; *p; ++p) picture.Pixels.push_back(ColorOf(*p));
    return picture;
  }
  return std::nullopt;
}

}  // namespace resources
