// Loads the built type library with the system loader and holds it to the automation contract
// hosts depend on: identifiers, order, flags, entry-point slots, parameters and help strings.
// Usage: typelib_test <Windows path of Apparata.tlb> [GoogleTest options]

#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <iomanip>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "Apparata_h.h"
#include "core/win32/ComResource.h"

namespace {

std::string g_libraryPathText;
std::wstring g_libraryPath;

const wchar_t kLibid[] = L"{3C053B00-2C71-11D5-B2A4-FE129D63AC66}";
const wchar_t kDeviceIid[] = L"{3C053B01-2C71-11D5-B2A4-FE129D63AC66}";
const wchar_t kEventsIid[] = L"{3C053B02-2C71-11D5-B2A4-FE129D63AC66}";
const wchar_t kIDispatchIid[] = L"{00020400-0000-0000-C000-000000000046}";
const wchar_t kStdoleLibid[] = L"{00020430-0000-0000-C000-000000000046}";

#ifdef _WIN64
const SYSKIND kSysKind = SYS_WIN64;
#else
const SYSKIND kSysKind = SYS_WIN32;
#endif

const UINT kPointer = sizeof(void*);
const UINT kIDispatchSlots = 7;

// HRESULTs compared through this print in hex.
struct Result {
  HRESULT value;
};

bool operator==(Result a, Result b) { return a.value == b.value; }

void PrintTo(Result r, std::ostream* os) {
  *os << "0x" << std::hex << std::setw(8) << std::setfill('0')
      << static_cast<unsigned long>(r.value);
}

#define ASSERT_OK(expr) ASSERT_EQ(Result{S_OK}, Result{(expr)}) << #expr
#define EXPECT_OK(expr) EXPECT_EQ(Result{S_OK}, Result{(expr)}) << #expr

using core::win32::com_ptr;

using Text = std::optional<std::wstring>;

Text Take(BSTR s) {
  if (!s) return std::nullopt;
  std::wstring text(s, SysStringLen(s));
  SysFreeString(s);
  return text;
}

std::wstring GuidText(const GUID& guid) {
  wchar_t text[39] = {};
  StringFromGUID2(guid, text, 39);
  return text;
}

struct Doc {
  HRESULT hr;
  Text name;
  Text help;
  DWORD context;
  Text file;
};

template <class Owner>
Doc Document(Owner* owner, INT id) {
  BSTR name = nullptr, help = nullptr, file = nullptr;
  DWORD context = 0xFFFFFFFF;
  HRESULT hr = owner->GetDocumentation(id, &name, &help, &context, &file);
  return {hr, Take(name), Take(help), context, Take(file)};
}

class TypeAttr {
 public:
  explicit TypeAttr(ITypeInfo* info) : info_(info) { hr_ = info->GetTypeAttr(&attr_); }
  TypeAttr(const TypeAttr&) = delete;
  TypeAttr& operator=(const TypeAttr&) = delete;
  ~TypeAttr() {
    if (attr_) info_->ReleaseTypeAttr(attr_);
  }
  HRESULT hr() const { return hr_; }
  const TYPEATTR* operator->() const { return attr_; }

 private:
  ITypeInfo* info_;
  TYPEATTR* attr_ = nullptr;
  HRESULT hr_;
};

class FuncDesc {
 public:
  FuncDesc(ITypeInfo* info, UINT index) : info_(info) { hr_ = info->GetFuncDesc(index, &desc_); }
  FuncDesc(const FuncDesc&) = delete;
  FuncDesc& operator=(const FuncDesc&) = delete;
  ~FuncDesc() {
    if (desc_) info_->ReleaseFuncDesc(desc_);
  }
  HRESULT hr() const { return hr_; }
  const FUNCDESC* operator->() const { return desc_; }

