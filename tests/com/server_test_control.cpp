// A B740X control created the way hosts create it, by ProgID through the system, and used
// through every interface it offers: the control interface by its entry points and by name,
// failures with error information, events through the connection point, embedding in a
// mock container that records the activation protocol, drawing and persistence.
// Usage: server_control_test <Windows path of Apparata.ocx> [GoogleTest options]

#include "server_test_support.h"

#include <objsafe.h>
#include <ocidl.h>
#include <olectl.h>

#include <climits>

#include "Apparata_h.h"

namespace {

using namespace server_test;

const DWORD kMiscStatus = 0x32191;  // 205201

// A control created by its ProgID from the server registered for the suite.
class Control : public RegisteredServer {
 protected:
  void SetUp() override {
    CLSID clsid{};
    ASSERT_HR(S_OK, CLSIDFromProgID(L"Apparata.B740X", &clsid));
    ASSERT_EQ(GuidText(CLSID_B740X), GuidText(clsid));
    ASSERT_HR(S_OK, CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IQXDevice, device_.put_void()));
  }

  template <class I>
  com_ptr<I> As(const IID& iid) {
    com_ptr<I> result;
    EXPECT_HR(S_OK, device_->QueryInterface(iid, result.put_void()));
    return result;
  }

  // The control's connection point for `iid`. Fatal when it has none: call it inside
  // ASSERT_NO_FATAL_FAILURE.
  void FindPoint(const IID& iid, com_ptr<IConnectionPoint>& point) {
    com_ptr<IConnectionPointContainer> container = As<IConnectionPointContainer>(IID_IConnectionPointContainer);
    ASSERT_HR(S_OK, container->FindConnectionPoint(iid, point.put()));
  }

  // Connects `sink` to the control's events, fatal on failure as FindPoint is. The test keeps
  // no reference to the connection point, so that releasing the control releases it all.
  void ConnectEvents(EventSink& sink) {
    com_ptr<IConnectionPoint> point;
    ASSERT_NO_FATAL_FAILURE(FindPoint(DIID_IQXDeviceEvents, point));
    DWORD cookie = 0;
    ASSERT_HR(S_OK, point->Advise(&sink, &cookie));
  }

  // The reference count, seen from one interface.
  template <class I>
  static ULONG Count(I* object) {
    object->AddRef();
    return object->Release();
  }

  com_ptr<IQXDevice> device_;
};

// Control interface through the entry points

TEST_F(Control, StartsActiveWithoutInternalTriggerOnPortZeroShowingItsInitialReading) {
  VARIANT_BOOL flag = 1;
  EXPECT_HR(S_OK, device_->get_InternalTrigger(&flag));
  EXPECT_EQ(VARIANT_FALSE, flag);
  EXPECT_HR(S_OK, device_->get_Active(&flag));
  EXPECT_EQ(VARIANT_TRUE, flag);
  LONG port = -1;
  EXPECT_HR(S_OK, device_->get_Port(&port));
  EXPECT_EQ(0, port);
  unique_bstr text;
  EXPECT_HR(S_OK, device_->get_Text(text.put()));
  EXPECT_EQ(L"R Ohm=+0.0000E+00", text.str());
}

TEST_F(Control, BooleansReadMinusOneOrZeroAndAnyNonZeroWriteIsTrue) {
  VARIANT_BOOL flag = 0;
  EXPECT_HR(S_OK, device_->put_Active(VARIANT_FALSE));
  EXPECT_HR(S_OK, device_->get_Active(&flag));
  EXPECT_EQ(0, flag);
  // While inactive, switching internal triggering on does nothing.
  EXPECT_HR(S_OK, device_->put_InternalTrigger(1));
  EXPECT_HR(S_OK, device_->get_InternalTrigger(&flag));
  EXPECT_EQ(0, flag);
  for (VARIANT_BOOL written : {static_cast<VARIANT_BOOL>(1), static_cast<VARIANT_BOOL>(2),
                               static_cast<VARIANT_BOOL>(0x4000), VARIANT_TRUE}) {
    EXPECT_HR(S_OK, device_->put_Active(VARIANT_FALSE));
    EXPECT_HR(S_OK, device_->put_Active(written));
    EXPECT_HR(S_OK, device_->get_Active(&flag));
    EXPECT_EQ(-1, flag) << "written " << written;
  }
}

TEST_F(Control, PortIsStoredAsWrittenAndConfigurationCallsSucceed) {
  for (LONG written : {7L, 0L, -5L, 65535L}) {
    EXPECT_HR(S_OK, device_->put_Port(written));
    LONG port = 0;
    EXPECT_HR(S_OK, device_->get_Port(&port));
    EXPECT_EQ(written, port);
  }
  EXPECT_HR(S_OK, device_->LoadConfig());
  EXPECT_HR(S_OK, device_->SaveConfig());
}

TEST_F(Control, NullOutParametersAreRefused) {
  EXPECT_HR(E_POINTER, device_->get_InternalTrigger(nullptr));
  EXPECT_HR(E_POINTER, device_->get_Text(nullptr));
  EXPECT_HR(E_POINTER, device_->get_Active(nullptr));
  EXPECT_HR(E_POINTER, device_->get_Port(nullptr));
}

// Failures

struct ErrorInfoText {
  HRESULT hr;
  std::wstring description, source, guid, helpFile;
  DWORD helpContext;
};

ErrorInfoText TakeErrorInfo() {
  com_ptr<IErrorInfo> info;
  ErrorInfoText text{GetErrorInfo(0, info.put()), L"<none>", L"<none>", L"<none>", L"<none>", 0xFFFFFFFF};
  if (text.hr != S_OK || !info) return text;
  unique_bstr description, source, helpFile;
  GUID guid{};
  info->GetDescription(description.put());
  info->GetSource(source.put());
  info->GetGUID(&guid);
  info->GetHelpFile(helpFile.put());
  info->GetHelpContext(&text.helpContext);
  text.description = description.str();
  text.source = source.str();
  text.guid = GuidText(guid);
  text.helpFile = helpFile.get() ? helpFile.str() : L"<null>";
  return text;
}

void ExpectErrorInfo(const std::wstring& description) {
  const ErrorInfoText info = TakeErrorInfo();
  EXPECT_HR(S_OK, info.hr);
  EXPECT_EQ(description, info.description);
  EXPECT_EQ(L"Apparata.B740X", info.source);
  EXPECT_EQ(GuidText(IID_IQXDevice), info.guid);
  EXPECT_EQ(L"", info.helpFile);
  EXPECT_EQ(0u, info.helpContext);
}

TEST_F(Control, AFailedCallReturnsEUnexpectedWithErrorInformation) {
  SetErrorInfo(0, nullptr);
  unique_bstr command(L"$G1");
  EXPECT_HR(E_UNEXPECTED, device_->put_Text(command.get()));
  ExpectErrorInfo(L"'$G1' is not a valid integer value");

  com_ptr<ISupportErrorInfo> support = As<ISupportErrorInfo>(IID_ISupportErrorInfo);
  EXPECT_HR(S_OK, support->InterfaceSupportsErrorInfo(IID_IQXDevice));
  EXPECT_HR(S_FALSE, support->InterfaceSupportsErrorInfo(IID_IDispatch));
}

