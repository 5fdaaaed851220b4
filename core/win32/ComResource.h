#pragma once
// Owners for the handles of the Windows side: interface pointers, automation strings and
// variants, windows, kernel handles, and code to run on the way out. The server, the tools and
// the tests all hold their handles in these, so that no Release, SysFreeString or DestroyWindow
// is written by hand anywhere else.
#include <windows.h>
#include <oleauto.h>

#include <cstddef>
#include <string>
#include <utility>

namespace core::win32 {

template <class T>
class com_ptr {
 public:
  com_ptr() noexcept = default;
  com_ptr(std::nullptr_t) noexcept {}
  // Shares `p`: takes a reference of its own.
  explicit com_ptr(T* p) noexcept : p_(p) {
    if (p_) p_->AddRef();
  }
  com_ptr(const com_ptr& other) noexcept : com_ptr(other.p_) {}
  com_ptr(com_ptr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ~com_ptr() { reset(); }
  com_ptr& operator=(com_ptr other) noexcept {
    std::swap(p_, other.p_);
    return *this;
  }

  // Takes over a reference that the caller already owns.
  static com_ptr attach(T* p) noexcept {
    com_ptr result;
    result.p_ = p;
    return result;
  }

  T* get() const noexcept { return p_; }
  T* operator->() const noexcept { return p_; }
  explicit operator bool() const noexcept { return p_ != nullptr; }

  void reset() noexcept {
    if (T* p = std::exchange(p_, nullptr)) p->Release();
  }
  // For an out parameter: releases what is held and hands out the slot.
  T** put() noexcept {
    reset();
    return &p_;
  }
  void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

  // A new reference for an out parameter; null stays null.
  HRESULT copy_to(T** out) const noexcept {
    if (!out) return E_POINTER;
    *out = p_;
    if (p_) p_->AddRef();
    return S_OK;
  }

  // The same object as another interface, or null when it has none.
  template <class U>
  com_ptr<U> query(const IID& iid) const noexcept {
    com_ptr<U> result;
    if (p_) p_->QueryInterface(iid, result.put_void());
    return result;
  }

 private:
  T* p_ = nullptr;
};

class unique_bstr {
 public:
  unique_bstr() noexcept = default;
  // A copy of `text`, embedded nulls included.
  explicit unique_bstr(const std::wstring& text)
      : s_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  unique_bstr(const unique_bstr&) = delete;
  unique_bstr& operator=(const unique_bstr&) = delete;
  ~unique_bstr() { reset(); }

  BSTR get() const noexcept { return s_; }
  void reset() noexcept { SysFreeString(std::exchange(s_, nullptr)); }
  BSTR* put() noexcept {
    reset();
    return &s_;
  }
  // The whole string, embedded nulls included; a null BSTR is the empty string.
  std::wstring str() const { return s_ ? std::wstring(s_, SysStringLen(s_)) : std::wstring(); }

 private:
  BSTR s_ = nullptr;
};

class unique_variant {
 public:
  unique_variant() noexcept { VariantInit(&v_); }
  unique_variant(const unique_variant&) = delete;
  unique_variant& operator=(const unique_variant&) = delete;
  ~unique_variant() { VariantClear(&v_); }

  VARIANT* get() noexcept { return &v_; }

 private:
  VARIANT v_;
};

// One system handle, given back by `Close` when the owner goes. Null stands for none; the
// failure value of the calls that answer INVALID_HANDLE_VALUE is not one of these.
template <class Handle, class Close>
class unique_system_handle {
 public:
  unique_system_handle() noexcept = default;
  explicit unique_system_handle(Handle handle) noexcept : handle_(handle) {}
  unique_system_handle(const unique_system_handle&) = delete;
  unique_system_handle& operator=(const unique_system_handle&) = delete;
  unique_system_handle(unique_system_handle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  unique_system_handle& operator=(unique_system_handle&& other) noexcept {
    if (this != &other) {
      reset();
      handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
  }
  ~unique_system_handle() { reset(); }

  Handle get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return handle_ != nullptr; }
  void reset() noexcept {
    if (Handle handle = std::exchange(handle_, nullptr)) Close()(handle);
  }

 private:
  Handle handle_ = nullptr;
};

struct WindowClose {
  void operator()(HWND window) const noexcept { DestroyWindow(window); }
};
struct KernelHandleClose {
  void operator()(HANDLE handle) const noexcept { CloseHandle(handle); }
};

using unique_hwnd = unique_system_handle<HWND, WindowClose>;
// A kernel handle: an event, a thread.
using unique_handle = unique_system_handle<HANDLE, KernelHandleClose>;

// Runs a function when the scope ends, however it ends.
template <class F>
class scope_exit {
 public:
  explicit scope_exit(F f) noexcept : f_(std::move(f)) {}
  scope_exit(const scope_exit&) = delete;
  scope_exit& operator=(const scope_exit&) = delete;
  ~scope_exit() { f_(); }

 private:
  F f_;
};

// Only an HRESULT gets through: a BOOL or an int slipping into RETURN_IF_FAILED is a compile
// error rather than a success read the wrong way round.
template <class T>
HRESULT RequireHresult(T) = delete;
inline HRESULT RequireHresult(HRESULT hr) noexcept { return hr; }

}  // namespace core::win32

#define RETURN_IF_FAILED(expr)                                                          \
  do {                                                                                  \
    const HRESULT apparata_hr_ = ::core::win32::RequireHresult(expr);                  \
    if (FAILED(apparata_hr_)) return apparata_hr_;                                      \
  } while (0)
