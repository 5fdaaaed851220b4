// The server file as the system sees it: registration by regsvr32 read back key by key and
// value by value, unregistration, the four exports called directly, and the resources.
// Usage: server_registration_test <Windows path of Apparata.ocx> [GoogleTest options]

#include "server_test_support.h"

#include <ocidl.h>

#include "Apparata_h.h"
#include "server/ResourceIds.h"
#include "hpib/HPIBMessages.h"

namespace {

using namespace server_test;

const std::wstring kLibid = L"{3C053B00-2C71-11D5-B2A4-FE129D63AC66}";
const std::wstring kLibraryKey = L"TypeLib\\" + kLibid + L"\\1.0";
#ifdef _WIN64
const wchar_t kOwnSysKind[] = L"win64", kOtherSysKind[] = L"win32";
#else
const wchar_t kOwnSysKind[] = L"win32", kOtherSysKind[] = L"win64";
#endif
const std::wstring kLibraryFileKey = kLibraryKey + L"\\409\\" + kOwnSysKind;
const std::wstring kNeutralFileKey = kLibraryKey + L"\\0\\" + kOwnSysKind;
const wchar_t kTerminalCaption[] = L"HPIB driver debug terminal";
const LPCWSTR kBitmapType = MAKEINTRESOURCEW(2);  // RT_BITMAP, whatever the character set

// The classes the server registers, in its order.
struct RegisteredClass {
  const wchar_t* clsid;
  const wchar_t* progId;
  const wchar_t* description;
  const wchar_t* bitmap;
};
const RegisteredClass kClasses[] = {
    {L"{3C053B03-2C71-11D5-B2A4-FE129D63AC66}", L"Apparata.B740X", L"B7-40/5 Device Control", L"1"},
    {L"{3C053B04-2C71-11D5-B2A4-FE129D63AC66}", L"Apparata.HP4191X", L"HP4191A Device Control", L"2"},
    {L"{3C053B05-2C71-11D5-B2A4-FE129D63AC66}", L"Apparata.E712X", L"E 7-12 Device Control", L"3"},
};

using ExpectedKeys = std::vector<std::pair<std::wstring, KeyContents>>;

// Every key that registration writes, class by class in writing order, with exactly its values
// and subkeys. `inprocPath` is what InprocServer32 names: the short form of a path with blanks.
ExpectedKeys ClassKeys(const std::wstring& path, const std::wstring& inprocPath) {
  ExpectedKeys keys;
  for (const RegisteredClass& c : kClasses) {
    const std::wstring classKey = std::wstring(L"CLSID\\") + c.clsid, progId = c.progId;
    const ExpectedKeys classKeys = {
        {classKey,
         StringKey({{L"", c.description}}, {L"Control", L"InprocServer32", L"MiscStatus", L"ProgID",
                                            L"ToolboxBitmap32", L"TypeLib", L"Verb", L"Version"})},
        {classKey + L"\\InprocServer32", StringKey({{L"", inprocPath}, {L"ThreadingModel", L"Apartment"}})},
        {progId, StringKey({{L"", c.description}}, {L"Clsid"})},
        {progId + L"\\Clsid", StringKey({{L"", c.clsid}})},
        {classKey + L"\\ProgID", StringKey({{L"", progId}})},
        {classKey + L"\\Version", StringKey({{L"", L"1.0"}})},
        {classKey + L"\\TypeLib", StringKey({{L"", kLibid}})},
        {classKey + L"\\MiscStatus", StringKey({{L"", L"0"}}, {L"1"})},
        {classKey + L"\\MiscStatus\\1", StringKey({{L"", L"205201"}})},
        {classKey + L"\\ToolboxBitmap32", StringKey({{L"", path + L"," + c.bitmap}})},
        {classKey + L"\\Control", StringKey({{L"", L""}})},
        {classKey + L"\\Verb", StringKey({{L"", L""}}, {L"0"})},
        {classKey + L"\\Verb\\0", StringKey({{L"", L"Properties,0,2"}})},
    };
    keys.insert(keys.end(), classKeys.begin(), classKeys.end());
  }
  return keys;
}

// The type library's own entries that the server's registration decides: its file, for its own
// locale and for any, and the file's folder as help folder.
ExpectedKeys LibraryKeys(const std::wstring& path) {
  return {
      {kLibraryFileKey, StringKey({{L"", path}})},
      {kNeutralFileKey, StringKey({{L"", path}})},
      {kLibraryKey + L"\\HELPDIR", StringKey({{L"", FolderOf(path)}})},
  };
}

void ExpectKeys(const ExpectedKeys& expected) {
  for (const auto& [path, contents] : expected)
    EXPECT_EQ(std::optional<KeyContents>(contents), ReadClassesKey(path)) << "HKCR\\" << Narrow(path);
}

void ExpectNoKeys(const ExpectedKeys& expected) {
  for (const auto& [path, contents] : expected)
    EXPECT_FALSE(ReadClassesKey(path).has_value()) << "HKCR\\" << Narrow(path) << " is still there";
}

std::map<std::wstring, std::optional<KeyContents>> Snapshot(const ExpectedKeys& keys) {
  std::map<std::wstring, std::optional<KeyContents>> snapshot;
  for (const auto& [path, contents] : keys) snapshot[path] = ReadClassesKey(path);
  return snapshot;
}

class Registration : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(0, Regsvr32(L"/u " + Quoted(ServerPath()))); }
};

