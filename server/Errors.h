#pragma once
// The one place where an exception becomes a result code. Every COM method of the server is
// noexcept; those whose work can throw catch everything and end here (a control's methods
// through Control::Failed).
#include <windows.h>

namespace server {

enum class Report {
  ErrorInfo,  // the thread's error information, for automation callers
  MessageBox  // a modal stop box without owner, for failures no caller can describe; the
              // error information as well
};

struct ErrorOrigin {
  Report report;
  const wchar_t* source;  // the error information's source, or the box's title
  const IID* iid;         // the interface named in the error information, or null
};

// Reports the exception's message as `origin` says. For error information: E_UNEXPECTED, or the
// negative code that an operating-system error carries; after a box always E_UNEXPECTED. Call
// only inside a catch block.
HRESULT ResultFromCaughtException(const ErrorOrigin& origin) noexcept;

}  // namespace server
