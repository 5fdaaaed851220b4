#pragma once
// Takes over the strings that an EXCEPINFO carries, so that they are freed however the caller
// leaves.
#include <windows.h>
#include <oaidl.h>

#include <utility>

#include "core/win32/ComResource.h"

namespace tools {

struct ExceptionStrings {
  explicit ExceptionStrings(EXCEPINFO& info) noexcept {
    *source.put() = std::exchange(info.bstrSource, nullptr);
    *description.put() = std::exchange(info.bstrDescription, nullptr);
    *helpFile.put() = std::exchange(info.bstrHelpFile, nullptr);
  }

  core::win32::unique_bstr source;
  core::win32::unique_bstr description;
  core::win32::unique_bstr helpFile;
};

}  // namespace tools
