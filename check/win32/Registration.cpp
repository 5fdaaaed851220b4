#include "check/win32/Registration.h"

#include <windows.h>

#include <optional>
#include <vector>

#include "core/win32/Handles.h"
#include "core/win32/Utf8.h"

namespace check::win32 {
namespace {

const char* const kBits = sizeof(void*) == 8 ? "64-bit" : "32-bit";

// A value of a key under the root's classes, in the registry view of the check's bitness, as
// the hosts of that bitness see it.
std::optional<std::wstring> ClassesValue(HKEY root, const std::wstring& key) {
  wchar_t value[MAX_PATH * 2] = {};
  DWORD size = sizeof value - sizeof(wchar_t);
  if (RegGetValueW(root, (L"Software\\Classes\\" + key).c_str(), nullptr, RRF_RT_REG_SZ,
                   nullptr, value, &size) != ERROR_SUCCESS)
    return std::nullopt;
  return std::wstring(value);
}

// The file of the multimeter's class, which every control shares.
std::optional<std::wstring> RegisteredFile(HKEY root) {
  const std::optional<std::wstring> clsid = ClassesValue(root, L"Apparata.B740X\\CLSID");
  return clsid ? ClassesValue(root, L"CLSID\\" + *clsid + L"\\InprocServer32") : std::nullopt;
}

std::string FileVersion(const std::wstring& path) {
  DWORD ignored = 0;
  std::vector<char> data(GetFileVersionInfoSizeW(path.c_str(), &ignored));
  VS_FIXEDFILEINFO* info = nullptr;
  UINT size = 0;
  if (data.empty() || !GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(data.size()), data.data()) ||
      !VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &size) || size < sizeof *info)
    return "no version (the file is missing or not the library)";
  return "version " + std::to_string(HIWORD(info->dwFileVersionMS)) + "." + std::to_string(LOWORD(info->dwFileVersionMS)) +
         "." + std::to_string(HIWORD(info->dwFileVersionLS)) + "." + std::to_string(LOWORD(info->dwFileVersionLS));
}

std::string Described(const std::wstring& path) { return core::win32::ToUtf8(path) + ", " + FileVersion(path); }

}  // namespace

std::vector<std::string> LibraryLines() {
  const std::string head = std::string("Library for ") + kBits + " hosts: ";
  const std::optional<std::wstring> user = RegisteredFile(HKEY_CURRENT_USER), machine = RegisteredFile(HKEY_LOCAL_MACHINE);
  if (!user && !machine) return {head + "not registered"};
  if (!user) return {head + Described(*machine) + " (registered for the machine)"};
  std::vector<std::string> lines{head + Described(*user) + " (registered for this user)"};
  if (machine)
    lines.push_back("  it shadows the machine's registration, " + Described(*machine) +
                    ": remove the user's copy before a machine-wide installation reaches this user");
  return lines;
}

}  // namespace check::win32
