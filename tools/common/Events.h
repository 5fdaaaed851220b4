#pragma once
// Event plumbing shared by the tools: the coclass's default event interface, and a connection
// to a control's connection point that is undone when its owner goes.
#include <windows.h>
#include <ocidl.h>

#include <memory>

#include "core/win32/ComResource.h"

namespace tools {

class EventConnection {
 public:
  EventConnection(core::win32::com_ptr<IConnectionPoint> point, DWORD cookie)
      : point_(std::move(point)), cookie_(cookie) {}
  EventConnection(const EventConnection&) = delete;
  EventConnection& operator=(const EventConnection&) = delete;
  ~EventConnection() { point_->Unadvise(cookie_); }

 private:
  core::win32::com_ptr<IConnectionPoint> point_;
  DWORD cookie_;
};

// The coclass's [default, source] interface and its identifier; S_FALSE when it has none.
HRESULT DefaultEvents(ITypeInfo* classInfo, core::win32::com_ptr<ITypeInfo>& events, IID& iid);

// `object`'s connection point for `iid`.
HRESULT FindConnectionPoint(IUnknown* object, const IID& iid, core::win32::com_ptr<IConnectionPoint>& point);

// Whether any sink is connected; a point that cannot list its sinks counts as having none.
bool HasSinks(IConnectionPoint* point);

HRESULT Advise(core::win32::com_ptr<IConnectionPoint> point, IUnknown* sink,
               std::unique_ptr<EventConnection>& connection);

}  // namespace tools
