#pragma once
// Owners of the system handles the Win32 peers hold: each releases its handle exactly once.
#include "toolkit/win32/SystemHeaders.h"

#include <memory>
#include <type_traits>

namespace toolkit::win32 {

template <class Handle, class Release>
using unique_handle = std::unique_ptr<std::remove_pointer_t<Handle>, Release>;

struct WindowRelease {
  void operator()(HWND window) const { DestroyWindow(window); }
};
struct GdiObjectRelease {
  void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
struct MenuRelease {
  void operator()(HMENU menu) const { DestroyMenu(menu); }
};
struct MemoryDcRelease {
  void operator()(HDC dc) const { DeleteDC(dc); }
};

using unique_hwnd = unique_handle<HWND, WindowRelease>;
using unique_hfont = unique_handle<HFONT, GdiObjectRelease>;
using unique_hbrush = unique_handle<HBRUSH, GdiObjectRelease>;
using unique_hbitmap = unique_handle<HBITMAP, GdiObjectRelease>;
using unique_hmenu = unique_handle<HMENU, MenuRelease>;
using unique_memory_dc = unique_handle<HDC, MemoryDcRelease>;

// An object selected into a device context for the life of this scope.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~SelectedObject() { SelectObject(dc_, previous_); }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// BeginPaint..EndPaint.
class PaintScope {
 public:
  explicit PaintScope(HWND window) : window_(window) { dc_ = BeginPaint(window, &paint_); }
  ~PaintScope() { EndPaint(window_, &paint_); }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  HDC Dc() const { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

}  // namespace toolkit::win32