 private:
  ITypeInfo* info_;
  FUNCDESC* desc_ = nullptr;
  HRESULT hr_;
};

std::vector<std::wstring> Names(ITypeInfo* info, MEMBERID id) {
  BSTR names[8] = {};
  UINT count = 0;
  std::vector<std::wstring> result;
  if (FAILED(info->GetNames(id, names, 8, &count))) return {L"<GetNames failed>"};
  for (UINT i = 0; i < count; ++i) result.push_back(Take(names[i]).value_or(L"<null>"));
  return result;
}

struct TypeEntry {
  const wchar_t* name;
  const wchar_t* guid;
  TYPEKIND kind;
  WORD flags;
  const wchar_t* help;
};

// The loader reports a dual interface's automation flag on its vtable half only (Windows' does
// the same), so the dispatch half listed here shows dual and dispatchable.
const TypeEntry kTypes[] = {
    {L"IQXDevice", kDeviceIid, TKIND_DISPATCH, TYPEFLAG_FDUAL | TYPEFLAG_FDISPATCHABLE,
     L"Quorvex Virtual Device Control Interface"},
    {L"IQXDeviceEvents", kEventsIid, TKIND_DISPATCH, TYPEFLAG_FDISPATCHABLE,
     L"Quorvex Virtual Device Events Interface"},
    {L"B740X", L"{3C053B03-2C71-11D5-B2A4-FE129D63AC66}", TKIND_COCLASS,
     TYPEFLAG_FCANCREATE | TYPEFLAG_FCONTROL, L"B7-40/5 Device Control"},
    {L"HP4191X", L"{3C053B04-2C71-11D5-B2A4-FE129D63AC66}", TKIND_COCLASS,
     TYPEFLAG_FCANCREATE | TYPEFLAG_FCONTROL, L"HP4191A Device Control"},
    {L"E712X", L"{3C053B05-2C71-11D5-B2A4-FE129D63AC66}", TKIND_COCLASS,
     TYPEFLAG_FCANCREATE | TYPEFLAG_FCONTROL, L"E 7-12 Device Control"},
};

// IQXDevice's members in declaration (and entry-point) order; VT_EMPTY marks a method.
struct Member {
  MEMBERID id;
  const wchar_t* name;
  INVOKEKIND kind;
  VARTYPE type;
  const wchar_t* help;
};

const Member kMembers[] = {
    {1, L"InternalTrigger", INVOKE_PROPERTYGET, VT_BOOL, L"Device trigger type"},
    {1, L"InternalTrigger", INVOKE_PROPERTYPUT, VT_BOOL, L"Device trigger type"},
    {2, L"Text", INVOKE_PROPERTYGET, VT_BSTR, L"Device data"},
    {2, L"Text", INVOKE_PROPERTYPUT, VT_BSTR, L"Device data"},
    {3, L"Active", INVOKE_PROPERTYGET, VT_BOOL, L"Hardware connection status"},
    {3, L"Active", INVOKE_PROPERTYPUT, VT_BOOL, L"Hardware connection status"},
    {4, L"Port", INVOKE_PROPERTYGET, VT_I4, L"Hardware port number"},
    {4, L"Port", INVOKE_PROPERTYPUT, VT_I4, L"Hardware port number"},
    {5, L"Trigger", INVOKE_FUNC, VT_EMPTY, L"Trigger device"},
    {6, L"Clear", INVOKE_FUNC, VT_EMPTY, L"Initialize device mode"},
    {7, L"LoadConfig", INVOKE_FUNC, VT_EMPTY, L"Load device configuration from registry"},
    {8, L"SaveConfig", INVOKE_FUNC, VT_EMPTY, L"Save device configuration to registry"},
};
const UINT kMemberCount = sizeof(kMembers) / sizeof(kMembers[0]);

struct Event {
  MEMBERID id;
  const wchar_t* name;
};

const Event kEvents[] = {{1, L"OnCreate"}, {2, L"OnDestroy"}, {3, L"OnData"}};

std::wstring Describe(const Member& m) {
  const wchar_t* kind = m.kind == INVOKE_PROPERTYGET   ? L" get"
                        : m.kind == INVOKE_PROPERTYPUT ? L" put"
                                                       : L"";
  return m.name + std::wstring(kind);
}

class TypeLibrary : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    loadResult_ = LoadTypeLibEx(g_libraryPath.c_str(), REGKIND_NONE, &lib_);
  }
  static void TearDownTestSuite() {
    if (lib_) lib_->Release();
    lib_ = nullptr;
  }

  void SetUp() override {
    ASSERT_EQ(Result{S_OK}, Result{loadResult_})
        << "LoadTypeLibEx(" << g_libraryPathText << ")";
  }

  static void TypeAt(UINT index, com_ptr<ITypeInfo>& info) {
    ASSERT_OK(lib_->GetTypeInfo(index, info.put()));
  }

  // The vtable half of the dual IQXDevice.
  static void DeviceVtable(com_ptr<ITypeInfo>& info) {
    com_ptr<ITypeInfo> dispatch;
    ASSERT_NO_FATAL_FAILURE(TypeAt(0, dispatch));
    HREFTYPE ref = 0;
    ASSERT_OK(dispatch->GetRefTypeOfImplType(-1, &ref));
    ASSERT_OK(dispatch->GetRefTypeInfo(ref, info.put()));
  }

  // Where a referenced type lives: its library's name, LIBID and version, and its index there.
  static void ExpectContainedIn(ITypeInfo* info, const wchar_t* library, const wchar_t* libid,
                                WORD major, WORD minor, std::optional<UINT> index) {
    com_ptr<ITypeLib> owner;
    UINT at = ~0u;
    ASSERT_OK(info->GetContainingTypeLib(owner.put(), &at));
    TLIBATTR* attr = nullptr;
    ASSERT_OK(owner->GetLibAttr(&attr));
    EXPECT_EQ(libid, GuidText(attr->guid));
    EXPECT_EQ(major, attr->wMajorVerNum);
    EXPECT_EQ(minor, attr->wMinorVerNum);
    owner->ReleaseTLibAttr(attr);
    EXPECT_EQ(Text(library), Document(owner.get(), -1).name);
    if (index) {
      EXPECT_EQ(*index, at);
    }
  }

  static void ExpectIDispatchFromStdole(ITypeInfo* info, UINT implIndex) {
    HREFTYPE ref = 0;
    ASSERT_OK(info->GetRefTypeOfImplType(implIndex, &ref));
    com_ptr<ITypeInfo> base;
    ASSERT_OK(info->GetRefTypeInfo(ref, base.put()));
    TypeAttr attr(base.get());
    ASSERT_OK(attr.hr());
    EXPECT_EQ(kIDispatchIid, GuidText(attr->guid));
    EXPECT_EQ(TKIND_INTERFACE, attr->typekind);
    Doc doc = Document(base.get(), MEMBERID_NIL);
    EXPECT_EQ(Text(L"IDispatch"), doc.name);
    ExpectContainedIn(base.get(), L"stdole", kStdoleLibid, 2, 0, std::nullopt);
  }

  static HRESULT loadResult_;
  static ITypeLib* lib_;
};

