#include "hpib/visa/win32/VisaLibrary.h"

#include <windows.h>

#include "core/Latin1.h"
#include "core/win32/Handles.h"
#include "hpib/visa/VisaBus.h"

namespace hpib::win32 {
namespace {

constexpr const wchar_t* kLibraryName = sizeof(void*) == 8 ? L"visa64.dll" : L"visa32.dll";

std::wstring LibraryPath() {
  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  return std::wstring(folder, length) + L"\\" + kLibraryName;
}

// GetProcAddress answers a generic function pointer; the entry's real type is the standard's.
template <class Function>
bool Find(HMODULE module, const char* name, Function& entry, const char*& missing) {
  entry = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
  if (!entry && !missing) missing = name;
  return entry != nullptr;
}

}  // namespace

VisaFunctionsLoad LoadVisaFunctions() {
  VisaFunctionsLoad load;
  load.path = LibraryPath();
  core::win32::unique_hmodule library(load.path.empty() ? nullptr : LoadLibraryW(load.path.c_str()));
  if (!library) {
    load.failure = L"VISA library " + (load.path.empty() ? std::wstring(kLibraryName) : load.path) +
                   L" cannot be loaded (error " + std::to_wstring(GetLastError()) + L")";
    return load;
  }
  visa::Functions& f = load.functions;
  const char* missing = nullptr;
  HMODULE m = library.get();
#define VISA_FUNCTION(name, parameters, arguments) Find(m, #name, f.name, missing);
#include "hpib/visa/VisaFunctions.inc"
#undef VISA_FUNCTION
  if (missing) {
    load.failure = L"VISA library " + load.path + L" has no " + core::FromLatin1(missing);
    return load;
  }
  load.library = std::make_shared<core::win32::unique_hmodule>(std::move(library));
  return load;
}

VisaLoad VisaBusOn(const VisaFunctionsLoad& loaded, unsigned board, TraceLines trace) {
  VisaTraceSink sink;
  if (trace) sink = [trace = std::move(trace)](const VisaCall& call) { trace(VisaTraceLine(call)); };
  auto bus = std::make_unique<VisaBus>(loaded.functions, board, std::move(sink), loaded.library);
  if (std::optional<std::string> failure = bus->CheckBoard())
    return {nullptr, L"VISA board " + core::FromLatin1(*failure)};
  return {std::move(bus), {}};
}

}  // namespace hpib::win32
