#pragma once
// What the suites over the tests' VISA library and over bench files share: the fake installed in
// the prefix's system folder as a VISA installation puts its library, and a bench file, each for
// as long as it lives.
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "server_test_support.h"

namespace visa_support {

inline const wchar_t* const kVisaName = sizeof(void*) == 8 ? L"visa64.dll" : L"visa32.dll";

inline std::wstring SystemFolder() {
  wchar_t folder[MAX_PATH];
  GetSystemDirectoryW(folder, MAX_PATH);
  return folder;
}

inline std::wstring TempFile(const wchar_t* name) {
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  return std::wstring(folder) + name;
}

// The fake, built beside the test program; `listeners`, when given, scripts its listeners for
// the processes this one starts (FAKE_VISA_LISTENERS, tests/fake_visa/FakeVisaLibrary.cpp).
class InstalledFake {
 public:
  explicit InstalledFake(const wchar_t* listeners = nullptr) : installed_(SystemFolder() + L"\\" + kVisaName) {
    const std::wstring built =
        server_test::FolderOf(server_test::OwnPath()) + L"\\fake_visa\\" + kVisaName;
    ok = CopyFileW(built.c_str(), installed_.c_str(), FALSE) != FALSE;
    if (listeners) SetEnvironmentVariableW(L"FAKE_VISA_LISTENERS", listeners);
  }
  InstalledFake(const InstalledFake&) = delete;
  InstalledFake& operator=(const InstalledFake&) = delete;
  ~InstalledFake() {
    SetEnvironmentVariableW(L"FAKE_VISA_LISTENERS", nullptr);
    DeleteFileW(installed_.c_str());
  }
  bool ok;

 private:
  std::wstring installed_;
};

class BenchFile {
 public:
  explicit BenchFile(const std::string& text) {
    std::ofstream(std::filesystem::path(Path()), std::ios::binary) << text;
  }
  BenchFile(const BenchFile&) = delete;
  BenchFile& operator=(const BenchFile&) = delete;
  ~BenchFile() { DeleteFileW(Path().c_str()); }
  static std::wstring Path() { return TempFile(L"apparata-bench.ini"); }
};

}  // namespace visa_support
