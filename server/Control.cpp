// The control adapter's lifetime and identity: construction around a new form, the one
// reference count, and the interface table.
#include "server/Control.h"

#include "core/Exceptions.h"
#include "server/Errors.h"
#include "toolkit/win32/Win32Platform.h"

namespace server {
namespace {

template <class I>
void* As(Control* control) {
  return static_cast<I*>(control);
}

struct InterfaceEntry {
  const IID* iid;
  void* (*cast)(Control*);
};

// IUnknown itself is the inner object's and is answered before this table.
const InterfaceEntry kInterfaces[] = {
    {&IID_IDispatch, As<IQXDevice>},
    {&IID_IQXDevice, As<IQXDevice>},
    {&IID_IProvideClassInfo, As<IProvideClassInfo2>},
    {&IID_IProvideClassInfo2, As<IProvideClassInfo2>},
    {&IID_ISupportErrorInfo, As<ISupportErrorInfo>},
    {&IID_IConnectionPointContainer, As<IConnectionPointContainer>},
    {&IID_IOleObject, As<IOleObject>},
    {&IID_IOleControl, As<IOleControl>},
    {&IID_IOleWindow, As<IOleInPlaceObject>},
    {&IID_IOleInPlaceObject, As<IOleInPlaceObject>},
    {&IID_IOleInPlaceActiveObject, As<IOleInPlaceActiveObject>},
    {&IID_IViewObject, As<IViewObject2>},
    {&IID_IViewObject2, As<IViewObject2>},
    {&IID_IDataObject, As<IDataObject>},
    {&IID_IPersist, As<IPersistStreamInit>},
    {&IID_IPersistStreamInit, As<IPersistStreamInit>},
    {&IID_IPersistStorage, As<IPersistStorage>},
    {&IID_IPersistPropertyBag, As<IPersistPropertyBag>},
    {&IID_IPerPropertyBrowsing, As<IPerPropertyBrowsing>},
    {&IID_ISpecifyPropertyPages, As<ISpecifyPropertyPages>},
    {&IID_IQuickActivate, As<IQuickActivate>},
    {&IID_ISimpleFrameSite, As<ISimpleFrameSite>},
    {&IID_IObjectSafety, As<IObjectSafety>},
};

// The calling thread's hidden window; child windows placed in it are never seen.
HWND ThreadsParkingWindow() {
  return dynamic_cast<toolkit::win32::Win32Platform&>(toolkit::CurrentPlatform()).ParkingWindow();
}

// Device pixels per logical inch of the screen.
SIZE ScreenDpi() {
  HDC screen = GetDC(nullptr);
  SIZE dpi{GetDeviceCaps(screen, LOGPIXELSX), GetDeviceCaps(screen, LOGPIXELSY)};
  ReleaseDC(nullptr, screen);
  return dpi;
}

constexpr int kHimetricPerInch = 2540;

}  // namespace

SIZEL PixelsToHimetric(int width, int height) {
  const SIZE dpi = ScreenDpi();
  return SIZEL{MulDiv(width, kHimetricPerInch, dpi.cx), MulDiv(height, kHimetricPerInch, dpi.cy)};
}

SIZE HimetricToPixels(const SIZEL& extent) {
  const SIZE dpi = ScreenDpi();
  return SIZE{MulDiv(extent.cx, dpi.cx, kHimetricPerInch), MulDiv(extent.cy, dpi.cy, kHimetricPerInch)};
}

com_ptr<IUnknown> Control::Create(const ClassEntry& entry, ClassInfo info, IUnknown* outer) {
  Control* control = new Control(entry, std::move(info), outer);
  return com_ptr<IUnknown>::attach(&control->inner_);
}

Control::Control(const ClassEntry& entry, ClassInfo info, IUnknown* outer)
    : controlling_(outer ? outer : &inner_),
      entry_(entry),
      info_(std::move(info)),
      parking_(ThreadsParkingWindow()),
      form_(entry_.makeForm(reinterpret_cast<std::uintptr_t>(parking_))) {
  form_->SetKeeper(this);
  form_->SetProgId(info_.progId);
  form_->InitializeForm();
  const toolkit::Bounds& bounds = form_->GetBounds();
  extent_ = PixelsToHimetric(bounds.Width, bounds.Height);
}

Control::~Control() {
  // The form goes first: its destruction fires OnDestroy while the host's sink is connected.
  form_.reset();
  events_.DisconnectAll();
  propertyNotify_.DisconnectAll();
}

HRESULT Control::Failed() noexcept {
  return ResultFromCaughtException({Report::ErrorInfo, info_.progId.c_str(), &IID_IQXDevice});
}

HWND Control::FormWindow() const { return toolkit::win32::WindowOf(*form_); }

HRESULT STDMETHODCALLTYPE Control::Inner::QueryInterface(REFIID riid, void** ppv) noexcept {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (IsEqualIID(riid, IID_IUnknown)) {
    *ppv = static_cast<IUnknown*>(this);
    AddRef();
    return S_OK;
  }
  for (const InterfaceEntry& entry : kInterfaces) {
    if (IsEqualIID(riid, *entry.iid)) {
      *ppv = entry.cast(&control_);
      // Through the interface, so that an aggregating object counts the reference.
      static_cast<IUnknown*>(*ppv)->AddRef();
      return S_OK;
    }
  }
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE Control::Inner::AddRef() noexcept {
  return static_cast<ULONG>(InterlockedIncrement(&control_.refs_));
}

ULONG STDMETHODCALLTYPE Control::Inner::Release() noexcept {
  const LONG refs = InterlockedDecrement(&control_.refs_);
  if (refs == 0) control_.LastReferenceGone();
  return static_cast<ULONG>(refs);
}

void Control::LastReferenceGone() noexcept {
  // Whatever runs from here on (the host's OnDestroy handler) may take and drop references
  // again; they must not reach zero a second time.
  refs_ = 1;
  if (holds_ == 0) return Destroy();
  closed_ = true;
  form_->MarkClosed();
}

void Control::Relinquish() noexcept {
  if (--holds_ == 0 && closed_) Destroy();
}

void Control::Destroy() noexcept {
  // Holds taken during destruction must not end in a second one.
  holds_ = 1;
  delete this;
}

HRESULT STDMETHODCALLTYPE Control::QueryInterface(REFIID riid, void** ppv) noexcept {
  return controlling_->QueryInterface(riid, ppv);
}

ULONG STDMETHODCALLTYPE Control::AddRef() noexcept { return controlling_->AddRef(); }

ULONG STDMETHODCALLTYPE Control::Release() noexcept { return controlling_->Release(); }

}  // namespace server
