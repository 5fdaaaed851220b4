// What a container sees of a control that is not in place: its extent and a drawing of it
// (IViewObject2), and a data object without data formats of its own (IDataObject).
#include "server/Control.h"

namespace server {

void Control::SetFormExtent(const SIZEL& extent) {
  const SIZE pixels = HimetricToPixels(extent);
  const toolkit::Bounds& bounds = form_->GetBounds();
  form_->SetBounds(bounds.Left, bounds.Top, pixels.cx, pixels.cy);
}

void Control::ExtentChanged(const SIZEL& extent) {
  extent_ = extent;
  dirty_ = true;
  // In place, the container sizes the form through SetObjectRects.
  if (!inPlaceActive_) SetFormExtent(extent);
  if (viewSink_ && (viewAspects_ & DVASPECT_CONTENT)) {
    com_ptr<IAdviseSink> sink = viewSink_;
    if (viewAdvf_ & ADVF_ONLYONCE) viewSink_.reset();
    sink->OnViewChange(DVASPECT_CONTENT, -1);
  }
}

// IViewObject2

HRESULT STDMETHODCALLTYPE Control::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC drawDc, LPCRECTL bounds,
                                        LPCRECTL, WINBOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) noexcept {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!drawDc || !bounds) return E_INVALIDARG;
  // The panel's face; the form itself is drawn by its windows once the control is in place.
  RECT area{bounds->left, bounds->top, bounds->right, bounds->bottom};
  FillRect(drawDc, &area, GetSysColorBrush(COLOR_BTNFACE));
  DrawEdge(drawDc, &area, EDGE_RAISED, BF_RECT);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE Control::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** colors) noexcept {
  if (!colors) return E_POINTER;
  *colors = nullptr;
  return S_FALSE;
}

HRESULT STDMETHODCALLTYPE Control::Freeze(DWORD, LONG, void*, DWORD* freeze) noexcept {
  if (!freeze) return E_POINTER;
  *freeze = 0;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE Control::Unfreeze(DWORD) noexcept { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE Control::SetAdvise(DWORD aspects, DWORD advf, IAdviseSink* sink) noexcept {
  viewSink_ = com_ptr<IAdviseSink>(sink);
  viewAspects_ = sink ? aspects : 0;
  viewAdvf_ = sink ? advf : 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE Control::GetAdvise(DWORD* aspects, DWORD* advf, IAdviseSink** sink) noexcept {
  if (aspects) *aspects = viewAspects_;
  if (advf) *advf = viewAdvf_;
  if (sink) viewSink_.copy_to(sink);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE Control::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) noexcept {
  return GetExtent(aspect, size);
}

// IDataObject

HRESULT STDMETHODCALLTYPE Control::GetData(FORMATETC*, STGMEDIUM*) noexcept { return DV_E_FORMATETC; }

HRESULT STDMETHODCALLTYPE Control::GetDataHere(FORMATETC*, STGMEDIUM*) noexcept { return DV_E_FORMATETC; }

HRESULT STDMETHODCALLTYPE Control::QueryGetData(FORMATETC*) noexcept { return DV_E_FORMATETC; }

HRESULT STDMETHODCALLTYPE Control::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) noexcept {
  if (!out) return E_POINTER;
  out->ptd = nullptr;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE Control::SetData(FORMATETC*, STGMEDIUM*, BOOL) noexcept { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE Control::EnumFormatEtc(DWORD, IEnumFORMATETC** formats) noexcept {
  if (!formats) return E_POINTER;
  *formats = nullptr;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE Control::DAdvise(FORMATETC* format, DWORD advf, IAdviseSink* sink, DWORD* connection) noexcept {
  if (!dataAdvise_) RETURN_IF_FAILED(CreateDataAdviseHolder(dataAdvise_.put()));
  return dataAdvise_->Advise(static_cast<IDataObject*>(this), format, advf, sink, connection);
}

HRESULT STDMETHODCALLTYPE Control::DUnadvise(DWORD connection) noexcept {
  if (!dataAdvise_) return OLE_E_NOCONNECTION;
  return dataAdvise_->Unadvise(connection);
}

HRESULT STDMETHODCALLTYPE Control::EnumDAdvise(IEnumSTATDATA** advise) noexcept {
  if (!advise) return E_POINTER;
  *advise = nullptr;
  if (!dataAdvise_) return S_OK;
  return dataAdvise_->EnumAdvise(advise);
}

}  // namespace server
