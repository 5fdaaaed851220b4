#pragma once
// The tools' own IDispatch objects: the script's Host item and the sinks for a control's
// events. Each dispatches by hand and so has no type information unless it overrides both
// type information methods.
#include <windows.h>
#include <oaidl.h>

#include <optional>

#include "tools/common/ComObject.h"

namespace tools {

class DispatchObject : public RefCounted<IDispatch> {
 public:
  // IUnknown, IDispatch and, for a sink, the event interface its source calls it as.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) noexcept override;
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) noexcept override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) noexcept override;

 protected:
  DispatchObject() = default;
  explicit DispatchObject(const IID& eventsIid) : eventsIid_(eventsIid) {}

 private:
  std::optional<IID> eventsIid_;
};

}  // namespace tools