TEST_F(Control, APortThatOverflowsTheAddressFailsWithIntegerOverflow) {
  EXPECT_HR(S_OK, device_->put_Port(INT_MAX));
  SetErrorInfo(0, nullptr);
  EXPECT_HR(E_UNEXPECTED, device_->Trigger());
  ExpectErrorInfo(L"Integer overflow");
  // The control stays usable.
  EXPECT_HR(S_OK, device_->put_Port(7));
  EXPECT_HR(S_OK, device_->Clear());
}

// Dispatch by name

DISPID DispidOf(IDispatch* dispatch, const wchar_t* name) {
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  DISPID dispid = DISPID_UNKNOWN;
  const HRESULT hr = dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &dispid);
  return SUCCEEDED(hr) ? dispid : -static_cast<DISPID>(hr & 0xFFFF);
}

HRESULT Get(IDispatch* dispatch, DISPID dispid, VARIANT* result) {
  DISPPARAMS none{};
  return dispatch->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, result, nullptr,
                          nullptr);
}

HRESULT Put(IDispatch* dispatch, DISPID dispid, VARIANT value, WORD flags = DISPATCH_PROPERTYPUT,
            EXCEPINFO* exception = nullptr) {
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params{&value, &named, 1, 1};
  UINT argError = 0;
  return dispatch->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, nullptr, exception, &argError);
}

VARIANT Boolean(VARIANT_BOOL value) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_BOOL;
  V_BOOL(&v) = value;
  return v;
}

TEST_F(Control, NamesResolveToTheirDispids) {
  com_ptr<IDispatch> dispatch = As<IDispatch>(IID_IDispatch);
  const std::pair<const wchar_t*, DISPID> members[] = {
      {L"InternalTrigger", 1}, {L"Text", 2},  {L"Active", 3},     {L"Port", 4},
      {L"Trigger", 5},         {L"Clear", 6}, {L"LoadConfig", 7}, {L"SaveConfig", 8}};
  for (const auto& [name, dispid] : members) EXPECT_EQ(dispid, DispidOf(dispatch.get(), name)) << Narrow(name);
  EXPECT_EQ(4, DispidOf(dispatch.get(), L"pORT"));
  EXPECT_EQ(-static_cast<DISPID>(DISP_E_UNKNOWNNAME & 0xFFFF), DispidOf(dispatch.get(), L"Reading"));

  LPOLESTR name[] = {const_cast<LPOLESTR>(L"Port")};
  DISPID dispid = 0;
  EXPECT_HR(DISP_E_UNKNOWNINTERFACE, dispatch->GetIDsOfNames(IID_IQXDevice, name, 1, LOCALE_USER_DEFAULT, &dispid));
}

TEST_F(Control, TypeInformationIsTheControlInterfaceAlone) {
  com_ptr<IDispatch> dispatch = As<IDispatch>(IID_IDispatch);
  UINT count = 0;
  EXPECT_HR(S_OK, dispatch->GetTypeInfoCount(&count));
  EXPECT_EQ(1u, count);
  com_ptr<ITypeInfo> info;
  ASSERT_HR(S_OK, dispatch->GetTypeInfo(0, LOCALE_USER_DEFAULT, info.put()));
  TYPEATTR* attr = nullptr;
  ASSERT_HR(S_OK, info->GetTypeAttr(&attr));
  EXPECT_EQ(GuidText(IID_IQXDevice), GuidText(attr->guid));
  info->ReleaseTypeAttr(attr);
  ITypeInfo* other = reinterpret_cast<ITypeInfo*>(1);
  EXPECT_HR(DISP_E_BADINDEX, dispatch->GetTypeInfo(1, LOCALE_USER_DEFAULT, &other));
  EXPECT_EQ(nullptr, other);
}

TEST_F(Control, PropertiesAndMethodsWorkByName) {
  com_ptr<IDispatch> dispatch = As<IDispatch>(IID_IDispatch);
  VARIANT result;
  VariantInit(&result);
  ASSERT_HR(S_OK, Get(dispatch.get(), 3, &result));
  EXPECT_EQ(VT_BOOL, V_VT(&result));
  EXPECT_EQ(-1, V_BOOL(&result));

  EXPECT_HR(S_OK, Put(dispatch.get(), 3, Boolean(VARIANT_FALSE)));
  ASSERT_HR(S_OK, Get(dispatch.get(), 3, &result));
  EXPECT_EQ(VT_BOOL, V_VT(&result));
  EXPECT_EQ(0, V_BOOL(&result));
  EXPECT_HR(S_OK, Put(dispatch.get(), 3, Long(5)));
  ASSERT_HR(S_OK, Get(dispatch.get(), 3, &result));
  EXPECT_EQ(-1, V_BOOL(&result));

  EXPECT_HR(S_OK, Put(dispatch.get(), 4, Long(12)));
  LONG port = 0;
  EXPECT_HR(S_OK, device_->get_Port(&port));
  EXPECT_EQ(12, port);
  // A put by reference is a plain put.
  EXPECT_HR(S_OK, Put(dispatch.get(), 4, Long(13), DISPATCH_PROPERTYPUTREF));
  EXPECT_HR(S_OK, device_->get_Port(&port));
  EXPECT_EQ(13, port);

  ASSERT_HR(S_OK, Get(dispatch.get(), 2, &result));
  EXPECT_EQ(VT_BSTR, V_VT(&result));
  EXPECT_EQ(L"R Ohm=+0.0000E+00", std::wstring(V_BSTR(&result), SysStringLen(V_BSTR(&result))));
  VariantClear(&result);

  DISPPARAMS none{};
  for (DISPID method : {6, 7, 8})
    EXPECT_HR(S_OK, dispatch->Invoke(method, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr,
                                     nullptr, nullptr))
        << method;
  EXPECT_HR(DISP_E_MEMBERNOTFOUND, dispatch->Invoke(99, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none,
                                                    nullptr, nullptr, nullptr));
  EXPECT_HR(DISP_E_UNKNOWNINTERFACE, dispatch->Invoke(6, IID_IQXDevice, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                                      &none, nullptr, nullptr, nullptr));
}

TEST_F(Control, AFailureByNameArrivesAsAnException) {
  com_ptr<IDispatch> dispatch = As<IDispatch>(IID_IDispatch);
  VARIANT text;
  VariantInit(&text);
  V_VT(&text) = VT_BSTR;
  V_BSTR(&text) = SysAllocString(L"$G1");
  EXCEPINFO exception{};
  EXPECT_HR(DISP_E_EXCEPTION, Put(dispatch.get(), 2, text, DISPATCH_PROPERTYPUT, &exception));
  VariantClear(&text);
  EXPECT_HR(E_UNEXPECTED, exception.scode);
  EXPECT_EQ(L"'$G1' is not a valid integer value",
            exception.bstrDescription ? std::wstring(exception.bstrDescription) : L"<null>");
  EXPECT_EQ(L"Apparata.B740X", exception.bstrSource ? std::wstring(exception.bstrSource) : L"<null>");
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrHelpFile);
}

// Identity and class information

