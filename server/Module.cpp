#include "server/Module.h"

#include <oleauto.h>

#include <atomic>
#include <mutex>

#include "Apparata_h.h"
#include "core/Exceptions.h"
#include "core/win32/ComResource.h"

namespace server {

using core::win32::com_ptr;
using core::win32::scope_exit;

namespace {

HINSTANCE g_instance = nullptr;
// Hosts may ask DllCanUnloadNow from any thread.
std::atomic<long> g_objects{0};
std::atomic<long> g_factoryReferences{0};

// Controls of several apartments may ask for the library at once, the first time.
std::mutex g_typeLibraryMutex;
com_ptr<ITypeLib> g_typeLibrary;
com_ptr<ITypeInfo> g_deviceTypeInfo;

void LoadTypeLibrary() {
  if (g_typeLibrary) return;
  com_ptr<ITypeLib> library;
  HRESULT hr = LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, library.put());
  if (FAILED(hr)) throw core::EOleSysError(SystemMessage(hr), hr);
  com_ptr<ITypeInfo> device;
  hr = library->GetTypeInfoOfGuid(IID_IQXDevice, device.put());
  if (FAILED(hr)) throw core::EOleSysError(SystemMessage(hr), hr);
  g_typeLibrary = std::move(library);
  g_deviceTypeInfo = std::move(device);
}

}  // namespace

void SetModuleInstance(HINSTANCE instance) noexcept { g_instance = instance; }

HINSTANCE ModuleInstance() noexcept { return g_instance; }

std::wstring ModulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(g_instance, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) {
      const HRESULT hr = HRESULT_FROM_WIN32(GetLastError());
      throw core::EOleSysError(SystemMessage(hr), hr);
    }
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

void ObjectCreated() noexcept { ++g_objects; }
void ObjectDestroyed() noexcept { --g_objects; }
void FactoryReferenced() noexcept { ++g_factoryReferences; }
void FactoryReleased() noexcept { --g_factoryReferences; }
bool ModuleInUse() noexcept { return g_objects != 0 || g_factoryReferences != 0; }

ITypeLib& TypeLibrary() {
  std::lock_guard<std::mutex> lock(g_typeLibraryMutex);
  LoadTypeLibrary();
  return *g_typeLibrary.get();
}

ITypeInfo& DeviceTypeInfo() {
  std::lock_guard<std::mutex> lock(g_typeLibraryMutex);
  LoadTypeLibrary();
  return *g_deviceTypeInfo.get();
}

void ReleaseTypeLibrary() noexcept {
  std::lock_guard<std::mutex> lock(g_typeLibraryMutex);
  g_deviceTypeInfo.reset();
  g_typeLibrary.reset();
}

std::wstring ResourceString(UINT id) {
  const wchar_t* text = nullptr;
  // With no buffer the system answers where the string lies in the loaded file.
  const int length = LoadStringW(g_instance, id, reinterpret_cast<wchar_t*>(&text), 0);
  if (length <= 0) {
    const HRESULT hr = HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND);
    throw core::EOleSysError(SystemMessage(hr), hr);
  }
  return std::wstring(text, static_cast<std::size_t>(length));
}

std::wstring SystemMessage(HRESULT hr) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  scope_exit freeBuffer([&] { LocalFree(buffer); });
  std::wstring text(buffer ? buffer : L"", length);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
  if (text.empty()) {
    wchar_t code[32];
    wsprintfW(code, L"Error 0x%08lX", static_cast<unsigned long>(hr));
    text = code;
  }
  return text;
}

}  // namespace server
