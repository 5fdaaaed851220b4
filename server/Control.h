#pragma once
// The control adapter: one COM object around one instrument form. It answers the control
// interface IQXDevice by calling the form, raises the form's events through its connection
// point, and offers what a container needs to embed, place, size, draw and save a control.
//
// One reference count for the whole object; when aggregated, every interface but the inner
// IUnknown delegates to the outer object. The definitions are grouped by interface:
// Control.cpp (lifetime, IUnknown), Dispatch.cpp (IQXDevice, IDispatch, class information),
// Events.cpp (connection points), OleObject.cpp (IOleObject, IOleControl, in-place
// activation), View.cpp (IViewObject2, IDataObject), Persist.cpp (the persistence
// interfaces), Properties.cpp (property browsing and pages, quick activation, simple frame,
// object safety).
#include <windows.h>
#include <objsafe.h>
#include <ocidl.h>
#include <olectl.h>

#include <memory>

#include "Apparata_h.h"
#include "core/win32/ComResource.h"
#include "framework/HPIBDev.h"
#include "server/Classes.h"
#include "server/Events.h"
#include "server/Module.h"

namespace server {

// Screen pixels and HIMETRIC units (0.01 mm), the unit of OLE extents.
SIZEL PixelsToHimetric(int width, int height);
SIZE HimetricToPixels(const SIZEL& extent);

class Control final : public IQXDevice,
                      public IProvideClassInfo2,
                      public ISupportErrorInfo,
                      public IConnectionPointContainer,
                      public IOleObject,
                      public IOleControl,
                      public IOleInPlaceObject,
                      public IOleInPlaceActiveObject,
                      public IViewObject2,
                      public IDataObject,
                      public IPersistStreamInit,
                      public IPersistStorage,
                      public IPersistPropertyBag,
                      public IPerPropertyBrowsing,
                      public ISpecifyPropertyPages,
                      public IQuickActivate,
                      public ISimpleFrameSite,
                      public IObjectSafety,
                      public toolkit::FormKeeper {
 public:
  // A new control with its form; answers its inner IUnknown, holding one reference. Throws
  // when the form cannot be built.
  static com_ptr<IUnknown> Create(const ClassEntry& entry, ClassInfo info, IUnknown* outer);

  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  // The form's event sink follows the event point's connection.
  void SinksChanged(ConnectionPoint& point);
  // The result and error information of the exception in flight.
  HRESULT Failed() noexcept;

  // Steps of the form and the adapter's own calls out hold the control: a host that releases
  // its last reference meanwhile closes it, and it is destroyed when the last hold ends.
  void Retain() noexcept override { ++holds_; }
  void Relinquish() noexcept override;

  // IUnknown, delegating to the controlling unknown.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) noexcept override;
  ULONG STDMETHODCALLTYPE AddRef() noexcept override;
  ULONG STDMETHODCALLTYPE Release() noexcept override;

  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) noexcept override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) noexcept override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                          DISPID* dispids) noexcept override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID dispid, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception, UINT* argError) noexcept override;

  // IQXDevice
  HRESULT STDMETHODCALLTYPE get_InternalTrigger(VARIANT_BOOL* value) noexcept override;
  HRESULT STDMETHODCALLTYPE put_InternalTrigger(VARIANT_BOOL value) noexcept override;
  HRESULT STDMETHODCALLTYPE get_Text(BSTR* value) noexcept override;
  HRESULT STDMETHODCALLTYPE put_Text(BSTR value) noexcept override;
  HRESULT STDMETHODCALLTYPE get_Active(VARIANT_BOOL* value) noexcept override;
  HRESULT STDMETHODCALLTYPE put_Active(VARIANT_BOOL value) noexcept override;
  HRESULT STDMETHODCALLTYPE get_Port(LONG* value) noexcept override;
  HRESULT STDMETHODCALLTYPE put_Port(LONG value) noexcept override;
  HRESULT STDMETHODCALLTYPE Trigger() noexcept override;
  HRESULT STDMETHODCALLTYPE Clear() noexcept override;
  HRESULT STDMETHODCALLTYPE LoadConfig() noexcept override;
  HRESULT STDMETHODCALLTYPE SaveConfig() noexcept override;

  // IProvideClassInfo2
  HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** info) noexcept override;
  HRESULT STDMETHODCALLTYPE GetGUID(DWORD kind, GUID* guid) noexcept override;

  // ISupportErrorInfo
  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) noexcept override;

  // IConnectionPointContainer
  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) noexcept override;
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** point) noexcept override;

  // IOleObject
  HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) noexcept override;
  HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** site) noexcept override;
  HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR app, LPCOLESTR object) noexcept override;
  HRESULT STDMETHODCALLTYPE Close(DWORD saveOption) noexcept override;
  HRESULT STDMETHODCALLTYPE SetMoniker(DWORD which, IMoniker* moniker) noexcept override;
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) noexcept override;
  HRESULT STDMETHODCALLTYPE InitFromData(IDataObject* data, BOOL creation, DWORD reserved) noexcept override;
  HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD reserved, IDataObject** data) noexcept override;
  HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG msg, IOleClientSite* activeSite, LONG index, HWND parent,
                                   LPCRECT posRect) noexcept override;
  HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB** verbs) noexcept override;
  HRESULT STDMETHODCALLTYPE Update() noexcept override;
  HRESULT STDMETHODCALLTYPE IsUpToDate() noexcept override;
  HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* clsid) noexcept override;
  HRESULT STDMETHODCALLTYPE GetUserType(DWORD form, LPOLESTR* userType) noexcept override;
  HRESULT STDMETHODCALLTYPE SetExtent(DWORD aspect, SIZEL* size) noexcept override;
  HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, SIZEL* size) noexcept override;
  HRESULT STDMETHODCALLTYPE Advise(IAdviseSink* sink, DWORD* connection) noexcept override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD connection) noexcept override;
  HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA** advise) noexcept override;
  HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD aspect, DWORD* status) noexcept override;
  HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE* palette) noexcept override;

  // IOleControl
  HRESULT STDMETHODCALLTYPE GetControlInfo(CONTROLINFO* info) noexcept override;
  HRESULT STDMETHODCALLTYPE OnMnemonic(MSG* msg) noexcept override;
  HRESULT STDMETHODCALLTYPE OnAmbientPropertyChange(DISPID dispid) noexcept override;
  HRESULT STDMETHODCALLTYPE FreezeEvents(BOOL freeze) noexcept override;

  // IOleWindow, through IOleInPlaceObject and IOleInPlaceActiveObject
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) noexcept override;
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL enter) noexcept override;

  // IOleInPlaceObject
  HRESULT STDMETHODCALLTYPE InPlaceDeactivate() noexcept override;
  HRESULT STDMETHODCALLTYPE UIDeactivate() noexcept override;
  HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT posRect, LPCRECT clipRect) noexcept override;
  HRESULT STDMETHODCALLTYPE ReactivateAndUndo() noexcept override;

  // IOleInPlaceActiveObject
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG msg) noexcept override;
  HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL activate) noexcept override;
  HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL activate) noexcept override;
  HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frame) noexcept override;
  HRESULT STDMETHODCALLTYPE EnableModeless(BOOL enable) noexcept override;

  // IViewObject2
  HRESULT STDMETHODCALLTYPE Draw(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* device, HDC targetDc,
                                 HDC drawDc, LPCRECTL bounds, LPCRECTL windowBounds,
                                 WINBOOL(STDMETHODCALLTYPE* keepDrawing)(ULONG_PTR),
                                 ULONG_PTR keepDrawingArgument) noexcept override;
  HRESULT STDMETHODCALLTYPE GetColorSet(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* device,
                                        HDC targetDc, LOGPALETTE** colors) noexcept override;
  HRESULT STDMETHODCALLTYPE Freeze(DWORD aspect, LONG index, void* aspectInfo, DWORD* freeze) noexcept override;
  HRESULT STDMETHODCALLTYPE Unfreeze(DWORD freeze) noexcept override;
  HRESULT STDMETHODCALLTYPE SetAdvise(DWORD aspects, DWORD advf, IAdviseSink* sink) noexcept override;
  HRESULT STDMETHODCALLTYPE GetAdvise(DWORD* aspects, DWORD* advf, IAdviseSink** sink) noexcept override;
  HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE* device, LPSIZEL size) noexcept override;

  // IDataObject: no data formats of its own; advise connections only.
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) noexcept override;
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC* format, STGMEDIUM* medium) noexcept override;
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) noexcept override;
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) noexcept override;
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) noexcept override;
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) noexcept override;
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC* format, DWORD advf, IAdviseSink* sink,
                                    DWORD* connection) noexcept override;
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD connection) noexcept override;
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA** advise) noexcept override;

  // IPersist, through the three persistence interfaces
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) noexcept override;
  // IPersistStreamInit and IPersistStorage
  HRESULT STDMETHODCALLTYPE IsDirty() noexcept override;
  // IPersistStreamInit and IPersistPropertyBag
  HRESULT STDMETHODCALLTYPE InitNew() noexcept override;
  // IPersistStreamInit
  HRESULT STDMETHODCALLTYPE Load(LPSTREAM stream) noexcept override;
  HRESULT STDMETHODCALLTYPE Save(LPSTREAM stream, BOOL clearDirty) noexcept override;
  HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) noexcept override;
  // IPersistStorage
  HRESULT STDMETHODCALLTYPE InitNew(IStorage* storage) noexcept override;
  HRESULT STDMETHODCALLTYPE Load(IStorage* storage) noexcept override;
  HRESULT STDMETHODCALLTYPE Save(IStorage* storage, BOOL sameAsLoad) noexcept override;
  HRESULT STDMETHODCALLTYPE SaveCompleted(IStorage* storage) noexcept override;
  HRESULT STDMETHODCALLTYPE HandsOffStorage() noexcept override;
  // IPersistPropertyBag
  HRESULT STDMETHODCALLTYPE Load(IPropertyBag* bag, IErrorLog* log) noexcept override;
  HRESULT STDMETHODCALLTYPE Save(IPropertyBag* bag, BOOL clearDirty, BOOL saveAll) noexcept override;

  // IPerPropertyBrowsing: no property has a display string, predefined values or a page.
  HRESULT STDMETHODCALLTYPE GetDisplayString(DISPID dispid, BSTR* text) noexcept override;
  HRESULT STDMETHODCALLTYPE MapPropertyToPage(DISPID dispid, CLSID* page) noexcept override;
  HRESULT STDMETHODCALLTYPE GetPredefinedStrings(DISPID dispid, CALPOLESTR* strings, CADWORD* cookies) noexcept override;
  HRESULT STDMETHODCALLTYPE GetPredefinedValue(DISPID dispid, DWORD cookie, VARIANT* value) noexcept override;

  // ISpecifyPropertyPages
  HRESULT STDMETHODCALLTYPE GetPages(CAUUID* pages) noexcept override;

  // IQuickActivate
  HRESULT STDMETHODCALLTYPE QuickActivate(QACONTAINER* container, QACONTROL* control) noexcept override;
  HRESULT STDMETHODCALLTYPE SetContentExtent(LPSIZEL size) noexcept override;
  HRESULT STDMETHODCALLTYPE GetContentExtent(LPSIZEL size) noexcept override;

  // ISimpleFrameSite
  HRESULT STDMETHODCALLTYPE PreMessageFilter(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                             LRESULT* result, DWORD* cookie) noexcept override;
  HRESULT STDMETHODCALLTYPE PostMessageFilter(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                              LRESULT* result, DWORD cookie) noexcept override;

  // IObjectSafety: the control drives laboratory hardware, so it never claims to be safe.
  HRESULT STDMETHODCALLTYPE GetInterfaceSafetyOptions(REFIID riid, DWORD* supported,
                                                      DWORD* enabled) noexcept override;
  HRESULT STDMETHODCALLTYPE SetInterfaceSafetyOptions(REFIID riid, DWORD mask, DWORD enabled) noexcept override;

 private:
  // The non-delegating IUnknown, which owns the reference count.
  class Inner final : public IUnknown {
   public:
    explicit Inner(Control& control) noexcept : control_(control) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) noexcept override;
    ULONG STDMETHODCALLTYPE AddRef() noexcept override;
    ULONG STDMETHODCALLTYPE Release() noexcept override;

   private:
    Control& control_;
  };

  // Retains the control for its own life.
  class Hold {
   public:
    explicit Hold(Control& control) noexcept : control_(control) { control_.Retain(); }
    ~Hold() { control_.Relinquish(); }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

   private:
    Control& control_;
  };

  Control(const ClassEntry& entry, ClassInfo info, IUnknown* outer);
  ~Control();
  // The host has let go: destroyed now, or when the last hold ends.
  void LastReferenceGone() noexcept;
  void Destroy() noexcept;

  // Runs a call of the control interface on the form; failures leave error information.
  template <class F>
  HRESULT Call(F&& body) noexcept {
    Hold hold(*this);
    try {
      body();
      return S_OK;
    } catch (...) {
      return Failed();
    }
  }

  HWND FormWindow() const;
  // The window the form sits in while no container has placed it.
  HWND ParkingWindow() const noexcept { return parking_; }
  // Places the form on the site's window, and with `uiActivate` gives it the focus.
  HRESULT ActivateInPlace(bool uiActivate, IOleClientSite* activeSite);
  HRESULT ShowPropertyPages(HWND parent);
  void ParkForm();
  void SetFormExtent(const SIZEL& extent);
  void ExtentChanged(const SIZEL& extent);
  HRESULT ReadState(IStream& stream);
  HRESULT WriteState(IStream& stream);

  ObjectCount count_;
  Inner inner_{*this};
  LONG refs_ = 1;
  int holds_ = 0;
  bool closed_ = false;
  IUnknown* controlling_;

  const ClassEntry& entry_;
  const ClassInfo info_;

  ConnectionPoint events_{*this, DIID_IQXDeviceEvents, 1};
  ConnectionPoint propertyNotify_{*this, IID_IPropertyNotifySink, ConnectionPoint::kAnyNumber};

  HWND parking_;  // the thread's, shared by its controls
  toolkit::FormPtr<framework::THPIBDevice> form_;

  com_ptr<IOleClientSite> clientSite_;
  com_ptr<IOleInPlaceSite> inPlaceSite_;
  com_ptr<IOleInPlaceFrame> frame_;
  com_ptr<IOleInPlaceUIWindow> uiWindow_;
  bool inPlaceActive_ = false;
  bool uiActive_ = false;

  com_ptr<IOleAdviseHolder> oleAdvise_;
  com_ptr<IDataAdviseHolder> dataAdvise_;
  com_ptr<IAdviseSink> viewSink_;
  DWORD viewAspects_ = 0;
  DWORD viewAdvf_ = 0;

  SIZEL extent_{};  // HIMETRIC
  bool dirty_ = false;
};

}  // namespace server
