#pragma once
// Pictures and drawing for controls that paint themselves. The pixels live with the platform
// (real bitmaps on Windows, memory for tests); the model holds the images and decides what is
// drawn where.
#include <memory>
#include <string>

#include "toolkit/Control.h"

namespace toolkit {

// A picture the platform holds. Colours are 0x00BBGGRR.
class Bitmap {
 public:
  virtual ~Bitmap() = default;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual Color Pixel(int x, int y) const = 0;
  // Surface flood fill: paints with `fill` the area of pixels of exactly `surface` that is
  // connected (side by side, not corner to corner) to (x, y). Nothing happens when (x, y) is
  // outside or not of that colour.
  virtual void FloodFill(int x, int y, Color surface, Color fill) = 0;
};

// What a control is painted on, for the length of one paint.
class Canvas {
 public:
  virtual ~Canvas() = default;
  // Draws the whole bitmap scaled into `area` (pixel for pixel, no smoothing).
  virtual void StretchDraw(const Bounds& area, const Bitmap& bitmap) = 0;
};

// An image owned by a component; empty until a bitmap is loaded into it.
class Image {
 public:
  // Replaces the content with a copy of the library's bitmap resource `name`; throws an
  // Exception when the library has no such bitmap.
  void LoadFromResourceName(const std::wstring& name);
  bool Empty() const { return !bitmap_; }
  // 0 x 0 while empty.
  int Width() const;
  int Height() const;
  // Black outside the picture or while empty.
  Color Pixel(int x, int y) const;
  // As Bitmap::FloodFill; nothing while empty.
  void FloodFill(int x, int y, Color surface, Color fill);
  const Bitmap* GetBitmap() const { return bitmap_.get(); }

 private:
  std::unique_ptr<Bitmap> bitmap_;
};

}  // namespace toolkit
