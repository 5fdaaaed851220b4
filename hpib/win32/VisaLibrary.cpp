#include "hpib/win32/VisaLibrary.h"

#include <windows.h>

#include "core/Latin1.h"
#include "hpib/VisaDriver.h"
#include "hpib/win32/TraceFile.h"

namespace hpib::win32 {
namespace {

constexpr const wchar_t* kLibraryName = sizeof(void*) == 8 ? L"visa64.dll" : L"visa32.dll";

struct LibraryRelease {
  void operator()(HMODULE module) const { FreeLibrary(module); }
};
using unique_hmodule = std::unique_ptr<std::remove_pointer_t<HMODULE>, LibraryRelease>;

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

// The library stays loaded as long as the back end that calls it.
class LibraryDriver : public BusDriver {
 public:
  LibraryDriver(unique_hmodule library, std::unique_ptr<VisaDriver> driver)
      : library_(std::move(library)), driver_(std::move(driver)) {}
  std::uint32_t GetProcAddress16(const char* name) override { return driver_->GetProcAddress16(name); }
  std::uint16_t Call16(std::uint32_t address, std::uint16_t first, std::uint16_t second) override {
    return driver_->Call16(address, first, second);
  }

 private:
  unique_hmodule library_;
  std::unique_ptr<VisaDriver> driver_;
};

}  // namespace

VisaLoad LoadVisaDriver(unsigned board, const std::optional<std::wstring>& tracePath) {
  const std::wstring path = LibraryPath();
  unique_hmodule library(path.empty() ? nullptr : LoadLibraryW(path.c_str()));
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
  if (tracePath && !tracePath->empty()) trace = TraceFile(*tracePath);
  auto driver = std::make_unique<VisaDriver>(f, board, std::move(trace));
  if (std::optional<std::string> failure = driver->CheckBoard())
    return {nullptr, L"VISA board " + core::FromLatin1(*failure)};
  return {std::make_unique<LibraryDriver>(std::move(library), std::move(driver)), {}};
}

}  // namespace hpib::win32
