#include "tools/common/Events.h"

#include <oleauto.h>

#include <utility>

namespace tools {

using core::win32::com_ptr;

HRESULT DefaultEvents(ITypeInfo* classInfo, com_ptr<ITypeInfo>& events, IID& iid) {
  TYPEATTR* attributes = nullptr;
  RETURN_IF_FAILED(classInfo->GetTypeAttr(&attributes));
  const WORD implemented = attributes->cImplTypes;
  classInfo->ReleaseTypeAttr(attributes);
  constexpr int kDefaultSource = IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE;
  for (UINT i = 0; i < implemented; ++i) {
    INT flags = 0;
    if (FAILED(classInfo->GetImplTypeFlags(i, &flags)) || (flags & kDefaultSource) != kDefaultSource) continue;
    HREFTYPE reference = 0;
    RETURN_IF_FAILED(classInfo->GetRefTypeOfImplType(i, &reference));
    RETURN_IF_FAILED(classInfo->GetRefTypeInfo(reference, events.put()));
    RETURN_IF_FAILED(events->GetTypeAttr(&attributes));
    iid = attributes->guid;
    events->ReleaseTypeAttr(attributes);
    return S_OK;
  }
  return S_FALSE;
}

HRESULT FindConnectionPoint(IUnknown* object, const IID& iid, com_ptr<IConnectionPoint>& point) {
  com_ptr<IConnectionPointContainer> container;
  RETURN_IF_FAILED(object->QueryInterface(IID_IConnectionPointContainer, container.put_void()));
  return container->FindConnectionPoint(iid, point.put());
}

bool HasSinks(IConnectionPoint* point) {
  com_ptr<IEnumConnections> connections;
  if (FAILED(point->EnumConnections(connections.put())) || !connections) return false;
  CONNECTDATA data{};
  ULONG fetched = 0;
  const HRESULT listed = connections->Next(1, &data, &fetched);
  const auto sink = com_ptr<IUnknown>::attach(data.pUnk);  // the reference Next hands out
  return listed == S_OK && fetched == 1;
}

HRESULT Advise(com_ptr<IConnectionPoint> point, IUnknown* sink, std::unique_ptr<EventConnection>& connection) {
  DWORD cookie = 0;
  RETURN_IF_FAILED(point->Advise(sink, &cookie));
  connection = std::make_unique<EventConnection>(std::move(point), cookie);
  return S_OK;
}

}  // namespace tools
