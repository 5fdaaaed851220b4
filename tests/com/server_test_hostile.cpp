// What a careless or hostile host may hand a control: null pointers, huge strings and strings
// with NULs inside, bus addresses that do not exist, dispatch calls of every wrong shape, and
// calls back into the control from inside its own OnData. Each gets a clear error or a sound
// result, and the control works normally afterwards.
// Usage: server_hostile_test <Windows path of Apparata.ocx> [GoogleTest options]

#include "server_test_support.h"

#include <ocidl.h>

#include <climits>

#include "Apparata_h.h"
#include "tools/common/MinimalDevice.h"

namespace {

using namespace server_test;

constexpr DISPID kPort = 4, kText = 2, kActive = 3, kTrigger = 5;

std::wstring ErrorDescription() {
  com_ptr<IErrorInfo> info;
  if (GetErrorInfo(0, info.put()) != S_OK || !info) return L"<no error information>";
  unique_bstr description;
  info->GetDescription(description.put());
  return description.str();
}

// A control of the class on Port 7 with the test's sink connected.
class Hostile : public RegisteredServer, public ::testing::WithParamInterface<const wchar_t*> {
 protected:
  void SetUp() override {
    CLSID clsid{};
    ASSERT_HR(S_OK, CLSIDFromProgID(GetParam(), &clsid));
    ASSERT_HR(S_OK, CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IQXDevice, device_.put_void()));
    com_ptr<IConnectionPointContainer> container;
    ASSERT_HR(S_OK, device_->QueryInterface(IID_IConnectionPointContainer, container.put_void()));
    ASSERT_HR(S_OK, container->FindConnectionPoint(DIID_IQXDeviceEvents, point_.put()));
    DWORD cookie = 0;
    ASSERT_HR(S_OK, point_->Advise(&sink_, &cookie));
    ASSERT_HR(S_OK, device_->put_Port(7));
  }
  void TearDown() override {
    sink_.onEvent = nullptr;
    point_.reset();
    device_.reset();
    EXPECT_EQ(1u, sink_.refs) << "the control kept the sink";
  }

  std::size_t OnDataCount() const {
    return static_cast<std::size_t>(std::count(sink_.events.begin(), sink_.events.end(), 3));
  }

  // One trigger brings one reading: the control is in order.
  void ExpectWorking() {
    ASSERT_TRUE(device_) << "released";
    ASSERT_HR(S_OK, device_->put_Active(VARIANT_TRUE));
    ASSERT_HR(S_OK, device_->put_Port(7));
    const std::size_t readings = OnDataCount();
    ASSERT_HR(S_OK, device_->Trigger());
    EXPECT_TRUE(PumpUntil([&] { return OnDataCount() == readings + 1; }, 3000)) << "no reading after the trigger";
    unique_bstr text;
    EXPECT_HR(S_OK, device_->get_Text(text.put()));
  }

  // Either it worked, or it failed with a description of its own.
  void ExpectSound(HRESULT hr, const char* what) {
    if (SUCCEEDED(hr)) return;
    const std::wstring description = ErrorDescription();
    EXPECT_NE(L"<no error information>", description) << what;
    EXPECT_NE(L"", description) << what;
  }

  EventSink sink_{DIID_IQXDeviceEvents};
  com_ptr<IQXDevice> device_;
  com_ptr<IConnectionPoint> point_;
};

TEST_P(Hostile, NullOutPointersAreRefusedWithEPointer) {
  com_ptr<IDispatch> dispatch;
  ASSERT_HR(S_OK, device_->QueryInterface(IID_IDispatch, dispatch.put_void()));
  const std::vector<std::pair<const char*, std::function<HRESULT()>>> calls = {
      {"get_InternalTrigger", [&] { return device_->get_InternalTrigger(nullptr); }},
      {"get_Text", [&] { return device_->get_Text(nullptr); }},
      {"get_Active", [&] { return device_->get_Active(nullptr); }},
      {"get_Port", [&] { return device_->get_Port(nullptr); }},
      {"GetTypeInfoCount", [&] { return dispatch->GetTypeInfoCount(nullptr); }},
      {"GetTypeInfo", [&] { return dispatch->GetTypeInfo(0, 0, nullptr); }},
      {"GetIDsOfNames without names", [&] {
         DISPID id = 0;
         return dispatch->GetIDsOfNames(IID_NULL, nullptr, 1, 0, &id);
       }},
      {"GetIDsOfNames without room for DISPIDs", [&] {
         wchar_t name[] = L"Port";
         LPOLESTR names[] = {name};
         return dispatch->GetIDsOfNames(IID_NULL, names, 1, 0, nullptr);
       }},
      {"Invoke without arguments", [&] {
         return dispatch->Invoke(kTrigger, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr);
       }},
  };
  for (const auto& [what, call] : calls) EXPECT_HR(E_POINTER, call()) << what;
  ExpectWorking();
}

