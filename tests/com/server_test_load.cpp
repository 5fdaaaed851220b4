// A lab host with many panels: one B7-40/5 on the host's own thread and four apartment threads
// of six controls each (two of every class), all connected to a sink and running free for a
// window of W seconds, in debug mode or on the simulated bench. Then every thread is asked at
// once to let its controls go, as a host closes its panels. Judged: every control keeps at least
// 80 % of the readings its class takes alone in a process of its own over the same window; no
// box comes up; each thread has let go and ended within 5 s of being asked; and with everything
// released the library answers S_OK to DllCanUnloadNow.
//
// Usage: server_load_test <Windows path of Apparata.ocx> --mode=debug|sim [--seconds=W] [--runs=N]
//        [GoogleTest options]
// W is 6 unless given; N runs of the load, each class alone measured once before the first.
//
// The test itself makes no control. It runs this program again as a child, once per class with
// --alone=<ProgID> and once with --load, and judges what each prints: a crash or a stall of the
// library there is reported with the phase it came in (a stall with the readings counted up to
// it), and the user's settings are taken away again whatever happens to the children.

#include "server_test_support.h"

#include <ocidl.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <memory>

#include "Apparata_h.h"

namespace {

using namespace server_test;

// ---- What both sides know --------------------------------------------------------------------

bool g_sim = false;
int g_seconds = 6;

struct Instrument {
  const wchar_t* progId;
  LONG port;
};
// Each class at the address where its instrument answers, in debug mode and on the bench alike:
// a control on another instrument's address would measure that instrument's pace, not its own.
constexpr Instrument kInstruments[] = {{L"Apparata.B740X", 7}, {L"Apparata.E712X", 3}, {L"Apparata.HP4191X", 17}};
constexpr int kApartments = 4;
constexpr int kPerClass = 2;
constexpr std::size_t kControls = 1 + kApartments * kPerClass * std::size(kInstruments);
constexpr double kPaceShare = 0.8;
constexpr long long kLetGoBoundMs = 5000;

// How long each phase of a child may take before it counts as stalled. A crowd of controls is
// made in about a second; the first readings come within the analyzer's interval of 1 s.
constexpr long long kCreateMs = 60000, kFirstReadingMs = 20000, kLetGoWaitMs = 30000, kReleaseMs = 15000,
                    kUnloadMs = 15000;

long long NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// ---- A child: the host, with its controls -----------------------------------------------------

// A line for the test, written at once so that a crash cannot take it along, and without the
// heap or the C runtime's stream lock, which a thread stuck in the library may be holding.
void Say(const char* format, ...) {
  char line[600];
  va_list arguments;
  va_start(arguments, format);
  const int length = std::max(0, std::min(vsnprintf(line, sizeof line - 1, format, arguments),
                                          static_cast<int>(sizeof line) - 2));
  va_end(arguments);
  line[length] = '\n';
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line, static_cast<DWORD>(length + 1), &written, nullptr);
}

// Counts a control's readings: its first opens its window, each one after it within W seconds
// counts. Called on the control's thread only; the host's thread reads the figures.
class ReadingSink : public DispatchSink {
 public:
  ReadingSink() : DispatchSink(DIID_IQXDeviceEvents) {}
  HRESULT STDMETHODCALLTYPE Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    if (dispid != 3) return S_OK;  // OnData
    const long long now = NowMs();
    if (first < 0)
      first = now;
    else if (now - first <= g_seconds * 1000LL)
      ++counted;
    return S_OK;
  }
  std::atomic<long long> first{-1};
  std::atomic<int> counted{0};
};

// One control as a host holds it: made, its sink connected, on its Port, running free.
struct Panel {
  Panel(std::string owner, const Instrument& instrument) : owner(std::move(owner)), instrument(instrument) {}

