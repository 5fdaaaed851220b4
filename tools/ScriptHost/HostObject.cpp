#include "tools/ScriptHost/HostObject.h"

#include <oleauto.h>

#include <cwchar>
#include <string>

#include "tools/common/Console.h"

namespace scripthost {

using core::win32::com_ptr;
using core::win32::unique_variant;

namespace {

enum Member : DISPID { kEcho = 1, kQuit = 2, kSleep = 3 };

struct MemberName {
  const wchar_t* name;
  DISPID id;
};
constexpr MemberName kMembers[] = {{L"Echo", kEcho}, {L"Quit", kQuit}, {L"Sleep", kSleep}};

// Once the run has ended, every member fails with this: the failure stops the script where it
// stands (the site stays silent about it), as WScript.Quit does.
constexpr HRESULT kRunEnded = E_ABORT;

// Argument `index` in call order (DISPPARAMS holds them last first), converted to `type` into
// the empty `value`.
HRESULT Argument(const DISPPARAMS& params, UINT index, VARTYPE type, unique_variant& value, UINT* argumentError) {
  const UINT position = params.cArgs - 1 - index;
  unique_variant direct;
  HRESULT hr = VariantCopyInd(direct.get(), &params.rgvarg[position]);
  if (SUCCEEDED(hr)) hr = VariantChangeType(value.get(), direct.get(), VARIANT_ALPHABOOL, type);
  if (FAILED(hr) && argumentError) *argumentError = position;
  return hr;
}

}  // namespace

com_ptr<IDispatch> HostObject::Create(ScriptRun& run) {
  return com_ptr<IDispatch>::attach(new HostObject(run));
}

HRESULT HostObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) noexcept {
  if (!names || !ids) return E_POINTER;
  HRESULT result = S_OK;
  for (UINT i = 0; i < count; ++i) {
    ids[i] = DISPID_UNKNOWN;
    // Names after the first are named arguments, which no member has.
    if (i == 0) {
      for (const MemberName& member : kMembers) {
        if (_wcsicmp(names[0], member.name) == 0) ids[0] = member.id;
      }
    }
    if (ids[i] == DISPID_UNKNOWN) result = DISP_E_UNKNOWNNAME;
  }
  return result;
}

HRESULT HostObject::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                           EXCEPINFO*, UINT* argumentError) noexcept {
  if (!params) return E_POINTER;
  if (!(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
  if (params->cNamedArgs != 0) return DISP_E_NONAMEDARGS;
  if (result) VariantInit(result);
  if (run_.Ended()) return kRunEnded;
  switch (id) {
    case kEcho:
      return Echo(*params, argumentError);
    case kQuit:
      return Quit(*params, argumentError);
    case kSleep:
      return Sleep(*params, argumentError);
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}

// Like WScript.Echo: the arguments as text, separated by blanks.
HRESULT HostObject::Echo(const DISPPARAMS& params, UINT* argumentError) {
  std::wstring line;
  for (UINT i = 0; i < params.cArgs; ++i) {
    unique_variant text;
    RETURN_IF_FAILED(Argument(params, i, VT_BSTR, text, argumentError));
    if (i > 0) line += L' ';
    line.append(V_BSTR(text.get()), SysStringLen(V_BSTR(text.get())));
  }
  tools::WriteLine(tools::Stream::Out, line);
  return S_OK;
}

HRESULT HostObject::Quit(const DISPPARAMS& params, UINT* argumentError) {
  if (params.cArgs > 1) return DISP_E_BADPARAMCOUNT;
  int code = 0;
  if (params.cArgs == 1) {
    unique_variant value;
    RETURN_IF_FAILED(Argument(params, 0, VT_I4, value, argumentError));
    code = V_I4(value.get());
  }
  run_.End(code);
  return kRunEnded;
}

HRESULT HostObject::Sleep(const DISPPARAMS& params, UINT* argumentError) {
  if (params.cArgs != 1) return DISP_E_BADPARAMCOUNT;
  unique_variant value;
  RETURN_IF_FAILED(Argument(params, 0, VT_I4, value, argumentError));
  if (V_I4(value.get()) < 0) return E_INVALIDARG;
  run_.Pump(static_cast<DWORD>(V_I4(value.get())));
  return run_.Ended() ? kRunEnded : S_OK;
}

}  // namespace scripthost
