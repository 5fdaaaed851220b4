// apparata_scripthost: runs a VBScript file with instrument controls as named items, pumping
// messages so that the controls' timers run and their events reach the script's handlers.
//
//   apparata_scripthost script.vbs [Name=ProgID ...] [--timeout seconds]
//
// Each Name=ProgID creates that control and names it in the script, where Sub Name_OnData()
// handles its OnData event. The item Host offers Echo text, Quit code and Sleep ms. The run
// ends with Host.Quit's code, 1 after a script error, or 2 when the timeout passes first, also
// while a control's error box is up.
#include <windows.h>
#include <activscp.h>
#include <ocidl.h>
#include <ole2.h>

#include <cwchar>
#include <cwctype>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/win32/ComResource.h"
#include "tools/ScriptHost/BoxWatch.h"
#include "tools/ScriptHost/EventRelay.h"
#include "tools/ScriptHost/HostObject.h"
#include "tools/ScriptHost/ScriptRun.h"
#include "tools/ScriptHost/ScriptSite.h"
#include "tools/common/Console.h"
#include "tools/common/ExceptionStrings.h"

using core::win32::com_ptr;
using core::win32::scope_exit;
using scripthost::NamedItem;
using tools::DescribeResult;
using tools::Stream;
using tools::WriteLine;

namespace {

// IActiveScriptParse is IActiveScriptParse32 or ...64 by pointer size; the library of
// interface identifiers has neither.
#ifdef _WIN64
constexpr IID kIidActiveScriptParse = {0xc7ef7658, 0xe1ee, 0x480e, {0x97, 0xea, 0xd5, 0x2c, 0xb4, 0xd7, 0x6d, 0x17}};
#else
constexpr IID kIidActiveScriptParse = {0xbb1a2ae2, 0xa4f9, 0x11cf, {0x8f, 0x20, 0x00, 0x80, 0x5f, 0x2c, 0xd0, 0x64}};
#endif

constexpr wchar_t kHostItem[] = L"Host";

struct Control {
  std::wstring name;
  std::wstring progId;
};

struct Options {
  std::wstring script;
  std::vector<Control> controls;
  std::optional<DWORD> timeoutMs;
};

void Fail(const std::wstring& message) { WriteLine(Stream::Err, L"apparata_scripthost: " + message); }

bool IsIdentifier(const std::wstring& name) {
  if (name.empty() || !std::iswalpha(name[0])) return false;
  for (wchar_t c : name) {
    if (!std::iswalnum(c) && c != L'_') return false;
  }
  return true;
}

std::optional<Options> ParseOptions(int argc, wchar_t** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::wstring argument = argv[i];
    if (argument == L"--timeout") {
      wchar_t* end = nullptr;
      const unsigned long seconds = i + 1 < argc ? std::wcstoul(argv[i + 1], &end, 10) : 0;
      if (i + 1 >= argc || *end != L'\0' || seconds == 0 || seconds > 86400) {
        Fail(L"--timeout needs a number of seconds from 1 to 86400");
        return std::nullopt;
      }
      options.timeoutMs = static_cast<DWORD>(seconds * 1000);
      ++i;
    } else if (options.script.empty()) {
      options.script = argument;
    } else {
      const std::size_t equals = argument.find(L'=');
      const Control control{argument.substr(0, equals),
                            equals == std::wstring::npos ? L"" : argument.substr(equals + 1)};
      if (!IsIdentifier(control.name) || control.progId.empty()) {
        Fail(L"'" + argument + L"' is not Name=ProgID");
        return std::nullopt;
      }
      bool taken = _wcsicmp(control.name.c_str(), kHostItem) == 0;
      for (const Control& other : options.controls)
        taken = taken || _wcsicmp(other.name.c_str(), control.name.c_str()) == 0;
      if (taken) {
        Fail(L"the name " + control.name + L" is taken");
        return std::nullopt;
      }
      options.controls.push_back(control);
    }
  }
  if (options.script.empty()) {
    Fail(L"usage: apparata_scripthost script.vbs [Name=ProgID ...] [--timeout seconds]");
    return std::nullopt;
  }
  return options;
}

// As Windows Script Host reads a script: UTF-16 with its byte order mark, UTF-8 with its mark,
// and anything else in the system's code page.
std::optional<std::wstring> ReadScript(const std::wstring& path) {
  std::ifstream file(path.c_str(), std::ios::binary);
  if (!file) return std::nullopt;
  const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
    std::wstring text((bytes.size() - 2) / 2, L'\0');
    for (std::size_t i = 0; i < text.size(); ++i)
      text[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[2 + 2 * i]) |
                                     static_cast<unsigned char>(bytes[3 + 2 * i]) << 8);
    return text;
  }
  const bool utf8 = bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0;
  const UINT codePage = utf8 ? CP_UTF8 : CP_ACP;
  const char* data = bytes.data() + (utf8 ? 3 : 0);
  const int size = static_cast<int>(bytes.size() - (utf8 ? 3 : 0));
  std::wstring text(static_cast<std::size_t>(MultiByteToWideChar(codePage, 0, data, size, nullptr, 0)), L'\0');
  MultiByteToWideChar(codePage, 0, data, size, text.data(), static_cast<int>(text.size()));
  return text;
}

