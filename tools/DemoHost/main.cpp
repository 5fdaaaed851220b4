// apparata_demo: a window with the library's controls side by side, hosted by the system's ATL
// control container as any container would host them, each running free (InternalTrigger) and
// each reading printed as it arrives.
//
//   apparata_demo [--seconds N] [--screenshot file.bmp] [--terminal-screenshot file.bmp]
//                 [--menu-screenshot file.bmp] [--sweep file.csv]
//
// Runs until the window is closed, or N seconds. The screenshot is taken just before closing,
// the terminal's half a second in, the first control's context menu two seconds in.
// With --sweep the HP 4191A sweeps up from 85 MHz in its 1 MHz steps, one reading a second,
// each reading written to the CSV file (SweepCsv.h); after 30 of them the sweep stops and the
// demo ends. The controls must be registered (regsvr32 Apparata.ocx).
#include <windows.h>
#include <ole2.h>

#include <algorithm>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Apparata_h.h"
#include "core/win32/ComResource.h"
#include "tools/DemoHost/Controls.h"
#include "tools/DemoHost/MenuShot.h"
#include "tools/DemoHost/ReadingSink.h"
#include "tools/DemoHost/Screenshot.h"
#include "tools/DemoHost/SweepCsv.h"
#include "tools/common/Console.h"
#include "tools/common/Events.h"

using core::win32::com_ptr;
using core::win32::scope_exit;
using core::win32::unique_bstr;
using core::win32::unique_hmodule;
using core::win32::unique_hwnd;
using tools::DescribeResult;
using tools::Stream;
using tools::WriteLine;

namespace {

constexpr int kMargin = 12;
constexpr int kCaptionHeight = 16;
constexpr int kCaptionGap = 4;
constexpr UINT_PTR kStopTimer = 1;
// The terminal's picture is taken early, while it shows its first lines: it starts afresh
// after 50 lines.
constexpr UINT_PTR kTerminalTimer = 2;
constexpr UINT kTerminalShotMs = 500;
// The first control's context menu, once readings show.
constexpr UINT_PTR kMenuTimer = 3;
constexpr UINT kMenuShotMs = 2000;
constexpr wchar_t kWindowClass[] = L"ApparataDemoWindow";
// The host's part of a sweep: the start, the direction, and the sweep's own end at the limit.
constexpr const wchar_t* kSweepCommands[] = {L"FR85EN", L"SCANUP", L"AUTOSTOP ON"};
constexpr const wchar_t kSweepingControl[] = L"Apparata.HP4191X";
constexpr int kSweepReadings = 30;

struct Options {
  std::optional<UINT> seconds;
  std::wstring screenshot;
  std::wstring terminalScreenshot;
  std::wstring menuScreenshot;
  std::wstring sweepCsv;
};

void Fail(const std::wstring& message) { WriteLine(Stream::Err, L"apparata_demo: " + message); }

std::optional<Options> ParseOptions(int argc, wchar_t** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::wstring argument = argv[i];
    if (argument == L"--seconds" && i + 1 < argc) {
      wchar_t* end = nullptr;
      const unsigned long seconds = std::wcstoul(argv[++i], &end, 10);
      if (*end != L'\0' || seconds == 0 || seconds > 86400) {
        Fail(L"--seconds needs a number from 1 to 86400");
        return std::nullopt;
      }
      options.seconds = static_cast<UINT>(seconds);
    } else if (argument == L"--screenshot" && i + 1 < argc) {
      options.screenshot = argv[++i];
    } else if (argument == L"--terminal-screenshot" && i + 1 < argc) {
      options.terminalScreenshot = argv[++i];
    } else if (argument == L"--menu-screenshot" && i + 1 < argc) {
      options.menuScreenshot = argv[++i];
    } else if (argument == L"--sweep" && i + 1 < argc) {
      options.sweepCsv = argv[++i];
    } else {
      Fail(L"usage: apparata_demo [--seconds N] [--screenshot file.bmp] [--terminal-screenshot file.bmp] "
           L"[--menu-screenshot file.bmp] [--sweep file.csv]");
      return std::nullopt;
    }
  }
  return options;
}

// The ATL control container of the system (Wine ships one): loaded at run time, as hosts do
// that do not link ATL.
struct AtlContainer {
  using InitFunction = BOOL(WINAPI*)();
  using GetControlFunction = HRESULT(WINAPI*)(HWND, IUnknown**);

  unique_hmodule module;
  GetControlFunction getControl = nullptr;