TEST_F(Control, OffersEveryEmbeddingInterfaceOnOneObjectWithOneCount) {
  com_ptr<IUnknown> identity = As<IUnknown>(IID_IUnknown);
  const std::pair<const IID*, const char*> interfaces[] = {
      {&IID_IDispatch, "IDispatch"},
      {&IID_IQXDevice, "IQXDevice"},
      {&IID_IProvideClassInfo, "IProvideClassInfo"},
      {&IID_IProvideClassInfo2, "IProvideClassInfo2"},
      {&IID_ISupportErrorInfo, "ISupportErrorInfo"},
      {&IID_IConnectionPointContainer, "IConnectionPointContainer"},
      {&IID_IOleObject, "IOleObject"},
      {&IID_IOleControl, "IOleControl"},
      {&IID_IOleWindow, "IOleWindow"},
      {&IID_IOleInPlaceObject, "IOleInPlaceObject"},
      {&IID_IOleInPlaceActiveObject, "IOleInPlaceActiveObject"},
      {&IID_IViewObject, "IViewObject"},
      {&IID_IViewObject2, "IViewObject2"},
      {&IID_IDataObject, "IDataObject"},
      {&IID_IPersist, "IPersist"},
      {&IID_IPersistStreamInit, "IPersistStreamInit"},
      {&IID_IPersistStorage, "IPersistStorage"},
      {&IID_IPersistPropertyBag, "IPersistPropertyBag"},
      {&IID_IPerPropertyBrowsing, "IPerPropertyBrowsing"},
      {&IID_ISpecifyPropertyPages, "ISpecifyPropertyPages"},
      {&IID_IQuickActivate, "IQuickActivate"},
      {&IID_ISimpleFrameSite, "ISimpleFrameSite"},
      {&IID_IObjectSafety, "IObjectSafety"},
  };
  const ULONG base = Count(device_.get());
  for (const auto& [iid, name] : interfaces) {
    com_ptr<IUnknown> part;
    ASSERT_HR(S_OK, device_->QueryInterface(*iid, part.put_void())) << name;
    EXPECT_EQ(base + 1, Count(part.get())) << name;
    com_ptr<IUnknown> back;
    ASSERT_HR(S_OK, part->QueryInterface(IID_IUnknown, back.put_void())) << name;
    EXPECT_EQ(identity.get(), back.get()) << name;
  }
  EXPECT_EQ(base, Count(device_.get()));
  for (const IID* iid : {&IID_IClassFactory, &IID_IOleInPlaceObjectWindowless, &IID_IPersistFile}) {
    void* part = reinterpret_cast<void*>(1);
    EXPECT_HR(E_NOINTERFACE, device_->QueryInterface(*iid, &part)) << Narrow(GuidText(*iid));
    EXPECT_EQ(nullptr, part);
  }
}

TEST_F(Control, ClassInformationNamesTheCoclassAndItsEventInterface) {
  com_ptr<IProvideClassInfo2> classInfo = As<IProvideClassInfo2>(IID_IProvideClassInfo2);
  com_ptr<ITypeInfo> coclass;
  ASSERT_HR(S_OK, classInfo->GetClassInfo(coclass.put()));
  TYPEATTR* attr = nullptr;
  ASSERT_HR(S_OK, coclass->GetTypeAttr(&attr));
  EXPECT_EQ(GuidText(CLSID_B740X), GuidText(attr->guid));
  EXPECT_EQ(TKIND_COCLASS, attr->typekind);
  coclass->ReleaseTypeAttr(attr);
  GUID guid{};
  EXPECT_HR(S_OK, classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &guid));
  EXPECT_EQ(GuidText(DIID_IQXDeviceEvents), GuidText(guid));
  EXPECT_HR(E_INVALIDARG, classInfo->GetGUID(2, &guid));
}

// Events

TEST_F(Control, TheEventPointTakesOneSinkWithCookieOne) {
  com_ptr<IConnectionPointContainer> container = As<IConnectionPointContainer>(IID_IConnectionPointContainer);
  com_ptr<IConnectionPoint> point;
  ASSERT_HR(S_OK, container->FindConnectionPoint(DIID_IQXDeviceEvents, point.put()));
  IID iid{};
  EXPECT_HR(S_OK, point->GetConnectionInterface(&iid));
  EXPECT_EQ(GuidText(DIID_IQXDeviceEvents), GuidText(iid));
  com_ptr<IConnectionPointContainer> back;
  EXPECT_HR(S_OK, point->GetConnectionPointContainer(back.put()));
  EXPECT_EQ(container.get(), back.get());

  EventSink first(DIID_IQXDeviceEvents), second(DIID_IQXDeviceEvents);
  DWORD cookie = 0;
  EXPECT_HR(S_OK, point->Advise(&first, &cookie));
  EXPECT_EQ(1u, cookie);
  DWORD refused = 77;
  EXPECT_HR(CONNECT_E_CANNOTCONNECT, point->Advise(&second, &refused));
  EXPECT_EQ(0u, refused);
  EXPECT_EQ(1u, second.refs);

  com_ptr<IEnumConnections> connections;
  ASSERT_HR(S_OK, point->EnumConnections(connections.put()));
  CONNECTDATA data[2] = {};
  ULONG fetched = 0;
  EXPECT_HR(S_FALSE, connections->Next(2, data, &fetched));
  ASSERT_EQ(1u, fetched);
  EXPECT_EQ(1u, data[0].dwCookie);
  {
    com_ptr<IUnknown> firstIdentity;
    first.QueryInterface(IID_IUnknown, firstIdentity.put_void());
    com_ptr<IUnknown> connectedIdentity;
    data[0].pUnk->QueryInterface(IID_IUnknown, connectedIdentity.put_void());
    EXPECT_EQ(firstIdentity.get(), connectedIdentity.get());
  }
  data[0].pUnk->Release();
  connections.reset();

  EXPECT_HR(CONNECT_E_NOCONNECTION, point->Unadvise(0));
  EXPECT_HR(CONNECT_E_NOCONNECTION, point->Unadvise(2));
  EXPECT_HR(S_OK, point->Unadvise(1));
  EXPECT_HR(CONNECT_E_NOCONNECTION, point->Unadvise(1));
  EXPECT_EQ(1u, first.refs) << "the control keeps no reference after Unadvise";
  EXPECT_HR(S_OK, point->Advise(&second, &cookie));
  EXPECT_EQ(1u, cookie);
  EXPECT_HR(S_OK, point->Unadvise(1));
  EXPECT_EQ(1u, second.refs);
  EXPECT_TRUE(first.events.empty());
  EXPECT_TRUE(second.events.empty());
}

// An object without the event interface.
using NotASink = CountedObject<IUnknown>;

TEST_F(Control, ASinkWithoutTheEventInterfaceIsRefusedWithItsAnswer) {
  com_ptr<IConnectionPoint> point;
  ASSERT_NO_FATAL_FAILURE(FindPoint(DIID_IQXDeviceEvents, point));
  NotASink object;
  DWORD cookie = 77;
  EXPECT_HR(E_NOINTERFACE, point->Advise(&object, &cookie));
  EXPECT_EQ(0u, cookie);
  EXPECT_EQ(1u, object.refs);
  EXPECT_HR(E_POINTER, point->Advise(nullptr, &cookie));
}