HRESULT TypeLibrary::loadResult_ = E_FAIL;
ITypeLib* TypeLibrary::lib_ = nullptr;

TEST_F(TypeLibrary, LibraryAttributes) {
  TLIBATTR* attr = nullptr;
  ASSERT_OK(lib_->GetLibAttr(&attr));
  EXPECT_EQ(kLibid, GuidText(attr->guid));
  EXPECT_EQ(0x409u, attr->lcid);
  EXPECT_EQ(kSysKind, attr->syskind);
  EXPECT_EQ(1, attr->wMajorVerNum);
  EXPECT_EQ(0, attr->wMinorVerNum);
  // The loader adds "has disk image" to the stored flags of a library read from a file.
  EXPECT_EQ(LIBFLAG_FCONTROL | LIBFLAG_FHASDISKIMAGE, attr->wLibFlags);
  lib_->ReleaseTLibAttr(attr);
}

TEST_F(TypeLibrary, LibraryDocumentation) {
  Doc doc = Document(lib_, -1);
  ASSERT_OK(doc.hr);
  EXPECT_EQ(Text(L"Apparata"), doc.name);
  EXPECT_EQ(Text(L"Device Manager Type Library"), doc.help);
  EXPECT_EQ(0u, doc.context);
  EXPECT_EQ(std::nullopt, doc.file);

  com_ptr<ITypeLib2> lib2;
  ASSERT_OK(lib_->QueryInterface(IID_ITypeLib2, reinterpret_cast<void**>(lib2.put())));
  BSTR help = nullptr, dll = nullptr;
  DWORD context = 0xFFFFFFFF;
  ASSERT_OK(lib2->GetDocumentation2(-1, 0x409, &help, &context, &dll));
  EXPECT_EQ(Text(L"Device Manager Type Library"), Take(help));
  EXPECT_EQ(0u, context);
  EXPECT_EQ(std::nullopt, Take(dll));
}

