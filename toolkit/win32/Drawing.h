#pragma once
// Bitmaps and drawing on Windows: the library's bitmap resources copied into 32-bit DIB sections
// (any colour can be filled in, not only the 16 of the palette), drawn with StretchBlt.
#include "toolkit/win32/SystemHeaders.h"

#include <cstdint>
#include <memory>
#include <string>

#include "core/win32/Handles.h"
#include "toolkit/Graphics.h"

namespace toolkit::win32 {

class DibBitmap final : public Bitmap {
 public:
  // A copy of the bitmap resource `name` of `module`, or null when the module has none.
  static std::unique_ptr<DibBitmap> Load(HINSTANCE module, const std::wstring& name);

  int Width() const override { return width_; }
  int Height() const override { return height_; }
  Color Pixel(int x, int y) const override;
  void FloodFill(int x, int y, Color surface, Color fill) override;
  HBITMAP Handle() const { return bitmap_.get(); }

 private:
  DibBitmap(int width, int height);
  int width_, height_;
  std::uint32_t* bits_ = nullptr;  // top row first, 0x00RRGGBB
  core::win32::unique_hbitmap bitmap_;
};

// Draws on a device context, shifted to where the control's area begins.
class DcCanvas final : public Canvas {
 public:
  DcCanvas(HDC dc, POINT origin) : dc_(dc), origin_(origin) {}
  void StretchDraw(const Bounds& area, const Bitmap& bitmap) override;

 private:
  HDC dc_;
  POINT origin_;
};

}  // namespace toolkit::win32
