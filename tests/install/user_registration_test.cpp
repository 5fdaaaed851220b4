// Registration for the current user alone (regsvr32 /n /i:user, DllInstall "user") and its undo,
// read back key by key: the user's classes receive exactly what a machine registration writes
// to the machine's, the machine's stay untouched, and the undo leaves nothing behind.
// Every key of the server's that the type library can name is looked at: each coclass's CLSID
// key and ProgID, the library's own key and each interface's key, so that every class the
// server registers is covered, whichever they are.
// Usage: user_registration_test <Windows path of Apparata.ocx> [GoogleTest options]

#include "tests/com/server_test_support.h"

namespace {

using namespace server_test;

// A key's full path below a classes root, and what it holds; absent keys are not listed.
using Tree = std::map<std::wstring, KeyContents>;

void ReadTree(HKEY root, REGSAM view, const std::wstring& path, Tree& tree) {
  const std::optional<KeyContents> contents = ReadKey(root, path, view);
  if (!contents) return;
  tree[path] = *contents;
  for (const std::wstring& subkey : contents->subkeys) ReadTree(root, view, path + L"\\" + subkey, tree);
}

// The keys of the server's that its type library names: CLSID\{clsid} and the ProgID of every
// coclass, TypeLib\{libid}, Interface\{iid} of every interface.
std::vector<std::wstring> OwnKeyRoots() {
  std::vector<std::wstring> roots;
  com_ptr<ITypeLib> library;
  if (FAILED(LoadTypeLibEx(ServerPath().c_str(), REGKIND_NONE, library.put()))) return roots;
  unique_bstr libraryName;
  library->GetDocumentation(-1, libraryName.put(), nullptr, nullptr, nullptr);
  TLIBATTR* libraryAttr = nullptr;
  library->GetLibAttr(&libraryAttr);
  roots.push_back(L"TypeLib\\" + GuidText(libraryAttr->guid));
  library->ReleaseTLibAttr(libraryAttr);
  for (UINT i = 0; i < library->GetTypeInfoCount(); ++i) {
    com_ptr<ITypeInfo> info;
    TYPEATTR* attr = nullptr;
    if (FAILED(library->GetTypeInfo(i, info.put())) || FAILED(info->GetTypeAttr(&attr))) continue;
    const std::wstring guid = GuidText(attr->guid);
    const TYPEKIND kind = attr->typekind;
    info->ReleaseTypeAttr(attr);
    if (kind == TKIND_COCLASS) {
      unique_bstr name;
      info->GetDocumentation(MEMBERID_NIL, name.put(), nullptr, nullptr, nullptr);
      roots.push_back(L"CLSID\\" + guid);
      roots.push_back(libraryName.str() + L"." + name.str());
    } else if (kind == TKIND_DISPATCH || kind == TKIND_INTERFACE) {
      roots.push_back(L"Interface\\" + guid);
    }
  }
  return roots;
}

// The machine's classes: not HKEY_CLASSES_ROOT, which shows the user's entries too on Windows.
const wchar_t kClasses[] = L"Software\\Classes";

const HKEY kMachine = HKEY_LOCAL_MACHINE;
const HKEY kUser = HKEY_CURRENT_USER;

// The registry view of this process, and the other one of 64-bit Windows.
constexpr REGSAM kOwnView = 0;
#ifdef _WIN64
constexpr REGSAM kOtherView = KEY_WOW64_32KEY;
#else
constexpr REGSAM kOtherView = KEY_WOW64_64KEY;
#endif

// Every key of the server's below the root's classes, paths relative to those classes.
Tree OwnKeys(HKEY hive, REGSAM view = kOwnView) {
  Tree tree;
  HKEY classes = nullptr;
  if (RegOpenKeyExW(hive, kClasses, 0, KEY_READ | view, &classes) != ERROR_SUCCESS) return tree;
  for (const std::wstring& path : OwnKeyRoots()) ReadTree(classes, view, path, tree);
  RegCloseKey(classes);
  return tree;
}

// Keys that a per-user registration leaves in the machine's classes. Wine's per-user type-
// library registration is its machine one, which also registers each interface in the other
// view, and that write bypasses the redirection to the user's classes: Interface keys there
// are the system's doing, nothing else is tolerated. Its unregistration removes them again.
Tree MachineKeysBesidesSystemInterfaces() {
  Tree keys = OwnKeys(kMachine);
  for (const auto& [path, contents] : OwnKeys(kMachine, kOtherView))
    if (path.rfind(L"Interface\\", 0) != 0) keys[L"(other view) " + path] = contents;
  return keys;
}

Tree MachineKeysInBothViews() {
  Tree keys = OwnKeys(kMachine);
  for (const auto& [path, contents] : OwnKeys(kMachine, kOtherView)) keys[L"(other view) " + path] = contents;
  return keys;
}

std::string Paths(const Tree& tree) {
  std::string text;
  for (const auto& [path, contents] : tree) text += "\n  " + Narrow(path);
  return text;
}

using DllInstallFn = HRESULT(STDAPICALLTYPE*)(BOOL, PCWSTR);

class UserRegistration : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(OwnKeyRoots().empty()) << "no type library in " << Narrow(ServerPath());
    ASSERT_EQ(Tree{}, MachineKeysInBothViews())
        << "registered for the machine before the test:" << Paths(MachineKeysInBothViews());
    ASSERT_EQ(Tree{}, OwnKeys(kUser)) << "registered for the user before the test:" << Paths(OwnKeys(kUser));
  }
  void TearDown() override {
    Regsvr32(L"/u /n /i:user " + Quoted(ServerPath()));
    Regsvr32(L"/u " + Quoted(ServerPath()));
  }
};