TEST_F(TypeLibrary, TypeDescriptionsInOrder) {
  ASSERT_EQ(5u, lib_->GetTypeInfoCount());
  for (UINT i = 0; i < 5; ++i) {
    const TypeEntry& expected = kTypes[i];
    SCOPED_TRACE(testing::Message() << "type index " << i);
    TYPEKIND kind = TKIND_MAX;
    EXPECT_OK(lib_->GetTypeInfoType(i, &kind));
    EXPECT_EQ(expected.kind, kind);
    Doc doc = Document(lib_, i);
    EXPECT_OK(doc.hr);
    EXPECT_EQ(Text(expected.name), doc.name);

    GUID guid{};
    ASSERT_OK(CLSIDFromString(expected.guid, &guid));
    com_ptr<ITypeInfo> byGuid;
    ASSERT_OK(lib_->GetTypeInfoOfGuid(guid, byGuid.put()));
    ExpectContainedIn(byGuid.get(), L"Apparata", kLibid, 1, 0, i);
  }
}

TEST_F(TypeLibrary, TypeAttributesAndHelpStrings) {
  for (UINT i = 0; i < 5; ++i) {
    const TypeEntry& expected = kTypes[i];
    SCOPED_TRACE(testing::Message() << "type index " << i);
    com_ptr<ITypeInfo> info;
    ASSERT_NO_FATAL_FAILURE(TypeAt(i, info));
    TypeAttr attr(info.get());
    ASSERT_OK(attr.hr());
    EXPECT_EQ(expected.guid, GuidText(attr->guid));
    EXPECT_EQ(expected.kind, attr->typekind);
    EXPECT_EQ(expected.flags, attr->wTypeFlags);
    EXPECT_EQ(1, attr->wMajorVerNum);
    EXPECT_EQ(0, attr->wMinorVerNum);

    Doc doc = Document(info.get(), MEMBERID_NIL);
    EXPECT_OK(doc.hr);
    EXPECT_EQ(Text(expected.name), doc.name);
    EXPECT_EQ(Text(expected.help), doc.help);
    EXPECT_EQ(0u, doc.context);
    EXPECT_EQ(std::nullopt, doc.file);
  }
}

TEST_F(TypeLibrary, DeviceIsDualOverIDispatch) {
  com_ptr<ITypeInfo> dispatch;
  ASSERT_NO_FATAL_FAILURE(TypeAt(0, dispatch));
  {
    TypeAttr attr(dispatch.get());
    ASSERT_OK(attr.hr());
    EXPECT_EQ(1, attr->cImplTypes);
    EXPECT_EQ(0, attr->cVars);
    EXPECT_EQ(kIDispatchSlots * kPointer, attr->cbSizeVft);
  }
  ExpectIDispatchFromStdole(dispatch.get(), 0);

  com_ptr<ITypeInfo> vtable;
  ASSERT_NO_FATAL_FAILURE(DeviceVtable(vtable));
  TypeAttr attr(vtable.get());
  ASSERT_OK(attr.hr());
  EXPECT_EQ(kDeviceIid, GuidText(attr->guid));
  EXPECT_EQ(TKIND_INTERFACE, attr->typekind);
  EXPECT_EQ(TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE, attr->wTypeFlags);
  EXPECT_EQ(1, attr->wMajorVerNum);
  EXPECT_EQ(0, attr->wMinorVerNum);
  EXPECT_EQ(1, attr->cImplTypes);
  EXPECT_EQ(0, attr->cVars);
  ExpectIDispatchFromStdole(vtable.get(), 0);
}

