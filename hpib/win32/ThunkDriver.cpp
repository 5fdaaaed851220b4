#include "hpib/win32/ThunkDriver.h"

#include <string>

#include "core/win32/Handles.h"
#include "core/win32/Utf8.h"
#include "hpib/DriverPath.h"

namespace hpib::win32 {
namespace {

constexpr const char kDriverName[] = "HPIB_THK.DLL";

// The 16-bit services of kernel32, which it exports by ordinal only.
using LoadLibrary16Fn = DWORD(WINAPI*)(LPCSTR);
using FreeLibrary16Fn = void(WINAPI*)(DWORD);
using GetProcAddress16Fn = DWORD(WINAPI*)(DWORD, LPCSTR);

#if defined(__i386__)
using core::win32::unique_hmodule;

// GetProcAddress answers a generic function pointer; the entry's real type is ours to know.
template <class Function>
Function EntryPoint(HMODULE module, LPCSTR name) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// The full path of `module`, however long; empty when the system cannot tell.
std::string ModulePath(HMODULE module) {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    DWORD length = GetModuleFileNameA(module, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

class ThunkDriver : public EntryPoints {
 public:
  ThunkDriver(unique_hmodule kernel32, void* qtThunk, DWORD module)
      : kernel32_(std::move(kernel32)), qtThunk_(qtThunk), module_(module),
        getProcAddress16_(EntryPoint<GetProcAddress16Fn>(kernel32_.get(), MAKEINTRESOURCEA(37))),
        freeLibrary16_(EntryPoint<FreeLibrary16Fn>(kernel32_.get(), MAKEINTRESOURCEA(36))) {}

  // The 16-bit module goes before kernel32, whose service releases it.
  ~ThunkDriver() override {
    if (freeLibrary16_) freeLibrary16_(module_);
  }

  std::uint32_t GetProcAddress16(const char* name) override {
    return getProcAddress16_ ? getProcAddress16_(module_, name) : 0;
  }

  // QT_Thunk takes the 16:16 target in EDX and the 16-bit arguments on the stack, pascal order
  // (first word pushed first); the callee pops them. It copies the caller's frame below EBP, so
  // the frame must be large enough for it.
  std::uint16_t Call16(std::uint32_t address, std::uint16_t first, std::uint16_t second) override {
    std::uint32_t result;
    std::uint32_t target = address;
    std::uint32_t firstWord = first;
    __asm__ volatile(
        "pushl %%ebp\n\t"
        "movl %%esp, %%ebp\n\t"
        "subl $0x40, %%esp\n\t"
        "pushw %%cx\n\t"
        "pushw %%di\n\t"
        "call *%%esi\n\t"
        "movl %%ebp, %%esp\n\t"
        "popl %%ebp\n\t"
        : "=a"(result), "+d"(target), "+c"(firstWord)
        : "S"(qtThunk_), "D"(static_cast<std::uint32_t>(second))
        : "memory", "cc");
    return static_cast<std::uint16_t>(result);
  }

 private:
  unique_hmodule kernel32_;
  void* qtThunk_;
  DWORD module_;
  GetProcAddress16Fn getProcAddress16_;
  FreeLibrary16Fn freeLibrary16_;
};
#endif

}  // namespace

std::string ThunkDriverFile(HMODULE self) {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
  const std::string own = length > 0 && length < MAX_PATH ? core::win32::ToUtf8(std::wstring(path, length)) : std::string();
  return DriverPathBeside(own, kDriverName);
}

std::unique_ptr<EntryPoints> LoadThunkDriver(HMODULE self) {
#if defined(__i386__)
  unique_hmodule kernel32(LoadLibraryA("kernel32.dll"));
  if (!kernel32) return nullptr;
  void* qtThunk = reinterpret_cast<void*>(GetProcAddress(kernel32.get(), "QT_Thunk"));
  auto loadLibrary16 = EntryPoint<LoadLibrary16Fn>(kernel32.get(), MAKEINTRESOURCEA(35));
  if (qtThunk && loadLibrary16) {
    const std::string path = DriverPathBeside(ModulePath(self), kDriverName);
    // The 16-bit loader takes no longer path: too long means no driver, never an overflow.
    if (!path.empty() && path.size() < MAX_PATH) {
      DWORD module = loadLibrary16(path.c_str());
      if (module > 32) return std::make_unique<ThunkDriver>(std::move(kernel32), qtThunk, module);
    }
  }
  return nullptr;
#else
  (void)self;
  return nullptr;
#endif
}

}  // namespace hpib::win32