TEST_F(Registration, Regsvr32WritesEveryEntryExactly) {
  ASSERT_EQ(0, Regsvr32(Quoted(ServerPath())));
  ExpectKeys(ClassKeys(ServerPath(), ServerPath()));
  ExpectKeys(LibraryKeys(ServerPath()));
  const std::optional<KeyContents> library = ReadClassesKey(kLibraryKey);
  ASSERT_TRUE(library.has_value());
  EXPECT_EQ((std::pair<DWORD, std::wstring>{REG_SZ, L"Device Manager Type Library"}), library->values.at(L""));
}

TEST_F(Registration, RegisteringTwiceLeavesTheSameEntries) {
  ExpectedKeys keys = ClassKeys(ServerPath(), ServerPath());
  for (auto& key : LibraryKeys(ServerPath())) keys.push_back(key);
  ASSERT_EQ(0, Regsvr32(Quoted(ServerPath())));
  const auto once = Snapshot(keys);
  ASSERT_EQ(0, Regsvr32(Quoted(ServerPath())));
  EXPECT_EQ(once, Snapshot(keys));
  ExpectKeys(keys);
}

TEST_F(Registration, UnregisteringRemovesEveryEntryAndToleratesMissingOnes) {
  ASSERT_EQ(0, Regsvr32(Quoted(ServerPath())));
  ASSERT_EQ(0, Regsvr32(L"/u " + Quoted(ServerPath())));
  ExpectNoKeys(ClassKeys(ServerPath(), ServerPath()));
  // The library's shared keys (HELPDIR, FLAGS) stay while the other architecture's build is
  // registered; this architecture's file entry goes in any case.
  EXPECT_FALSE(ReadClassesKey(kLibraryFileKey).has_value()) << Narrow(kLibraryFileKey);
  // Again, with nothing left to remove; TearDown does it a third time.
  EXPECT_EQ(0, Regsvr32(L"/u " + Quoted(ServerPath())));
}

TEST_F(Registration, TheTypeLibraryIsFoundOnEveryLocaleUntilUnregistered) {
  const LCID locales[] = {0, 0x409, 0x407, 0x419, 0x411};
  ASSERT_EQ(0, Regsvr32(Quoted(ServerPath())));
  for (LCID lcid : locales) {
    com_ptr<ITypeLib> library;
    EXPECT_HR(S_OK, LoadRegTypeLib(LIBID_Apparata, 1, 0, lcid, library.put())) << "locale " << std::hex << lcid;
  }
  ASSERT_EQ(0, Regsvr32(L"/u " + Quoted(ServerPath())));
  for (LCID lcid : locales) {
    com_ptr<ITypeLib> library;
    EXPECT_HR(TYPE_E_LIBNOTREGISTERED, LoadRegTypeLib(LIBID_Apparata, 1, 0, lcid, library.put()))
        << "locale " << std::hex << lcid;
  }
}

TEST_F(Registration, UnregisteringLeavesTheOtherArchitecturesEntryForEveryLocale) {
  ASSERT_EQ(0, Regsvr32(Quoted(ServerPath())));
  const std::wstring other = kLibraryKey + L"\\0\\" + kOtherSysKind;
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CLASSES_ROOT, other.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                           &key, nullptr));
  RegCloseKey(key);
  ASSERT_EQ(0, Regsvr32(L"/u " + Quoted(ServerPath())));
  EXPECT_FALSE(ReadClassesKey(kNeutralFileKey).has_value());
  EXPECT_TRUE(ReadClassesKey(other).has_value()) << "the other architecture's entry went too";
  RegDeleteKeyW(HKEY_CLASSES_ROOT, other.c_str());
  // Registered once more, so that TearDown's unregistration takes the library's keys with it.
  EXPECT_EQ(0, Regsvr32(Quoted(ServerPath())));
}

