// Soak: 100,000 free-running readings of each control on the virtual clock, alone and all three
// together on one card, with 1% of the examined bus operations failing at random (seeded). Every
// failure must be accounted for (an error box, an error raised to the host, or a sweep stopped, as
// the analyzer's sweep step ends silently) and the heap in use must not grow from reading 10,000
// to the end.
#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <tuple>
#include <type_traits>

#include "Controls.h"
#include "QuietBus.h"
#include "hpib/HPIBDrv.h"
#include "toolkit/headless/HeadlessPlatform.h"

namespace {

constexpr unsigned long long kCycles = 100000;  // readings, each ending in OnData
constexpr unsigned long long kSettled = 10000;  // the heap is compared from here to the end
constexpr long kHeapBound = 4096;               // bytes the heap in use may differ by

struct Result {
  unsigned long long calls = 0, examined = 0, injected = 0, shown = 0, raised = 0, sweepStops = 0, data = 0;
  long heapSettled = 0, heapEnd = 0;
  bool Sound() const { return shown + raised + sweepStops == injected && heapEnd - heapSettled <= kHeapBound; }
};

long HeapInUse() { return static_cast<long>(mallinfo2().uordblks); }

// One free-running control of the soak.
template <class Device>
struct Running {
  using Traits = perf::ControlTraits<Device>;
  Running() {
    device->InitializeForm();
    device->SetEventSink(sink);
    device->Set_Port(Traits::port);
    if constexpr (std::is_same_v<Device, instruments::THP4191Device>) {
      // A sweep that does not reach its limit: every tick writes the next frequency.
      device->ScanFrame.MaxEdit.SetText(L"1000000");
      device->Set_Text(L"SCANUP");
    }
  }
  // Free-running ends at a failure; start it again as a host would.
  void Restart(Result& result) {
    if (device->Timer.Enabled()) return;
    try {
      device->Set_InternalTrigger(true);
    } catch (const hpib::EHardwareError&) {
      ++result.raised;
    }
  }
  // The analyzer's sweep step ends free-running without a word when its write fails.
  void CountSilentStop(Result& result) { result.sweepStops += !device->Get_InternalTrigger(); }

  std::shared_ptr<perf::DataCounter> sink = std::make_shared<perf::DataCounter>();
  toolkit::FormPtr<Device> device = toolkit::CreateForm<Device>();
};

// Runs the controls together on one platform and one card until each has taken kCycles readings.
template <class... Devices>
Result Soak(const std::string& reply) {
  constexpr unsigned kStep = 100;  // ms; every interval is a multiple
  Result result;
  toolkit::HeadlessPlatform platform;
  perf::QuietBus::Faults faults;
  faults.rate = 0.01;
  hpib::HPIBLoad(std::make_unique<perf::QuietBus>(reply, faults));
  {
    std::tuple<Running<Devices>...> controls;
    const auto fewest = [&] { return std::apply([](auto&... c) { return std::min({c.sink->data...}); }, controls); };
    bool settled = false;
    while (fewest() < kCycles) {
      if (!settled && fewest() >= kSettled) {
        result.heapSettled = HeapInUse();
        settled = true;
      }
      std::apply([&](auto&... c) { (c.Restart(result), ...); }, controls);
      platform.Advance(kStep);
      result.shown += platform.errors.size();
      platform.errors.clear();
      std::apply([&](auto&... c) { (c.CountSilentStop(result), ...); }, controls);
    }
    result.heapEnd = HeapInUse();
    result.data = std::apply([](auto&... c) { return (c.sink->data + ...); }, controls);
  }
  hpib::HPIBUnload();
  result.calls = faults.calls;
  result.examined = faults.examined;
  result.injected = faults.injected;
  return result;
}

bool Report(const char* name, const Result& r) {
  std::printf("%-9s %8llu %10llu %9llu %8llu %7llu %7llu %7llu %11ld %11ld %+7ld  %s\n", name, r.data, r.calls,
              r.examined, r.injected, r.shown, r.raised, r.sweepStops, r.heapSettled, r.heapEnd,
              r.heapEnd - r.heapSettled, r.Sound() ? "ok" : "FAILED");
  return r.Sound();
}

}  // namespace

int main() {
  std::printf("%-9s %8s %10s %9s %8s %7s %7s %7s %11s %11s %7s\n", "control", "readings", "calls", "examined",
              "injected", "shown", "raised", "swept", "heap@10000", "heap@end", "delta");
  using namespace instruments;
  bool sound = Report("B7-40/5", Soak<TB740Device>(perf::ControlTraits<TB740Device>::reply));
  sound = Report("E7-12", Soak<TE712Device>(perf::ControlTraits<TE712Device>::reply)) && sound;
  sound = Report("HP 4191A", Soak<THP4191Device>(perf::ControlTraits<THP4191Device>::reply)) && sound;
  // One card for all: a failure of any control closes it, the next bus step of any reopens it.
  // The multimeter's reply serves all three; each parser takes any reply.
  sound = Report("all three", Soak<TB740Device, TE712Device, THP4191Device>(perf::ControlTraits<TB740Device>::reply)) &&
          sound;
  std::printf("failures accounted = injected (shown in the error box + raised to the host + sweeps stopped);\n"
              "heap in use (bytes) may differ by at most %ld between reading %llu and the end\n", kHeapBound, kSettled);
  return sound ? 0 : 1;
}