  bool Open() {
    CLSID clsid{};
    com_ptr<IConnectionPointContainer> container;
    const auto step = [&](const char* what, HRESULT hr) {
      if (FAILED(hr))
        Say("failed %s %ls %s: 0x%08lx", owner.c_str(), instrument.progId, what, static_cast<unsigned long>(hr));
      return SUCCEEDED(hr);
    };
    return step("CLSIDFromProgID", CLSIDFromProgID(instrument.progId, &clsid)) &&
           step("CoCreateInstance",
                CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IQXDevice, device.put_void())) &&
           step("connecting the sink", device->QueryInterface(IID_IConnectionPointContainer, container.put_void())) &&
           step("connecting the sink", container->FindConnectionPoint(DIID_IQXDeviceEvents, point.put())) &&
           step("connecting the sink", point->Advise(&sink, &cookie)) &&
           step("put_Port", device->put_Port(instrument.port)) &&
           step("put_InternalTrigger", device->put_InternalTrigger(VARIANT_TRUE));
  }
  void Close() {
    if (point && cookie) point->Unadvise(cookie);
    point.reset();
    device.reset();
  }
  void Print() const {
    Say("control %s %ls %ld %d", owner.c_str(), instrument.progId, instrument.port,
        sink.first < 0 ? -1 : sink.counted.load());
  }

  std::string owner;
  Instrument instrument;
  ReadingSink sink;  // declared before the control: it is released into it
  com_ptr<IQXDevice> device;
  com_ptr<IConnectionPoint> point;
  DWORD cookie = 0;
};

// Every control of the host, listed once all are made; read-only from then on.
std::vector<const Panel*> g_panels;
std::atomic<bool> g_listed{false};

void ReportReadings() {
  if (g_listed)
    for (const Panel* panel : g_panels) panel->Print();
}

// Ends the process when a phase overruns its bound: a library that stalls the host's own thread
// still ends the run in bounded time, with the readings counted up to then.
class Watchdog {
 public:
  static void Enter(const char* phase, long long boundMs) {
    Say("phase %s", phase);
    phase_ = phase;
    deadline_ = NowMs() + boundMs;
    static const HANDLE thread = CreateThread(nullptr, 0, Watch, nullptr, 0, nullptr);
    (void)thread;
  }

 private:
  static DWORD WINAPI Watch(void*) {
    while (NowMs() <= deadline_) Sleep(100);
    Say("stalled %s", phase_.load());
    ReportReadings();
    TerminateProcess(GetCurrentProcess(), 3);
    return 0;
  }
  static inline std::atomic<const char*> phase_{"start"};
  static inline std::atomic<long long> deadline_{LLONG_MAX};
};

// Reports and closes every visible dialog box of this process, whichever thread shows it: an
// error box of a control would otherwise hold its thread in a modal loop. Looked for from the
// host's pump and from a timer, which runs inside a modal loop of the host's own thread too.
class BoxWatch {
 public:
  BoxWatch() : timer_(SetTimer(nullptr, 0, 100, Tick)) { current_ = this; }
  BoxWatch(const BoxWatch&) = delete;
  BoxWatch& operator=(const BoxWatch&) = delete;
  ~BoxWatch() {
    KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  void Look() { EnumWindows(Visit, reinterpret_cast<LPARAM>(this)); }
  std::map<DWORD, std::string> threadNames;

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (current_) current_->Look();
  }
  static BOOL CALLBACK Visit(HWND window, LPARAM parameter) {
    auto& watch = *reinterpret_cast<BoxWatch*>(parameter);
    DWORD process = 0;
    const DWORD thread = GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId() || !IsWindowVisible(window) || ClassOf(window) != L"#32770") return TRUE;
    if (watch.seen_.insert(window).second) {
      // Read without sending a message: the box's thread is in its modal loop.
      wchar_t text[512] = {};
      HWND message = GetDlgItem(window, 0xFFFF);
      InternalGetWindowText(message ? message : window, text, 512);
      std::string line = Narrow(text);
      std::replace(line.begin(), line.end(), '\r', ' ');
      std::replace(line.begin(), line.end(), '\n', ' ');
      const auto name = watch.threadNames.find(thread);
      Say("box %s %s", name == watch.threadNames.end() ? "other" : name->second.c_str(), line.c_str());
    }
    PostMessageW(window, WM_COMMAND, IDOK, 0);
    return TRUE;
  }
  static inline BoxWatch* current_ = nullptr;
  std::set<HWND> seen_;
  UINT_PTR timer_;
};

// Runs this thread's messages until `done` holds or `timeoutMs` has passed, looking for boxes
// every 100 ms meanwhile.
bool Pump(BoxWatch& boxes, const std::function<bool()>& done, long long timeoutMs) {
  long long look = 0;
  return PumpEachUntil([&] {
    if (NowMs() >= look) {
      boxes.Look();
      look = NowMs() + 100;
    }
    return done();
  }, static_cast<DWORD>(timeoutMs));
}

