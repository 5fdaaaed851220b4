#include "server/Classes.h"

#include "Apparata_h.h"
#include "core/Convert.h"
#include "core/Exceptions.h"
#include "server/Module.h"
#include "server/ResourceIds.h"
#include "instruments/B740.h"
#include "instruments/E712.h"
#include "instruments/HP4191.h"

namespace server {

using core::win32::unique_bstr;

namespace {

template <class F>
toolkit::FormPtr<framework::THPIBDevice> MakeForm(std::uintptr_t parentWindow) {
  return toolkit::CreateFormIn<F>(parentWindow);
}

[[noreturn]] void Fail(const wchar_t* pattern, const ClassEntry& entry) {
  throw core::Exception(core::FormatStr(pattern, entry.name));
}

class TypeAttr {
 public:
  explicit TypeAttr(ITypeInfo& info) : info_(info) {}
  TypeAttr(const TypeAttr&) = delete;
  TypeAttr& operator=(const TypeAttr&) = delete;
  ~TypeAttr() {
    if (attr_) info_.ReleaseTypeAttr(attr_);
  }
  HRESULT Load() { return info_.GetTypeAttr(&attr_); }
  const TYPEATTR* operator->() const { return attr_; }

 private:
  ITypeInfo& info_;
  TYPEATTR* attr_ = nullptr;
};

// The default interface that the class implements (not the one it sources).
com_ptr<ITypeInfo> DefaultInterface(ITypeInfo& coclass, const ClassEntry& entry) {
  TypeAttr attr(coclass);
  if (FAILED(attr.Load())) Fail(L"Incorrect type information for class %s", entry);
  for (UINT i = 0; i < attr->cImplTypes; ++i) {
    INT flags = 0;
    if (FAILED(coclass.GetImplTypeFlags(i, &flags))) continue;
    if ((flags & IMPLTYPEFLAG_FDEFAULT) == 0 || (flags & IMPLTYPEFLAG_FSOURCE) != 0) continue;
    HREFTYPE ref = 0;
    com_ptr<ITypeInfo> result;
    if (FAILED(coclass.GetRefTypeOfImplType(i, &ref)) || FAILED(coclass.GetRefTypeInfo(ref, result.put())))
      break;
    return result;
  }
  Fail(L"Incorrect type information for class %s", entry);
}

}  // namespace

// Factories are made at load, and classes registered, in table order: B740X, HP4191X, E712X.
const ClassEntry kClasses[] = {
    {&CLSID_B740X, L"B740X", &MakeForm<instruments::TB740Device>, IDB_TOOLBOX_B740X},
    {&CLSID_HP4191X, L"HP4191X", &MakeForm<instruments::THP4191Device>, IDB_TOOLBOX_HP4191X},
    {&CLSID_E712X, L"E712X", &MakeForm<instruments::TE712Device>, IDB_TOOLBOX_E712X},
};
const std::size_t kClassCount = sizeof(kClasses) / sizeof(kClasses[0]);

ClassInfo DescribeClass(const ClassEntry& entry) {
  ITypeLib& library = TypeLibrary();
  ClassInfo info;
  unique_bstr name, help, libraryName;
  if (FAILED(library.GetTypeInfoOfGuid(*entry.clsid, info.coclass.put())) ||
      FAILED(info.coclass->GetDocumentation(MEMBERID_NIL, name.put(), help.put(), nullptr, nullptr)) ||
      FAILED(library.GetDocumentation(-1, libraryName.put(), nullptr, nullptr, nullptr)))
    Fail(L"Type information missing for class %s", entry);

  com_ptr<ITypeInfo> device = DefaultInterface(*info.coclass.get(), entry);
  TypeAttr deviceAttr(*device.get());
  if (FAILED(deviceAttr.Load())) Fail(L"Incorrect type information for class %s", entry);
  if ((deviceAttr->wTypeFlags & TYPEFLAG_FDISPATCHABLE) == 0) Fail(L"Dispatch interface missing from class %s", entry);

  info.name = name.str();
  info.description = help.str();
  info.progId = libraryName.str() + L"." + info.name;
  return info;
}

}  // namespace server
