#pragma once
// The server's entries in the system registry and the registration of its type library.
#include <windows.h>
#include <oaidl.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "server/Classes.h"

namespace server {

// One key under the classes root with the string values written to it; an empty name is
// the key's default value.
struct RegistryKey {
  std::wstring path;
  std::vector<std::pair<std::wstring, std::wstring>> values;
};

// Where the server file is, as registration writes it.
struct ServerFile {
  std::wstring path;       // full path
  std::wstring shortPath;  // the 8.3 form where the full path holds a blank, else the full path
  std::wstring folder;     // the folder of the file, without a closing backslash
};

ServerFile LocateServerFile();

// What the type library says of itself.
struct LibraryIdentity {
  GUID libid;
  WORD major;
  WORD minor;
  LCID lcid;
  SYSKIND sysKind;
};

LibraryIdentity IdentifyLibrary();

// A class's keys in the order they are written; unregistration deletes them in reverse.
std::vector<RegistryKey> ClassKeys(const ClassEntry& entry, const ClassInfo& info, const LibraryIdentity& library,
                                   const ServerFile& file);

// The type library's language-neutral entries, written beside the system's registration under the
// library's own locale, in the order they are written; unregistration deletes them in reverse,
// and a key that still holds the other architecture's entry stays. The system looks a library up
// by the caller's locale, its primary language, then neutral, never the library's own; the
// automation marshaler asks for neutral alone.
std::vector<RegistryKey> NeutralTypeLibKeys(const LibraryIdentity& library, const ServerFile& file);

// Whose classes the entries go to: the machine's (HKEY_CLASSES_ROOT, an administrator's
// registration for every user) or the current user's own (HKEY_CURRENT_USER\Software\Classes,
// which needs no rights and which the system merges into that user's HKEY_CLASSES_ROOT).
enum class RegistrationScope { Machine, User };

// The scope that DllInstall's command line names: "user" (in any case) for the current user,
// nothing for the machine; nothing at all for any other text.
std::optional<RegistrationScope> InstallScope(const wchar_t* commandLine);

// Both throw core::Exception on failure; unregistration ignores keys already gone.
void RegisterServer(RegistrationScope scope);
void UnregisterServer(RegistrationScope scope);

}  // namespace server
