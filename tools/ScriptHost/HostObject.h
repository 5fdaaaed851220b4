#pragma once
// The script's `Host` item: Echo, Quit and Sleep, dispatched by hand (three members need no
// type library).
#include <windows.h>
#include <oaidl.h>

#include "core/win32/ComResource.h"
#include "tools/ScriptHost/ScriptRun.h"
#include "tools/common/DispatchObject.h"

namespace scripthost {

class HostObject final : public tools::DispatchObject {
 public:
  static core::win32::com_ptr<IDispatch> Create(ScriptRun& run);

  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid,
                                          DISPID* ids) noexcept override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception, UINT* argumentError) noexcept override;

 private:
  explicit HostObject(ScriptRun& run) : run_(run) {}

  HRESULT Echo(const DISPPARAMS& params, UINT* argumentError);
  HRESULT Quit(const DISPPARAMS& params, UINT* argumentError);
  HRESULT Sleep(const DISPPARAMS& params, UINT* argumentError);

  ScriptRun& run_;
};

}  // namespace scripthost
