// Figures of the controls as a host meets them through COM: the cost of one measurement tick
// and the period of free-running against the set interval, dispatch calls against the
// system's own dispatch over the same type library and against the direct call, and the time
// to create and release a control. Prints one table; measures, judges nothing.
// Usage: apparata_bench_com <Windows path of Apparata.ocx> [cycles of free-running, 1000 unless given]

#include <windows.h>
#include <ocidl.h>
#include <oleauto.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "Apparata_h.h"
#include "core/win32/ComResource.h"
#include "tools/common/MinimalDevice.h"

namespace {

using core::win32::com_ptr;
using core::win32::scope_exit;
using core::win32::unique_bstr;
using core::win32::unique_hmodule;
using core::win32::unique_variant;
using Clock = std::chrono::steady_clock;

double Microseconds(Clock::duration d) { return std::chrono::duration<double, std::micro>(d).count(); }

struct ClassUnderTest {
  const wchar_t* progId;
  const char* name;
  double intervalMs;
};

const ClassUnderTest kClasses[] = {
    {L"Apparata.B740X", "B740X", 300},
    {L"Apparata.E712X", "E712X", 300},
    {L"Apparata.HP4191X", "HP4191X", 1000},
};

// Fails the whole run: a figure of a call that failed means nothing.
void Check(HRESULT hr, const char* what) {
  if (SUCCEEDED(hr)) return;
  std::fprintf(stderr, "%s failed: 0x%08lx\n", what, static_cast<unsigned long>(hr));
  std::exit(1);
}

com_ptr<IQXDevice> Create(const wchar_t* progId) {
  CLSID clsid{};
  Check(CLSIDFromProgID(progId, &clsid), "CLSIDFromProgID");
  com_ptr<IQXDevice> device;
  Check(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IQXDevice, device.put_void()), "CoCreateInstance");
  return device;
}

// Mean time of one call of `body`, after a tenth as many calls to warm up.
double MeanMicroseconds(int calls, const std::function<void()>& body) {
  for (int i = 0; i < calls / 10; ++i) body();
  const Clock::time_point start = Clock::now();
  for (int i = 0; i < calls; ++i) body();
  return Microseconds(Clock::now() - start) / calls;
}

void Row(const char* what, const char* unit, double value, const char* note = "") {
  std::printf("| %-52s | %12.1f %-3s | %s\n", what, value, unit, note);
}

void CreateAndRelease() {
  for (const ClassUnderTest& c : kClasses) {
    Create(c.progId);
    const double us = MeanMicroseconds(100, [&] { Create(c.progId); });
    Row((std::string("create and release one ") + c.name).c_str(), "ms", us / 1000);
  }
}

// Without a bus driver the library shows its debug terminal, which logs every bus step.
bool DebugMode() { return FindWindowW(nullptr, L"HPIB driver debug terminal") != nullptr; }

// One bus write; in debug mode also one line of the debug terminal, which is what the terminal
// costs a tick per bus step.
void BusWrite(bool debugMode) {
  const com_ptr<IQXDevice> device = Create(L"Apparata.B740X");
  Check(device->put_Port(7), "put_Port");
  const unique_bstr command(L"A7EN");
  const double us = MeanMicroseconds(500, [&] { Check(device->put_Text(command.get()), "put_Text"); });
  Row(debugMode ? "put_Text of B740X: one bus write, one terminal line" : "put_Text of B740X: one bus write", "us",
      us);
}

HRESULT Get(IDispatch* dispatch, DISPID dispid) {
  DISPPARAMS none{};
  unique_variant result;
  return dispatch->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, result.get(), nullptr,
                          nullptr);
}

void Dispatch(const std::wstring& serverPath) {
  minimal_device::Device reference(serverPath);
  if (!reference.ok()) {
    std::fprintf(stderr, "the type library did not load from %ls\n", serverPath.c_str());
    std::exit(1);
  }
  const com_ptr<IDispatch> standard = reference.Dispatch();
  for (const ClassUnderTest& c : kClasses) {
    const com_ptr<IQXDevice> device = Create(c.progId);
    Check(device->put_Port(7), "put_Port");
    com_ptr<IDispatch> dispatch;
    Check(device->QueryInterface(IID_IDispatch, dispatch.put_void()), "IDispatch");
    struct Member {
      const char* name;
      DISPID dispid;
      int calls;
      std::function<void()> direct;
    };
    const Member members[] = {
        {"Port", 4, 20000, [&] {
           LONG port = 0;
           device->get_Port(&port);
         }},
        {"Text", 2, 5000, [&] {
           unique_bstr text;
           device->get_Text(text.put());
         }},
    };
    for (const Member& m : members) {
      const double control = MeanMicroseconds(m.calls, [&] { Check(Get(dispatch.get(), m.dispid), "Invoke"); });
      const double minimal = MeanMicroseconds(m.calls, [&] { Check(Get(standard.get(), m.dispid), "Invoke"); });
      const double direct = MeanMicroseconds(m.calls, m.direct);
      char note[96];
      std::snprintf(note, sizeof note, "%.2f x the minimal IDispatch (%.2f us)", control / minimal, minimal);
      Row((std::string("Invoke get ") + m.name + " of " + c.name).c_str(), "us", control, note);
      Row((std::string("vtable get_") + m.name + " of " + c.name).c_str(), "us", direct);
    }
  }
}

