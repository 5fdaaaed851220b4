#include "hpib/win32/BenchLoad.h"

#include <windows.h>

#include <variant>

#include "core/win32/ComResource.h"
#include "core/win32/Utf8.h"
#include "hpib/sim/BenchFile.h"

namespace hpib::win32 {
namespace {

// The whole file, or the system's error code.
std::variant<std::string, DWORD> ReadWhole(const std::wstring& path) {
  const HANDLE opened =
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (opened == INVALID_HANDLE_VALUE) return GetLastError();
  const core::win32::unique_handle file(opened);
  std::string text;
  char chunk[4096];
  DWORD read = 0;
  while (ReadFile(file.get(), chunk, sizeof chunk, &read, nullptr) && read > 0) text.append(chunk, read);
  return text;
}

}  // namespace

std::variant<sim::Bench, std::wstring> ReadBench(const std::wstring& benchFile) {
  if (benchFile.empty()) return sim::BuiltInBench();
  const auto text = ReadWhole(benchFile);
  if (const DWORD* error = std::get_if<DWORD>(&text))
    return L"bench file " + benchFile + L" cannot be read (error " + std::to_wstring(*error) + L")";
  auto parsed = sim::ParseBench(std::get<std::string>(text));
  if (const sim::BenchError* error = std::get_if<sim::BenchError>(&parsed))
    return L"bench file " + core::win32::FromUtf8(sim::BenchErrorText(core::win32::ToUtf8(benchFile), *error));
  return std::move(std::get<sim::Bench>(parsed));
}

}  // namespace hpib::win32
