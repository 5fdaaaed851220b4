#include "tools/ScriptHost/EventRelay.h"

#include <oleauto.h>

#include <utility>

#include "tools/common/DispatchObject.h"

namespace scripthost {

using core::win32::com_ptr;
using core::win32::unique_bstr;

namespace {

class EventRelay final : public tools::DispatchObject {
 public:
  EventRelay(com_ptr<IActiveScript> engine, std::wstring itemName, com_ptr<ITypeInfo> events, IID eventsIid)
      : DispatchObject(eventsIid),
        engine_(std::move(engine)),
        itemName_(std::move(itemName)),
        events_(std::move(events)) {}

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) noexcept override {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) noexcept override {
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    return events_.copy_to(info);
  }

  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) noexcept override {
    return events_->GetIDsOfNames(names, count, ids);
  }

  // The control is told S_OK whatever the handler did: a failing handler is the script's
  // error, which the engine reports to the site.
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID lcid, WORD, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO*, UINT*) noexcept override {
    unique_bstr event;
    UINT found = 0;
    if (FAILED(events_->GetNames(id, event.put(), 1, &found)) || found != 1) return S_OK;
    std::wstring handler = itemName_ + L"_" + event.str();
    com_ptr<IDispatch> script;
    if (FAILED(engine_->GetScriptDispatch(nullptr, script.put())) || !script) return S_OK;
    LPOLESTR name = handler.data();
    DISPID handlerId = DISPID_UNKNOWN;
    if (FAILED(script->GetIDsOfNames(IID_NULL, &name, 1, lcid, &handlerId))) return S_OK;
    DISPPARAMS none{};
    script->Invoke(handlerId, IID_NULL, lcid, DISPATCH_METHOD, params ? params : &none, result, nullptr, nullptr);
    return S_OK;
  }

 private:
  com_ptr<IActiveScript> engine_;
  std::wstring itemName_;
  com_ptr<ITypeInfo> events_;
};

}  // namespace

HRESULT BindEvents(IActiveScript* engine, const std::wstring& itemName, IUnknown* object, ITypeInfo* classInfo,
                   std::unique_ptr<tools::EventConnection>& connection) {
  connection.reset();
  com_ptr<ITypeInfo> events;
  IID iid{};
  const HRESULT described = tools::DefaultEvents(classInfo, events, iid);
  RETURN_IF_FAILED(described);
  if (described == S_FALSE) return S_OK;

  com_ptr<IConnectionPoint> point;
  RETURN_IF_FAILED(tools::FindConnectionPoint(object, iid, point));
  if (tools::HasSinks(point.get())) return S_OK;
  const auto relay = com_ptr<IDispatch>::attach(new EventRelay(com_ptr<IActiveScript>(engine), itemName, events, iid));
  return tools::Advise(std::move(point), relay.get(), connection);
}

}  // namespace scripthost
