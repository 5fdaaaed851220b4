// What design environments and browsers ask of a control besides embedding: property
// browsing and pages, quick activation, the simple-frame filter and object safety.
#include "server/Control.h"

#include <cstddef>

namespace server {

// IPerPropertyBrowsing

HRESULT STDMETHODCALLTYPE Control::GetDisplayString(DISPID, BSTR* text) noexcept {
  if (!text) return E_POINTER;
  *text = nullptr;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE Control::MapPropertyToPage(DISPID, CLSID* page) noexcept {
  if (!page) return E_POINTER;
  *page = CLSID_NULL;
  return PERPROP_E_NOPAGEAVAILABLE;
}

HRESULT STDMETHODCALLTYPE Control::GetPredefinedStrings(DISPID, CALPOLESTR* strings, CADWORD* cookies) noexcept {
  if (!strings || !cookies) return E_POINTER;
  *strings = CALPOLESTR{0, nullptr};
  *cookies = CADWORD{0, nullptr};
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE Control::GetPredefinedValue(DISPID, DWORD, VARIANT* value) noexcept {
  if (!value) return E_POINTER;
  VariantInit(value);
  return E_NOTIMPL;
}

// ISpecifyPropertyPages: the pages the form describes.

HRESULT STDMETHODCALLTYPE Control::GetPages(CAUUID* pages) noexcept try {
  if (!pages) return E_POINTER;
  *pages = CAUUID{0, nullptr};
  const std::vector<std::wstring> described = form_->DescribePropertyPages();
  if (described.empty()) return S_OK;
  auto* clsids = static_cast<GUID*>(CoTaskMemAlloc(described.size() * sizeof(GUID)));
  if (!clsids) return E_OUTOFMEMORY;
  for (std::size_t i = 0; i < described.size(); ++i) {
    const HRESULT hr = CLSIDFromString(described[i].c_str(), &clsids[i]);
    if (FAILED(hr)) {
      CoTaskMemFree(clsids);
      return hr;
    }
  }
  *pages = CAUUID{static_cast<ULONG>(described.size()), clsids};
  return S_OK;
} catch (...) {
  return Failed();
}

// IQuickActivate: the container's usual first calls, in one.

HRESULT STDMETHODCALLTYPE Control::QuickActivate(QACONTAINER* container, QACONTROL* control) noexcept {
  if (!container || !control) return E_POINTER;
  if (container->cbSize < offsetof(QACONTAINER, dwAmbientFlags) || control->cbSize < sizeof(QACONTROL))
    return E_INVALIDARG;
  RETURN_IF_FAILED(SetClientSite(container->pClientSite));
  if (container->pAdviseSink) RETURN_IF_FAILED(SetAdvise(DVASPECT_CONTENT, 0, container->pAdviseSink));
  control->dwEventCookie = 0;
  control->dwPropNotifyCookie = 0;
  // A sink that cannot be connected leaves its cookie 0; the container connects it later.
  if (container->pPropertyNotifySink) propertyNotify_.Advise(container->pPropertyNotifySink, &control->dwPropNotifyCookie);
  if (container->pUnkEventSink) events_.Advise(container->pUnkEventSink, &control->dwEventCookie);
  control->dwMiscStatus = kMiscStatus;
  control->dwViewStatus = VIEWSTATUS_OPAQUE;
  control->dwPointerActivationPolicy = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE Control::SetContentExtent(LPSIZEL size) noexcept {
  return SetExtent(DVASPECT_CONTENT, size);
}

HRESULT STDMETHODCALLTYPE Control::GetContentExtent(LPSIZEL size) noexcept {
  return GetExtent(DVASPECT_CONTENT, size);
}

// ISimpleFrameSite: messages of the frame go on unfiltered.

HRESULT STDMETHODCALLTYPE Control::PreMessageFilter(HWND, UINT, WPARAM, LPARAM, LRESULT* result,
                                                    DWORD* cookie) noexcept {
  if (result) *result = 0;
  if (cookie) *cookie = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE Control::PostMessageFilter(HWND, UINT, WPARAM, LPARAM, LRESULT* result, DWORD) noexcept {
  if (result) *result = 0;
  return S_OK;
}

// IObjectSafety: a control that drives laboratory hardware is never safe for an untrusted
// caller's scripting or initialization, on any of its interfaces.

HRESULT STDMETHODCALLTYPE Control::GetInterfaceSafetyOptions(REFIID riid, DWORD* supported, DWORD* enabled) noexcept {
  if (!supported || !enabled) return E_POINTER;
  *supported = 0;
  *enabled = 0;
  com_ptr<IUnknown> probe;
  return SUCCEEDED(QueryInterface(riid, probe.put_void())) ? S_OK : E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE Control::SetInterfaceSafetyOptions(REFIID riid, DWORD mask, DWORD enabled) noexcept {
  com_ptr<IUnknown> probe;
  if (FAILED(QueryInterface(riid, probe.put_void()))) return E_NOINTERFACE;
  return (mask & enabled) != 0 ? E_FAIL : S_OK;
}

}  // namespace server