  HRESULT Load() {
    module.reset(LoadLibraryW(L"atl.dll"));
    if (!module) return HRESULT_FROM_WIN32(GetLastError());
    // Through void (*)(): the one function type that any other converts to without a warning.
    const auto init =
        reinterpret_cast<InitFunction>(reinterpret_cast<void (*)()>(GetProcAddress(module.get(), "AtlAxWinInit")));
    getControl = reinterpret_cast<GetControlFunction>(
        reinterpret_cast<void (*)()>(GetProcAddress(module.get(), "AtlAxGetControl")));
    if (!init || !getControl) return HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
    return init() ? S_OK : E_FAIL;
  }
};

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    // Closing only ends the message loop: the demo disconnects and releases the controls
    // before the windows go.
    case WM_CLOSE:
      PostQuitMessage(0);
      return 0;
    case WM_TIMER:
      if (wParam != kStopTimer) break;
      KillTimer(window, kStopTimer);
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// Null on failure, with the reason in GetLastError.
HWND CreateMainWindow() {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = MainWindowProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kWindowClass;
  if (!RegisterClassExW(&windowClass)) return nullptr;

  // The panels side by side, top-aligned.
  int width = kMargin, height = 0;
  for (const demo::DemoControl& entry : demo::kControls) {
    width += entry.width + kMargin;
    height = std::max(height, entry.height);
  }
  RECT frame{0, 0, width, kMargin + kCaptionHeight + kCaptionGap + height + kMargin};
  constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
  return CreateWindowExW(0, kWindowClass, L"Apparata demo", kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                         frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

// What the type library calls the class ("B7-40/5 Device Control"); the ProgID when the
// control does not say.
std::wstring Describe(IUnknown* control, const std::wstring& progId) {
  com_ptr<ITypeInfo> classInfo;
  unique_bstr description;
  const auto provider = com_ptr<IUnknown>(control).query<IProvideClassInfo>(IID_IProvideClassInfo);
  if (provider && SUCCEEDED(provider->GetClassInfo(classInfo.put())) &&
      SUCCEEDED(classInfo->GetDocumentation(MEMBERID_NIL, nullptr, description.put(), nullptr, nullptr)) &&
      !description.str().empty())
    return description.str();
  return progId;
}

// OnData's DISPID, from the control's own description of its events.
HRESULT FindOnData(IUnknown* control, DISPID& onData) {
  const auto provider = com_ptr<IUnknown>(control).query<IProvideClassInfo>(IID_IProvideClassInfo);
  if (!provider) return E_NOINTERFACE;
  com_ptr<ITypeInfo> classInfo;
  RETURN_IF_FAILED(provider->GetClassInfo(classInfo.put()));
  com_ptr<ITypeInfo> events;
  IID iid{};
  const HRESULT described = tools::DefaultEvents(classInfo.get(), events, iid);
  RETURN_IF_FAILED(described);
  if (described == S_FALSE || iid != DIID_IQXDeviceEvents) return E_NOINTERFACE;
  wchar_t name[] = L"OnData";
  LPOLESTR names[] = {name};
  return events->GetIDsOfNames(names, 1, &onData);
}

struct Panel {
  HWND site = nullptr;
  std::wstring name;
  com_ptr<IQXDevice> device;
  std::unique_ptr<tools::EventConnection> connection;
};

// The sweep's readings into the CSV file; at the last one the sweep stops and the demo ends.
struct SweepRecorder {
  std::ofstream csv;
  int readings = 0;

  explicit SweepRecorder(const std::wstring& path) : csv(std::filesystem::path(path), std::ios::binary) {
    csv << demo::kSweepCsvHeader << '\n';
  }
  void Take(IQXDevice& analyzer, const std::wstring& text) {
    const std::optional<std::string> line = demo::SweepCsvLine(text);
    if (!line || readings == kSweepReadings) return;
    csv << *line << '\n' << std::flush;
    if (++readings < kSweepReadings) return;
    analyzer.put_InternalTrigger(VARIANT_FALSE);
    PostQuitMessage(0);
  }
};

HRESULT PlaceControl(const AtlContainer& atl, HWND parent, int left, const demo::DemoControl& entry,
                     ULONGLONG startTick, const std::vector<const wchar_t*>& commands,
                     demo::ReadingSink::Reading onReading, Panel& panel) {
  const int top = kMargin + kCaptionHeight + kCaptionGap;
  // The container creates the control from the window text, in place.
  const HWND site = CreateWindowExW(0, L"AtlAxWin", entry.progId, WS_CHILD | WS_VISIBLE, left, top, entry.width,
                                    entry.height, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!site) return HRESULT_FROM_WIN32(GetLastError());
  panel.site = site;
  com_ptr<IUnknown> control;
  RETURN_IF_FAILED(atl.getControl(site, control.put()));
  if (!control) return E_NOINTERFACE;
  RETURN_IF_FAILED(control->QueryInterface(IID_IQXDevice, panel.device.put_void()));

  const std::wstring caption = Describe(control.get(), entry.progId) + L", Port " + std::to_wstring(entry.port);
  const HWND label = CreateWindowExW(0, L"STATIC", caption.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT, left, kMargin,
                                     entry.width, kCaptionHeight, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (label) SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);

  const std::wstring progId = entry.progId;
  panel.name = progId.substr(progId.find(L'.') + 1);
  DISPID onData = DISPID_UNKNOWN;
  RETURN_IF_FAILED(FindOnData(control.get(), onData));
  com_ptr<IConnectionPoint> point;
  RETURN_IF_FAILED(tools::FindConnectionPoint(control.get(), DIID_IQXDeviceEvents, point));
  const com_ptr<IDispatch> sink =
      demo::ReadingSink::Create(panel.name, panel.device, onData, startTick, std::move(onReading));
  RETURN_IF_FAILED(tools::Advise(std::move(point), sink.get(), panel.connection));

  RETURN_IF_FAILED(panel.device->put_Port(entry.port));
  for (const wchar_t* command : commands) {
    const unique_bstr text(command);
    RETURN_IF_FAILED(panel.device->put_Text(text.get()));
  }
  return panel.device->put_InternalTrigger(VARIANT_TRUE);
}

int Run(const Options& options) {
  AtlContainer atl;
  if (const HRESULT hr = atl.Load(); FAILED(hr)) {
    Fail(L"cannot load the ATL control container (atl.dll): " + DescribeResult(hr));
    return 1;
  }
  unique_hwnd window(CreateMainWindow());
  if (!window) {
    Fail(L"cannot create the window: " + DescribeResult(HRESULT_FROM_WIN32(GetLastError())));
    return 1;
  }

  std::optional<SweepRecorder> sweep;
  if (!options.sweepCsv.empty() && !sweep.emplace(options.sweepCsv).csv) {
    Fail(L"cannot write " + options.sweepCsv);
    return 1;
  }
  const ULONGLONG startTick = GetTickCount64();
  std::vector<Panel> panels(std::size(demo::kControls));
  int left = kMargin;
  for (std::size_t i = 0; i < panels.size(); ++i) {
    const demo::DemoControl& entry = demo::kControls[i];
    std::vector<const wchar_t*> commands;
    if (entry.setup) commands.push_back(entry.setup);
    demo::ReadingSink::Reading onReading;
    if (sweep && std::wstring(entry.progId) == kSweepingControl) {
      commands.insert(commands.end(), std::begin(kSweepCommands), std::end(kSweepCommands));
      onReading = [&sweep, &device = panels[i].device](const std::wstring& text) { sweep->Take(*device.get(), text); };
    }
    if (const HRESULT hr = PlaceControl(atl, window.get(), left, entry, startTick, commands, std::move(onReading), panels[i]);
        FAILED(hr)) {
      Fail(std::wstring(L"cannot place ") + entry.progId + L" (is Apparata.ocx registered?): " + DescribeResult(hr));
      return 1;
    }
    WriteLine(Stream::Out, panels[i].name + L" on Port " + std::to_wstring(entry.port) + L", running free");
    left += entry.width + kMargin;
  }
  ShowWindow(window.get(), SW_SHOWNORMAL);
  UpdateWindow(window.get());
  if (options.seconds) SetTimer(window.get(), kStopTimer, *options.seconds * 1000, nullptr);
  if (!options.terminalScreenshot.empty()) SetTimer(window.get(), kTerminalTimer, kTerminalShotMs, nullptr);
  if (!options.menuScreenshot.empty()) SetTimer(window.get(), kMenuTimer, kMenuShotMs, nullptr);

  int exitCode = 0;
  const auto save = [&exitCode](HWND shown, const std::wstring& path, demo::Area area) {
    RedrawWindow(shown, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    if (const HRESULT hr = shown ? demo::SaveWindowPicture(shown, path, area) : E_HANDLE; FAILED(hr)) {
      Fail(L"cannot save " + path + L": " + DescribeResult(hr));
      exitCode = 1;
    }
  };
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (message.message == WM_TIMER && message.hwnd == window.get() && message.wParam == kTerminalTimer) {
      KillTimer(window.get(), kTerminalTimer);
      // The debug terminal is the library's own window, found by its caption; its title bar
      // names it for a reader.
      save(FindWindowW(nullptr, L"HPIB driver debug terminal"), options.terminalScreenshot, demo::Area::Window);
      continue;
    }
    if (message.message == WM_TIMER && message.hwnd == window.get() && message.wParam == kMenuTimer) {
      KillTimer(window.get(), kMenuTimer);
      if (const HRESULT hr = demo::SaveContextMenu(panels.front().site, window.get(), options.menuScreenshot);
          FAILED(hr)) {
        Fail(L"cannot save " + options.menuScreenshot + L": " + DescribeResult(hr));
        exitCode = 1;
      }
      continue;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  if (!options.screenshot.empty()) save(window.get(), options.screenshot, demo::Area::Client);
  // Disconnect, release, then destroy the windows (the container lets go of the controls).
  for (Panel& panel : panels) panel.connection.reset();
  panels.clear();
  window.reset();
  return exitCode;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::optional<Options> options = ParseOptions(argc, argv);
  if (!options) return 1;
  const HRESULT hr = OleInitialize(nullptr);
  if (FAILED(hr)) {
    Fail(L"cannot initialize OLE: " + DescribeResult(hr));
    return 1;
  }
  scope_exit uninitialize([] { OleUninitialize(); });
  return Run(*options);
}
