#include "toolkit/win32/Drawing.h"

#include "toolkit/win32/DeviceContextScopes.h"
#include "toolkit/win32/PeerContext.h"

namespace toolkit::win32 {

using core::win32::unique_hbitmap;
using core::win32::unique_hbrush;
using core::win32::unique_memory_dc;

DibBitmap::DibBitmap(int width, int height) : width_(width), height_(height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  bits_ = static_cast<std::uint32_t*>(bits);
}

std::unique_ptr<DibBitmap> DibBitmap::Load(HINSTANCE module, const std::wstring& name) {
  unique_hbitmap loaded(
      static_cast<HBITMAP>(LoadImageW(module, name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  if (!loaded) return nullptr;
  BITMAP shape{};
  GetObjectW(loaded.get(), sizeof shape, &shape);
  std::unique_ptr<DibBitmap> copy(new DibBitmap(shape.bmWidth, shape.bmHeight));
  if (!copy->bitmap_) return nullptr;
  unique_memory_dc from(CreateCompatibleDC(nullptr)), to(CreateCompatibleDC(nullptr));
  SelectedObject source(from.get(), loaded.get());
  SelectedObject target(to.get(), copy->bitmap_.get());
  BitBlt(to.get(), 0, 0, shape.bmWidth, shape.bmHeight, from.get(), 0, 0, SRCCOPY);
  GdiFlush();
  return copy;
}

Color DibBitmap::Pixel(int x, int y) const {
  const std::uint32_t rgb = bits_[y * width_ + x];
  return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
}

void DibBitmap::FloodFill(int x, int y, Color surface, Color fill) {
  unique_memory_dc dc(CreateCompatibleDC(nullptr));
  unique_hbrush brush(CreateSolidBrush(ToColorRef(fill)));
  SelectedObject bitmap(dc.get(), bitmap_.get());
  SelectedObject paint(dc.get(), brush.get());
  ExtFloodFill(dc.get(), x, y, ToColorRef(surface), FLOODFILLSURFACE);
  GdiFlush();
}

void DcCanvas::StretchDraw(const Bounds& area, const Bitmap& bitmap) {
  const auto& dib = static_cast<const DibBitmap&>(bitmap);
  unique_memory_dc source(CreateCompatibleDC(dc_));
  SelectedObject selected(source.get(), dib.Handle());
  const int previous = SetStretchBltMode(dc_, COLORONCOLOR);
  StretchBlt(dc_, origin_.x + area.Left, origin_.y + area.Top, area.Width, area.Height, source.get(), 0, 0,
             dib.Width(), dib.Height(), SRCCOPY);
  SetStretchBltMode(dc_, previous);
}

}  // namespace toolkit::win32
