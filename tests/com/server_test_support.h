#pragma once
// What the server's tests share: result codes that print in hex, the library's own holders,
// bounded message pumping, registry snapshots, child processes with a deadline, the suite that
// registers the server and the tests' own COM objects.
// Every test program takes the Windows path of the built Apparata.ocx as its first argument.

#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <iomanip>
#include <map>
#include <optional>
#include <ostream>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "core/win32/ComResource.h"
#include "window_support.h"

namespace server_test {

using core::win32::com_ptr;
using core::win32::unique_bstr;
using window_support::ClassOf;
using window_support::PumpEachUntil;
using window_support::PumpFor;
using window_support::PumpUntil;
using window_support::TextOf;

// The server under test, as given on the command line.
inline std::wstring& ServerPath() {
  static std::wstring path;
  return path;
}

inline std::wstring Widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

inline std::string Narrow(const std::wstring& text) {
  std::string result;
  for (wchar_t c : text) result += c < 0x80 ? static_cast<char>(c) : '?';
  return result;
}

inline std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

// This program's own path: the tests that run themselves again as children start it.
inline std::wstring OwnPath() {
  wchar_t path[MAX_PATH];
  return std::wstring(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
}

// HRESULTs compared through this print in hex.
struct Hr {
  HRESULT value;
};
inline bool operator==(Hr a, Hr b) { return a.value == b.value; }
inline void PrintTo(Hr r, std::ostream* os) {
  *os << "0x" << std::hex << std::setw(8) << std::setfill('0') << static_cast<unsigned long>(r.value);
}
#define EXPECT_HR(expected, expr) EXPECT_EQ(::server_test::Hr{(expected)}, ::server_test::Hr{(expr)}) << #expr
#define ASSERT_HR(expected, expr) ASSERT_EQ(::server_test::Hr{(expected)}, ::server_test::Hr{(expr)}) << #expr

inline std::wstring GuidText(const GUID& guid) {
  wchar_t text[39] = {};
  StringFromGUID2(guid, text, 39);
  return text;
}

// One registry key: its values (name -> type and text) and the names of its subkeys.
struct KeyContents {
  std::map<std::wstring, std::pair<DWORD, std::wstring>> values;
  std::set<std::wstring> subkeys;
};
inline bool operator==(const KeyContents& a, const KeyContents& b) {
  return a.values == b.values && a.subkeys == b.subkeys;
}
inline void PrintTo(const KeyContents& key, std::ostream* os) {
  *os << "{values:";
  for (const auto& [name, value] : key.values)
    *os << " [" << (name.empty() ? "(default)" : Narrow(name)) << "]=" << (value.first == REG_SZ ? "" : "type ")
        << (value.first == REG_SZ ? "" : std::to_string(value.first) + ":") << "\"" << Narrow(value.second) << "\"";
  *os << "; subkeys:";
  for (const auto& name : key.subkeys) *os << " " << Narrow(name);
  *os << "}";
}

// A key whose values are all strings, as the server writes them.
inline KeyContents StringKey(std::map<std::wstring, std::wstring> values, std::set<std::wstring> subkeys = {}) {
  KeyContents key;
  for (auto& [name, text] : values) key.values[name] = {REG_SZ, text};
  key.subkeys = std::move(subkeys);
  return key;
}

// The key below `root` in the registry view `view` (0: this process's own), or nothing when it
// does not exist.
inline std::optional<KeyContents> ReadKey(HKEY root, const std::wstring& path, REGSAM view = 0) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return std::nullopt;
  KeyContents contents;
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD nameLength = 256, type = 0, bytes = 0;
    if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) break;
    std::wstring data(bytes / sizeof(wchar_t) + 1, L'\0');
    nameLength = 256;
    DWORD size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
    RegEnumValueW(key, i, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
    data.resize(size / sizeof(wchar_t));
    if (type == REG_SZ && !data.empty() && data.back() == L'\0') data.pop_back();
    contents.values[name] = {type, data};
  }
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD nameLength = 256;
    if (RegEnumKeyExW(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    contents.subkeys.insert(name);
  }
  RegCloseKey(key);
  return contents;
}

// The key under HKEY_CLASSES_ROOT, or nothing when it does not exist.
inline std::optional<KeyContents> ReadClassesKey(const std::wstring& path) { return ReadKey(HKEY_CLASSES_ROOT, path); }

// Runs a program of this prefix and answers its exit code; -1 when it did not start, -2 when
// it was still running at the deadline (it is then ended). With `shareOutput` its standard
// handles are this program's, so that its output joins ours; with `output` (an inheritable
// handle) its standard output and error go there instead.
inline int RunProcess(const std::wstring& commandLine, DWORD timeoutMs, bool shareOutput = false,
                      HANDLE output = nullptr) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  const bool inherit = shareOutput || output;
  if (inherit) {
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = output ? output : GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = output ? output : GetStdHandle(STD_ERROR_HANDLE);
    std::fflush(stdout);
  }
  PROCESS_INFORMATION process{};
  std::wstring line = commandLine;
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, inherit, 0, nullptr, nullptr, &startup, &process))
    return -1;
  int result = -2;
  if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0) {
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    result = static_cast<int>(code);
  } else {
    TerminateProcess(process.hProcess, 1);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return result;
}

