#include "server/ClassFactory.h"

#include <memory>
#include <vector>

#include "server/BusStart.h"
#include "server/Control.h"
#include "server/Errors.h"
#include "server/Module.h"

namespace server {
namespace {

std::vector<std::unique_ptr<ClassFactory>>& Factories() {
  static std::vector<std::unique_ptr<ClassFactory>> factories;
  return factories;
}

}  // namespace

void CreateFactories() {
  for (std::size_t i = 0; i < kClassCount; ++i) Factories().push_back(std::make_unique<ClassFactory>(kClasses[i]));
}

void DestroyFactories() noexcept { Factories().clear(); }

ClassFactory* FindFactory(const CLSID& clsid) noexcept {
  for (const auto& factory : Factories())
    if (IsEqualCLSID(*factory->Entry().clsid, clsid)) return factory.get();
  return nullptr;
}

HRESULT STDMETHODCALLTYPE ClassFactory::QueryInterface(REFIID riid, void** ppv) noexcept {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory)) return E_NOINTERFACE;
  *ppv = static_cast<IClassFactory*>(this);
  AddRef();
  return S_OK;
}

ULONG STDMETHODCALLTYPE ClassFactory::AddRef() noexcept {
  FactoryReferenced();
  return 2;
}

ULONG STDMETHODCALLTYPE ClassFactory::Release() noexcept {
  FactoryReleased();
  return 1;
}

HRESULT STDMETHODCALLTYPE ClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** ppv) noexcept {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  // An aggregating object must hold the inner IUnknown, or it could not control the lifetime.
  if (outer && !IsEqualIID(riid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
  com_ptr<IUnknown> control;
  std::wstring progId;  // names the failure once the class is known
  try {
    const ClassInfo info = DescribeClass(entry_);
    progId = info.progId;
    // The bus before the control's first bus operation; in debug mode with its terminal.
    StartBus(ModuleInstance());
    control = Control::Create(entry_, info, outer);
  } catch (...) {
    return ResultFromCaughtException({Report::MessageBox, progId.empty() ? entry_.name : progId.c_str(), nullptr});
  }
  // A control without the interface goes away with `control`.
  return control->QueryInterface(riid, ppv);
}

HRESULT STDMETHODCALLTYPE ClassFactory::LockServer(BOOL lock) noexcept {
  RETURN_IF_FAILED(CoLockObjectExternal(static_cast<IClassFactory*>(this), lock, TRUE));
  if (lock)
    ObjectCreated();
  else
    ObjectDestroyed();
  return S_OK;
}

}  // namespace server