TEST_F(Control, ThePropertyNotificationPointTakesAnyNumberOfSinks) {
  com_ptr<IConnectionPointContainer> container = As<IConnectionPointContainer>(IID_IConnectionPointContainer);
  com_ptr<IConnectionPoint> point;
  ASSERT_HR(S_OK, container->FindConnectionPoint(IID_IPropertyNotifySink, point.put()));
  EventSink sinks[3] = {EventSink(IID_IPropertyNotifySink), EventSink(IID_IPropertyNotifySink),
                        EventSink(IID_IPropertyNotifySink)};
  DWORD cookies[3] = {};
  for (int i = 0; i < 3; ++i) {
    EXPECT_HR(S_OK, point->Advise(&sinks[i], &cookies[i]));
    EXPECT_EQ(static_cast<DWORD>(i + 1), cookies[i]);
  }
  EXPECT_HR(S_OK, point->Unadvise(2));
  DWORD again = 0;
  EXPECT_HR(S_OK, point->Advise(&sinks[1], &again));
  EXPECT_EQ(2u, again) << "a freed slot is used again";
  for (DWORD cookie : {1u, 2u, 3u}) EXPECT_HR(S_OK, point->Unadvise(cookie));
  for (const EventSink& sink : sinks) EXPECT_EQ(1u, sink.refs);

  com_ptr<IConnectionPoint> none;
  EXPECT_HR(CONNECT_E_NOCONNECTION, container->FindConnectionPoint(IID_IDispatch, none.put()));
  EXPECT_FALSE(none);
}

TEST_F(Control, TheContainerListsTheEventPointThenThePropertyNotificationPoint) {
  com_ptr<IConnectionPointContainer> container = As<IConnectionPointContainer>(IID_IConnectionPointContainer);
  com_ptr<IEnumConnectionPoints> points;
  ASSERT_HR(S_OK, container->EnumConnectionPoints(points.put()));
  IConnectionPoint* found[3] = {};
  ULONG fetched = 0;
  EXPECT_HR(S_FALSE, points->Next(3, found, &fetched));
  ASSERT_EQ(2u, fetched);
  std::vector<std::wstring> iids;
  for (ULONG i = 0; i < fetched; ++i) {
    IID iid{};
    found[i]->GetConnectionInterface(&iid);
    iids.push_back(GuidText(iid));
    found[i]->Release();
  }
  EXPECT_EQ((std::vector<std::wstring>{GuidText(DIID_IQXDeviceEvents), GuidText(IID_IPropertyNotifySink)}), iids);

  EXPECT_HR(S_OK, points->Reset());
  EXPECT_HR(S_OK, points->Skip(1));
  com_ptr<IEnumConnectionPoints> clone;
  ASSERT_HR(S_OK, points->Clone(clone.put()));
  IConnectionPoint* next = nullptr;
  ASSERT_HR(S_OK, clone->Next(1, &next, nullptr));
  IID iid{};
  next->GetConnectionInterface(&iid);
  next->Release();
  EXPECT_EQ(GuidText(IID_IPropertyNotifySink), GuidText(iid));
}

TEST_F(Control, DestroyingTheControlFiresOnDestroyToTheConnectedSink) {
  EventSink sink(DIID_IQXDeviceEvents);
  ASSERT_NO_FATAL_FAILURE(ConnectEvents(sink));
  device_.reset();
  EXPECT_EQ((std::vector<DISPID>{2}), sink.events);
  EXPECT_EQ(1u, sink.refs);
}

TEST_F(Control, OnDestroyIsNotFiredWithoutASink) {
  EventSink sink(DIID_IQXDeviceEvents);
  {
    com_ptr<IConnectionPoint> point;
    ASSERT_NO_FATAL_FAILURE(FindPoint(DIID_IQXDeviceEvents, point));
    DWORD cookie = 0;
    ASSERT_HR(S_OK, point->Advise(&sink, &cookie));
    ASSERT_HR(S_OK, point->Unadvise(cookie));
  }
  device_.reset();
  EXPECT_TRUE(sink.events.empty());
}

// Embedding

// A container's site, frame included, that records what the control asks of it.
class Site : public IOleClientSite, public IOleInPlaceSite, public IOleInPlaceFrame {
 public:
  Site(HWND window, RECT pos) : window_(window), pos_(pos) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    *ppv = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleClientSite)) {
      *ppv = static_cast<IOleClientSite*>(this);
    } else if (IsEqualIID(riid, IID_IOleInPlaceSite)) {
      calls.push_back("QueryInterface IOleInPlaceSite");
      *ppv = static_cast<IOleInPlaceSite*>(this);
    } else {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }

  // IOleClientSite
  HRESULT STDMETHODCALLTYPE SaveObject() override { return Record("SaveObject"); }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** moniker) override {
    *moniker = nullptr;
    return Record("GetMoniker", E_NOTIMPL);
  }
  HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) override {
    *container = nullptr;
    return Record("GetContainer", E_NOINTERFACE);
  }
  HRESULT STDMETHODCALLTYPE ShowObject() override { return Record("ShowObject"); }
  HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return Record("OnShowWindow"); }
  HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return Record("RequestNewObjectLayout", E_NOTIMPL); }

  // IOleWindow, for the site and the frame
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
    *window = window_;
    return Record("GetWindow");
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return Record("ContextSensitiveHelp", E_NOTIMPL); }

  // IOleInPlaceSite
  HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return Record("CanInPlaceActivate"); }
  HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override { return Record("OnInPlaceActivate"); }
  HRESULT STDMETHODCALLTYPE OnUIActivate() override { return Record("OnUIActivate"); }
  HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT pos,
                                             LPRECT clip, LPOLEINPLACEFRAMEINFO info) override {
    *frame = this;
    AddRef();
    *document = nullptr;
    *pos = pos_;
    *clip = pos_;
    info->fMDIApp = FALSE;
    info->hwndFrame = window_;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return Record("GetWindowContext");
  }
  HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return Record("Scroll", E_NOTIMPL); }
  HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL undoable) override {
    return Record(undoable ? "OnUIDeactivate TRUE" : "OnUIDeactivate FALSE");
  }
  HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override { return Record("OnInPlaceDeactivate"); }
  HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return Record("DiscardUndoState"); }
  HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return Record("DeactivateAndUndo"); }
  HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return Record("OnPosRectChange"); }

  // IOleInPlaceUIWindow and IOleInPlaceFrame
  HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return Record("GetBorder", E_NOTIMPL); }
  HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override {
    return Record("RequestBorderSpace", E_NOTIMPL);
  }
  HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS widths) override {
    return Record(widths ? "SetBorderSpace widths" : "SetBorderSpace null");
  }
  HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR name) override {
    return Record(object ? "SetActiveObject " + Narrow(name ? name : L"<null>") : "SetActiveObject null");
  }
  HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return Record("InsertMenus"); }
  HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return Record("SetMenu"); }
  HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return Record("RemoveMenus"); }
  HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return Record("SetStatusText"); }
  HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return Record("EnableModeless"); }
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return Record("TranslateAccelerator"); }

  std::vector<std::string> calls;
  ULONG refs = 1;

 private:
  HRESULT Record(const std::string& call, HRESULT hr = S_OK) {
    calls.push_back(call);
    return hr;
  }
  HWND window_;
  RECT pos_;
};

// A top-level window standing for the container's.
class HostWindow {
 public:
  HostWindow()
      : window_(CreateWindowExW(0, L"Static", L"host", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, 400,
                                300, nullptr, nullptr, nullptr, nullptr)) {}
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;
  ~HostWindow() { DestroyWindow(window_); }
  HWND get() const { return window_; }

 private:
  HWND window_;
};

