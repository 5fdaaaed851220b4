#pragma once
// The least IQXDevice there can be: members that store and answer values, and an IDispatch
// made by the system's CreateStdDispatch over the server's own type library. It shows what the
// platform's dispatch answers for a call, and how long it takes, with nothing of a control
// behind it.
#include <windows.h>
#include <oleauto.h>

#include <string>

#include "Apparata_h.h"
#include "core/win32/ComResource.h"

namespace minimal_device {

class Device final : public IQXDevice {
 public:
  // Loads the type library from the server file at `serverPath`; `ok()` tells whether it did.
  explicit Device(const std::wstring& serverPath) {
    core::win32::com_ptr<ITypeLib> library;
    if (FAILED(LoadTypeLibEx(serverPath.c_str(), REGKIND_NONE, library.put()))) return;
    library->GetTypeInfoOfGuid(IID_IQXDevice, info_.put());
    if (info_) CreateStdDispatch(nullptr, static_cast<IQXDevice*>(this), info_.get(), dispatch_.put());
  }
  Device(const Device&) = delete;
  Device& operator=(const Device&) = delete;

  bool ok() const { return static_cast<bool>(dispatch_); }
  // The standard dispatch; its IDispatch members come here only through Invoke's type information.
  core::win32::com_ptr<IDispatch> Dispatch() const { return dispatch_.query<IDispatch>(IID_IDispatch); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDispatch) && !IsEqualIID(riid, IID_IQXDevice))
      return E_NOINTERFACE;
    *ppv = static_cast<IQXDevice*>(this);
    return S_OK;
  }
  // Lives on its owner's stack.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return Unused(count); }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override { return Unused(info); }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID* ids) override { return Unused(ids); }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                   UINT*) override {
    return Unused(result);
  }

  HRESULT STDMETHODCALLTYPE get_InternalTrigger(VARIANT_BOOL* value) override { return Get(value, internal_); }
  HRESULT STDMETHODCALLTYPE put_InternalTrigger(VARIANT_BOOL value) override { return Put(internal_, value); }
  HRESULT STDMETHODCALLTYPE get_Text(BSTR* value) override {
    if (!value) return E_POINTER;
    *value = SysAllocStringLen(text_.get(), SysStringLen(text_.get()));
    return S_OK;
  }
  // A text that cannot be copied leaves the one before.
  HRESULT STDMETHODCALLTYPE put_Text(BSTR value) override {
    const BSTR copy = SysAllocStringLen(value, SysStringLen(value));
    if (copy) text_.reset(copy);
    return copy ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE get_Active(VARIANT_BOOL* value) override { return Get(value, active_); }
  HRESULT STDMETHODCALLTYPE put_Active(VARIANT_BOOL value) override { return Put(active_, value); }
  HRESULT STDMETHODCALLTYPE get_Port(LONG* value) override { return Get(value, port_); }
  HRESULT STDMETHODCALLTYPE put_Port(LONG value) override { return Put(port_, value); }
  HRESULT STDMETHODCALLTYPE Trigger() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Clear() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE LoadConfig() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SaveConfig() override { return S_OK; }

 private:
  template <class T>
  static HRESULT Unused(T* out) {
    if (out) *out = T{};
    return E_NOTIMPL;
  }
  template <class T>
  static HRESULT Get(T* out, T value) {
    if (!out) return E_POINTER;
    *out = value;
    return S_OK;
  }
  template <class T>
  static HRESULT Put(T& field, T value) {
    field = value;
    return S_OK;
  }

  core::win32::unique_bstr text_{L"R     kOm=+11350E-4"};
  core::win32::com_ptr<ITypeInfo> info_;
  core::win32::com_ptr<IUnknown> dispatch_;
  VARIANT_BOOL internal_ = VARIANT_FALSE;
  VARIANT_BOOL active_ = VARIANT_TRUE;
  LONG port_ = 0;
};

}  // namespace minimal_device