TEST_F(Registration, AServerInAFolderWithABlankIsRegisteredByItsShortPath) {
  wchar_t temp[MAX_PATH];
  ASSERT_NE(0u, GetTempPathW(MAX_PATH, temp));
  const std::wstring folder = std::wstring(temp) + L"Apparata server test";
  const std::wstring copy = folder + L"\\Apparata.ocx";
  CreateDirectoryW(folder.c_str(), nullptr);
  ASSERT_TRUE(CopyFileW(ServerPath().c_str(), copy.c_str(), FALSE)) << GetLastError();

  wchar_t shortPath[MAX_PATH];
  ASSERT_NE(0u, GetShortPathNameW(copy.c_str(), shortPath, MAX_PATH));
  ASSERT_EQ(std::wstring::npos, std::wstring(shortPath).find(L' ')) << Narrow(shortPath);

  ASSERT_EQ(0, Regsvr32(Quoted(copy)));
  ExpectKeys(ClassKeys(copy, shortPath));
  ExpectKeys(LibraryKeys(copy));
  EXPECT_EQ(0, Regsvr32(L"/u " + Quoted(copy)));
  ExpectNoKeys(ClassKeys(copy, shortPath));
  EXPECT_FALSE(ReadClassesKey(kLibraryFileKey).has_value()) << Narrow(kLibraryFileKey);

  EXPECT_TRUE(DeleteFileW(copy.c_str())) << GetLastError();
  EXPECT_TRUE(RemoveDirectoryW(folder.c_str())) << GetLastError();
}

// The server loaded into this process the way regsvr32 loads it.
class LoadedServer : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(nullptr, GetModuleHandleW(ServerPath().c_str())) << "loaded by an earlier test";
    module_ = LoadLibraryW(ServerPath().c_str());
    ASSERT_NE(nullptr, module_) << "LoadLibrary: " << GetLastError();
    getClassObject_ = Export<DllGetClassObjectFn>(module_, "DllGetClassObject");
    canUnloadNow_ = Export<DllFunctionFn>(module_, "DllCanUnloadNow");
    registerServer_ = Export<DllFunctionFn>(module_, "DllRegisterServer");
    unregisterServer_ = Export<DllFunctionFn>(module_, "DllUnregisterServer");
    ASSERT_TRUE(getClassObject_ && canUnloadNow_ && registerServer_ && unregisterServer_);
  }
  void TearDown() override {
    if (module_) FreeLibrary(module_);
  }

  com_ptr<IClassFactory> Factory() {
    com_ptr<IClassFactory> factory;
    EXPECT_HR(S_OK, getClassObject_(CLSID_B740X, IID_IClassFactory, factory.put_void()));
    return factory;
  }

  HMODULE module_ = nullptr;
  DllGetClassObjectFn getClassObject_ = nullptr;
  DllFunctionFn canUnloadNow_ = nullptr;
  DllFunctionFn registerServer_ = nullptr;
  DllFunctionFn unregisterServer_ = nullptr;
};

TEST_F(LoadedServer, TheDebugTerminalComesWithTheFirstControlNotWithLoadingOrRegistering) {
  EXPECT_HR(S_OK, registerServer_());
  EXPECT_HR(S_OK, unregisterServer_());
  EXPECT_HR(S_OK, unregisterServer_());
  EXPECT_EQ(nullptr, FindOwnWindow(kTerminalCaption)) << "a window made for loading or registering";

  com_ptr<IQXDevice> control;
  ASSERT_HR(S_OK, Factory()->CreateInstance(nullptr, IID_IQXDevice, control.put_void()));
  const HWND terminal = FindOwnWindow(kTerminalCaption);
  ASSERT_NE(nullptr, terminal);
  EXPECT_TRUE(IsWindowVisible(terminal));
  control.reset();
  EXPECT_HR(S_OK, canUnloadNow_());
  EXPECT_FALSE(IsWindow(terminal)) << "the terminal outlives what may be unloaded";
  FreeLibrary(module_);
  module_ = nullptr;
  EXPECT_EQ(nullptr, GetModuleHandleW(ServerPath().c_str())) << "the library stays loaded";
}

