#pragma once
// Process-wide state of the server: its module, the counts that decide whether it may be
// unloaded, and the type library embedded in its own file.
#include <windows.h>
#include <oaidl.h>

#include <string>

namespace server {

void SetModuleInstance(HINSTANCE instance) noexcept;
HINSTANCE ModuleInstance() noexcept;
// Full path of the server file.
std::wstring ModulePath();

// Live server objects (controls, enumerators) and server locks.
void ObjectCreated() noexcept;
void ObjectDestroyed() noexcept;
// References held on the class factories.
void FactoryReferenced() noexcept;
void FactoryReleased() noexcept;
// Whether anything above is outstanding.
bool ModuleInUse() noexcept;

// The type library of the server file's TYPELIB resource 1, loaded the first time it is
// needed. Throws core::EOleSysError when the system cannot load it.
ITypeLib& TypeLibrary();
// The type description of IQXDevice through which every control's dispatch runs.
ITypeInfo& DeviceTypeInfo();
// Drops both; called when the library is unloaded.
void ReleaseTypeLibrary() noexcept;

// A string of the server file's string table; throws core::EOleSysError when it is missing.
std::wstring ResourceString(UINT id);

// The system's text for a result code.
std::wstring SystemMessage(HRESULT hr);

// Counts one live object for as long as it exists; server objects hold one.
class ObjectCount {
 public:
  ObjectCount() noexcept { ObjectCreated(); }
  ObjectCount(const ObjectCount&) = delete;
  ObjectCount& operator=(const ObjectCount&) = delete;
  ~ObjectCount() { ObjectDestroyed(); }
};

}  // namespace server
