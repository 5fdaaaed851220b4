#pragma once
// The least IQXDevice there can be: members that store and answer values, and an IDispatch
// made by the system's CreateStdDispatch over the server's own type library. It shows what the
// platform's dispatch answers for a call, and how long it takes, with nothing of a control
// behind it.
#include <windows.h>
#include <oleauto.h>

#include <string>

#include "Apparata_h.h"

namespace minimal_device {

class Device final : public IQXDevice {
 public:
  // Loads the type library from the server file at `serverPath`; `ok()` tells whether it did.
  explicit Device(const std::wstring& serverPath) {
    ITypeLib* library = nullptr;
    if (FAILED(LoadTypeLibEx(serverPath.c_str(), REGKIND_NONE, &library))) return;
    library->GetTypeInfoOfGuid(IID_IQXDevice, &info_);
    library->Release();
    if (info_) CreateStdDispatch(nullptr, static_cast<IQXDevice*>(this), info_, &dispatch_);
  }
  Device(const Device&) = delete;
  Device& operator=(const Device&) = delete;
  ~Device() {
    if (dispatch_) dispatch_->Release();
    if (info_) info_->Release();
    SysFreeString(text_);
  }

  bool ok() const { return dispatch_ != nullptr; }
  // The standard dispatch; its IDispatch members come here only through Invoke's type information.
  IDispatch* Dispatch() const {
    IDispatch* dispatch = nullptr;
    dispatch_->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch));
    return dispatch;
  }

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
    *value = SysAllocStringLen(text_, SysStringLen(text_));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_Text(BSTR value) override {
    return SysReAllocStringLen(&text_, value, SysStringLen(value)) ? S_OK : E_OUTOFMEMORY;
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

  ITypeInfo* info_ = nullptr;
  IUnknown* dispatch_ = nullptr;
  BSTR text_ = SysAllocString(L"R     kOm=+11350E-4");
  VARIANT_BOOL internal_ = VARIANT_FALSE;
  VARIANT_BOOL active_ = VARIANT_TRUE;
  LONG port_ = 0;
};

}  // namespace minimal_device