TEST_F(Control, InPlaceActivationFollowsTheContainerProtocol) {
  HostWindow host;
  ASSERT_NE(nullptr, host.get());
  Site site(host.get(), RECT{10, 20, 210, 117});
  EventSink sink(DIID_IQXDeviceEvents);
  ASSERT_NO_FATAL_FAILURE(ConnectEvents(sink));
  com_ptr<IOleObject> object = As<IOleObject>(IID_IOleObject);
  com_ptr<IOleInPlaceObject> inPlace = As<IOleInPlaceObject>(IID_IOleInPlaceObject);
  HWND form = nullptr;
  ASSERT_HR(S_OK, inPlace->GetWindow(&form));
  ASSERT_NE(nullptr, form);
  EXPECT_NE(host.get(), GetParent(form));
  EXPECT_FALSE(IsWindowVisible(form)) << "parked until placed";

  EXPECT_HR(S_OK, object->SetClientSite(&site));
  com_ptr<IOleClientSite> current;
  EXPECT_HR(S_OK, object->GetClientSite(current.put()));
  EXPECT_EQ(static_cast<IOleClientSite*>(&site), current.get());
  current.reset();
  EXPECT_TRUE(site.calls.empty());

  RECT verbRect{10, 20, 210, 117};
  ASSERT_HR(S_OK, object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, host.get(), &verbRect));
  EXPECT_EQ((std::vector<std::string>{"QueryInterface IOleInPlaceSite", "CanInPlaceActivate", "OnInPlaceActivate",
                                      "GetWindow", "GetWindowContext"}),
            site.calls);
  EXPECT_EQ(host.get(), GetParent(form));
  EXPECT_TRUE(IsWindowVisible(form));
  EXPECT_EQ(Describe(RECT{10, 20, 210, 117}), Describe(ChildRect(form)));
  EXPECT_EQ((std::vector<DISPID>{1}), sink.events) << "OnCreate at the first show with a sink connected";

  site.calls.clear();
  ASSERT_HR(S_OK, object->DoVerb(OLEIVERB_UIACTIVATE, nullptr, &site, 0, host.get(), &verbRect));
  EXPECT_EQ((std::vector<std::string>{"OnUIActivate", "SetActiveObject B740X", "SetBorderSpace null"}), site.calls);

  RECT moved{30, 40, 250, 140};
  EXPECT_HR(S_OK, inPlace->SetObjectRects(&moved, &moved));
  EXPECT_EQ(Describe(moved), Describe(ChildRect(form)));

  site.calls.clear();
  EXPECT_HR(S_OK, object->Close(OLECLOSE_NOSAVE));
  EXPECT_EQ((std::vector<std::string>{"SetActiveObject null", "OnUIDeactivate FALSE", "OnInPlaceDeactivate"}),
            site.calls);
  EXPECT_NE(host.get(), GetParent(form));
  EXPECT_FALSE(IsWindowVisible(form));

  // Placed again: shown again, but OnCreate comes only once.
  site.calls.clear();
  ASSERT_HR(S_OK, object->DoVerb(OLEIVERB_SHOW, nullptr, &site, 0, host.get(), &verbRect));
  EXPECT_EQ((std::vector<std::string>{"QueryInterface IOleInPlaceSite", "CanInPlaceActivate", "OnInPlaceActivate",
                                      "GetWindow", "GetWindowContext", "OnUIActivate", "SetActiveObject B740X",
                                      "SetBorderSpace null"}),
            site.calls);
  EXPECT_EQ((std::vector<DISPID>{1}), sink.events);
  EXPECT_HR(S_OK, inPlace->InPlaceDeactivate());
  EXPECT_HR(S_OK, object->SetClientSite(nullptr));
  EXPECT_HR(S_OK, object->GetClientSite(current.put()));
  EXPECT_FALSE(current);

  object.reset();
  inPlace.reset();
  device_.reset();
  EXPECT_EQ(1u, site.refs) << "the control let go of every site interface";
  EXPECT_EQ((std::vector<DISPID>{1, 2}), sink.events);
}

TEST_F(Control, EveryShowingVerbShowsTheFormAgainAfterTheHideVerb) {
  HostWindow host;
  Site site(host.get(), RECT{10, 20, 210, 117});
  com_ptr<IOleObject> object = As<IOleObject>(IID_IOleObject);
  com_ptr<IOleInPlaceObject> inPlace = As<IOleInPlaceObject>(IID_IOleInPlaceObject);
  ASSERT_HR(S_OK, object->SetClientSite(&site));
  RECT rect{10, 20, 210, 117};
  ASSERT_HR(S_OK, object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, host.get(), &rect));
  HWND form = nullptr;
  ASSERT_HR(S_OK, inPlace->GetWindow(&form));
  for (LONG verb : {OLEIVERB_SHOW, OLEIVERB_UIACTIVATE, OLEIVERB_INPLACEACTIVATE}) {
    ASSERT_HR(S_OK, object->DoVerb(OLEIVERB_HIDE, nullptr, &site, 0, host.get(), &rect));
    EXPECT_FALSE(IsWindowVisible(form));
    ASSERT_HR(S_OK, object->DoVerb(verb, nullptr, &site, 0, host.get(), &rect));
    EXPECT_TRUE(IsWindowVisible(form)) << "verb " << verb;
    EXPECT_EQ(host.get(), GetParent(form));
  }
  EXPECT_HR(S_OK, object->Close(OLECLOSE_NOSAVE));
  EXPECT_HR(S_OK, object->SetClientSite(nullptr));
}

// A free-running tick fails while another window of the host is active: the error box must
// still keep the user out of the host's window that the control sits in.
TEST_F(Control, TheErrorBoxOfATickIsModalForTheHostsWindowAlsoInTheBackground) {
  HostWindow host;
  Site site(host.get(), RECT{10, 20, 210, 117});
  com_ptr<IOleObject> object = As<IOleObject>(IID_IOleObject);
  ASSERT_HR(S_OK, object->SetClientSite(&site));
  RECT rect{10, 20, 210, 117};
  ASSERT_HR(S_OK, object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, host.get(), &rect));
  HostWindow other;
  SetActiveWindow(other.get());

  DialogWatch dialogs;
  std::vector<bool> hostEnabledUnderBox;
  dialogs.onDialog = [&](HWND) { hostEnabledUnderBox.push_back(IsWindowEnabled(host.get()) != FALSE); };
  EventSink sink(DIID_IQXDeviceEvents);
  sink.onEvent = [&](DISPID dispid) {
    if (dispid == 3) {
      EXPECT_HR(S_OK, device_->put_Port(2147483000));  // the re-trigger overflows
    }
  };
  ASSERT_NO_FATAL_FAILURE(ConnectEvents(sink));
  ASSERT_HR(S_OK, device_->put_Port(7));
  ASSERT_HR(S_OK, device_->put_InternalTrigger(VARIANT_TRUE));
  ASSERT_TRUE(PumpUntil([&] { return !dialogs.texts.empty(); }, 3000)) << "no error box";
  EXPECT_EQ(std::vector<std::wstring>{L"Integer overflow"}, dialogs.texts);
  EXPECT_EQ(std::vector<bool>{false}, hostEnabledUnderBox) << "the host's window stayed usable under the box";
  EXPECT_TRUE(IsWindowEnabled(host.get())) << "and usable again after it";

  sink.onEvent = nullptr;
  EXPECT_HR(S_OK, object->Close(OLECLOSE_NOSAVE));
  EXPECT_HR(S_OK, object->SetClientSite(nullptr));
  object.reset();
  device_.reset();  // it fires OnDestroy into this test's sink
}

