#pragma once
// The library's own pictures, drawn in Pictures.cmake. On Windows they are bitmap resources of
// the same names; this table serves the platform without windows.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace resources {

struct Picture {
  int Width = 0;
  int Height = 0;
  // 0x00BBGGRR, row by row from the top.
  std::vector<std::uint32_t> Pixels;
};

// The picture named `name` (upper case, as the resources name it), or none.
std::optional<Picture> FindPicture(const std::wstring& name);

}  // namespace resources