TEST_F(TypeLibrary, DeviceEntryPoints) {
  com_ptr<ITypeInfo> vtable;
  ASSERT_NO_FATAL_FAILURE(DeviceVtable(vtable));
  {
    TypeAttr attr(vtable.get());
    ASSERT_OK(attr.hr());
    ASSERT_EQ(kMemberCount, attr->cFuncs);
    EXPECT_EQ((kIDispatchSlots + kMemberCount) * kPointer, attr->cbSizeVft);
  }
  for (UINT i = 0; i < kMemberCount; ++i) {
    const Member& m = kMembers[i];
    SCOPED_TRACE(Describe(m));
    FuncDesc f(vtable.get(), i);
    ASSERT_OK(f.hr());
    EXPECT_EQ(m.id, f->memid);
    EXPECT_EQ(m.kind, f->invkind);
    EXPECT_EQ(FUNC_PUREVIRTUAL, f->funckind);
    EXPECT_EQ(CC_STDCALL, f->callconv);
    EXPECT_EQ(static_cast<SHORT>((kIDispatchSlots + i) * kPointer), f->oVft);
    EXPECT_EQ(0, f->wFuncFlags);
    EXPECT_EQ(0, f->cParamsOpt);
    EXPECT_EQ(VT_HRESULT, f->elemdescFunc.tdesc.vt);

    if (m.kind == INVOKE_FUNC) {
      EXPECT_EQ(0, f->cParams);
      continue;
    }
    ASSERT_EQ(1, f->cParams);
    const ELEMDESC& param = f->lprgelemdescParam[0];
    if (m.kind == INVOKE_PROPERTYGET) {
      ASSERT_EQ(VT_PTR, param.tdesc.vt);
      EXPECT_EQ(m.type, param.tdesc.lptdesc->vt);
      EXPECT_EQ(PARAMFLAG_FOUT | PARAMFLAG_FRETVAL, param.paramdesc.wParamFlags);
    } else {
      EXPECT_EQ(m.type, param.tdesc.vt);
      EXPECT_EQ(PARAMFLAG_FIN, param.paramdesc.wParamFlags);
    }
  }
}

TEST_F(TypeLibrary, DeviceNamesAndHelpStrings) {
  com_ptr<ITypeInfo> vtable;
  ASSERT_NO_FATAL_FAILURE(DeviceVtable(vtable));
  com_ptr<ITypeInfo> dispatch;
  ASSERT_NO_FATAL_FAILURE(TypeAt(0, dispatch));
  for (const Member& m : kMembers) {
    if (m.kind == INVOKE_PROPERTYPUT) continue;  // shares its DISPID with the get
    SCOPED_TRACE(m.name);
    // A property's get comes first, so its names are reported: "Value" is its parameter.
    const std::vector<std::wstring> expected =
        m.kind == INVOKE_FUNC ? std::vector<std::wstring>{m.name}
                              : std::vector<std::wstring>{m.name, L"Value"};
    EXPECT_EQ(expected, Names(vtable.get(), m.id));
    for (ITypeInfo* view : {vtable.get(), dispatch.get()}) {
      Doc doc = Document(view, m.id);
      EXPECT_OK(doc.hr);
      EXPECT_EQ(Text(m.name), doc.name);
      EXPECT_EQ(Text(m.help), doc.help);
      EXPECT_EQ(0u, doc.context);
      EXPECT_EQ(std::nullopt, doc.file);
    }
  }
}

