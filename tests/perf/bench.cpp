// Benchmarks of the portable core with a back end that costs nothing: the CPU time of one
// measurement tick of each control (read, parse, show, OnData, re-trigger) and of creating and
// destroying a control; then the free-running period against the set interval over 1,000 cycles.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include "Controls.h"
#include "QuietBus.h"
#include "hpib/HPIBDrv.h"
#include "toolkit/headless/HeadlessPlatform.h"

namespace {

using instruments::TB740Device;
using instruments::TE712Device;
using instruments::THP4191Device;

// A free-running control on the headless platform, its back end loaded.
template <class Device>
struct Rig {
  using Traits = perf::ControlTraits<Device>;
  Rig() {
    hpib::HPIBLoad(std::make_unique<perf::QuietBus>(Traits::reply, faults));
    device->InitializeForm();
    device->SetEventSink(sink);
    device->Set_Port(Traits::port);
    device->Set_InternalTrigger(true);
  }
  ~Rig() {
    device.reset();
    hpib::HPIBUnload();
  }
  toolkit::HeadlessPlatform platform;
  perf::QuietBus::Faults faults;
  std::shared_ptr<perf::DataCounter> sink = std::make_shared<perf::DataCounter>();
  toolkit::FormPtr<Device> device = toolkit::CreateForm<Device>();
};

template <class Device>
void Tick(benchmark::State& state) {
  Rig<Device> rig;
  const unsigned interval = rig.device->Timer.Interval();
  for (auto _ : state) rig.platform.Advance(interval);
  if (rig.sink->data != static_cast<unsigned long long>(state.iterations()) || !rig.platform.errors.empty()) state.SkipWithError("a tick failed");
  state.counters["interval_ms"] = interval;
  state.counters["bus_operations"] = static_cast<double>(rig.faults.calls) / static_cast<double>(state.iterations());
}

template <class Device>
void CreateDestroy(benchmark::State& state) {
  toolkit::HeadlessPlatform platform;
  for (auto _ : state) {
    auto device = toolkit::CreateForm<Device>();
    device->InitializeForm();
    benchmark::DoNotOptimize(device.get());
  }
}

BENCHMARK_TEMPLATE(Tick, TB740Device)->Name("tick/B7-40/5")->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(Tick, TE712Device)->Name("tick/E7-12")->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(Tick, THP4191Device)->Name("tick/HP 4191A")->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(CreateDestroy, TB740Device)->Name("create+destroy/B7-40/5")->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(CreateDestroy, TE712Device)->Name("create+destroy/E7-12")->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(CreateDestroy, THP4191Device)->Name("create+destroy/HP 4191A")->Unit(benchmark::kMicrosecond);

// The timer restarts when the tick's re-trigger enables it, so a real clock's period is the
// interval plus the time from the tick to that point; the virtual clock charges the tick nothing.
struct OnDataTimes : framework::EventSink {
  void Fire(int dispid) override {
    if (dispid == framework::kOnData) times.push_back(toolkit::CurrentPlatform().Milliseconds());
  }
  std::vector<std::uint64_t> times;
};

template <class Device>
void Period() {
  constexpr int kCycles = 1000;
  Rig<Device> rig;
  auto times = std::make_shared<OnDataTimes>();
  rig.device->SetEventSink(times);
  const unsigned interval = rig.device->Timer.Interval();
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kCycles; ++i) rig.platform.Advance(interval);
  const double tickMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() / kCycles;
  const double virtualPeriod = static_cast<double>(times->times.back() - times->times.front()) / (kCycles - 1);
  std::printf("%-9s %8u %10zu %12.3f %14.4f %12.5f\n", perf::ControlTraits<Device>::name, interval, times->times.size(),
              virtualPeriod, interval + tickMs, 100.0 * tickMs / interval);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::printf("\nFree-running period over 1,000 cycles\n");
  std::printf("%-9s %8s %10s %12s %14s %12s\n", "control", "interval", "readings", "virtual ms", "real-clock ms",
              "drift %");
  Period<TB740Device>();
  Period<TE712Device>();
  Period<THP4191Device>();
  return 0;
}
