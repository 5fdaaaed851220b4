// Soak: 100,000 free-running measurement cycles of each control on the virtual clock, with 1% of
// the examined driver calls failing at random (seeded). Every failure must be accounted for (an
// error box, an error raised to the host, or a sweep stopped, as the analyzer's sweep step ends
// silently) and the heap in use must not grow between cycle 10,000 and the end.
#include <malloc.h>

#include <cstdio>
#include <memory>

#include "Controls.h"
#include "QuietDriver.h"
#include "hpib/HPIBDrv.h"
#include "toolkit/headless/HeadlessPlatform.h"

namespace {

constexpr unsigned long long kCycles = 100000;  // readings, each ending in OnData
constexpr unsigned long long kSettled = 10000;  // the heap is compared from here to the end
constexpr long kHeapBound = 4096;             // bytes the heap in use may differ by

struct Result {
  unsigned long long calls = 0, examined = 0, injected = 0, shown = 0, raised = 0, sweepStops = 0, data = 0;
  long heapSettled = 0, heapEnd = 0;
  bool Sound() const { return shown + raised + sweepStops == injected && heapEnd - heapSettled <= kHeapBound; }
};

long HeapInUse() { return static_cast<long>(mallinfo2().uordblks); }

template <class Device>
Result Soak() {
  using Traits = perf::ControlTraits<Device>;
  Result result;
  toolkit::HeadlessPlatform platform;
  perf::QuietDriver::Faults faults;
  faults.rate = 0.01;
  hpib::HPIBLoad(std::make_unique<perf::QuietDriver>(Traits::reply, faults));
  {
    auto sink = std::make_shared<perf::DataCounter>();
    auto device = toolkit::CreateForm<Device>();
    device->InitializeForm();
    device->SetEventSink(sink);
    device->Set_Port(Traits::port);
    if constexpr (std::is_same_v<Device, instruments::THP4191Device>) {
      // A sweep that does not reach its limit: every tick writes the next frequency.
      device->ScanFrame.MaxEdit.SetText(L"1000000");
      device->Set_Text(L"SCANUP");
    }
    bool settled = false;
    while (sink->data < kCycles) {
      if (!settled && sink->data >= kSettled) {
        result.heapSettled = HeapInUse();
        settled = true;
      }
      // Free-running ends at a failure; start it again as a host would.
      if (!device->Timer.Enabled()) {
        try {
          device->Set_InternalTrigger(true);
        } catch (const hpib::EHardwareError&) {
          ++result.raised;
          continue;
        }
      }
      platform.Advance(device->Timer.Interval());
      result.shown += platform.errors.size();
      platform.errors.clear();
      if (!device->Get_InternalTrigger()) ++result.sweepStops;
    }
    result.heapEnd = HeapInUse();
    result.data = sink->data;
  }
  hpib::HPIBUnload();
  result.calls = faults.calls;
  result.examined = faults.examined;
  result.injected = faults.injected;
  return result;
}

template <class Device>
bool Report() {
  const Result r = Soak<Device>();
  std::printf("%-9s %8llu %10llu %9llu %8llu %7llu %7llu %7llu %11ld %11ld %+7ld  %s\n",
              perf::ControlTraits<Device>::name, r.data, r.calls, r.examined, r.injected, r.shown, r.raised,
              r.sweepStops, r.heapSettled, r.heapEnd, r.heapEnd - r.heapSettled, r.Sound() ? "ok" : "FAILED");
  return r.Sound();
}

}  // namespace

int main() {
  std::printf("%-9s %8s %10s %9s %8s %7s %7s %7s %11s %11s %7s\n", "control", "readings", "calls", "examined",
              "injected", "shown", "raised", "swept", "heap@10000", "heap@end", "delta");
  bool sound = Report<instruments::TB740Device>();
  sound = Report<instruments::TE712Device>() && sound;
  sound = Report<instruments::THP4191Device>() && sound;
  std::printf("failures accounted = injected (shown in the error box + raised to the host + sweeps stopped);\n"
              "heap in use (bytes) may differ by at most %ld between reading %llu and the end\n", kHeapBound, kSettled);
  return sound ? 0 : 1;
}