// One apartment thread of the host and its six controls.
struct Apartment {
  std::string name;
  HANDLE letGo;  // the host's request, one for every thread
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::vector<std::unique_ptr<Panel>> panels;  // written by the thread until `ready`
  bool made = false;
  std::atomic<int> opened{0};  // controls made so far, for a report when `ready` never comes
  HANDLE thread = nullptr;
  DWORD id = 0;
  long long endedMs = -1;  // when it had let go, just before it ended
};

DWORD WINAPI RunApartment(void* parameter) {
  auto& apartment = *static_cast<Apartment*>(parameter);
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
    Say("failed %s CoInitializeEx", apartment.name.c_str());
    SetEvent(apartment.ready);
    return 1;
  }
  apartment.made = true;
  for (const Instrument& instrument : kInstruments)
    for (int i = 0; i < kPerClass && apartment.made; ++i) {
      apartment.panels.push_back(std::make_unique<Panel>(apartment.name, instrument));
      apartment.made = apartment.panels.back()->Open();
      ++apartment.opened;
    }
  SetEvent(apartment.ready);
  // The thread's own pump, as a panel's thread runs until the host closes it.
  PumpEachUntil([&] { return WaitForSingleObject(apartment.letGo, 0) == WAIT_OBJECT_0; }, INFINITE);
  for (auto& panel : apartment.panels) panel->Close();
  CoUninitialize();
  apartment.endedMs = NowMs();  // read by the host once the thread has ended
  return 0;
}

// The host: a control of `own` on this thread and `apartments` threads of six controls. Prints
// what the test judges; answers 0 when it got to the end, 2 when a control could not be made.
int RunHost(const Instrument& own, int apartments) {
  BoxWatch boxes;
  boxes.threadNames[GetCurrentThreadId()] = "main";
  // Each phase's pump ends before the watchdog's bound: the watchdog fires only when this thread
  // itself is held up inside the library.
  Watchdog::Enter("create", kCreateMs + 10000);
  Panel mine("main", own);
  bool made = mine.Open();
  // Debug mode shows its terminal from the first control on; the bench shows none.
  Say("terminal %d", FindOwnWindow(L"HPIB driver debug terminal") ? 1 : 0);
  const HANDLE letGo = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::vector<std::unique_ptr<Apartment>> threads;
  for (int i = 1; made && i <= apartments; ++i) {
    threads.push_back(std::make_unique<Apartment>());
    Apartment& apartment = *threads.back();
    apartment.name = std::to_string(i);
    apartment.letGo = letGo;
    apartment.thread = CreateThread(nullptr, 0, RunApartment, &apartment, 0, &apartment.id);
    boxes.threadNames[apartment.id] = apartment.name;
  }
  Pump(boxes, [&] {
    return std::all_of(threads.begin(), threads.end(),
                       [](const auto& a) { return WaitForSingleObject(a->ready, 0) == WAIT_OBJECT_0; });
  }, kCreateMs);
  for (const auto& apartment : threads) {
    if (WaitForSingleObject(apartment->ready, 0) == WAIT_OBJECT_0) {
      made = made && apartment->made;
    } else {
      Say("unready %s %d", apartment->name.c_str(), apartment->opened.load());
      made = false;
    }
  }

  if (made) {
    g_panels.push_back(&mine);
    for (const auto& apartment : threads)
      for (const auto& panel : apartment->panels) g_panels.push_back(panel.get());
    g_listed = true;
    const long long windowMs = g_seconds * 1000LL;
    const long long firstBy = NowMs() + kFirstReadingMs;
    Watchdog::Enter("window", kFirstReadingMs + windowMs + 10000);
    // Until the window of the last control to start has passed, or some control never started.
    Pump(boxes, [&] {
      long long last = 0;
      for (const Panel* panel : g_panels) {
        if (panel->sink.first < 0) return NowMs() >= firstBy;
        last = std::max(last, panel->sink.first.load());
      }
      return NowMs() > last + windowMs;
    }, kFirstReadingMs + windowMs + 1000);
    ReportReadings();
  }

  Watchdog::Enter("letgo", kLetGoWaitMs + 10000);
  const long long asked = NowMs();
  SetEvent(letGo);
  Pump(boxes, [&] {
    return std::all_of(threads.begin(), threads.end(),
                       [](const auto& a) { return WaitForSingleObject(a->thread, 0) == WAIT_OBJECT_0; });
  }, kLetGoWaitMs);
  bool holding = false;
  for (const auto& apartment : threads) {
    const bool ended = WaitForSingleObject(apartment->thread, 0) == WAIT_OBJECT_0;
    Say("letgo %s %lld", apartment->name.c_str(), ended ? apartment->endedMs - asked : -1);
    holding = holding || !ended;
  }
  if (holding) {
    // A thread still inside the library would hold up the process's own end as well.
    TerminateProcess(GetCurrentProcess(), 4);
  }

  Watchdog::Enter("release", kReleaseMs);
  const long long released = NowMs();
  mine.Close();
  Say("letgo main %lld", NowMs() - released);

  Watchdog::Enter("unload", kUnloadMs);
  HRESULT unload = E_FAIL;
  const HMODULE server = GetModuleHandleW(ServerPath().c_str());
  if (server) {
    const auto canUnloadNow = Export<DllFunctionFn>(server, "DllCanUnloadNow");
    Pump(boxes, [&] { return (unload = canUnloadNow()) == S_OK; }, 5000);
  }
  Say("unload 0x%08lx", static_cast<unsigned long>(unload));
  boxes.Look();
  Say("phase end");
  return made ? 0 : 2;
}

