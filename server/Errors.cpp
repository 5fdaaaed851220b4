#include "server/Errors.h"

#include <oleauto.h>

#include <exception>
#include <string>

#include "core/Exceptions.h"
#include "core/win32/ComResource.h"

namespace server {

using core::win32::com_ptr;

namespace {

struct Failure {
  HRESULT code = E_UNEXPECTED;
  std::wstring message;
};

Failure Classify() {
  Failure failure;
  try {
    throw;
  } catch (const core::EOleSysError& e) {
    if (e.ErrorCode() < 0) failure.code = e.ErrorCode();
    failure.message = e.Message();
  } catch (const std::exception& e) {
    failure.message = core::MessageOf(e);
  } catch (...) {
    failure.message = L"Unexpected failure";
  }
  return failure;
}

void SetThreadErrorInfo(const Failure& failure, const ErrorOrigin& origin) noexcept {
  com_ptr<ICreateErrorInfo> create;
  if (FAILED(CreateErrorInfo(create.put()))) return;
  create->SetGUID(origin.iid ? *origin.iid : GUID_NULL);
  create->SetSource(const_cast<LPOLESTR>(origin.source ? origin.source : L""));
  create->SetDescription(const_cast<LPOLESTR>(failure.message.c_str()));
  create->SetHelpFile(const_cast<LPOLESTR>(L""));
  create->SetHelpContext(0);
  com_ptr<IErrorInfo> info = create.query<IErrorInfo>(IID_IErrorInfo);
  SetErrorInfo(0, info.get());
}

// The error box's text: a full stop is added when the message ends in a character that
// sorts above it, as letters and digits do.
std::wstring WithFullStop(std::wstring message) {
  if (!message.empty() && message.back() > L'.') message += L'.';
  return message;
}

}  // namespace

HRESULT ResultFromCaughtException(const ErrorOrigin& origin) noexcept {
  try {
    const Failure failure = Classify();
    switch (origin.report) {
      case Report::ErrorInfo:
        SetThreadErrorInfo(failure, origin);
        break;
      case Report::MessageBox:
        // A caller that reads the error information learns the same; where no box can be
        // shown (no window can be made) the call just fails.
        SetThreadErrorInfo(failure, origin);
        MessageBoxW(nullptr, WithFullStop(failure.message).c_str(), origin.source,
                    MB_OK | MB_ICONSTOP | MB_SETFOREGROUND | MB_TOPMOST | MB_TASKMODAL);
        // The box told the user what failed; the caller learns only that it did.
        return E_UNEXPECTED;
    }
    return failure.code;
  } catch (...) {
    // Describing the failure failed too (no memory for the message): the code still tells.
    return E_UNEXPECTED;
  }
}

}  // namespace server
