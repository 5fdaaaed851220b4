// The automation side of a control: IQXDevice on the form, IDispatch through the type
// library, class information and error information support.
#include "server/Control.h"

namespace server {
namespace {

VARIANT_BOOL ToVariantBool(bool value) { return value ? VARIANT_TRUE : VARIANT_FALSE; }

}  // namespace

// IQXDevice

HRESULT STDMETHODCALLTYPE Control::get_InternalTrigger(VARIANT_BOOL* value) noexcept {
  if (!value) return E_POINTER;
  return Call([&] { *value = ToVariantBool(form_->Get_InternalTrigger()); });
}

HRESULT STDMETHODCALLTYPE Control::put_InternalTrigger(VARIANT_BOOL value) noexcept {
  return Call([&] { form_->Set_InternalTrigger(value != VARIANT_FALSE); });
}

HRESULT STDMETHODCALLTYPE Control::get_Text(BSTR* value) noexcept {
  if (!value) return E_POINTER;
  *value = nullptr;
  return Call([&] {
    const std::wstring text = form_->Get_Text();
    *value = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!*value) throw std::bad_alloc();
  });
}

HRESULT STDMETHODCALLTYPE Control::put_Text(BSTR value) noexcept {
  return Call([&] { form_->Set_Text(value ? std::wstring(value, SysStringLen(value)) : std::wstring()); });
}

HRESULT STDMETHODCALLTYPE Control::get_Active(VARIANT_BOOL* value) noexcept {
  if (!value) return E_POINTER;
  return Call([&] { *value = ToVariantBool(form_->Get_Active()); });
}

HRESULT STDMETHODCALLTYPE Control::put_Active(VARIANT_BOOL value) noexcept {
  return Call([&] { form_->Set_Active(value != VARIANT_FALSE); });
}

HRESULT STDMETHODCALLTYPE Control::get_Port(LONG* value) noexcept {
  if (!value) return E_POINTER;
  return Call([&] { *value = form_->Get_Port(); });
}

HRESULT STDMETHODCALLTYPE Control::put_Port(LONG value) noexcept {
  return Call([&] { form_->Set_Port(value); });
}

HRESULT STDMETHODCALLTYPE Control::Trigger() noexcept {
  return Call([&] { form_->Trigger(); });
}

HRESULT STDMETHODCALLTYPE Control::Clear() noexcept {
  return Call([&] { form_->Clear(); });
}

HRESULT STDMETHODCALLTYPE Control::LoadConfig() noexcept {
  return Call([&] { form_->LoadConfig(); });
}

HRESULT STDMETHODCALLTYPE Control::SaveConfig() noexcept {
  return Call([&] { form_->SaveConfig(); });
}

// IDispatch: member names and DISPIDs live only in the type library.

HRESULT STDMETHODCALLTYPE Control::GetTypeInfoCount(UINT* count) noexcept {
  if (!count) return E_POINTER;
  *count = 1;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE Control::GetTypeInfo(UINT index, LCID, ITypeInfo** info) noexcept try {
  if (!info) return E_POINTER;
  *info = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  *info = &DeviceTypeInfo();
  (*info)->AddRef();
  return S_OK;
} catch (...) {
  return Failed();
}

HRESULT STDMETHODCALLTYPE Control::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                                                 DISPID* dispids) noexcept try {
  if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  // The system's lookup reads both arrays unchecked.
  if (!names || !dispids) return E_POINTER;
  return DispGetIDsOfNames(&DeviceTypeInfo(), names, count, dispids);
} catch (...) {
  return Failed();
}

HRESULT STDMETHODCALLTYPE Control::Invoke(DISPID dispid, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                                          VARIANT* result, EXCEPINFO* exception, UINT* argError) noexcept try {
  if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  // The system's call reads the arguments unchecked.
  if (!params) return E_POINTER;
  // No property holds an object, so a put by reference is a plain put.
  if (flags & DISPATCH_PROPERTYPUTREF) flags = static_cast<WORD>((flags & ~DISPATCH_PROPERTYPUTREF) | DISPATCH_PROPERTYPUT);
  return DispInvoke(static_cast<IQXDevice*>(this), &DeviceTypeInfo(), dispid, flags, params, result, exception,
                    argError);
} catch (...) {
  return Failed();
}

// IProvideClassInfo2

HRESULT STDMETHODCALLTYPE Control::GetClassInfo(ITypeInfo** info) noexcept {
  return info_.coclass.copy_to(info);
}

HRESULT STDMETHODCALLTYPE Control::GetGUID(DWORD kind, GUID* guid) noexcept {
  if (!guid) return E_POINTER;
  if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
    *guid = GUID_NULL;
    return E_INVALIDARG;
  }
  *guid = DIID_IQXDeviceEvents;
  return S_OK;
}

// ISupportErrorInfo: failures of the control interface come with error information.

HRESULT STDMETHODCALLTYPE Control::InterfaceSupportsErrorInfo(REFIID riid) noexcept {
  return IsEqualIID(riid, IID_IQXDevice) ? S_OK : S_FALSE;
}

}  // namespace server
