// The four exports of the in-process server and its start and end with the host process.
#include <windows.h>
#include <olectl.h>

#include <memory>

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
// the user's bus setting could not be followed), then the class factories. Every load does
// this, a load only to register included.
bool Load(HINSTANCE instance) noexcept {
  using namespace framework::server;
  try {
    SetModuleInstance(instance);
    g_platform = std::make_unique<toolkit::win32::Win32Platform>(instance);
    toolkit::SetCurrentPlatform(g_platform.get());
    hpib::win32::ReadMessagesFrom(instance);
    hpib::win32::BusChoice bus = hpib::win32::ChooseBusDriver(instance);
    hpib::HPIBLoad(std::move(bus.driver));
    if (!bus.reason.empty()) hpib::DebugLog(bus.reason);
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
  framework::server::ClassFactory* factory = framework::server::FindFactory(clsid);
  if (!factory) return CLASS_E_CLASSNOTAVAILABLE;
  return factory->QueryInterface(riid, ppv);
}

STDAPI DllCanUnloadNow() { return framework::server::ModuleInUse() ? S_FALSE : S_OK; }

// Installers and regsvr32 learn only success or failure: every failure is E_FAIL.
STDAPI DllRegisterServer() {
  try {
    framework::server::RegisterServer();
    return S_OK;
  } catch (...) {
    return E_FAIL;
  }
}

STDAPI DllUnregisterServer() {
  try {
    framework::server::UnregisterServer();
    return S_OK;
  } catch (...) {
    return E_FAIL;
  }
}