TEST_F(TypeLibrary, DeviceDispatchMembers) {
  com_ptr<ITypeInfo> dispatch;
  ASSERT_NO_FATAL_FAILURE(TypeAt(0, dispatch));
  {
    TypeAttr attr(dispatch.get());
    ASSERT_OK(attr.hr());
    ASSERT_EQ(kIDispatchSlots + kMemberCount, attr->cFuncs);
  }
  // IUnknown's and IDispatch's members come first, hidden from dispatch callers.
  const wchar_t* const inherited[kIDispatchSlots] = {
      L"QueryInterface", L"AddRef",        L"Release", L"GetTypeInfoCount",
      L"GetTypeInfo",    L"GetIDsOfNames", L"Invoke"};
  for (UINT i = 0; i < kIDispatchSlots; ++i) {
    SCOPED_TRACE(inherited[i]);
    FuncDesc f(dispatch.get(), i);
    ASSERT_OK(f.hr());
    EXPECT_EQ(FUNCFLAG_FRESTRICTED, f->wFuncFlags);
    const std::vector<std::wstring> names = Names(dispatch.get(), f->memid);
    ASSERT_FALSE(names.empty());
    EXPECT_EQ(inherited[i], names.front());
  }

  for (UINT i = 0; i < kMemberCount; ++i) {
    const Member& m = kMembers[i];
    SCOPED_TRACE(Describe(m));
    FuncDesc f(dispatch.get(), kIDispatchSlots + i);
    ASSERT_OK(f.hr());
    EXPECT_EQ(m.id, f->memid);
    EXPECT_EQ(m.kind, f->invkind);
    EXPECT_EQ(FUNC_DISPATCH, f->funckind);
    EXPECT_EQ(0, f->wFuncFlags);
    EXPECT_EQ(0, f->cParamsOpt);
    // Dispatch callers see a get's [out, retval] value as the result, and no HRESULT.
    if (m.kind == INVOKE_PROPERTYGET) {
      EXPECT_EQ(m.type, f->elemdescFunc.tdesc.vt);
      EXPECT_EQ(0, f->cParams);
    } else if (m.kind == INVOKE_PROPERTYPUT) {
      EXPECT_EQ(VT_VOID, f->elemdescFunc.tdesc.vt);
      ASSERT_EQ(1, f->cParams);
      EXPECT_EQ(m.type, f->lprgelemdescParam[0].tdesc.vt);
      EXPECT_EQ(PARAMFLAG_FIN, f->lprgelemdescParam[0].paramdesc.wParamFlags);
    } else {
      EXPECT_EQ(VT_VOID, f->elemdescFunc.tdesc.vt);
      EXPECT_EQ(0, f->cParams);
    }

    LPOLESTR name = const_cast<LPOLESTR>(m.name);
    MEMBERID id = MEMBERID_NIL;
    EXPECT_OK(dispatch->GetIDsOfNames(&name, 1, &id));
    EXPECT_EQ(m.id, id);
  }
}

TEST_F(TypeLibrary, EventInterface) {
  com_ptr<ITypeInfo> events;
  ASSERT_NO_FATAL_FAILURE(TypeAt(1, events));
  {
    TypeAttr attr(events.get());
    ASSERT_OK(attr.hr());
    ASSERT_EQ(3, attr->cFuncs);
    EXPECT_EQ(0, attr->cVars);
    EXPECT_EQ(1, attr->cImplTypes);
    EXPECT_EQ(kIDispatchSlots * kPointer, attr->cbSizeVft);
  }
  ExpectIDispatchFromStdole(events.get(), 0);
  HREFTYPE vtableRef = 0;
  EXPECT_EQ(Result{TYPE_E_ELEMENTNOTFOUND}, Result{events->GetRefTypeOfImplType(-1, &vtableRef)})
      << "a pure dispinterface has no vtable half";

  for (UINT i = 0; i < 3; ++i) {
    const Event& e = kEvents[i];
    SCOPED_TRACE(e.name);
    FuncDesc f(events.get(), i);
    ASSERT_OK(f.hr());
    EXPECT_EQ(e.id, f->memid);
    EXPECT_EQ(INVOKE_FUNC, f->invkind);
    EXPECT_EQ(FUNC_DISPATCH, f->funckind);
    EXPECT_EQ(0, f->cParams);
    EXPECT_EQ(0, f->cParamsOpt);
    EXPECT_EQ(VT_VOID, f->elemdescFunc.tdesc.vt);
    EXPECT_EQ(0, f->wFuncFlags);

    EXPECT_EQ(std::vector<std::wstring>{e.name}, Names(events.get(), e.id));
    Doc doc = Document(events.get(), e.id);
    EXPECT_OK(doc.hr);
    EXPECT_EQ(Text(e.name), doc.name);
    EXPECT_EQ(std::nullopt, doc.help);
    EXPECT_EQ(0u, doc.context);

    LPOLESTR name = const_cast<LPOLESTR>(e.name);
    MEMBERID id = MEMBERID_NIL;
    EXPECT_OK(events->GetIDsOfNames(&name, 1, &id));
    EXPECT_EQ(e.id, id);
  }
}

