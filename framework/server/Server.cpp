// The four exports of the in-process server and its start and end with the host process.
#include <windows.h>
#include <olectl.h>

#include <memory>
#include <mutex>

#include "framework/server/ClassFactory.h"
#include "framework/server/Module.h"
#include "framework/server/Registration.h"
#include "hpib/HPIBDrv.h"
#include "hpib/HPIBMessages.h"
#include "hpib/win32/BusChoice.h"
#include "hpib/win32/StringTableMessages.h"
#include "toolkit/Platform.h"
#include "toolkit/win32/Win32Platform.h"

namespace {

std::unique_ptr<toolkit::win32::Win32Platform> g_platform;
std::once_flag g_busStarted;

// The driver layer on the back end the user chose, or in debug mode with the reason on the
// terminal's first line. At load, except for VISA, which must not be loaded under the loader
// lock: then at the first call into the library (every use of it begins with one).
void StartBus() {
  std::call_once(g_busStarted, [] {
    hpib::win32::BusChoice bus = hpib::win32::ChooseBusDriver(framework::server::ModuleInstance());
    hpib::HPIBLoad(std::move(bus.driver));
    if (!bus.reason.empty()) hpib::DebugLog(bus.reason);
  });
}

void Unload() noexcept {
  using namespace framework::server;
  DestroyFactories();
  ReleaseTypeLibrary();
  hpib::HPIBUnload();
  hpib::SetMessageLoader(nullptr);
  toolkit::SetCurrentPlatform(nullptr);
  g_platform.reset();
}

// Parts start in the order they depend on each other: the toolkit's platform, the driver
// layer (which shows its debug terminal when there is no driver, its first line saying why when
// the user's bus setting could not be followed; with VISA at the first call, see StartBus),
// then the class factories. Every load does this, a load only to register included.
bool Load(HINSTANCE instance) noexcept {
  using namespace framework::server;
  try {
    SetModuleInstance(instance);
    g_platform = std::make_unique<toolkit::win32::Win32Platform>(instance);
    toolkit::SetCurrentPlatform(g_platform.get());
    hpib::win32::ReadMessagesFrom(instance);
    if (!hpib::win32::VisaChosen()) StartBus();
    CreateFactories();
    return true;
  } catch (...) {
    Unload();
    return false;
  }
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      return Load(instance) ? TRUE : FALSE;
    case DLL_THREAD_DETACH:
      // The thread's utility window and timers go with it; only it can destroy them.
      if (g_platform) g_platform->ThreadEnding();
      return TRUE;
    case DLL_PROCESS_DETACH:
      Unload();
      return TRUE;
    default:
      return TRUE;
  }
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  try {
    StartBus();
  } catch (...) {
    return E_UNEXPECTED;
  }
  framework::server::ClassFactory* factory = framework::server::FindFactory(clsid);
  if (!factory) return CLASS_E_CLASSNOTAVAILABLE;
  return factory->QueryInterface(riid, ppv);
}

STDAPI DllCanUnloadNow() { return framework::server::ModuleInUse() ? S_FALSE : S_OK; }

// Installers and regsvr32 learn only success or failure: every failure is E_FAIL.
// regsvr32 /n /i:user registers for the current user alone, without administrator rights;
// regsvr32 /u /n /i:user removes exactly that. An empty command line means the machine.
STDAPI DllInstall(BOOL install, PCWSTR commandLine) {
  using namespace framework::server;
  const std::optional<RegistrationScope> scope = InstallScope(commandLine);
  if (!scope) return E_INVALIDARG;
  try {
    StartBus();
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