// regsvr32 of the test's own architecture, silent; answers its exit code.
inline int Regsvr32(const std::wstring& arguments) {
  wchar_t system[MAX_PATH];
  GetSystemDirectoryW(system, MAX_PATH);
  return RunProcess(L"\"" + std::wstring(system) + L"\\regsvr32.exe\" /s " + arguments, 60000);
}

inline std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

// The top-level window of this process with the caption, or null.
inline HWND FindOwnWindow(const wchar_t* caption) {
  for (HWND window = FindWindowExW(nullptr, nullptr, nullptr, caption); window;
       window = FindWindowExW(nullptr, window, nullptr, caption)) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId()) return window;
  }
  return nullptr;
}

inline std::vector<std::wstring> SplitLines(const std::wstring& text) {
  std::vector<std::wstring> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find(L"\r\n", start);
    if (end == std::wstring::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

// Where a child window sits in its parent's client area.
inline RECT ChildRect(HWND child) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

inline std::string Describe(const RECT& r) {
  std::ostringstream text;
  text << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
  return text.str();
}

// The lines of the driver layer's debug terminal in this process.
inline std::optional<std::vector<std::wstring>> DebugTerminalLines() {
  HWND terminal = FindOwnWindow(L"HPIB driver debug terminal");
  if (!terminal) return std::nullopt;
  HWND edit = FindWindowExW(terminal, nullptr, L"Edit", nullptr);
  if (!edit) return std::nullopt;
  return SplitLines(TextOf(edit));
}

// While it lives, closes every dialog box of this thread (an error box among them) and
// remembers the text of each: a box would otherwise hold the test in its modal loop.
class DialogWatch {
 public:
  DialogWatch() : timer_(SetTimer(nullptr, 0, 50, Tick)) { current_ = this; }
  DialogWatch(const DialogWatch&) = delete;
  DialogWatch& operator=(const DialogWatch&) = delete;
  ~DialogWatch() {
    KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  std::vector<std::wstring> texts;
  // Sees each box before it is closed.
  std::function<void(HWND)> onDialog;

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    EnumThreadWindows(GetCurrentThreadId(), CloseDialog, 0);
  }
  static BOOL CALLBACK CloseDialog(HWND window, LPARAM) {
    if (ClassOf(window) != L"#32770" || !current_) return TRUE;
    HWND text = GetDlgItem(window, 0xFFFF);  // the message of a message box
    current_->texts.push_back(text ? TextOf(text) : L"<no text>");
    if (current_->onDialog) current_->onDialog(window);
    SendMessageW(window, WM_COMMAND, IDOK, 0);
    return TRUE;
  }
  static inline DialogWatch* current_ = nullptr;
  UINT_PTR timer_;
};

// A VT_I4 argument.
inline VARIANT Long(LONG value) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_I4;
  V_I4(&v) = value;
  return v;
}

// A command each control takes as it is: the E7-12's host text is one byte number.
inline const wchar_t* CommandFor(const std::wstring& progId) {
  return progId == L"Apparata.E712X" ? L"$00" : L"A7EN";
}

// The module's export, or null.
template <class F>
F Export(HMODULE module, const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

using DllGetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using DllFunctionFn = HRESULT(STDAPICALLTYPE*)();

// A suite with the server loaded once and registered for its tests; unregistered after them.
class RegisteredServer : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    server_ = LoadLibraryW(ServerPath().c_str());
    ASSERT_NE(nullptr, server_) << "LoadLibrary: " << GetLastError();
    ASSERT_HR(S_OK, Export<DllFunctionFn>(server_, "DllRegisterServer")());
  }
  static void TearDownTestSuite() {
    if (!server_) return;
    EXPECT_HR(S_OK, Export<DllFunctionFn>(server_, "DllUnregisterServer")());
    FreeLibrary(server_);
    server_ = nullptr;
  }

 private:
  inline static HMODULE server_ = nullptr;
};

