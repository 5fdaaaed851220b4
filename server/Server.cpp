// The four exports of the in-process server and its start and end with the host process.
#include <windows.h>
#include <olectl.h>

#include <memory>

#include "server/BusStart.h"
#include "server/ClassFactory.h"
#include "server/Module.h"
#include "server/Registration.h"
#include "hpib/HPIBDrv.h"
#include "hpib/HPIBMessages.h"
#include "hpib/win32/StringTableMessages.h"
#include "toolkit/Platform.h"
#include "toolkit/win32/Win32Platform.h"

namespace {

std::unique_ptr<toolkit::win32::Win32Platform> g_platform;

void Unload() noexcept {
  using namespace server;
  DestroyFactories();
  ReleaseTypeLibrary();
  hpib::HPIBUnload();
  hpib::SetMessageLoader(nullptr);
  toolkit::SetCurrentPlatform(nullptr);
  g_platform.reset();
}

// Only what is safe under the loader lock, in the order the parts depend on each other: the
// toolkit's platform (its window classes), the driver messages, the class factories. The bus
// and its terminal start with the first control (see BusStart.h).
bool Load(HINSTANCE instance) noexcept {
  using namespace server;
  try {
    SetModuleInstance(instance);
    g_platform = std::make_unique<toolkit::win32::Win32Platform>(instance);
    toolkit::SetCurrentPlatform(g_platform.get());
    hpib::win32::ReadMessagesFrom(instance);
    CreateFactories();
    return true;
  } catch (...) {
    Unload();
    return false;
  }
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      return Load(instance) ? TRUE : FALSE;
    case DLL_THREAD_DETACH:
      // The thread's utility window and timers go with it; only it can destroy them.
      if (g_platform) g_platform->ThreadEnding();
      return TRUE;
    case DLL_PROCESS_DETACH:
      // When the process ends, its other threads (the terminal's among them) have been ended
      // wherever they were: their windows are not ours to destroy, and the system takes back
      // everything else.
      if (!reserved) Unload();
      return TRUE;
    default:
      return TRUE;
  }
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  server::ClassFactory* factory = server::FindFactory(clsid);
  if (!factory) return CLASS_E_CLASSNOTAVAILABLE;
  return factory->QueryInterface(riid, ppv);
}

STDAPI DllCanUnloadNow() {
  if (server::ModuleInUse()) return S_FALSE;
  // The terminal's thread holds the library loaded; nothing needs it any more.
  server::EndTerminal();
  return S_OK;
}

// Installers and regsvr32 learn only success or failure: every failure is E_FAIL.
// regsvr32 /n /i:user registers for the current user alone, without administrator rights;
// regsvr32 /u /n /i:user removes exactly that. An empty command line means the machine.
STDAPI DllInstall(BOOL install, PCWSTR commandLine) {
  using namespace server;
  const std::optional<RegistrationScope> scope = InstallScope(commandLine);
  if (!scope) return E_INVALIDARG;
  try {
    if (install)
      RegisterServer(*scope);
    else
      UnregisterServer(*scope);
    return S_OK;
  } catch (...) {
    return E_FAIL;
  }
}

STDAPI DllRegisterServer() { return DllInstall(TRUE, nullptr); }

STDAPI DllUnregisterServer() { return DllInstall(FALSE, nullptr); }
