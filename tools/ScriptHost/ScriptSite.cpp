#include "tools/ScriptHost/ScriptSite.h"

#include <oleauto.h>

#include <cwchar>
#include <utility>

#include "tools/common/Console.h"
#include "tools/common/ExceptionStrings.h"

namespace scripthost {

using core::win32::com_ptr;

com_ptr<ScriptSite> ScriptSite::Create(std::wstring scriptName, ScriptRun& run, std::vector<NamedItem> items) {
  return com_ptr<ScriptSite>::attach(new ScriptSite(std::move(scriptName), run, std::move(items)));
}

HRESULT ScriptSite::QueryInterface(REFIID iid, void** out) noexcept {
  if (!out) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IActiveScriptSite) {
    *out = static_cast<IActiveScriptSite*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

HRESULT ScriptSite::GetLCID(LCID*) noexcept { return E_NOTIMPL; }

HRESULT ScriptSite::GetItemInfo(LPCOLESTR name, DWORD mask, IUnknown** object, ITypeInfo** typeInfo) noexcept {
  if (object) *object = nullptr;
  if (typeInfo) *typeInfo = nullptr;
  if (!name) return E_INVALIDARG;
  if (((mask & SCRIPTINFO_IUNKNOWN) && !object) || ((mask & SCRIPTINFO_ITYPEINFO) && !typeInfo)) return E_POINTER;
  for (const NamedItem& item : items_) {
    if (_wcsicmp(item.name.c_str(), name) != 0) continue;
    if ((mask & SCRIPTINFO_ITYPEINFO) && !item.classInfo) return E_NOTIMPL;
    if (mask & SCRIPTINFO_IUNKNOWN) item.object.copy_to(object);
    if (mask & SCRIPTINFO_ITYPEINFO) item.classInfo.copy_to(typeInfo);
    return S_OK;
  }
  return TYPE_E_ELEMENTNOTFOUND;
}

HRESULT ScriptSite::GetDocVersionString(BSTR* version) noexcept {
  if (version) *version = nullptr;
  return E_NOTIMPL;
}

HRESULT ScriptSite::OnScriptTerminate(const VARIANT*, const EXCEPINFO*) noexcept { return S_OK; }

HRESULT ScriptSite::OnStateChange(SCRIPTSTATE) noexcept { return S_OK; }

HRESULT ScriptSite::OnScriptError(IActiveScriptError* error) noexcept {
  // After the end (Host.Quit, a timeout, an earlier error) the script is being stopped on
  // purpose: that is no news.
  if (!error || run_.Ended()) return S_OK;
  EXCEPINFO exception{};
  error->GetExceptionInfo(&exception);
  if (exception.pfnDeferredFillIn) exception.pfnDeferredFillIn(&exception);
  const tools::ExceptionStrings strings(exception);
  DWORD context = 0;
  ULONG line = 0;
  LONG column = 0;
  error->GetSourcePosition(&context, &line, &column);

  const HRESULT code =
      exception.scode ? exception.scode : MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, exception.wCode);
  wchar_t position[64];
  std::swprintf(position, 64, L"(%lu, %ld) ", line + 1, column + 1);
  wchar_t hex[16];
  std::swprintf(hex, 16, L"0x%08lX", static_cast<unsigned long>(code));
  // As WSH words it: "file(line, column) source: description", here with the code added.
  // Wine's engine often gives no description, sometimes no source either.
  const std::wstring source = strings.source.str();
  const std::wstring description = strings.description.str();
  std::wstring message = scriptName_ + position + (source.empty() ? L"error" : source) + L": ";
  message += description.empty() ? tools::DescribeResult(code) : description + L" (" + hex + L")";
  tools::WriteLine(tools::Stream::Err, message);
  run_.End(kExitFailure);
  return S_OK;
}

HRESULT ScriptSite::OnEnterScript() noexcept { return S_OK; }

HRESULT ScriptSite::OnLeaveScript() noexcept { return S_OK; }

}  // namespace scripthost
