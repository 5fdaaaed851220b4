#pragma once
// Owners for the handles the server juggles: interface pointers, automation strings and
// variants, windows, and code to run on the way out. No Release, SysFreeString or
// DestroyWindow is written by hand anywhere else.
#include <windows.h>
#include <oleauto.h>

#include <cstddef>
#include <string>
#include <utility>

namespace framework::server {

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
  unique_bstr(const unique_bstr&) = delete;
  unique_bstr& operator=(const unique_bstr&) = delete;
  ~unique_bstr() { reset(); }

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

class unique_hwnd {
 public:
  unique_hwnd() noexcept = default;
  explicit unique_hwnd(HWND hwnd) noexcept : hwnd_(hwnd) {}
  unique_hwnd(const unique_hwnd&) = delete;
  unique_hwnd& operator=(const unique_hwnd&) = delete;
  unique_hwnd(unique_hwnd&& other) noexcept : hwnd_(std::exchange(other.hwnd_, nullptr)) {}
  ~unique_hwnd() { reset(); }

  HWND get() const noexcept { return hwnd_; }
  explicit operator bool() const noexcept { return hwnd_ != nullptr; }
  void reset() noexcept {
    if (HWND hwnd = std::exchange(hwnd_, nullptr)) DestroyWindow(hwnd);
  }

 private:
  HWND hwnd_ = nullptr;
};

// A kernel handle: an event, a thread. Null stands for none; the failure value of the calls
// that answer INVALID_HANDLE_VALUE is not one of these.
class unique_handle {
 public:
  unique_handle() noexcept = default;
  explicit unique_handle(HANDLE handle) noexcept : handle_(handle) {}
  unique_handle(const unique_handle&) = delete;
  unique_handle& operator=(const unique_handle&) = delete;
  unique_handle(unique_handle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  unique_handle& operator=(unique_handle&& other) noexcept {
    if (this != &other) {
      reset();
      handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
  }
  ~unique_handle() { reset(); }

  HANDLE get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return handle_ != nullptr; }
  void reset() noexcept {
    if (HANDLE handle = std::exchange(handle_, nullptr)) CloseHandle(handle);
  }

 private:
  HANDLE handle_ = nullptr;
};

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

}  // namespace framework::server

#define RETURN_IF_FAILED(expr)                                                          \
  do {                                                                                  \
    const HRESULT apparata_hr_ = ::framework::server::RequireHresult(expr);             \
    if (FAILED(apparata_hr_)) return apparata_hr_;                                      \
  } while (0)