TEST_F(Control, ActivationWithoutASiteFailsAndUnknownVerbsAreRefused) {
  com_ptr<IOleObject> object = As<IOleObject>(IID_IOleObject);
  RECT rect{0, 0, 100, 50};
  EXPECT_HR(E_UNEXPECTED, object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, nullptr, 0, nullptr, &rect));
  EXPECT_HR(E_NOTIMPL, object->DoVerb(OLEIVERB_OPEN, nullptr, nullptr, 0, nullptr, &rect));
  EXPECT_HR(OLEOBJ_S_INVALIDVERB, object->DoVerb(5, nullptr, nullptr, 0, nullptr, &rect));
  // The properties verb: the control has no pages, so there is nothing to show.
  EXPECT_HR(S_OK, object->DoVerb(OLEIVERB_PRIMARY, nullptr, nullptr, 0, nullptr, &rect));
  EXPECT_HR(S_OK, object->DoVerb(OLEIVERB_PROPERTIES, nullptr, nullptr, 0, nullptr, &rect));
}

TEST_F(Control, DescribesItselfToTheContainer) {
  com_ptr<IOleObject> object = As<IOleObject>(IID_IOleObject);
  DWORD status = 0;
  EXPECT_HR(S_OK, object->GetMiscStatus(DVASPECT_CONTENT, &status));
  EXPECT_EQ(kMiscStatus, status);
  EXPECT_HR(S_OK, object->GetMiscStatus(DVASPECT_ICON, &status));
  EXPECT_EQ(0u, status);
  CLSID clsid{};
  EXPECT_HR(S_OK, object->GetUserClassID(&clsid));
  EXPECT_EQ(GuidText(CLSID_B740X), GuidText(clsid));
  LPOLESTR userType = nullptr;
  ASSERT_HR(S_OK, object->GetUserType(USERCLASSTYPE_FULL, &userType));
  EXPECT_EQ(L"B7-40/5 Device Control", std::wstring(userType));
  CoTaskMemFree(userType);

  com_ptr<IEnumOLEVERB> verbs;
  ASSERT_HR(S_OK, object->EnumVerbs(verbs.put()));
  OLEVERB verb[2] = {};
  ULONG fetched = 0;
  EXPECT_HR(S_FALSE, verbs->Next(2, verb, &fetched));
  ASSERT_EQ(1u, fetched);
  EXPECT_EQ(0, verb[0].lVerb);
  EXPECT_EQ(L"Properties", std::wstring(verb[0].lpszVerbName));
  EXPECT_EQ(0u, verb[0].fuFlags);
  EXPECT_EQ(static_cast<DWORD>(OLEVERBATTRIB_ONCONTAINERMENU), verb[0].grfAttribs);
  CoTaskMemFree(verb[0].lpszVerbName);

  com_ptr<IOleControl> control = As<IOleControl>(IID_IOleControl);
  CONTROLINFO info{};
  info.cb = sizeof(info);
  info.cAccel = 9;
  EXPECT_HR(S_OK, control->GetControlInfo(&info));
  EXPECT_EQ(0, info.cAccel);
  EXPECT_EQ(nullptr, info.hAccel);

  com_ptr<ISpecifyPropertyPages> pages = As<ISpecifyPropertyPages>(IID_ISpecifyPropertyPages);
  CAUUID list{5, reinterpret_cast<GUID*>(1)};
  EXPECT_HR(S_OK, pages->GetPages(&list));
  EXPECT_EQ(0u, list.cElems);
  EXPECT_EQ(nullptr, list.pElems);

  com_ptr<IPerPropertyBrowsing> browsing = As<IPerPropertyBrowsing>(IID_IPerPropertyBrowsing);
  CLSID page = CLSID_B740X;
  EXPECT_HR(PERPROP_E_NOPAGEAVAILABLE, browsing->MapPropertyToPage(4, &page));
  EXPECT_EQ(GuidText(CLSID_NULL), GuidText(page));
}

TEST_F(Control, NeverClaimsToBeSafeForUntrustedCallers) {
  com_ptr<IObjectSafety> safety = As<IObjectSafety>(IID_IObjectSafety);
  for (const IID* iid : {&IID_IDispatch, &IID_IQXDevice, &IID_IPersistPropertyBag, &IID_IPersistStreamInit}) {
    DWORD supported = 99, enabled = 99;
    EXPECT_HR(S_OK, safety->GetInterfaceSafetyOptions(*iid, &supported, &enabled));
    EXPECT_EQ(0u, supported);
    EXPECT_EQ(0u, enabled);
    for (DWORD option : {static_cast<DWORD>(INTERFACESAFE_FOR_UNTRUSTED_CALLER),
                         static_cast<DWORD>(INTERFACESAFE_FOR_UNTRUSTED_DATA),
                         static_cast<DWORD>(INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA)})
      EXPECT_HR(E_FAIL, safety->SetInterfaceSafetyOptions(*iid, option, option)) << option;
    EXPECT_HR(S_OK, safety->SetInterfaceSafetyOptions(*iid, INTERFACESAFE_FOR_UNTRUSTED_CALLER, 0));
  }
  DWORD supported = 0, enabled = 0;
  EXPECT_HR(E_NOINTERFACE, safety->GetInterfaceSafetyOptions(IID_IClassFactory, &supported, &enabled));
}

// A property-change sink for quick activation.
class PropertySink : public CountedObject<IPropertyNotifySink> {
 public:
  PropertySink() : CountedObject({IID_IPropertyNotifySink}) {}
  HRESULT STDMETHODCALLTYPE OnChanged(DISPID) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID) override { return S_OK; }
};

TEST_F(Control, QuickActivationConnectsSiteAndSinksInOneCall) {
  HostWindow host;
  Site site(host.get(), RECT{0, 0, 200, 97});
  EventSink sink(DIID_IQXDeviceEvents);
  PropertySink propertySink;
  QACONTAINER container{};
  container.cbSize = sizeof(container);
  container.pClientSite = &site;
  container.pPropertyNotifySink = &propertySink;
  container.pUnkEventSink = &sink;
  QACONTROL control{};
  control.cbSize = sizeof(control);
  control.dwEventCookie = 77;
  com_ptr<IQuickActivate> quick = As<IQuickActivate>(IID_IQuickActivate);
  ASSERT_HR(S_OK, quick->QuickActivate(&container, &control));
  EXPECT_EQ(kMiscStatus, control.dwMiscStatus);
  EXPECT_EQ(static_cast<DWORD>(VIEWSTATUS_OPAQUE), control.dwViewStatus);
  EXPECT_EQ(1u, control.dwEventCookie);
  EXPECT_EQ(1u, control.dwPropNotifyCookie);
  EXPECT_EQ(0u, control.dwPointerActivationPolicy);

  com_ptr<IOleObject> object = As<IOleObject>(IID_IOleObject);
  com_ptr<IOleClientSite> current;
  EXPECT_HR(S_OK, object->GetClientSite(current.put()));
  EXPECT_EQ(static_cast<IOleClientSite*>(&site), current.get());
  current.reset();

  com_ptr<IConnectionPoint> point;
  ASSERT_NO_FATAL_FAILURE(FindPoint(DIID_IQXDeviceEvents, point));
  EventSink other(DIID_IQXDeviceEvents);
  DWORD cookie = 0;
  EXPECT_HR(CONNECT_E_CANNOTCONNECT, point->Advise(&other, &cookie));

  SIZEL extent{1234, 567};
  EXPECT_HR(S_OK, quick->SetContentExtent(&extent));
  SIZEL read{};
  EXPECT_HR(S_OK, quick->GetContentExtent(&read));
  EXPECT_EQ(1234, read.cx);
  EXPECT_EQ(567, read.cy);

  EXPECT_HR(S_OK, object->SetClientSite(nullptr));
  point.reset();
  object.reset();
  quick.reset();
  device_.reset();
  EXPECT_EQ(1u, site.refs);
  EXPECT_EQ(1u, propertySink.refs);
  EXPECT_EQ(1u, sink.refs);
}