TEST_F(LoadedServer, ClassObjectOfAnUnknownClassIsNotAvailable) {
  for (const GUID* clsid : {&GUID_NULL, &IID_IQXDevice, &LIBID_Apparata}) {
    void* object = reinterpret_cast<void*>(1);
    EXPECT_HR(CLASS_E_CLASSNOTAVAILABLE, getClassObject_(*clsid, IID_IClassFactory, &object)) << Narrow(GuidText(*clsid));
    EXPECT_EQ(nullptr, object);
  }
  EXPECT_HR(S_OK, canUnloadNow_());
}

TEST_F(LoadedServer, ClassObjectAnswersOnlyForItsInterfaces) {
  com_ptr<IUnknown> unknown;
  EXPECT_HR(S_OK, getClassObject_(CLSID_B740X, IID_IUnknown, unknown.put_void()));
  EXPECT_TRUE(unknown);
  void* object = reinterpret_cast<void*>(1);
  EXPECT_HR(E_NOINTERFACE, getClassObject_(CLSID_B740X, IID_IDispatch, &object));
  EXPECT_EQ(nullptr, object);
}

TEST_F(LoadedServer, CanUnloadNowWhileNoControlLockOrFactoryIsHeld) {
  EXPECT_HR(S_OK, canUnloadNow_());
  com_ptr<IClassFactory> factory = Factory();
  EXPECT_HR(S_FALSE, canUnloadNow_()) << "factory held";
  com_ptr<IQXDevice> control;
  ASSERT_HR(S_OK, factory->CreateInstance(nullptr, IID_IQXDevice, control.put_void()));
  factory.reset();
  EXPECT_HR(S_FALSE, canUnloadNow_()) << "control alive";
  control.reset();
  EXPECT_HR(S_OK, canUnloadNow_());

  factory = Factory();
  ASSERT_HR(S_OK, factory->LockServer(TRUE));
  factory.reset();
  EXPECT_HR(S_FALSE, canUnloadNow_()) << "server locked";
  factory = Factory();
  ASSERT_HR(S_OK, factory->LockServer(FALSE));
  factory.reset();
  EXPECT_HR(S_OK, canUnloadNow_());
}

TEST_F(LoadedServer, CreateInstanceChecksItsArguments) {
  com_ptr<IClassFactory> factory = Factory();
  ASSERT_TRUE(factory);
  EXPECT_HR(E_POINTER, factory->CreateInstance(nullptr, IID_IQXDevice, nullptr));

  com_ptr<IUnknown> outer;
  ASSERT_HR(S_OK, factory->QueryInterface(IID_IUnknown, outer.put_void()));
  void* object = reinterpret_cast<void*>(1);
  EXPECT_HR(CLASS_E_NOAGGREGATION, factory->CreateInstance(outer.get(), IID_IQXDevice, &object));
  EXPECT_EQ(nullptr, object);
  outer.reset();

  object = reinterpret_cast<void*>(1);
  EXPECT_HR(E_NOINTERFACE, factory->CreateInstance(nullptr, IID_IClassFactory, &object));
  EXPECT_EQ(nullptr, object);
  factory.reset();
  EXPECT_HR(S_OK, canUnloadNow_()) << "the control without the interface must be gone";
}

// An object that aggregates a control: it counts its references and hands out the control's
// interfaces as its own.
class Aggregator : public IUnknown {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    *ppv = nullptr;
    if (IsEqualIID(riid, IID_IUnknown)) {
      *ppv = static_cast<IUnknown*>(this);
      AddRef();
      return S_OK;
    }
    return inner.get() ? inner->QueryInterface(riid, ppv) : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }

  ULONG refs = 1;
  com_ptr<IUnknown> inner;
};

TEST_F(LoadedServer, AnAggregatedControlDelegatesToItsOuterObject) {
  Aggregator outer;
  {
    com_ptr<IClassFactory> factory = Factory();
    ASSERT_HR(S_OK, factory->CreateInstance(&outer, IID_IUnknown, outer.inner.put_void()));
  }
  EXPECT_EQ(1u, outer.refs) << "creating must not keep a reference on the outer object";

  IQXDevice* device = nullptr;
  ASSERT_HR(S_OK, outer.inner->QueryInterface(IID_IQXDevice, reinterpret_cast<void**>(&device)));
  EXPECT_EQ(2u, outer.refs) << "the interface's reference is the outer object's";
  IUnknown* identity = nullptr;
  ASSERT_HR(S_OK, device->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)));
  EXPECT_EQ(static_cast<IUnknown*>(&outer), identity);
  EXPECT_EQ(3u, outer.refs);
  identity->Release();
  LONG port = -1;
  EXPECT_HR(S_OK, device->get_Port(&port));
  EXPECT_EQ(0, port);
  EXPECT_EQ(1u, device->Release());
  EXPECT_EQ(1u, outer.refs);

  outer.inner.reset();
  EXPECT_HR(S_OK, canUnloadNow_()) << "releasing the inner object destroys the control";
}

