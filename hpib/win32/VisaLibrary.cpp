#include "hpib/win32/VisaLibrary.h"

#include <windows.h>

#include "core/Latin1.h"
#include "core/win32/Handles.h"
#include "hpib/VisaBus.h"
#include "hpib/win32/TraceFile.h"

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

VisaLoad LoadVisaBus(unsigned board, const std::optional<std::wstring>& tracePath) {
  const std::wstring path = LibraryPath();
  core::win32::unique_hmodule library(path.empty() ? nullptr : LoadLibraryW(path.c_str()));
  if (!library)
    return {nullptr, L"VISA library " + (path.empty() ? std::wstring(kLibraryName) : path) +
                         L" cannot be loaded (error " + std::to_wstring(GetLastError()) + L")"};
  visa::Functions f{};
  const char* missing = nullptr;
  HMODULE m = library.get();
  Find(m, "viOpenDefaultRM", f.viOpenDefaultRM, missing);
  Find(m, "viOpen", f.viOpen, missing);
  Find(m, "viClose", f.viClose, missing);
  Find(m, "viSetAttribute", f.viSetAttribute, missing);
  Find(m, "viStatusDesc", f.viStatusDesc, missing);
  Find(m, "viWrite", f.viWrite, missing);
  Find(m, "viRead", f.viRead, missing);
  Find(m, "viClear", f.viClear, missing);
  Find(m, "viAssertTrigger", f.viAssertTrigger, missing);
  Find(m, "viGpibControlREN", f.viGpibControlREN, missing);
  Find(m, "viGpibSendIFC", f.viGpibSendIFC, missing);
  Find(m, "viGpibCommand", f.viGpibCommand, missing);
  if (missing) return {nullptr, L"VISA library " + path + L" has no " + core::FromLatin1(missing)};

  VisaTraceSink trace;
  if (tracePath && !tracePath->empty())
    trace = [file = TraceFile(*tracePath)](const VisaCall& call) { file(VisaTraceLine(call)); };
  const std::shared_ptr<void> loaded = std::make_shared<core::win32::unique_hmodule>(std::move(library));
  auto bus = std::make_unique<VisaBus>(f, board, std::move(trace), loaded);
  if (std::optional<std::string> failure = bus->CheckBoard())
    return {nullptr, L"VISA board " + core::FromLatin1(*failure)};
  return {std::move(bus), {}};
}

}  // namespace hpib::win32
