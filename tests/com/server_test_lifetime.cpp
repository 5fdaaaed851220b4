// Controls created, used and released by the thousand, and a hundred running free at once: the
// process's memory, GDI and USER objects and handles come back to where they started, and the
// server may be unloaded at the end.
// Usage: server_lifetime_test <Windows path of Apparata.ocx> [--cycles=N] [GoogleTest options]
// N create-use-release cycles of each class (1000 unless given).

#include "server_test_support.h"

#include <ocidl.h>
#include <psapi.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "Apparata_h.h"

namespace {

using namespace server_test;

int g_cycles = 1000;

// What the process holds, as the system counts it.
struct Resources {
  long long privateBytes = 0;
  long long gdiObjects = 0;
  long long userObjects = 0;
  long long handles = 0;
};

// Wine 8 answers 0 for the private bytes, the GUI objects and the handle count; there they are
// counted by hand. GDI handle values are small indexes there, and an index alone, without the
// generation in the upper word, names the live object.
long long CommittedPrivateBytes() {
  long long total = 0;
  MEMORY_BASIC_INFORMATION region{};
  for (auto* address = static_cast<const char*>(nullptr);
       VirtualQuery(address, &region, sizeof region) == sizeof region;
       address = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += static_cast<long long>(region.RegionSize);
    if (region.RegionSize == 0) break;
  }
  return total;
}

long long ProbedGdiObjects() {
  long long count = 0;
  for (ULONG_PTR index = 1; index < 0x10000; ++index)
    if (GetObjectType(reinterpret_cast<HGDIOBJ>(index))) ++count;
  return count;
}

// Windows of this process, listed: a top-level or message-only window and all its descendants.
// Probing every handle value instead costs a round trip to the Wine server each.
BOOL CALLBACK CountIfOwn(HWND window, LPARAM count) {
  DWORD process = 0;
  if (GetWindowThreadProcessId(window, &process) && process == GetCurrentProcessId())
    ++*reinterpret_cast<long long*>(count);
  return TRUE;
}

BOOL CALLBACK CountTree(HWND top, LPARAM count) {
  DWORD process = 0;
  if (!GetWindowThreadProcessId(top, &process) || process != GetCurrentProcessId()) return TRUE;
  ++*reinterpret_cast<long long*>(count);
  EnumChildWindows(top, CountIfOwn, count);
  return TRUE;
}

long long ListedUserObjects() {
  long long count = 0;
  EnumWindows(CountTree, reinterpret_cast<LPARAM>(&count));
  for (HWND window = nullptr; (window = FindWindowExW(HWND_MESSAGE, window, nullptr, nullptr));)
    CountTree(window, reinterpret_cast<LPARAM>(&count));
  // Menus are checked without the server.
  for (ULONG_PTR index = 1; index < 0x10000; ++index)
    if (IsMenu(reinterpret_cast<HMENU>(index))) ++count;
  return count;
}

// Handles of this process from the system's handle table, in one call.
long long ListedHandles() {
  struct Entry {
    PVOID object;
    ULONG_PTR process;
    ULONG_PTR handle;
    ULONG access;
    USHORT creatorBackTrace;
    USHORT type;
    ULONG attributes;
    ULONG reserved;
  };
  using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
  const auto query = Export<Query>(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation");
  constexpr ULONG kExtendedHandleInformation = 64;
  constexpr LONG kLengthMismatch = static_cast<LONG>(0xC0000004);
  std::vector<ULONG_PTR> buffer(1 << 16);
  LONG status;
  ULONG needed = 0;
  while ((status = query(kExtendedHandleInformation, buffer.data(),
                         static_cast<ULONG>(buffer.size() * sizeof(ULONG_PTR)), &needed)) == kLengthMismatch)
    buffer.resize(buffer.size() * 2);
  if (status != 0) {
    ADD_FAILURE() << "the handle table could not be read: " << std::hex << status;
    return 0;
  }
  const ULONG_PTR entries = buffer[0];
  const auto* entry = reinterpret_cast<const Entry*>(buffer.data() + 2);
  return std::count_if(entry, entry + entries, [](const Entry& e) { return e.process == GetCurrentProcessId(); });
}

Resources Measure() {
  Resources r;
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof memory;
  if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory))
    r.privateBytes = static_cast<long long>(memory.PrivateUsage);
  if (r.privateBytes == 0) r.privateBytes = CommittedPrivateBytes();
  r.gdiObjects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  if (r.gdiObjects == 0) r.gdiObjects = ProbedGdiObjects();
  r.userObjects = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  if (r.userObjects == 0) r.userObjects = ListedUserObjects();
  DWORD handles = 0;
  if (GetProcessHandleCount(GetCurrentProcess(), &handles)) r.handles = handles;
  if (r.handles == 0) r.handles = ListedHandles();
  return r;
}

std::string Describe(const Resources& r) {
  std::ostringstream text;
  text << "private " << r.privateBytes << " B, GDI " << r.gdiObjects << ", USER " << r.userObjects << ", handles "
       << r.handles;
  return text.str();
}

// Growth allowed between two measurements. Heap pages once touched stay with the process, and
// the debug terminal keeps up to its line limit of text; nothing else may grow.
constexpr long long kPrivateBytesBound = 1 << 20;

void ExpectBack(const Resources& before, const Resources& after) {
  EXPECT_LE(after.privateBytes - before.privateBytes, kPrivateBytesBound);
  EXPECT_LE(after.gdiObjects, before.gdiObjects);
  EXPECT_LE(after.userObjects, before.userObjects);
  EXPECT_LE(after.handles, before.handles);
  std::printf("  before: %s\n  after:  %s\n", Describe(before).c_str(), Describe(after).c_str());
}

