#pragma once
// One owner for every handle of the Windows side, and each kind of handle as one line over it:
// the handle's type and the call that gives it back. The server, the toolkit's peers, the back
// ends and the tools hold their handles in these, so that no close call is written by hand.
#include <windows.h>

#include <utility>

namespace core::win32 {

// Gives the handle back with `Close` exactly once, when the owner goes or takes another. Null
// stands for none; the failure value of the calls that answer INVALID_HANDLE_VALUE is not one
// of these.
template <class Handle, auto Close>
class unique_any {
 public:
  unique_any() noexcept = default;
  explicit unique_any(Handle handle) noexcept : handle_(handle) {}
  unique_any(unique_any&& other) noexcept : handle_(other.release()) {}
  unique_any& operator=(unique_any&& other) noexcept {
    reset(other.release());
    return *this;
  }
  ~unique_any() { reset(); }

  Handle get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return handle_ != nullptr; }
  void reset(Handle handle = nullptr) noexcept {
    if (Handle previous = std::exchange(handle_, handle)) Close(previous);
  }
  // For whoever owns the handle from now on (a menu that adopts its submenu).
  Handle release() noexcept { return std::exchange(handle_, nullptr); }
  // For an out parameter: gives back what is held and hands out the slot.
  Handle* put() noexcept {
    reset();
    return &handle_;
  }

 private:
  Handle handle_ = nullptr;
};

using unique_hwnd = unique_any<HWND, DestroyWindow>;
// A kernel handle: an event, a mutex, a thread, a file.
using unique_handle = unique_any<HANDLE, CloseHandle>;
using unique_hmodule = unique_any<HMODULE, FreeLibrary>;
using unique_hkey = unique_any<HKEY, RegCloseKey>;
using unique_hfont = unique_any<HFONT, DeleteObject>;
using unique_hbrush = unique_any<HBRUSH, DeleteObject>;
using unique_hbitmap = unique_any<HBITMAP, DeleteObject>;
using unique_hmenu = unique_any<HMENU, DestroyMenu>;
// A device context of CreateCompatibleDC; GetDC's is given back to its window instead.
using unique_memory_dc = unique_any<HDC, DeleteDC>;

}  // namespace core::win32
