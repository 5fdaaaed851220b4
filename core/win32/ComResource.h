#pragma once
// Owners for what COM hands out: interface pointers, automation strings and variants; with
// them the owners of the other handles, and code to run on the way out. The server, the tools
// and the tests all hold their handles in these, so that no Release or SysFreeString is written
// by hand anywhere else.
#include <windows.h>
#include <oleauto.h>

#include <cstddef>
#include <string>
#include <utility>

#include "core/win32/Handles.h"

namespace core::win32 {

// Shares its object, where the handle owners own theirs alone: a copy takes a reference of its
// own, and an object can be asked for another of its interfaces.
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

// An automation string: owned as every handle is, and read and made as text.
class unique_bstr : public unique_any<BSTR, SysFreeString> {
 public:
  unique_bstr() noexcept = default;
  // A copy of `text`, embedded nulls included.
  explicit unique_bstr(const std::wstring& text)
      : unique_any(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  // The whole string, embedded nulls included; a null BSTR is the empty string.
  std::wstring str() const { return get() ? std::wstring(get(), SysStringLen(get())) : std::wstring(); }
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