// Extent, drawing and advice

// The form's 200 x 97 pixels in HIMETRIC at the screen's resolution.
SIZEL DefaultExtent() {
  HDC screen = GetDC(nullptr);
  const SIZEL extent{MulDiv(200, 2540, GetDeviceCaps(screen, LOGPIXELSX)),
                     MulDiv(97, 2540, GetDeviceCaps(screen, LOGPIXELSY))};
  ReleaseDC(nullptr, screen);
  return extent;
}

// Records the view and close notifications.
class AdviseSink : public CountedObject<IAdviseSink> {
 public:
  AdviseSink() : CountedObject({IID_IAdviseSink}) {}
  void STDMETHODCALLTYPE OnDataChange(FORMATETC*, STGMEDIUM*) override { calls.push_back("OnDataChange"); }
  void STDMETHODCALLTYPE OnViewChange(DWORD aspect, LONG index) override {
    calls.push_back("OnViewChange " + std::to_string(aspect) + " " + std::to_string(index));
  }
  void STDMETHODCALLTYPE OnRename(IMoniker*) override { calls.push_back("OnRename"); }
  void STDMETHODCALLTYPE OnSave() override { calls.push_back("OnSave"); }
  void STDMETHODCALLTYPE OnClose() override { calls.push_back("OnClose"); }
  std::vector<std::string> calls;
};

TEST_F(Control, TheExtentStartsAtTheFormsSizeAndFollowsTheContainer) {
  com_ptr<IOleObject> object = As<IOleObject>(IID_IOleObject);
  com_ptr<IViewObject2> view = As<IViewObject2>(IID_IViewObject2);
  SIZEL extent{};
  EXPECT_HR(S_OK, object->GetExtent(DVASPECT_CONTENT, &extent));
  const SIZEL expected = DefaultExtent();
  EXPECT_EQ(expected.cx, extent.cx);
  EXPECT_EQ(expected.cy, extent.cy);
  EXPECT_HR(DV_E_DVASPECT, object->GetExtent(DVASPECT_ICON, &extent));

  AdviseSink sink;
  EXPECT_HR(S_OK, view->SetAdvise(DVASPECT_CONTENT, 0, &sink));
  SIZEL larger{8000, 3000};
  EXPECT_HR(S_OK, object->SetExtent(DVASPECT_CONTENT, &larger));
  EXPECT_EQ((std::vector<std::string>{"OnViewChange 1 -1"}), sink.calls);
  EXPECT_HR(S_OK, view->GetExtent(DVASPECT_CONTENT, -1, nullptr, &extent));
  EXPECT_EQ(8000, extent.cx);
  EXPECT_EQ(3000, extent.cy);
  EXPECT_HR(DV_E_DVASPECT, object->SetExtent(DVASPECT_THUMBNAIL, &larger));

  DWORD aspects = 0, advf = 9;
  com_ptr<IAdviseSink> current;
  EXPECT_HR(S_OK, view->GetAdvise(&aspects, &advf, current.put()));
  EXPECT_EQ(static_cast<DWORD>(DVASPECT_CONTENT), aspects);
  EXPECT_EQ(0u, advf);
  EXPECT_EQ(static_cast<IAdviseSink*>(&sink), current.get());
  current.reset();
  EXPECT_HR(S_OK, view->SetAdvise(0, 0, nullptr));
  EXPECT_EQ(1u, sink.refs);
}

TEST_F(Control, CloseTellsTheAdviseSinks) {
  com_ptr<IOleObject> object = As<IOleObject>(IID_IOleObject);
  AdviseSink sink;
  DWORD connection = 0;
  ASSERT_HR(S_OK, object->Advise(&sink, &connection));
  EXPECT_NE(0u, connection);
  EXPECT_HR(S_OK, object->Close(OLECLOSE_NOSAVE));
  EXPECT_EQ((std::vector<std::string>{"OnClose"}), sink.calls);
  EXPECT_HR(S_OK, object->Unadvise(connection));
  EXPECT_EQ(1u, sink.refs);
}

TEST_F(Control, DrawsItsPanelFaceWhenNotInPlace) {
  com_ptr<IViewObject2> view = As<IViewObject2>(IID_IViewObject2);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 60, 40);
  ReleaseDC(nullptr, screen);
  HGDIOBJ previous = SelectObject(dc, bitmap);
  RECT all{0, 0, 60, 40};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));

  RECTL bounds{5, 5, 55, 35};
  EXPECT_HR(S_OK, view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr, nullptr, 0));
  EXPECT_EQ(GetNearestColor(dc, GetSysColor(COLOR_BTNFACE)), GetPixel(dc, 30, 20)) << "inside";
  EXPECT_EQ(RGB(0, 0, 0), GetPixel(dc, 2, 2)) << "outside the bounds";
  EXPECT_HR(DV_E_DVASPECT, view->Draw(DVASPECT_ICON, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr, nullptr, 0));
  EXPECT_HR(E_INVALIDARG,
            view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, nullptr, nullptr, nullptr, 0));

  SelectObject(dc, previous);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

// Persistence: the extent only, never the control interface's properties.

com_ptr<IQXDevice> NewControl() {
  com_ptr<IQXDevice> device;
  EXPECT_HR(S_OK, CoCreateInstance(CLSID_B740X, nullptr, CLSCTX_INPROC_SERVER, IID_IQXDevice, device.put_void()));
  return device;
}

void ExpectDefaultsOfTheInterface(IQXDevice* device) {
  LONG port = -1;
  VARIANT_BOOL active = 0;
  EXPECT_HR(S_OK, device->get_Port(&port));
  EXPECT_HR(S_OK, device->get_Active(&active));
  EXPECT_EQ(0, port);
  EXPECT_EQ(VARIANT_TRUE, active);
}

SIZEL ExtentOf(IQXDevice* device) {
  com_ptr<IOleObject> object;
  SIZEL extent{-1, -1};
  if (SUCCEEDED(device->QueryInterface(IID_IOleObject, object.put_void())))
    object->GetExtent(DVASPECT_CONTENT, &extent);
  return extent;
}

