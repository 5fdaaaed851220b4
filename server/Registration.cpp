#include "server/Registration.h"

#include <oleauto.h>

#include "core/Exceptions.h"
#include "core/win32/Handles.h"
#include "server/Module.h"
#include "server/ResourceIds.h"

// oleaut32 exports these (Windows Vista and later); mingw-w64's header does not declare them.
WINOLEAUTAPI RegisterTypeLibForUser(ITypeLib* library, OLECHAR* fullPath, OLECHAR* helpDir);
WINOLEAUTAPI UnRegisterTypeLibForUser(REFGUID libid, WORD major, WORD minor, LCID lcid, SYSKIND sysKind);

namespace server {
namespace {

std::wstring GuidText(const GUID& guid) {
  wchar_t text[39] = {};
  StringFromGUID2(guid, text, 39);
  return text;
}

[[noreturn]] void RegistryFailure() { throw core::Exception(L"Error creating system registry entry"); }

[[noreturn]] void Fail(HRESULT hr) { throw core::EOleSysError(SystemMessage(hr), hr); }

// The root key of a scope's class entries, open while a registration runs.
class ClassesRoot {
 public:
  explicit ClassesRoot(RegistrationScope scope) : scope_(scope) {
    if (scope == RegistrationScope::Machine) return;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, user_.put(), nullptr) != ERROR_SUCCESS)
      RegistryFailure();
  }

  RegistrationScope scope() const { return scope_; }
  HKEY key() const { return user_ ? user_.get() : HKEY_CLASSES_ROOT; }

 private:
  RegistrationScope scope_;
  core::win32::unique_hkey user_;
};

// While it lives, this process's HKEY_CLASSES_ROOT stands for the root's key. The system's
// per-user type-library calls may be plain machine registrations underneath (Wine's are); this
// sends their writes to the user's classes all the same. Class entries never rely on it: they
// name their root, which stays right even if the system's call resets the redirection.
class ClassesRootRedirection {
 public:
  explicit ClassesRootRedirection(const ClassesRoot& root) : active_(root.scope() == RegistrationScope::User) {
    if (active_ && RegOverridePredefKey(HKEY_CLASSES_ROOT, root.key()) != ERROR_SUCCESS) RegistryFailure();
  }
  ClassesRootRedirection(const ClassesRootRedirection&) = delete;
  ClassesRootRedirection& operator=(const ClassesRootRedirection&) = delete;
  ~ClassesRootRedirection() {
    if (active_) RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
  }

 private:
  bool active_;
};

void WriteKey(HKEY root, const RegistryKey& key) {
  core::win32::unique_hkey handle;
  if (RegCreateKeyExW(root, key.path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                      nullptr, handle.put(), nullptr) != ERROR_SUCCESS)
    RegistryFailure();
  for (const auto& [name, value] : key.values) {
    const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    if (RegSetValueExW(handle.get(), name.empty() ? nullptr : name.c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(value.c_str()), bytes) != ERROR_SUCCESS)
      RegistryFailure();
  }
}

std::wstring ShortPath(const std::wstring& path) {
  const DWORD size = GetShortPathNameW(path.c_str(), nullptr, 0);
  if (size == 0) Fail(HRESULT_FROM_WIN32(GetLastError()));
  std::wstring result(size, L'\0');
  const DWORD length = GetShortPathNameW(path.c_str(), result.data(), size);
  if (length == 0 || length >= size) Fail(HRESULT_FROM_WIN32(GetLastError()));
  result.resize(length);
  return result;
}

}  // namespace

ServerFile LocateServerFile() {
  ServerFile file;
  file.path = ModulePath();
  // A blank would split the path where the system reads the value as a command line.
  file.shortPath = file.path.find(L' ') != std::wstring::npos ? ShortPath(file.path) : file.path;
  file.folder = file.path.substr(0, file.path.find_last_of(L'\\'));
  return file;
}

LibraryIdentity IdentifyLibrary() {
  ITypeLib& library = TypeLibrary();
  TLIBATTR* attr = nullptr;
  const HRESULT hr = library.GetLibAttr(&attr);
  if (FAILED(hr)) Fail(hr);
  const LibraryIdentity identity{attr->guid, attr->wMajorVerNum, attr->wMinorVerNum, attr->lcid, attr->syskind};
  library.ReleaseTLibAttr(attr);
  return identity;
}