// One control with its own sink, as a host holds it.
struct Hosted {
  EventSink sink{DIID_IQXDeviceEvents};
  com_ptr<IQXDevice> device;

  std::size_t OnDataCount() const {
    return static_cast<std::size_t>(std::count(sink.events.begin(), sink.events.end(), 3));
  }
};

class Lifetime : public RegisteredServer, public ::testing::WithParamInterface<const wchar_t*> {
 protected:
  // A control of the class, connected to its sink, on Port 7, its Text written and read.
  std::unique_ptr<Hosted> CreateInUse() {
    auto hosted = std::make_unique<Hosted>();
    CLSID clsid{};
    EXPECT_HR(S_OK, CLSIDFromProgID(GetParam(), &clsid));
    EXPECT_HR(S_OK, CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IQXDevice, hosted->device.put_void()));
    if (!hosted->device) return hosted;
    com_ptr<IConnectionPointContainer> container;
    com_ptr<IConnectionPoint> point;
    EXPECT_HR(S_OK, hosted->device->QueryInterface(IID_IConnectionPointContainer, container.put_void()));
    EXPECT_HR(S_OK, container->FindConnectionPoint(DIID_IQXDeviceEvents, point.put()));
    DWORD cookie = 0;
    EXPECT_HR(S_OK, point->Advise(&hosted->sink, &cookie));
    EXPECT_HR(S_OK, hosted->device->put_Port(7));
    unique_bstr command(CommandFor(GetParam()));
    EXPECT_HR(S_OK, hosted->device->put_Text(command.get()));
    unique_bstr text;
    EXPECT_HR(S_OK, hosted->device->get_Text(text.put()));
    return hosted;
  }

  // `count` controls at a time, each triggered once and released after its reading.
  void Cycle(int count) {
    constexpr int kAtOnce = 50;
    for (int done = 0; done < count;) {
      std::vector<std::unique_ptr<Hosted>> batch;
      for (int i = 0; i < kAtOnce && done < count; ++i, ++done) {
        batch.push_back(CreateInUse());
        ASSERT_TRUE(batch.back()->device);
        ASSERT_HR(S_OK, batch.back()->device->Trigger());
      }
      ASSERT_TRUE(PumpUntil([&] { return AllHaveRead(batch, 1); }, 10000)) << "readings missing after " << done;
      Release(batch);
    }
  }

  static bool AllHaveRead(const std::vector<std::unique_ptr<Hosted>>& controls, std::size_t readings) {
    return std::all_of(controls.begin(), controls.end(),
                       [&](const std::unique_ptr<Hosted>& c) { return c->OnDataCount() >= readings; });
  }

  // The host lets go; each control fires OnDestroy and lets go of its sink.
  static void Release(std::vector<std::unique_ptr<Hosted>>& controls) {
    for (auto& hosted : controls) {
      hosted->device.reset();
      EXPECT_EQ(2, hosted->sink.events.back()) << "OnDestroy last";
      EXPECT_EQ(1u, hosted->sink.refs) << "the sink is still held";
    }
    controls.clear();
  }

  static void ExpectUnloadable() {
    const HMODULE server = GetModuleHandleW(ServerPath().c_str());
    ASSERT_NE(nullptr, server);
    EXPECT_HR(S_OK, Export<DllFunctionFn>(server, "DllCanUnloadNow")());
  }
};

TEST_P(Lifetime, CreateUseAndReleaseCyclesLeaveTheProcessAsTheyFoundIt) {
  // The first controls load the type library and make the terminal, fonts and window classes.
  Cycle(50);
  const Resources before = Measure();
  Cycle(g_cycles);
  PumpFor(100);
  std::printf("%d cycles of %ls:\n", g_cycles, GetParam());
  ExpectBack(before, Measure());
  ExpectUnloadable();
}

// A hundred controls at once take the heap to a height it keeps: the first round makes it, the
// second must leave it where it was.
TEST_P(Lifetime, AHundredControlsRunningFreeAtOnceLeaveNothingBehind) {
  Cycle(50);
  DialogWatch dialogs;
  Resources before;
  for (int round = 1; round <= 2; ++round) {
    before = Measure();
    std::vector<std::unique_ptr<Hosted>> controls;
    for (int i = 0; i < 100; ++i) {
      controls.push_back(CreateInUse());
      ASSERT_TRUE(controls.back()->device);
      ASSERT_HR(S_OK, controls.back()->device->put_InternalTrigger(VARIANT_TRUE));
    }
    EXPECT_TRUE(PumpEachUntil([&] { return AllHaveRead(controls, 3); }, 20000)) << "not every control ran free";
    Release(controls);
    PumpFor(100);
  }
  EXPECT_EQ(std::vector<std::wstring>{}, dialogs.texts);
  std::printf("100 free-running %ls, second round:\n", GetParam());
  ExpectBack(before, Measure());
  ExpectUnloadable();
}

INSTANTIATE_TEST_SUITE_P(EachClass, Lifetime,
                         ::testing::Values(L"Apparata.B740X", L"Apparata.E712X", L"Apparata.HP4191X"),
                         [](const ::testing::TestParamInfo<const wchar_t*>& info) {
                           return Narrow(std::wstring(info.param).substr(9));
                         });

}  // namespace

int main(int argc, char** argv) {
  // Our own option goes before GoogleTest sees the rest.
  int kept = 0;
  for (int i = 0; i < argc; ++i) {
    if (std::strncmp(argv[i], "--cycles=", 9) == 0)
      g_cycles = std::atoi(argv[i] + 9);
    else
      argv[kept++] = argv[i];
  }
  return server_test::RunTests(kept, argv);
}