// ---- The test: each class alone, then the load ------------------------------------------------

// What a child printed.
struct Report {
  struct Control {
    std::string owner, progId;
    long port = 0;
    int count = -1;  // -1: not even a first reading
  };
  std::vector<Control> controls;
  std::vector<std::string> boxes, unready;
  std::map<std::string, long long> letGo;  // ms, -1: not within the wait
  std::string unload = "(not reached)", phase = "(none)", terminal = "(not reported)", stalled;
};

Report Parse(const std::vector<std::string>& lines) {
  Report report;
  for (const std::string& line : lines) {
    std::istringstream in(line);
    std::string kind, rest;
    in >> kind;
    if (kind == "control") {
      Report::Control c;
      in >> c.owner >> c.progId >> c.port >> c.count;
      report.controls.push_back(c);
    } else if (kind == "unready") {
      int made = 0;
      in >> rest >> made;
      report.unready.push_back("thread " + rest + " with " + std::to_string(made) + " of " +
                               std::to_string(kPerClass * std::size(kInstruments)) + " made");
    } else if (kind == "box") {
      std::getline(in, rest);
      report.boxes.push_back(rest);
    } else if (kind == "letgo") {
      in >> rest;
      in >> report.letGo[rest];
    } else if (kind == "unload") {
      in >> report.unload;
    } else if (kind == "phase") {
      in >> report.phase;
    } else if (kind == "terminal") {
      in >> report.terminal;
    } else if (kind == "stalled") {
      in >> report.stalled;
    }
  }
  return report;
}

// How a child ended; empty when it ran to its end. A process that crashed under Wine may still
// end with code 0, hence the last phase it announced.
std::string Outcome(int exitCode, const Report& report) {
  if (exitCode == 0 && report.phase == "end") return {};
  std::ostringstream text;
  switch (exitCode) {
    case -1: return "did not start";
    case -2:
      // Wine's debugger stops every thread of a crashed process; when it fails, they stay stopped.
      text << "was still running at its deadline and was ended, its watchdog stopped too (a crash whose debugger "
              "did not finish: Wine's report, if it made one, is above)";
      break;
    case 2: text << "could not make its controls"; break;
    case 3: text << "stalled: its own thread did not come out of phase " << report.stalled << " within its bound"; break;
    case 4: text << "ended itself: a thread had not let go " << kLetGoWaitMs << " ms after being asked"; break;
    default:
      text << "ended with code 0x" << std::hex << static_cast<unsigned long>(exitCode)
           << " before its end: a crash (Wine's report, if it made one, is above)";
  }
  text << ", in phase " << report.phase;
  return text.str();
}

// This program again as a child in `role`, its output read line by line; ended at the deadline.
struct ChildRun {
  int exitCode = -1;
  std::vector<std::string> lines;
};