HRESULT CreateControl(const Control& control, NamedItem& item) {
  CLSID clsid{};
  RETURN_IF_FAILED(CLSIDFromProgID(control.progId.c_str(), &clsid));
  item.name = control.name;
  RETURN_IF_FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, item.object.put_void()));
  // Without class information the control still works; only its events stay unbound.
  if (const auto provider = item.object.query<IProvideClassInfo>(IID_IProvideClassInfo))
    provider->GetClassInfo(item.classInfo.put());
  return S_OK;
}

int Run(const Options& options) {
  const std::optional<std::wstring> code = ReadScript(options.script);
  if (!code) {
    Fail(L"cannot read " + options.script);
    return scripthost::kExitFailure;
  }

  scripthost::ScriptRun run(options.timeoutMs);
  const scripthost::BoxWatch watch(options.timeoutMs);
  const com_ptr<IDispatch> host = scripthost::HostObject::Create(run);
  std::vector<NamedItem> items{{kHostItem, com_ptr<IUnknown>(host.get()), nullptr}};
  for (const Control& control : options.controls) {
    NamedItem item;
    if (const HRESULT hr = CreateControl(control, item); FAILED(hr)) {
      Fail(L"cannot create " + control.progId + L": " + DescribeResult(hr));
      return scripthost::kExitFailure;
    }
    items.push_back(std::move(item));
  }

  com_ptr<IActiveScript> engine;
  com_ptr<IActiveScriptParse> parser;
  CLSID vbscript{};
  HRESULT hr = CLSIDFromProgID(L"VBScript", &vbscript);
  if (SUCCEEDED(hr))
    hr = CoCreateInstance(vbscript, nullptr, CLSCTX_INPROC_SERVER, IID_IActiveScript, engine.put_void());
  if (SUCCEEDED(hr)) hr = engine->QueryInterface(kIidActiveScriptParse, parser.put_void());
  if (FAILED(hr)) {
    Fail(L"cannot start the VBScript engine: " + DescribeResult(hr));
    return scripthost::kExitFailure;
  }
  // The engine holds the site and the site the items: Close breaks the circle however the run ends.
  scope_exit close([&] { engine->Close(); });

  const auto site = scripthost::ScriptSite::Create(options.script, run, items);
  hr = parser->InitNew();
  if (SUCCEEDED(hr)) hr = engine->SetScriptSite(site.get());
  for (const NamedItem& item : items) {
    const DWORD flags = SCRIPTITEM_ISVISIBLE | (item.classInfo ? SCRIPTITEM_ISSOURCE : 0);
    if (SUCCEEDED(hr)) hr = engine->AddNamedItem(item.name.c_str(), flags);
  }
  // Connected before any code runs, so that the script's main code can wait for events.
  if (SUCCEEDED(hr)) hr = engine->SetScriptState(SCRIPTSTATE_CONNECTED);
  if (FAILED(hr)) {
    Fail(L"cannot prepare the VBScript engine: " + DescribeResult(hr));
    return scripthost::kExitFailure;
  }

  std::vector<std::unique_ptr<tools::EventConnection>> connections;
  for (const NamedItem& item : items) {
    if (!item.classInfo) continue;
    std::unique_ptr<tools::EventConnection> connection;
    hr = scripthost::BindEvents(engine.get(), item.name, item.object.get(), item.classInfo.get(), connection);
    if (FAILED(hr)) {
      Fail(L"cannot connect the events of " + item.name + L": " + DescribeResult(hr));
      return scripthost::kExitFailure;
    }
    connections.push_back(std::move(connection));
  }

  EXCEPINFO exception{};
  hr = parser->ParseScriptText(code->c_str(), nullptr, nullptr, nullptr, 0, 0, SCRIPTTEXT_ISVISIBLE, nullptr,
                               &exception);
  const tools::ExceptionStrings strings(exception);
  // Errors inside the script reach the site, which reports them; what comes back unreported
  // failed before the script could run.
  if (FAILED(hr) && hr != static_cast<HRESULT>(SCRIPT_E_REPORTED) && !run.Ended()) {
    Fail(L"cannot run " + options.script + L": " +
         (strings.description.str().empty() ? DescribeResult(hr) : strings.description.str()));
    run.End(scripthost::kExitFailure);
  }
  run.Pump(std::nullopt);
  return run.ExitCode();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::optional<Options> options = ParseOptions(argc, argv);
  if (!options) return scripthost::kExitFailure;
  const HRESULT hr = OleInitialize(nullptr);
  if (FAILED(hr)) {
    Fail(L"cannot initialize OLE: " + DescribeResult(hr));
    return scripthost::kExitFailure;
  }
  scope_exit uninitialize([] { OleUninitialize(); });
  return Run(*options);
}