TEST_P(Hostile, NullHugeAndNulBearingTextsAreTakenOrRefusedCleanly) {
  unique_bstr huge(std::wstring(1 << 20, L'7'));
  unique_bstr withNuls(std::wstring(L"F1\0R2\0", 6));
  unique_bstr nulOnly(std::wstring(1, L'\0'));
  const std::vector<std::pair<const char*, BSTR>> texts = {
      {"null", nullptr}, {"1 MB", huge.get()}, {"NULs inside", withNuls.get()}, {"one NUL", nulOnly.get()}};
  for (const auto& [what, text] : texts) {
    ExpectSound(device_->put_Text(text), what);
    unique_bstr shown;
    EXPECT_HR(S_OK, device_->get_Text(shown.put())) << what;
  }
  ExpectWorking();
}

struct PortCase {
  LONG port;
  const wchar_t* error;  // null: the trigger goes out to `address`
  const wchar_t* address;
};

// In debug mode the driver layer logs any address it is given; only the address arithmetic
// itself can fail. A real driver refuses addresses above 65535 as well.
TEST_P(Hostile, APortThatDoesNotFitTheBusFailsInTheAddressOrIsLoggedAsItIs) {
  const PortCase cases[] = {
      {-1, nullptr, L"Trigger address 699"},
      {65536, nullptr, L"Trigger address 66236"},
      {INT_MAX, L"Integer overflow", nullptr},
      {INT_MIN, nullptr, L"Trigger address -2147482948"},
  };
  for (const PortCase& c : cases) {
    ASSERT_HR(S_OK, device_->put_Port(c.port));
    LONG port = 0;
    EXPECT_HR(S_OK, device_->get_Port(&port));
    EXPECT_EQ(c.port, port);
    const std::size_t readings = OnDataCount();
    if (!c.error) {
      EXPECT_HR(S_OK, device_->Trigger()) << c.port;
      const auto lines = DebugTerminalLines().value_or(std::vector<std::wstring>{});
      EXPECT_NE(lines.end(), std::find(lines.begin(), lines.end(), c.address)) << c.port;
      EXPECT_TRUE(PumpUntil([&] { return OnDataCount() == readings + 1; }, 3000)) << c.port;
      continue;
    }
    EXPECT_HR(E_UNEXPECTED, device_->Trigger()) << c.port;
    EXPECT_EQ(c.error, ErrorDescription()) << c.port;
    unique_bstr command(CommandFor(GetParam()));
    EXPECT_HR(E_UNEXPECTED, device_->put_Text(command.get())) << c.port;
    EXPECT_EQ(c.error, ErrorDescription()) << c.port;
    PumpFor(1200);
    EXPECT_EQ(readings, OnDataCount()) << "a reading after the failed trigger, Port " << c.port;
  }
  ExpectWorking();
}

// A put of the property or a call of the method, in every wrong shape a dispatch caller can
// give it. The control must answer as the system's own dispatch over the same type library.
struct InvokeCase {
  const char* what;
  DISPID dispid;
  WORD flags;
  std::vector<VARIANT> args;  // in DISPPARAMS order, the last argument first
  std::vector<DISPID> named;
};

VARIANT Text(const wchar_t* text) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_BSTR;
  V_BSTR(&v) = SysAllocString(text);
  return v;
}

VARIANT OfType(VARTYPE type) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = type;
  if (type == VT_R8) V_R8(&v) = 1e12;
  return v;
}

struct Outcome {
  HRESULT hr;
  UINT argError;
  VARTYPE resultType;
};

Outcome InvokeWith(IDispatch* dispatch, const InvokeCase& c) {
  std::vector<VARIANT> args = c.args;
  for (VARIANT& arg : args) {
    VARIANT copy;
    VariantInit(&copy);
    VariantCopy(&copy, &arg);
    arg = copy;
  }
  std::vector<DISPID> named = c.named;
  DISPPARAMS params{args.empty() ? nullptr : args.data(), named.empty() ? nullptr : named.data(),
                    static_cast<UINT>(args.size()), static_cast<UINT>(named.size())};
  VARIANT result;
  VariantInit(&result);
  EXCEPINFO exception{};
  UINT argError = 0xFFFF;
  const bool put = c.flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
  Outcome outcome{dispatch->Invoke(c.dispid, IID_NULL, LOCALE_USER_DEFAULT, c.flags, &params, put ? nullptr : &result,
                                   &exception, &argError),
                  0, V_VT(&result)};
  // The argument's position is meant only for the failures that name one.
  const HRESULT hr = outcome.hr;
  if (hr == DISP_E_TYPEMISMATCH || hr == DISP_E_PARAMNOTFOUND || hr == DISP_E_OVERFLOW) outcome.argError = argError;
  VariantClear(&result);
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrHelpFile);
  for (VARIANT& arg : args) VariantClear(&arg);
  return outcome;
}