std::vector<RegistryKey> ClassKeys(const ClassEntry& entry, const ClassInfo& info, const LibraryIdentity& library,
                                   const ServerFile& file) {
  const std::wstring clsid = L"CLSID\\" + GuidText(*entry.clsid);
  const std::wstring& progId = info.progId;
  return {
      {clsid, {{L"", info.description}}},
      {clsid + L"\\InprocServer32", {{L"", file.shortPath}, {L"ThreadingModel", kThreadingModel}}},
      {progId, {{L"", info.description}}},
      {progId + L"\\Clsid", {{L"", GuidText(*entry.clsid)}}},
      {clsid + L"\\ProgID", {{L"", progId}}},
      {clsid + L"\\Version", {{L"", std::to_wstring(library.major) + L"." + std::to_wstring(library.minor)}}},
      {clsid + L"\\TypeLib", {{L"", GuidText(library.libid)}}},
      {clsid + L"\\MiscStatus", {{L"", L"0"}}},
      {clsid + L"\\MiscStatus\\1", {{L"", std::to_wstring(kMiscStatus)}}},
      {clsid + L"\\ToolboxBitmap32", {{L"", file.path + L"," + std::to_wstring(entry.toolboxBitmap)}}},
      {clsid + L"\\Control", {{L"", L""}}},
      {clsid + L"\\Verb", {{L"", L""}}},
      // The verb's name, menu flags (MF_STRING) and attributes (OLEVERBATTRIB_ONCONTAINERMENU).
      {clsid + L"\\Verb\\0", {{L"", ResourceString(IDS_VERB_PROPERTIES) + L",0,2"}}},
  };
}

std::vector<RegistryKey> NeutralTypeLibKeys(const LibraryIdentity& library, const ServerFile& file) {
  wchar_t version[16];
  wsprintfW(version, L"%x.%x", library.major, library.minor);
  const std::wstring neutral = L"TypeLib\\" + GuidText(library.libid) + L"\\" + version + L"\\0";
  return {
      {neutral, {}},
      {neutral + (library.sysKind == SYS_WIN64 ? L"\\win64" : L"\\win32"), {{L"", file.path}}},
  };
}

std::optional<RegistrationScope> InstallScope(const wchar_t* commandLine) {
  if (!commandLine || !*commandLine) return RegistrationScope::Machine;
  if (_wcsicmp(commandLine, L"user") == 0) return RegistrationScope::User;
  return std::nullopt;
}

void RegisterServer(RegistrationScope scope) {
  const ServerFile file = LocateServerFile();
  const LibraryIdentity library = IdentifyLibrary();
  const ClassesRoot root(scope);
  {
    const ClassesRootRedirection redirection(root);
    const auto path = const_cast<LPOLESTR>(file.path.c_str());
    const auto folder = const_cast<LPOLESTR>(file.folder.c_str());
    const HRESULT hr = scope == RegistrationScope::User ? RegisterTypeLibForUser(&TypeLibrary(), path, folder)
                                                        : RegisterTypeLib(&TypeLibrary(), path, folder);
    if (FAILED(hr)) Fail(hr);
  }
  for (const RegistryKey& key : NeutralTypeLibKeys(library, file)) WriteKey(root.key(), key);
  for (std::size_t i = 0; i < kClassCount; ++i)
    for (const RegistryKey& key : ClassKeys(kClasses[i], DescribeClass(kClasses[i]), library, file))
      WriteKey(root.key(), key);
}

namespace {

// Only the keys' paths matter here, not the values naming the file. RegDeleteKey leaves a key
// that still has subkeys, as the other architecture's neutral entry.
void DeleteKeys(HKEY root, const std::vector<RegistryKey>& keys) {
  for (auto key = keys.rbegin(); key != keys.rend(); ++key) RegDeleteKeyW(root, key->path.c_str());
}

}  // namespace

void UnregisterServer(RegistrationScope scope) {
  const LibraryIdentity library = IdentifyLibrary();
  const ClassesRoot root(scope);
  // Before the system's entry, so that the system finds the version's key empty and removes it.
  DeleteKeys(root.key(), NeutralTypeLibKeys(library, ServerFile{}));
  {
    const ClassesRootRedirection redirection(root);
    // Nothing registered is not a failure: unregistering twice must succeed.
    if (scope == RegistrationScope::User)
      UnRegisterTypeLibForUser(library.libid, library.major, library.minor, library.lcid, library.sysKind);
    else
      UnRegisterTypeLib(library.libid, library.major, library.minor, library.lcid, library.sysKind);
  }
  for (std::size_t i = 0; i < kClassCount; ++i)
    DeleteKeys(root.key(), ClassKeys(kClasses[i], DescribeClass(kClasses[i]), library, ServerFile{}));
}

}  // namespace server
