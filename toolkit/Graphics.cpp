#include "toolkit/Graphics.h"

#include "core/Exceptions.h"
#include "toolkit/Platform.h"

namespace toolkit {

void Image::LoadFromResourceName(const std::wstring& name) {
  std::unique_ptr<Bitmap> loaded = CurrentPlatform().LoadBitmapResource(name);
  if (!loaded) throw core::Exception(L"Resource " + name + L" not found");
  bitmap_ = std::move(loaded);
}

int Image::Width() const { return bitmap_ ? bitmap_->Width() : 0; }

int Image::Height() const { return bitmap_ ? bitmap_->Height() : 0; }

Color Image::Pixel(int x, int y) const {
  if (!bitmap_ || x < 0 || y < 0 || x >= bitmap_->Width() || y >= bitmap_->Height()) return clBlack;
  return bitmap_->Pixel(x, y);
}

void Image::FloodFill(int x, int y, Color surface, Color fill) {
  if (bitmap_) bitmap_->FloodFill(x, y, surface, fill);
}

}  // namespace toolkit