ChildRun RunChild(const std::wstring& role, long long deadlineMs) {
  ChildRun run;
  wchar_t folder[MAX_PATH], file[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  GetTempFileNameW(folder, L"load", 0, file);
  // A file rather than a pipe: nothing can block on it, and it keeps what a crash wrote last.
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  const HANDLE output = CreateFileW(file, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    &inheritable, CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (output == INVALID_HANDLE_VALUE) return run;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  // Wine's debugger writes its report of a crash to the crashing process's standard error.
  startup.hStdOutput = startup.hStdError = output;
  std::wstring line = Quoted(OwnPath()) + L" " + Quoted(ServerPath()) + (g_sim ? L" --mode=sim" : L" --mode=debug") +
                      L" --seconds=" + std::to_wstring(g_seconds) + L" " + role;
  PROCESS_INFORMATION process{};
  if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
    if (PumpUntil([&] { return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0; },
                  static_cast<DWORD>(deadlineMs))) {
      DWORD code = 0;
      GetExitCodeProcess(process.hProcess, &code);
      run.exitCode = static_cast<int>(code);
    } else {
      TerminateProcess(process.hProcess, 1);
      WaitForSingleObject(process.hProcess, 10000);
      run.exitCode = -2;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  std::string text(GetFileSize(output, nullptr), '\0');
  DWORD read = 0;
  SetFilePointer(output, 0, nullptr, FILE_BEGIN);
  ReadFile(output, text.data(), static_cast<DWORD>(text.size()), &read, nullptr);
  CloseHandle(output);
  std::istringstream lines(text.substr(0, read));
  for (std::string l; std::getline(lines, l);) {
    if (!l.empty() && l.back() == '\r') l.pop_back();
    run.lines.push_back(l);
    std::printf("  | %s\n", l.c_str());
  }
  return run;
}

// Bounds of the children as a whole, each phase's bound and a margin: the children stop
// themselves before these unless the library hangs the process's end.
long long AloneDeadlineMs() { return kCreateMs + kFirstReadingMs + g_seconds * 1000LL + kReleaseMs + kUnloadMs + 20000; }
long long LoadDeadlineMs() { return AloneDeadlineMs() + kLetGoWaitMs + 20000; }

double Pace(int readings) { return readings / static_cast<double>(g_seconds); }

std::string Fixed(double value) {
  std::ostringstream text;
  text << std::fixed << std::setprecision(2) << value;
  return text.str();
}

void PrintTable(const std::map<std::string, int>& alone, const Report& load) {
  std::printf("Load, %s, %d s window, readings per second:\n", g_sim ? "simulated bench" : "debug mode", g_seconds);
  std::printf("  %-18s %7s %7s %7s  %s\n", "class", "alone", "lowest", "mean", "controls under load");
  for (const auto& [progId, count] : alone) {
    std::vector<int> counts;
    for (const auto& c : load.controls)
      if (c.progId == progId) counts.push_back(std::max(c.count, 0));
    const int lowest = counts.empty() ? 0 : *std::min_element(counts.begin(), counts.end());
    double mean = 0;
    for (int n : counts) mean += Pace(n) / static_cast<double>(counts.size());
    std::printf("  %-18s %7s %7s %7s  %zu\n", progId.c_str(), Fixed(Pace(count)).c_str(),
                counts.empty() ? "-" : Fixed(Pace(lowest)).c_str(), counts.empty() ? "-" : Fixed(mean).c_str(),
                counts.size());
  }
  std::printf("  let go after being asked:");
  for (const auto& [owner, ms] : load.letGo)
    std::printf(" %s%s %lld ms;", owner == "main" ? "" : "thread ", owner.c_str(), ms);
  std::printf(" DllCanUnloadNow %s\n", load.unload.c_str());
}

class Load : public RegisteredServer {};

TEST_F(Load, TwentyFiveControlsOnFiveThreadsKeepTheirPaceShowNoBoxLetGoAndLeaveTheLibraryUnloadable) {
  // Set here rather than by the ctest command: every child must run on the same bus, and this
  // process, which makes no control, outlives any crash of the library to take it away again.
  const Settings settings(g_sim ? std::map<std::wstring, std::wstring>{{L"Bus", L"SIM"}}
                                : std::map<std::wstring, std::wstring>{});
  const std::string terminal = g_sim ? "0" : "1";

  // Each class alone, once per invocation of the program: the same build, mode and window.
  static std::map<std::string, int> alone;
  for (const Instrument& instrument : kInstruments) {
    const std::string progId = Narrow(instrument.progId);
    if (alone.count(progId)) continue;
    const ChildRun run = RunChild(L"--alone=" + std::wstring(instrument.progId), AloneDeadlineMs());
    const Report report = Parse(run.lines);
    ASSERT_EQ("", Outcome(run.exitCode, report)) << progId << " alone";
    ASSERT_EQ(terminal, report.terminal) << progId << " alone: whether the debug terminal shows, for the mode";
    ASSERT_EQ(std::vector<std::string>{}, report.boxes) << progId << " alone showed a box";
    ASSERT_EQ(1u, report.controls.size());
    ASSERT_GT(report.controls[0].count, 0) << progId << " alone took no reading after its first";
    alone[progId] = report.controls[0].count;
  }

  const ChildRun run = RunChild(L"--load", LoadDeadlineMs());
  const Report load = Parse(run.lines);
  PrintTable(alone, load);
  EXPECT_EQ("", Outcome(run.exitCode, load)) << "how the load process ended";
  EXPECT_EQ(terminal, load.terminal) << "whether the debug terminal shows, for the mode";
  EXPECT_EQ(std::vector<std::string>{}, load.unready)
      << "threads still making their controls " << kCreateMs << " ms after the host's first";
  EXPECT_EQ(kControls, load.controls.size()) << "controls whose readings were counted";
  for (const auto& c : load.controls) {
    const int reference = alone[c.progId];
    EXPECT_GE(c.count, kPaceShare * reference)
        << (c.owner == "main" ? "main thread" : "thread " + c.owner) << ", " << c.progId << " at Port " << c.port
        << ": " << (c.count < 0 ? "no reading at all" : std::to_string(c.count) + " readings")
        << " in " << g_seconds << " s after its first (" << Fixed(Pace(std::max(c.count, 0))) << "/s); alone "
        << reference << " (" << Fixed(Pace(reference)) << "/s); at least " << kPaceShare * 100 << " % needed";
  }
  EXPECT_EQ(std::vector<std::string>{}, load.boxes) << "boxes came up under load";
  for (int i = 1; i <= kApartments; ++i) {
    const auto ms = load.letGo.find(std::to_string(i));
    EXPECT_TRUE(ms != load.letGo.end() && ms->second >= 0 && ms->second <= kLetGoBoundMs)
        << "thread " << i << " let its controls go and ended "
        << (ms == load.letGo.end() ? "- (not reported)"
            : ms->second < 0       ? "not within " + std::to_string(kLetGoWaitMs) + " ms"
                                   : std::to_string(ms->second) + " ms")
        << " after being asked; " << kLetGoBoundMs << " ms allowed";
  }
  EXPECT_EQ("0x00000000", load.unload) << "DllCanUnloadNow with every control released and the threads gone";
}

// Counts the runs for the closing line: each run is one repetition of the test.
class RunCount : public ::testing::EmptyTestEventListener {
 public:
  void OnTestEnd(const ::testing::TestInfo& info) override { ++(info.result()->Passed() ? passed : failed); }
  int passed = 0, failed = 0;
};

}  // namespace

int main(int argc, char** argv) {
  std::vector<char*> kept;
  std::string role, repeat;
  bool modeGiven = false;
  for (int i = 0; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--mode=debug" || a == "--mode=sim") {
      g_sim = a == "--mode=sim";
      modeGiven = true;
    } else if (a.rfind("--seconds=", 0) == 0) {
      g_seconds = std::atoi(a.c_str() + 10);
    } else if (a.rfind("--runs=", 0) == 0) {
      repeat = "--gtest_repeat=" + a.substr(7);
    } else if (a == "--load" || a.rfind("--alone=", 0) == 0) {
      role = a;
    } else {
      kept.push_back(argv[i]);
    }
  }
  if (!modeGiven || g_seconds <= 0 || kept.size() < 2) {
    std::fprintf(stderr, "usage: %s <Windows path of Apparata.ocx> --mode=debug|sim [--seconds=W] [--runs=N]\n",
                 argv[0]);
    return 2;
  }
  if (!role.empty()) {
    std::wstring path = Widen(kept[1]);
    std::replace(path.begin(), path.end(), L'/', L'\\');
    ServerPath() = path;
    if (FAILED(OleInitialize(nullptr))) return 2;
    int result = 2;
    if (role == "--load") {
      result = RunHost(kInstruments[0], kApartments);
    } else {
      const std::wstring progId = Widen(role.substr(8));
      for (const Instrument& instrument : kInstruments)
        if (progId == instrument.progId) result = RunHost(instrument, 0);
    }
    OleUninitialize();
    return result;
  }
  if (!repeat.empty()) kept.push_back(repeat.data());
  auto* count = new RunCount;  // GoogleTest owns it from here
  ::testing::UnitTest::GetInstance()->listeners().Append(count);
  kept.push_back(nullptr);
  const int result = server_test::RunTests(static_cast<int>(kept.size()) - 1, kept.data());
  std::printf("load: %d passed, %d failed\n", count->passed, count->failed);
  return result;
}