TEST_F(UserRegistration, WritesToTheUsersClassesExactlyWhatTheMachineRegistrationWrites) {
  ASSERT_EQ(0, Regsvr32(Quoted(ServerPath())));
  const Tree machine = OwnKeys(kMachine);
  ASSERT_EQ(0, Regsvr32(L"/u " + Quoted(ServerPath())));
  ASSERT_EQ(Tree{}, MachineKeysInBothViews()) << Paths(MachineKeysInBothViews());
  const auto classes = std::count_if(machine.begin(), machine.end(), [](const auto& key) {
    return key.first.rfind(L"CLSID\\", 0) == 0 && key.second.subkeys.count(L"InprocServer32");
  });
  ASSERT_GE(classes, 1) << "the machine registration wrote no class:" << Paths(machine);

  ASSERT_EQ(0, Regsvr32(L"/n /i:user " + Quoted(ServerPath())));
  const Tree user = OwnKeys(kUser);
  EXPECT_EQ(Tree{}, MachineKeysBesidesSystemInterfaces())
      << "the machine's classes changed:" << Paths(MachineKeysBesidesSystemInterfaces());
  ASSERT_EQ(machine.size(), user.size()) << "machine:" << Paths(machine) << "\nuser:" << Paths(user);
  for (const auto& [path, contents] : machine) {
    const auto found = user.find(path);
    ASSERT_NE(user.end(), found) << Narrow(path);
    EXPECT_EQ(contents, found->second) << Narrow(path);
  }
}

TEST_F(UserRegistration, UndoRemovesEveryKeyAndToleratesMissingOnes) {
  ASSERT_EQ(0, Regsvr32(L"/n /i:user " + Quoted(ServerPath())));
  const Tree user = OwnKeys(kUser);
  // The type library for any locale, beside its own.
  const std::wstring neutral = std::wstring(L"\\1.0\\0\\") + (sizeof(void*) == 8 ? L"win64" : L"win32");
  EXPECT_EQ(1, std::count_if(user.begin(), user.end(), [&](const auto& key) {
              const std::wstring& path = key.first;
              return path.rfind(L"TypeLib\\", 0) == 0 && path.size() > neutral.size() &&
                     path.compare(path.size() - neutral.size(), neutral.size(), neutral) == 0;
            }))
      << Paths(user);
  ASSERT_EQ(0, Regsvr32(L"/u /n /i:user " + Quoted(ServerPath())));
  EXPECT_EQ(Tree{}, OwnKeys(kUser)) << "left behind:" << Paths(OwnKeys(kUser));
  EXPECT_EQ(Tree{}, MachineKeysInBothViews()) << "left behind:" << Paths(MachineKeysInBothViews());
  EXPECT_EQ(0, Regsvr32(L"/u /n /i:user " + Quoted(ServerPath())));
  EXPECT_EQ(Tree{}, OwnKeys(kUser));
}

TEST_F(UserRegistration, DllInstallTakesUserInAnyCaseOrNothingForTheMachine) {
  struct Case {
    const wchar_t* commandLine;
    HRESULT result;
    HKEY written;  // the hive whose classes receive the entries; null: none
  };
  const Case cases[] = {
      {L"user", S_OK, kUser},           {L"USER", S_OK, kUser},           {L"User", S_OK, kUser},
      {L"", S_OK, kMachine},            {nullptr, S_OK, kMachine},        {L"machine", E_INVALIDARG, nullptr},
      {L"user ", E_INVALIDARG, nullptr}, {L"/user", E_INVALIDARG, nullptr}, {L"users", E_INVALIDARG, nullptr},
  };
  HMODULE server = LoadLibraryW(ServerPath().c_str());
  ASSERT_NE(nullptr, server) << GetLastError();
  const auto install = Export<DllInstallFn>(server, "DllInstall");
  ASSERT_NE(nullptr, install);
  for (const Case& c : cases) {
    const std::string name = c.commandLine ? "\"" + Narrow(c.commandLine) + "\"" : "null";
    EXPECT_HR(c.result, install(TRUE, c.commandLine)) << name;
    EXPECT_EQ(c.written == kMachine, !MachineKeysBesidesSystemInterfaces().empty()) << name << " in the machine's classes";
    EXPECT_EQ(c.written == kUser, !OwnKeys(kUser).empty()) << name << " in the user's classes";
    EXPECT_HR(c.result, install(FALSE, c.commandLine)) << name;
    EXPECT_EQ(Tree{}, MachineKeysInBothViews()) << name << ": " << Paths(MachineKeysInBothViews());
    EXPECT_EQ(Tree{}, OwnKeys(kUser)) << name << ": " << Paths(OwnKeys(kUser));
  }
  FreeLibrary(server);
}

}  // namespace

int main(int argc, char** argv) { return server_test::RunTests(argc, argv); }
