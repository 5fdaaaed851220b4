// Embedding a control: IOleObject, IOleControl and in-place activation (IOleInPlaceObject,
// IOleInPlaceActiveObject). Until a container places the form it sits hidden in the
// parking window; in place, it is a child of the site's window at the site's rectangle.
#include "server/Control.h"

#include <olectl.h>

namespace server {

using core::win32::scope_exit;

namespace {

std::uintptr_t WindowHandle(HWND window) { return reinterpret_cast<std::uintptr_t>(window); }

}  // namespace

HRESULT Control::ActivateInPlace(bool uiActivate, IOleClientSite* activeSite) {
  if (!inPlaceActive_) {
    com_ptr<IOleClientSite> site = clientSite_ ? clientSite_ : com_ptr<IOleClientSite>(activeSite);
    if (!site) return E_UNEXPECTED;
    com_ptr<IOleInPlaceSite> inPlaceSite = site.query<IOleInPlaceSite>(IID_IOleInPlaceSite);
    if (!inPlaceSite) return E_NOINTERFACE;
    if (inPlaceSite->CanInPlaceActivate() != S_OK) return E_FAIL;
    RETURN_IF_FAILED(inPlaceSite->OnInPlaceActivate());
    if (closed_) return E_UNEXPECTED;

    HWND siteWindow = nullptr;
    com_ptr<IOleInPlaceFrame> frame;
    com_ptr<IOleInPlaceUIWindow> uiWindow;
    RECT pos{}, clip{};
    OLEINPLACEFRAMEINFO frameInfo{};
    frameInfo.cb = sizeof(frameInfo);
    HRESULT hr = inPlaceSite->GetWindow(&siteWindow);
    if (SUCCEEDED(hr)) hr = inPlaceSite->GetWindowContext(frame.put(), uiWindow.put(), &pos, &clip, &frameInfo);
    if (FAILED(hr) || closed_) {
      inPlaceSite->OnInPlaceDeactivate();
      return FAILED(hr) ? hr : E_UNEXPECTED;
    }
    inPlaceSite_ = std::move(inPlaceSite);
    frame_ = std::move(frame);
    uiWindow_ = std::move(uiWindow);
    inPlaceActive_ = true;

    form_->SetParentWindow(WindowHandle(siteWindow));
    RETURN_IF_FAILED(SetObjectRects(&pos, &clip));
  }
  // Also after the hide verb, which leaves the control in place.
  form_->Show();
  if (closed_) return E_UNEXPECTED;
  if (uiActivate && !uiActive_) {
    uiActive_ = true;
    inPlaceSite_->OnUIActivate();
    if (closed_) return E_UNEXPECTED;
    SetFocus(FormWindow());
    IOleInPlaceActiveObject* active = this;
    if (frame_) {
      frame_->SetActiveObject(active, info_.name.c_str());
      frame_->SetBorderSpace(nullptr);
    }
    if (uiWindow_) {
      uiWindow_->SetActiveObject(active, info_.name.c_str());
      uiWindow_->SetBorderSpace(nullptr);
    }
  }
  return S_OK;
}

void Control::ParkForm() {
  form_->Hide();
  form_->SetParentWindow(WindowHandle(ParkingWindow()));
}

HRESULT Control::ShowPropertyPages(HWND parent) {
  CAUUID pages{};
  RETURN_IF_FAILED(GetPages(&pages));
  scope_exit freePages([&] { CoTaskMemFree(pages.pElems); });
  if (pages.cElems == 0) return S_OK;
  IUnknown* object = static_cast<IOleObject*>(this);
  return OleCreatePropertyFrame(parent, 0, 0, info_.name.c_str(), 1, &object, pages.cElems, pages.pElems,
                                LOCALE_USER_DEFAULT, 0, nullptr);
}

// IOleObject

HRESULT STDMETHODCALLTYPE Control::SetClientSite(IOleClientSite* site) noexcept {
  clientSite_ = com_ptr<IOleClientSite>(site);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE Control::GetClientSite(IOleClientSite** site) noexcept { return clientSite_.copy_to(site); }

HRESULT STDMETHODCALLTYPE Control::SetHostNames(LPCOLESTR, LPCOLESTR) noexcept { return S_OK; }

HRESULT STDMETHODCALLTYPE Control::Close(DWORD saveOption) noexcept try {
  Hold hold(*this);
  if (dirty_ && clientSite_ && (saveOption == OLECLOSE_SAVEIFDIRTY || saveOption == OLECLOSE_PROMPTSAVE))
    clientSite_->SaveObject();
  InPlaceDeactivate();
  if (oleAdvise_) oleAdvise_->SendOnClose();
  return S_OK;
} catch (...) {
  return Failed();
}

HRESULT STDMETHODCALLTYPE Control::SetMoniker(DWORD, IMoniker*) noexcept { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE Control::GetMoniker(DWORD, DWORD, IMoniker** moniker) noexcept {
  if (!moniker) return E_POINTER;
  *moniker = nullptr;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE Control::InitFromData(IDataObject*, BOOL, DWORD) noexcept { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE Control::GetClipboardData(DWORD, IDataObject** data) noexcept {
  if (!data) return E_POINTER;
  *data = nullptr;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE Control::DoVerb(LONG verb, LPMSG, IOleClientSite* activeSite, LONG, HWND parent,
                                          LPCRECT) noexcept try {
  Hold hold(*this);
  switch (verb) {
    // Verb 0, the primary one, is registered as "Properties".
    case OLEIVERB_PRIMARY:
    case OLEIVERB_PROPERTIES:
      return ShowPropertyPages(parent);
    case OLEIVERB_SHOW:
    case OLEIVERB_UIACTIVATE:
      return ActivateInPlace(true, activeSite);
    case OLEIVERB_INPLACEACTIVATE:
      return ActivateInPlace(false, activeSite);
    case OLEIVERB_HIDE:
      RETURN_IF_FAILED(UIDeactivate());
      form_->Hide();
      return S_OK;
    default:
      return verb < 0 ? E_NOTIMPL : OLEOBJ_S_INVALIDVERB;
  }
} catch (...) {
  return Failed();
}

HRESULT STDMETHODCALLTYPE Control::EnumVerbs(IEnumOLEVERB** verbs) noexcept {
  return OleRegEnumVerbs(*entry_.clsid, verbs);
}

HRESULT STDMETHODCALLTYPE Control::Update() noexcept { return S_OK; }

HRESULT STDMETHODCALLTYPE Control::IsUpToDate() noexcept { return S_OK; }

HRESULT STDMETHODCALLTYPE Control::GetUserClassID(CLSID* clsid) noexcept {
  if (!clsid) return E_POINTER;
  *clsid = *entry_.clsid;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE Control::GetUserType(DWORD form, LPOLESTR* userType) noexcept {
  return OleRegGetUserType(*entry_.clsid, form, userType);
}

HRESULT STDMETHODCALLTYPE Control::SetExtent(DWORD aspect, SIZEL* size) noexcept try {
  if (!size) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  ExtentChanged(*size);
  return S_OK;
} catch (...) {
  return Failed();
}

HRESULT STDMETHODCALLTYPE Control::GetExtent(DWORD aspect, SIZEL* size) noexcept {
  if (!size) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  *size = extent_;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE Control::Advise(IAdviseSink* sink, DWORD* connection) noexcept {
  if (!oleAdvise_) RETURN_IF_FAILED(CreateOleAdviseHolder(oleAdvise_.put()));
  return oleAdvise_->Advise(sink, connection);
}

HRESULT STDMETHODCALLTYPE Control::Unadvise(DWORD connection) noexcept {
  if (!oleAdvise_) return OLE_E_NOCONNECTION;
  return oleAdvise_->Unadvise(connection);
}

HRESULT STDMETHODCALLTYPE Control::EnumAdvise(IEnumSTATDATA** advise) noexcept {
  if (!advise) return E_POINTER;
  *advise = nullptr;
  if (!oleAdvise_) return S_OK;
  return oleAdvise_->EnumAdvise(advise);
}

HRESULT STDMETHODCALLTYPE Control::GetMiscStatus(DWORD aspect, DWORD* status) noexcept {
  if (!status) return E_POINTER;
  *status = aspect == DVASPECT_CONTENT ? kMiscStatus : 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE Control::SetColorScheme(LOGPALETTE*) noexcept { return E_NOTIMPL; }

// IOleControl: no mnemonics, no ambient properties read.

HRESULT STDMETHODCALLTYPE Control::GetControlInfo(CONTROLINFO* info) noexcept {
  if (!info) return E_POINTER;
  info->hAccel = nullptr;
  info->cAccel = 0;
  info->dwFlags = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE Control::OnMnemonic(MSG*) noexcept { return S_OK; }

HRESULT STDMETHODCALLTYPE Control::OnAmbientPropertyChange(DISPID) noexcept { return S_OK; }

HRESULT STDMETHODCALLTYPE Control::FreezeEvents(BOOL) noexcept { return S_OK; }

// IOleWindow

HRESULT STDMETHODCALLTYPE Control::GetWindow(HWND* window) noexcept try {
  if (!window) return E_POINTER;
  *window = FormWindow();
  return *window ? S_OK : E_FAIL;
} catch (...) {
  return Failed();
}

HRESULT STDMETHODCALLTYPE Control::ContextSensitiveHelp(BOOL) noexcept { return E_NOTIMPL; }

// IOleInPlaceObject

HRESULT STDMETHODCALLTYPE Control::InPlaceDeactivate() noexcept try {
  Hold hold(*this);
  if (!inPlaceActive_) return S_OK;
  UIDeactivate();
  inPlaceActive_ = false;
  ParkForm();
  com_ptr<IOleInPlaceSite> site = std::move(inPlaceSite_);
  frame_.reset();
  uiWindow_.reset();
  site->OnInPlaceDeactivate();
  return S_OK;
} catch (...) {
  return Failed();
}

HRESULT STDMETHODCALLTYPE Control::UIDeactivate() noexcept {
  Hold hold(*this);
  if (!uiActive_) return S_OK;
  uiActive_ = false;
  if (frame_) frame_->SetActiveObject(nullptr, nullptr);
  if (uiWindow_) uiWindow_->SetActiveObject(nullptr, nullptr);
  inPlaceSite_->OnUIDeactivate(FALSE);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE Control::SetObjectRects(LPCRECT posRect, LPCRECT) noexcept try {
  if (!posRect) return E_POINTER;
  form_->SetBounds(posRect->left, posRect->top, posRect->right - posRect->left, posRect->bottom - posRect->top);
  return S_OK;
} catch (...) {
  return Failed();
}

HRESULT STDMETHODCALLTYPE Control::ReactivateAndUndo() noexcept { return INPLACE_E_NOTUNDOABLE; }

// IOleInPlaceActiveObject: the form's own windows handle their keys. The container's loop shows
// the active object each key first and would take Alt and a letter for a mnemonic of its own,
// so the form's accelerators are applied here.

HRESULT STDMETHODCALLTYPE Control::TranslateAccelerator(LPMSG msg) noexcept try {
  if (!msg || msg->message != WM_SYSKEYDOWN) return S_FALSE;
  Hold hold(*this);
  const auto key = static_cast<wchar_t>(MapVirtualKeyW(static_cast<UINT>(msg->wParam), MAPVK_VK_TO_CHAR));
  return key && form_->FocusAccelerator(key) ? S_OK : S_FALSE;
} catch (...) {
  return Failed();
}

HRESULT STDMETHODCALLTYPE Control::OnFrameWindowActivate(BOOL) noexcept { return S_OK; }

HRESULT STDMETHODCALLTYPE Control::OnDocWindowActivate(BOOL) noexcept { return S_OK; }

HRESULT STDMETHODCALLTYPE Control::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) noexcept { return S_OK; }

HRESULT STDMETHODCALLTYPE Control::EnableModeless(BOOL) noexcept { return S_OK; }

}  // namespace server