void PrintTo(const Outcome& o, std::ostream* os) {
  PrintTo(Hr{o.hr}, os);
  *os << " arg " << o.argError << " result type " << o.resultType;
}
bool operator==(const Outcome& a, const Outcome& b) {
  return a.hr == b.hr && a.argError == b.argError && a.resultType == b.resultType;
}

TEST_P(Hostile, EveryWrongShapeOfDispatchCallIsAnsweredAsTheStandardDispatchAnswersIt) {
  DISPID put = DISPID_PROPERTYPUT;
  const std::vector<InvokeCase> cases = {
      {"unknown DISPID", 99, DISPATCH_PROPERTYGET, {}, {}},
      {"negative DISPID", -7, DISPATCH_METHOD, {}, {}},
      {"Port get with an argument", kPort, DISPATCH_PROPERTYGET, {Long(1)}, {}},
      {"Port put without a value", kPort, DISPATCH_PROPERTYPUT, {}, {}},
      {"Port put with two values", kPort, DISPATCH_PROPERTYPUT, {Long(1), Long(2)}, {put}},
      {"Port put, value not named", kPort, DISPATCH_PROPERTYPUT, {Long(9)}, {}},
      {"Port put, value named otherwise", kPort, DISPATCH_PROPERTYPUT, {Long(9)}, {5}},
      {"Port put of a word", kPort, DISPATCH_PROPERTYPUT, {Text(L"abc")}, {put}},
      {"Port put of a numeric text", kPort, DISPATCH_PROPERTYPUT, {Text(L"12")}, {put}},
      {"Port put beyond 32 bits", kPort, DISPATCH_PROPERTYPUT, {OfType(VT_R8)}, {put}},
      {"Port put of no object", kPort, DISPATCH_PROPERTYPUT, {OfType(VT_DISPATCH)}, {put}},
      {"Port put of null", kPort, DISPATCH_PROPERTYPUT, {OfType(VT_NULL)}, {put}},
      {"Text put of a number", kText, DISPATCH_PROPERTYPUT, {Long(42)}, {put}},
      {"Text put of null", kText, DISPATCH_PROPERTYPUT, {OfType(VT_NULL)}, {put}},
      {"Active put of a word", kActive, DISPATCH_PROPERTYPUT, {Text(L"yes")}, {put}},
      {"Active put of a number", kActive, DISPATCH_PROPERTYPUT, {Long(5)}, {put}},
      {"Trigger with an argument", kTrigger, DISPATCH_METHOD, {Long(1)}, {}},
      {"Trigger with a named argument", kTrigger, DISPATCH_METHOD, {Long(1)}, {0}},
      {"Trigger as a property get", kTrigger, DISPATCH_PROPERTYGET, {}, {}},
      {"Port get as a method", kPort, DISPATCH_METHOD, {}, {}},
      {"Port as a put of a method", kTrigger, DISPATCH_PROPERTYPUT, {Long(1)}, {put}},
      {"no kind of call", kPort, 0, {}, {}},
  };
  minimal_device::Device reference(ServerPath());
  ASSERT_TRUE(reference.ok());
  const com_ptr<IDispatch> standard = reference.Dispatch();
  com_ptr<IDispatch> dispatch;
  ASSERT_HR(S_OK, device_->QueryInterface(IID_IDispatch, dispatch.put_void()));
  DialogWatch dialogs;
  for (const InvokeCase& c : cases) EXPECT_EQ(InvokeWith(standard.get(), c), InvokeWith(dispatch.get(), c)) << c.what;
  for (const InvokeCase& c : cases)
    for (VARIANT arg : c.args) VariantClear(&arg);
  EXPECT_EQ(std::vector<std::wstring>{}, dialogs.texts);
  ExpectWorking();
}