TEST_F(TypeLibrary, ControlClasses) {
  for (UINT i = 2; i < 5; ++i) {
    SCOPED_TRACE(kTypes[i].name);
    com_ptr<ITypeInfo> coclass;
    ASSERT_NO_FATAL_FAILURE(TypeAt(i, coclass));
    {
      TypeAttr attr(coclass.get());
      ASSERT_OK(attr.hr());
      ASSERT_EQ(2, attr->cImplTypes);
      EXPECT_EQ(0, attr->cFuncs);
      EXPECT_EQ(0, attr->cVars);
    }
    const struct {
      const wchar_t* iid;
      UINT index;
      INT flags;
    } implemented[] = {
        {kDeviceIid, 0, IMPLTYPEFLAG_FDEFAULT},
        {kEventsIid, 1, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE},
    };
    for (UINT impl = 0; impl < 2; ++impl) {
      SCOPED_TRACE(testing::Message() << "implemented type " << impl);
      INT flags = -1;
      EXPECT_OK(coclass->GetImplTypeFlags(impl, &flags));
      EXPECT_EQ(implemented[impl].flags, flags);
      HREFTYPE ref = 0;
      ASSERT_OK(coclass->GetRefTypeOfImplType(impl, &ref));
      com_ptr<ITypeInfo> iface;
      ASSERT_OK(coclass->GetRefTypeInfo(ref, iface.put()));
      TypeAttr attr(iface.get());
      ASSERT_OK(attr.hr());
      EXPECT_EQ(implemented[impl].iid, GuidText(attr->guid));
      ExpectContainedIn(iface.get(), L"Apparata", kLibid, 1, 0, implemented[impl].index);
    }
  }
}

TEST(GeneratedHeader, DeclaresTheContractIdentifiers) {
  EXPECT_EQ(kLibid, GuidText(LIBID_Apparata));
  EXPECT_EQ(kDeviceIid, GuidText(IID_IQXDevice));
  EXPECT_EQ(kDeviceIid, GuidText(__uuidof(IQXDevice)));
  EXPECT_EQ(kEventsIid, GuidText(DIID_IQXDeviceEvents));
  EXPECT_EQ(kTypes[2].guid, GuidText(CLSID_B740X));
  EXPECT_EQ(kTypes[3].guid, GuidText(CLSID_HP4191X));
  EXPECT_EQ(kTypes[4].guid, GuidText(CLSID_E712X));
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: typelib_test <Windows path of Apparata.tlb> [GoogleTest options]\n");
    return 2;
  }
  g_libraryPathText = argv[1];
  int length = MultiByteToWideChar(CP_ACP, 0, argv[1], -1, nullptr, 0);
  if (length <= 0) return 2;
  g_libraryPath.resize(length);
  MultiByteToWideChar(CP_ACP, 0, argv[1], -1, g_libraryPath.data(), length);
  g_libraryPath.pop_back();
  return RUN_ALL_TESTS();
}