// A host's sink that notes when each OnData arrives.
class Sink final : public IDispatch {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    *ppv = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDispatch) && !IsEqualIID(riid, DIID_IQXDeviceEvents))
      return E_NOINTERFACE;
    *ppv = this;
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    if (dispid != 3) return S_OK;
    readings.push_back(Clock::now());
    // A host reads the reading it was told of.
    unique_bstr text;
    device->get_Text(text.put());
    firedInTick = true;
    return S_OK;
  }

  IQXDevice* device = nullptr;
  std::vector<Clock::time_point> readings;
  std::vector<double> tickUs;
  bool firedInTick = false;
};

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
  return values[values.size() / 2];
}

double ThreadCpuUs() {
  FILETIME created, exited, kernel, user;
  GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
  auto us = [](const FILETIME& t) { return ((static_cast<double>(t.dwHighDateTime) * 4294967296.0) + t.dwLowDateTime) / 10; };
  return us(kernel) + us(user);
}

// All three run free at once, each at its own interval. A tick is the dispatch of the timer
// message during which the control raised OnData: read, parse, show, OnData with the host's
// Text read, and the next trigger (in debug mode with the terminal logging each bus step).
void FreeRunning(std::size_t cycles) {
  Sink sinks[std::size(kClasses)];
  // The sinks outlive the controls, which hold them to the end.
  com_ptr<IQXDevice> devices[std::size(kClasses)];
  for (std::size_t i = 0; i < std::size(kClasses); ++i) {
    devices[i] = Create(kClasses[i].progId);
    sinks[i].device = devices[i].get();
    com_ptr<IConnectionPointContainer> container;
    Check(devices[i]->QueryInterface(IID_IConnectionPointContainer, container.put_void()), "CPC");
    com_ptr<IConnectionPoint> point;
    Check(container->FindConnectionPoint(DIID_IQXDeviceEvents, point.put()), "FindConnectionPoint");
    DWORD cookie = 0;
    Check(point->Advise(&sinks[i], &cookie), "Advise");
    Check(devices[i]->put_Port(7), "put_Port");
  }
  const double cpuStart = ThreadCpuUs();
  for (const auto& device : devices) Check(device->put_InternalTrigger(VARIANT_TRUE), "put_InternalTrigger");
  auto done = [&] {
    return std::all_of(std::begin(sinks), std::end(sinks), [&](const Sink& s) { return s.readings.size() > cycles; });
  };
  while (!done()) {
    MSG msg;
    if (!GetMessageW(&msg, nullptr, 0, 0)) break;
    TranslateMessage(&msg);
    for (Sink& s : sinks) s.firedInTick = false;
    const Clock::time_point start = Clock::now();
    DispatchMessageW(&msg);
    const double us = Microseconds(Clock::now() - start);
    if (msg.message != WM_TIMER) continue;
    for (Sink& s : sinks)
      if (s.firedInTick) s.tickUs.push_back(us);
  }
  const double cpuPerCycle = (ThreadCpuUs() - cpuStart) / static_cast<double>(cycles);
  for (const auto& device : devices) device->put_InternalTrigger(VARIANT_FALSE);
  for (std::size_t i = 0; i < std::size(kClasses); ++i) {
    const ClassUnderTest& c = kClasses[i];
    const Sink& s = sinks[i];
    const double periodMs =
        Microseconds(s.readings[cycles] - s.readings[0]) / 1000 / static_cast<double>(cycles);
    char note[96];
    const double tick = Median(s.tickUs);
    std::snprintf(note, sizeof note, "%.3f %% of the %.0f ms interval", tick / (c.intervalMs * 10), c.intervalMs);
    Row((std::string("one tick of ") + c.name + " (median wall time)").c_str(), "us", tick, note);
    std::snprintf(note, sizeof note, "%+.2f %% against %.0f ms, over %zu cycles", (periodMs / c.intervalMs - 1) * 100,
                  c.intervalMs, cycles);
    Row((std::string("free-running period of ") + c.name).c_str(), "ms", periodMs, note);
  }
  Row("thread CPU time per cycle, all three together", "us", cpuPerCycle, "over the whole free-running run");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: apparata_bench_com <Windows path of Apparata.ocx> [cycles]\n");
    return 2;
  }
  std::wstring server = argv[1];
  std::replace(server.begin(), server.end(), L'/', L'\\');
  const std::size_t cycles = argc > 2 ? static_cast<std::size_t>(std::wcstoul(argv[2], nullptr, 10)) : 1000;
  if (FAILED(OleInitialize(nullptr))) return 2;
  scope_exit uninitialize([] { OleUninitialize(); });
  // The server registers itself, as regsvr32 would.
  const unique_hmodule module(LoadLibraryW(server.c_str()));
  auto registerServer = module ? reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
                                     reinterpret_cast<void*>(GetProcAddress(module.get(), "DllRegisterServer")))
                               : nullptr;
  if (!registerServer || FAILED(registerServer())) {
    std::fprintf(stderr, "cannot register %ls\n", server.c_str());
    return 2;
  }
  // The first class object starts the bus; the terminal shows from then on in debug mode.
  Create(kClasses[0].progId);
  const bool debugMode = DebugMode();
  std::printf("%s\n\n", debugMode ? "Debug mode: the debug terminal logs every bus step."
                                  : "With a bus driver: no debug terminal.");
  std::printf("| %-52s | %16s | %s\n", "figure", "value", "against");
  std::printf("|%s|%s|%s\n", std::string(54, '-').c_str(), std::string(18, '-').c_str(), std::string(10, '-').c_str());
  CreateAndRelease();
  BusWrite(debugMode);
  Dispatch(server);
  FreeRunning(cycles);
  std::fflush(stdout);
  return 0;
}
