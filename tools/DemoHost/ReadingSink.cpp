#include "tools/DemoHost/ReadingSink.h"

#include <cwchar>
#include <string>

#include "tools/common/Console.h"

namespace demo {

using core::win32::com_ptr;
using core::win32::unique_bstr;

namespace {

std::wstring OneLine(std::wstring text) {
  for (std::size_t at = text.find(L"\r\n"); at != std::wstring::npos; at = text.find(L"\r\n", at + 3))
    text.replace(at, 2, L" | ");
  return text;
}

}  // namespace

com_ptr<IDispatch> ReadingSink::Create(std::wstring name, com_ptr<IQXDevice> device, DISPID onData,
                                       ULONGLONG startTick, Reading onReading) {
  return com_ptr<IDispatch>::attach(
      new ReadingSink(std::move(name), std::move(device), onData, startTick, std::move(onReading)));
}

HRESULT ReadingSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID, DISPID* ids) noexcept {
  for (UINT i = 0; ids && i < count; ++i) ids[i] = DISPID_UNKNOWN;
  return DISP_E_UNKNOWNNAME;
}

HRESULT ReadingSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                            UINT*) noexcept {
  if (result) VariantInit(result);
  if (id != onData_) return S_OK;
  wchar_t elapsed[32];
  std::swprintf(elapsed, 32, L"%8.3f s  ", static_cast<double>(GetTickCount64() - startTick_) / 1000.0);
  unique_bstr text;
  const HRESULT hr = device_->get_Text(text.put());
  if (FAILED(hr)) {
    tools::WriteLine(tools::Stream::Err, elapsed + name_ + L"  Text failed: " + tools::DescribeResult(hr));
    return S_OK;
  }
  tools::WriteLine(tools::Stream::Out, elapsed + name_ + L"  " + OneLine(text.str()));
  if (onReading_) onReading_(text.str());
  return S_OK;
}

}  // namespace demo
