#pragma once
// The class objects, one per entry of the class table, alive from library load to unload.
#include <windows.h>
#include <unknwn.h>

#include "server/Classes.h"

namespace server {

class ClassFactory final : public IClassFactory {
 public:
  explicit ClassFactory(const ClassEntry& entry) noexcept : entry_(entry) {}
  ClassFactory(const ClassFactory&) = delete;
  ClassFactory& operator=(const ClassFactory&) = delete;

  const ClassEntry& Entry() const noexcept { return entry_; }

  // IUnknown: the factory lives as long as the library; references only count for unloading.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) noexcept override;
  ULONG STDMETHODCALLTYPE AddRef() noexcept override;
  ULONG STDMETHODCALLTYPE Release() noexcept override;

  // IClassFactory
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) noexcept override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) noexcept override;

 private:
  const ClassEntry& entry_;
};

// Made at library load in the order of the class table, dropped at unload.
void CreateFactories();
void DestroyFactories() noexcept;
ClassFactory* FindFactory(const CLSID& clsid) noexcept;

}  // namespace server