// A test's own COM object, answering IUnknown and `iids` with its interface I. `refs` counts
// what others hold and never deletes the object, so that it can live on the test's stack and
// the test can see whether the server let go of it.
template <class I>
class CountedObject : public I {
 public:
  explicit CountedObject(std::vector<IID> iids = {}) : iids_(std::move(iids)) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    *ppv = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) &&
        std::none_of(iids_.begin(), iids_.end(), [&](const IID& iid) { return IsEqualIID(riid, iid); }))
      return E_NOINTERFACE;
    *ppv = static_cast<I*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }

  ULONG refs = 1;

 private:
  std::vector<IID> iids_;
};

// A sink for a control's event interface, a dispatch interface called by DISPID only: it has
// neither type information nor names.
class DispatchSink : public CountedObject<IDispatch> {
 public:
  explicit DispatchSink(const IID& eventsIid) : CountedObject({IID_IDispatch, eventsIid}) {}

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
};

// A host's event sink that records every call. It lives on the test's stack; `refs` shows
// what others hold.
class EventSink : public DispatchSink {
 public:
  using DispatchSink::DispatchSink;

  HRESULT STDMETHODCALLTYPE Invoke(DISPID dispid, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO*, UINT*) override {
    // Anything but a plain method call without arguments shows up as a distinct entry.
    const bool plain = IsEqualIID(riid, IID_NULL) && flags == DISPATCH_METHOD && params && params->cArgs == 0 &&
                       params->cNamedArgs == 0 && !result;
    events.push_back(plain ? dispid : -1000 - dispid);
    if (onEvent) onEvent(dispid);
    return answer;
  }

  std::vector<DISPID> events;
  std::function<void(DISPID)> onEvent;
  HRESULT answer = S_OK;
};

// The library's settings (Software\Apparata) for one test: these values and no others under
// the root, the user's (HKCU) unless another is given, and none after it. The library reads them
// with a process's first control.
class Settings {
 public:
  explicit Settings(const std::map<std::wstring, std::wstring>& values, HKEY root = HKEY_CURRENT_USER) : root_(root) {
    RegDeleteTreeW(root_, kKey);
    for (const auto& [name, value] : values)
      RegSetKeyValueW(root_, kKey, name.c_str(), REG_SZ, value.c_str(),
                      static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  }
  Settings(const Settings&) = delete;
  Settings& operator=(const Settings&) = delete;
  ~Settings() { RegDeleteTreeW(root_, kKey); }

 private:
  static constexpr const wchar_t* kKey = L"Software\\Apparata";
  const HKEY root_;
};

// Removes the server's registration for the machine and for the user, as far as there is one.
inline bool Unregistered(const std::wstring& path) {
  const HMODULE server = LoadLibraryW(path.c_str());
  if (!server) return false;
  using InstallFn = HRESULT(STDAPICALLTYPE*)(BOOL, PCWSTR);
  const bool done = SUCCEEDED(Export<DllFunctionFn>(server, "DllUnregisterServer")()) &&
                    SUCCEEDED(Export<InstallFn>(server, "DllInstall")(FALSE, L"user"));
  FreeLibrary(server);
  return done;
}

// Tests take the server's Windows path as their first argument, then GoogleTest's options.
inline int RunTests(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <Windows path of Apparata.ocx> [GoogleTest options]\n", argv[0]);
    return 2;
  }
  std::wstring path = Widen(argv[1]);
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  ServerPath() = path;
  if (FAILED(OleInitialize(nullptr))) {
    std::fprintf(stderr, "OleInitialize failed\n");
    return 2;
  }
  // Each suite starts from no registration of the server, whatever a suite before it left (one
  // that crashed leaves its registration behind), and registers what it needs itself.
  if (!Unregistered(path)) {
    std::fprintf(stderr, "removing a registration left by an earlier run failed\n");
    return 2;
  }
  const int result = RUN_ALL_TESTS();
  OleUninitialize();
  return result;
}

}  // namespace server_test
