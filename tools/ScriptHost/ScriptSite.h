#pragma once
// The engine's view of the host: the named items (the Host object and the controls) and where
// script errors go. An error is printed on the error stream and fails the run.
#include <windows.h>
#include <activscp.h>

#include <string>
#include <vector>

#include "core/win32/ComResource.h"
#include "tools/ScriptHost/ScriptRun.h"
#include "tools/common/ComObject.h"

namespace scripthost {

struct NamedItem {
  std::wstring name;
  core::win32::com_ptr<IUnknown> object;
  // The coclass, for an item whose events the script may handle; null for the Host object.
  core::win32::com_ptr<ITypeInfo> classInfo;
};

class ScriptSite final : public tools::RefCounted<IActiveScriptSite> {
 public:
  static core::win32::com_ptr<ScriptSite> Create(std::wstring scriptName, ScriptRun& run,
                                                      std::vector<NamedItem> items);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) noexcept override;
  HRESULT STDMETHODCALLTYPE GetLCID(LCID* lcid) noexcept override;
  HRESULT STDMETHODCALLTYPE GetItemInfo(LPCOLESTR name, DWORD mask, IUnknown** object,
                                        ITypeInfo** typeInfo) noexcept override;
  HRESULT STDMETHODCALLTYPE GetDocVersionString(BSTR* version) noexcept override;
  HRESULT STDMETHODCALLTYPE OnScriptTerminate(const VARIANT* result, const EXCEPINFO* exception) noexcept override;
  HRESULT STDMETHODCALLTYPE OnStateChange(SCRIPTSTATE state) noexcept override;
  HRESULT STDMETHODCALLTYPE OnScriptError(IActiveScriptError* error) noexcept override;
  HRESULT STDMETHODCALLTYPE OnEnterScript() noexcept override;
  HRESULT STDMETHODCALLTYPE OnLeaveScript() noexcept override;

 private:
  ScriptSite(std::wstring scriptName, ScriptRun& run, std::vector<NamedItem> items)
      : scriptName_(std::move(scriptName)), run_(run), items_(std::move(items)) {}

  std::wstring scriptName_;
  ScriptRun& run_;
  std::vector<NamedItem> items_;
};

}  // namespace scripthost