TEST_F(LoadedServer, StringTableHoldsTheDriverMessagesAndTheVerbName) {
  auto text = [this](int id) {
    const wchar_t* pointer = nullptr;
    const int length = LoadStringW(module_, static_cast<UINT>(id), reinterpret_cast<wchar_t*>(&pointer), 0);
    return length > 0 ? std::wstring(pointer, static_cast<std::size_t>(length)) : std::wstring(L"<missing>");
  };
  for (const hpib::HPIBMessage& message : hpib::kResultMessages)
    EXPECT_EQ(std::wstring(message.text), text(message.stringId)) << message.stringId;
  EXPECT_EQ(std::wstring(hpib::kMissingEntryMessage.text), text(hpib::kMissingEntryMessage.stringId));
  EXPECT_EQ(std::wstring(hpib::kCriticalErrorMessage.text), text(hpib::kCriticalErrorMessage.stringId));
  EXPECT_EQ(L"Properties", text(IDS_VERB_PROPERTIES));
}

TEST_F(LoadedServer, ToolboxBitmapsAreSixteenBySixteenInSixteenColours) {
  for (int id : {IDB_TOOLBOX_B740X, IDB_TOOLBOX_HP4191X, IDB_TOOLBOX_E712X}) {
    HRSRC resource = FindResourceW(module_, MAKEINTRESOURCEW(id), kBitmapType);
    ASSERT_NE(nullptr, resource) << "bitmap " << id;
    ASSERT_EQ(246u - 14u, SizeofResource(module_, resource)) << "bitmap " << id;
    const auto* header = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(module_, resource)));
    EXPECT_EQ(40u, header->biSize);
    EXPECT_EQ(16, header->biWidth);
    EXPECT_EQ(16, header->biHeight);
    EXPECT_EQ(1, header->biPlanes);
    EXPECT_EQ(4, header->biBitCount);
    EXPECT_EQ(static_cast<DWORD>(BI_RGB), header->biCompression);
    EXPECT_EQ(16u, header->biClrUsed);
    HANDLE bitmap = LoadImageW(module_, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, 0);
    EXPECT_NE(nullptr, bitmap) << "bitmap " << id;
    if (bitmap) DeleteObject(bitmap);
  }
}

TEST_F(LoadedServer, TypeLibraryIsTheFirstTypelibResource) {
  EXPECT_NE(nullptr, FindResourceW(module_, MAKEINTRESOURCEW(IDR_TYPELIB), L"TYPELIB"));
  com_ptr<ITypeLib> library;
  ASSERT_HR(S_OK, LoadTypeLibEx(ServerPath().c_str(), REGKIND_NONE, library.put()));
  TLIBATTR* attr = nullptr;
  ASSERT_HR(S_OK, library->GetLibAttr(&attr));
  EXPECT_EQ(kLibid, GuidText(attr->guid));
  EXPECT_EQ(1, attr->wMajorVerNum);
  EXPECT_EQ(0, attr->wMinorVerNum);
  library->ReleaseTLibAttr(attr);
}

TEST_F(LoadedServer, VersionInformationNamesTheFileAndItsSelfRegistration) {
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeW(ServerPath().c_str(), &handle);
  ASSERT_NE(0u, size);
  std::vector<BYTE> data(size);
  ASSERT_TRUE(GetFileVersionInfoW(ServerPath().c_str(), 0, size, data.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(0x00010000u, fixed->dwFileVersionMS);
  EXPECT_EQ(0u, fixed->dwFileVersionLS);
  auto value = [&](const wchar_t* name) -> std::optional<std::wstring> {
    wchar_t* text = nullptr;
    UINT chars = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    if (!VerQueryValueW(data.data(), path.c_str(), reinterpret_cast<void**>(&text), &chars)) return std::nullopt;
    return std::wstring(text, chars && text[chars - 1] == L'\0' ? chars - 1 : chars);
  };
  EXPECT_EQ(std::optional<std::wstring>(L"Apparata.ocx"), value(L"OriginalFilename"));
  EXPECT_EQ(std::optional<std::wstring>(L"1.0.0.0"), value(L"FileVersion"));
  EXPECT_EQ(std::optional<std::wstring>(L""), value(L"OLESelfRegister"));
}

}  // namespace

int main(int argc, char** argv) { return server_test::RunTests(argc, argv); }