TEST_F(Control, AStreamHoldsTheExtentAndNothingOfTheInterface) {
  com_ptr<IOleObject> object = As<IOleObject>(IID_IOleObject);
  com_ptr<IPersistStreamInit> persist = As<IPersistStreamInit>(IID_IPersistStreamInit);
  EXPECT_HR(S_OK, persist->InitNew());
  EXPECT_HR(S_FALSE, persist->IsDirty());
  SIZEL extent{4321, 1234};
  ASSERT_HR(S_OK, object->SetExtent(DVASPECT_CONTENT, &extent));
  EXPECT_HR(S_OK, persist->IsDirty());
  EXPECT_HR(S_OK, device_->put_Port(9));
  EXPECT_HR(S_OK, device_->put_Active(VARIANT_FALSE));

  com_ptr<IStream> stream;
  ASSERT_HR(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, stream.put()));
  ASSERT_HR(S_OK, persist->Save(stream.get(), TRUE));
  EXPECT_HR(S_FALSE, persist->IsDirty());
  ULARGE_INTEGER maximum{}, size{};
  EXPECT_HR(S_OK, persist->GetSizeMax(&maximum));
  LARGE_INTEGER zero{};
  ASSERT_HR(S_OK, stream->Seek(zero, STREAM_SEEK_CUR, &size));
  EXPECT_EQ(maximum.QuadPart, size.QuadPart);
  EXPECT_EQ(12u, size.QuadPart);

  com_ptr<IQXDevice> loaded = NewControl();
  com_ptr<IPersistStreamInit> loadedPersist;
  ASSERT_HR(S_OK, loaded->QueryInterface(IID_IPersistStreamInit, loadedPersist.put_void()));
  ASSERT_HR(S_OK, stream->Seek(zero, STREAM_SEEK_SET, nullptr));
  ASSERT_HR(S_OK, loadedPersist->Load(stream.get()));
  EXPECT_HR(S_FALSE, loadedPersist->IsDirty());
  const SIZEL read = ExtentOf(loaded.get());
  EXPECT_EQ(4321, read.cx);
  EXPECT_EQ(1234, read.cy);
  ExpectDefaultsOfTheInterface(loaded.get());

  // Too short to be a saved control.
  com_ptr<IStream> shortStream;
  ASSERT_HR(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, shortStream.put()));
  const DWORD version = 1;
  ASSERT_HR(S_OK, shortStream->Write(&version, sizeof(version), nullptr));
  ASSERT_HR(S_OK, shortStream->Seek(zero, STREAM_SEEK_SET, nullptr));
  EXPECT_HR(STG_E_READFAULT, loadedPersist->Load(shortStream.get()));
}

// A property bag that keeps what is written in it.
class PropertyBag : public CountedObject<IPropertyBag> {
 public:
  PropertyBag() : CountedObject({IID_IPropertyBag}) {}
  ~PropertyBag() {
    for (auto& [name, value] : values) VariantClear(&value);
  }
  HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override {
    auto found = values.find(name);
    if (found == values.end()) return E_INVALIDARG;
    const VARTYPE wanted = V_VT(value);
    VariantInit(value);
    return wanted == VT_EMPTY ? VariantCopy(value, &found->second)
                              : VariantChangeType(value, &found->second, 0, wanted);
  }
  HRESULT STDMETHODCALLTYPE Write(LPCOLESTR name, VARIANT* value) override {
    VARIANT copy;
    VariantInit(&copy);
    VariantCopy(&copy, value);
    VariantClear(&values[name]);
    values[name] = copy;
    return S_OK;
  }
  std::map<std::wstring, VARIANT> values;
};

TEST_F(Control, APropertyBagHoldsTheExtentAndNothingOfTheInterface) {
  com_ptr<IOleObject> object = As<IOleObject>(IID_IOleObject);
  SIZEL extent{3000, 1500};
  ASSERT_HR(S_OK, object->SetExtent(DVASPECT_CONTENT, &extent));
  EXPECT_HR(S_OK, device_->put_Port(9));
  com_ptr<IPersistPropertyBag> persist = As<IPersistPropertyBag>(IID_IPersistPropertyBag);
  PropertyBag bag;
  ASSERT_HR(S_OK, persist->Save(&bag, TRUE, TRUE));
  std::map<std::wstring, std::pair<VARTYPE, LONG>> saved;
  for (const auto& [name, value] : bag.values) saved[name] = {V_VT(&value), V_VT(&value) == VT_I4 ? V_I4(&value) : 0};
  EXPECT_EQ((std::map<std::wstring, std::pair<VARTYPE, LONG>>{{L"_ExtentX", {VT_I4, 3000}},
                                                               {L"_ExtentY", {VT_I4, 1500}}}),
            saved);

  com_ptr<IQXDevice> loaded = NewControl();
  com_ptr<IPersistPropertyBag> loadedPersist;
  ASSERT_HR(S_OK, loaded->QueryInterface(IID_IPersistPropertyBag, loadedPersist.put_void()));
  ASSERT_HR(S_OK, loadedPersist->Load(&bag, nullptr));
  const SIZEL read = ExtentOf(loaded.get());
  EXPECT_EQ(3000, read.cx);
  EXPECT_EQ(1500, read.cy);
  ExpectDefaultsOfTheInterface(loaded.get());

  // A bag without the extent leaves the form's own.
  PropertyBag empty;
  com_ptr<IQXDevice> fresh = NewControl();
  com_ptr<IPersistPropertyBag> freshPersist;
  ASSERT_HR(S_OK, fresh->QueryInterface(IID_IPersistPropertyBag, freshPersist.put_void()));
  EXPECT_HR(S_OK, freshPersist->Load(&empty, nullptr));
  const SIZEL kept = ExtentOf(fresh.get());
  EXPECT_EQ(DefaultExtent().cx, kept.cx);
  EXPECT_EQ(DefaultExtent().cy, kept.cy);
}

TEST_F(Control, AStorageHoldsTheStreamFormInItsContentsStream) {
  com_ptr<IOleObject> object = As<IOleObject>(IID_IOleObject);
  SIZEL extent{2500, 2000};
  ASSERT_HR(S_OK, object->SetExtent(DVASPECT_CONTENT, &extent));
  com_ptr<ILockBytes> bytes;
  ASSERT_HR(S_OK, CreateILockBytesOnHGlobal(nullptr, TRUE, bytes.put()));
  com_ptr<IStorage> storage;
  ASSERT_HR(S_OK, StgCreateDocfileOnILockBytes(bytes.get(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                                               storage.put()));
  com_ptr<IPersistStorage> persist = As<IPersistStorage>(IID_IPersistStorage);
  ASSERT_HR(S_OK, persist->Save(storage.get(), TRUE));
  EXPECT_HR(S_OK, persist->SaveCompleted(nullptr));
  com_ptr<IStream> contents;
  EXPECT_HR(S_OK, storage->OpenStream(L"Contents", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, contents.put()));
  contents.reset();

  com_ptr<IQXDevice> loaded = NewControl();
  com_ptr<IPersistStorage> loadedPersist;
  ASSERT_HR(S_OK, loaded->QueryInterface(IID_IPersistStorage, loadedPersist.put_void()));
  ASSERT_HR(S_OK, loadedPersist->Load(storage.get()));
  const SIZEL read = ExtentOf(loaded.get());
  EXPECT_EQ(2500, read.cx);
  EXPECT_EQ(2000, read.cy);
  CLSID clsid{};
  EXPECT_HR(S_OK, loadedPersist->GetClassID(&clsid));
  EXPECT_EQ(GuidText(CLSID_B740X), GuidText(clsid));
}

}  // namespace

int main(int argc, char** argv) { return server_test::RunTests(argc, argv); }