TEST_P(Hostile, UnknownNamesAreReportedAndKnownOnesFound) {
  com_ptr<IDispatch> dispatch;
  ASSERT_HR(S_OK, device_->QueryInterface(IID_IDispatch, dispatch.put_void()));
  struct NameCase {
    std::vector<std::wstring> names;
    HRESULT hr;
    std::vector<DISPID> ids;
  };
  const NameCase cases[] = {
      {{L"Nothing"}, DISP_E_UNKNOWNNAME, {DISPID_UNKNOWN}},
      {{L""}, DISP_E_UNKNOWNNAME, {DISPID_UNKNOWN}},
      {{L"port"}, S_OK, {kPort}},
      {{L"Port", L"Nothing"}, DISP_E_UNKNOWNNAME, {kPort, DISPID_UNKNOWN}},
      {{std::wstring(100000, L'X')}, DISP_E_UNKNOWNNAME, {DISPID_UNKNOWN}},
  };
  for (const NameCase& c : cases) {
    std::vector<std::wstring> names = c.names;
    std::vector<LPOLESTR> pointers;
    for (std::wstring& name : names) pointers.push_back(name.data());
    std::vector<DISPID> ids(names.size(), 12345);
    EXPECT_HR(c.hr, dispatch->GetIDsOfNames(IID_NULL, pointers.data(), static_cast<UINT>(pointers.size()), 0,
                                            ids.data()))
        << Narrow(names[0].substr(0, 20));
    EXPECT_EQ(c.ids, ids) << Narrow(names[0].substr(0, 20));
  }
}

// What a host's OnData handler does to the control that raised it.
struct Reentry {
  const char* what;
  bool internalTrigger;
  std::function<void(com_ptr<IQXDevice>&, com_ptr<IConnectionPoint>&)> handler;
  std::vector<DISPID> events;  // all there are
  bool releases;
};

class Reentrant : public Hostile {};

TEST_P(Reentrant, AHandlerThatCallsBackIntoTheControlLeavesItSound) {
  const Reentry cases[] = {
      {"releases its last reference", true,
       [](com_ptr<IQXDevice>& device, com_ptr<IConnectionPoint>& point) {
         point.reset();
         device.reset();
       },
       {3, 2}, true},
      {"sets Active false", true,
       [](com_ptr<IQXDevice>& device, com_ptr<IConnectionPoint>&) { EXPECT_HR(S_OK, device->put_Active(VARIANT_FALSE)); },
       {3}, false},
      {"triggers again", false,
       [](com_ptr<IQXDevice>& device, com_ptr<IConnectionPoint>&) { EXPECT_HR(S_OK, device->Trigger()); }, {3, 3, 3}, false},
      {"writes Text", false,
       [this](com_ptr<IQXDevice>& device, com_ptr<IConnectionPoint>&) {
         unique_bstr command(CommandFor(GetParam()));
         EXPECT_HR(S_OK, device->put_Text(command.get()));
       },
       {3}, false},
  };
  for (const Reentry& c : cases) {
    SetUp();
    DialogWatch dialogs;
    int calls = 0;
    sink_.events.clear();
    sink_.onEvent = [&](DISPID dispid) {
      // Three readings are enough to see it go on.
      if (dispid == 3 && ++calls < 3) c.handler(device_, point_);
    };
    if (c.internalTrigger)
      ASSERT_HR(S_OK, device_->put_InternalTrigger(VARIANT_TRUE)) << c.what;
    else
      ASSERT_HR(S_OK, device_->Trigger()) << c.what;
    const DWORD start = GetTickCount();
    PumpUntil([&] { return sink_.events.size() >= c.events.size(); }, 3500);
    // A stray event would follow within as long again as the expected ones took.
    PumpFor(GetTickCount() - start + 300);
    EXPECT_EQ(c.events, sink_.events) << c.what;
    EXPECT_EQ(std::vector<std::wstring>{}, dialogs.texts) << c.what;
    sink_.onEvent = nullptr;
    if (!c.releases) ExpectWorking();
    TearDown();
  }
}

TEST_P(Reentrant, AHandlerThatChangesThePortMovesTheNextTriggerThere) {
  sink_.onEvent = [&](DISPID dispid) {
    if (dispid == 3) {
      EXPECT_HR(S_OK, device_->put_Port(8));
    }
  };
  ASSERT_HR(S_OK, device_->put_InternalTrigger(VARIANT_TRUE));
  ASSERT_TRUE(PumpUntil([&] { return OnDataCount() >= 2; }, 5000));
  sink_.onEvent = nullptr;
  ASSERT_HR(S_OK, device_->put_InternalTrigger(VARIANT_FALSE));
  const auto lines = DebugTerminalLines().value_or(std::vector<std::wstring>{});
  EXPECT_NE(lines.end(), std::find(lines.begin(), lines.end(), L"Trigger address 708"))
      << "the re-trigger after the handler goes to the new Port";
}

const auto kClasses = ::testing::Values(L"Apparata.B740X", L"Apparata.E712X", L"Apparata.HP4191X");
std::string ClassName(const ::testing::TestParamInfo<const wchar_t*>& info) {
  return Narrow(std::wstring(info.param).substr(9));
}
INSTANTIATE_TEST_SUITE_P(EachClass, Hostile, kClasses, ClassName);
INSTANTIATE_TEST_SUITE_P(EachClass, Reentrant, kClasses, ClassName);

}  // namespace

int main(int argc, char** argv) { return server_test::RunTests(argc, argv); }
