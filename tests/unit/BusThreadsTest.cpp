// Controls on several threads share the driver layer: each thread's operations reach the driver
// (or, in debug mode, the bus log) whole and in its own order, however the threads interleave.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "RecordingBus.h"
#include "RecordingEntryPoints.h"
#include "ResultCodes.h"
#include "framework/HPIBDev.h"
#include "hpib/DebugBus.h"
#include "hpib/EntryPointBus.h"
#include "hpib/HPIBDrv.h"
#include "toolkit/headless/HeadlessPlatform.h"

namespace {

constexpr int kThreads = 4;
constexpr int kRounds = 2000;

// What reached the bus, each entry with the thread it came from; also debug mode's bus log. Each
// driver call and each line is recorded whole under the trace's own lock, as a driver serves one
// call at a time: what is tested is whether the layer keeps an operation's calls together.
struct Trace : hpib::BusLog {
  std::mutex mutex;
  std::vector<std::pair<int, std::string>> entries;
  static thread_local int thread;
  void Log(const std::wstring& line) override {
    const std::lock_guard<std::mutex> lock(mutex);
    entries.emplace_back(thread, std::string(line.begin(), line.end()));
  }
};
thread_local int Trace::thread = 0;

class TaggingDriver : public hpib::EntryPoints {
 public:
  TaggingDriver(testing_support::RecordingEntryPoints::Log& log, Trace& trace) : recorder_(log), log_(log), trace_(trace) {}
  std::uint32_t GetProcAddress16(const char* name) override { return recorder_.GetProcAddress16(name); }
  std::uint16_t Call16(std::uint32_t address, std::uint16_t first, std::uint16_t second) override {
    const std::lock_guard<std::mutex> lock(trace_.mutex);
    const std::uint16_t result = recorder_.Call16(address, first, second);
    trace_.entries.emplace_back(Trace::thread, log_.calls.back());
    return result;
  }

 private:
  testing_support::RecordingEntryPoints recorder_;
  testing_support::RecordingEntryPoints::Log& log_;
  Trace& trace_;
};

// One round of a control's bus steps: a write of the thread's own text, a read, a trigger; each
// thread its own address and a text of its own length. `ended` runs after each operation.
template <class Ended>
void Round(int thread, Ended ended) {
  const std::int32_t address = 711 + thread;
  const std::string text(10 + thread, static_cast<char>('A' + thread));
  char reply[hpib::HPIBMaxMessage + 1] = {};
  std::uint16_t length = hpib::HPIBMaxMessage;
  hpib::HPIBOutput(address, text.data(), static_cast<std::uint16_t>(text.size()));
  ended();
  hpib::HPIBEnter(address, reply, length);
  ended();
  hpib::HPIBTrigger(address);
  ended();
}

class BusThreads : public ::testing::Test {
 protected:
  void Start() {
    log_.reply = "R +11350E-4\r\n";
    hpib::HPIBLoad(std::make_unique<hpib::EntryPointBus>(std::make_unique<TaggingDriver>(log_, trace_)));
  }
  void TearDown() override { hpib::HPIBUnload(); }

  // The entries of one round of `thread`, run alone; and where each of its operations ends.
  std::pair<std::vector<std::string>, std::vector<std::size_t>> Alone(int thread) {
    trace_.entries.clear();
    Trace::thread = thread;
    std::vector<std::size_t> ends;
    Round(thread, [&] { ends.push_back(trace_.entries.size()); });
    std::vector<std::string> entries;
    for (auto& entry : trace_.entries) entries.push_back(entry.second);
    trace_.entries.clear();
    return {entries, ends};
  }

  toolkit::HeadlessPlatform platform;
  testing_support::RecordingEntryPoints::Log log_;
  Trace trace_;
};

TEST_F(BusThreads, EveryOperationReachesTheBusWholeAndInItsThreadsOrder) {
  Start();
  std::vector<std::vector<std::string>> round(kThreads);
  std::vector<std::vector<std::size_t>> ends(kThreads);
  for (int t = 0; t < kThreads; ++t) std::tie(round[t], ends[t]) = Alone(t);

  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([t] {
      Trace::thread = t;
      for (int i = 0; i < kRounds; ++i) Round(t, [] {});
    });
  for (std::thread& thread : threads) thread.join();

  // Walk the trace: an entry continues its thread's round where it left off, and another
  // thread may come in only where the last thread's operation has ended.
  std::vector<std::size_t> position(kThreads, 0);
  int previous = -1;
  int interleavings = 0;
  for (std::size_t i = 0; i < trace_.entries.size(); ++i) {
    const auto& [thread, entry] = trace_.entries[i];
    if (previous >= 0 && thread != previous) {
      ++interleavings;
      const std::size_t at = position[previous] % round[previous].size();
      ASSERT_TRUE(at == 0 || std::find(ends[previous].begin(), ends[previous].end(), at) != ends[previous].end())
          << "thread " << thread << " came in at entry " << i << " inside an operation of thread " << previous;
    }
    const std::string& expected = round[thread][position[thread] % round[thread].size()];
    ASSERT_EQ(expected, entry) << "entry " << i << " of thread " << thread;
    ++position[thread];
    previous = thread;
  }
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(kRounds * round[t].size(), position[t]) << "thread " << t;
  RecordProperty("interleavings", interleavings);
}

// Debug mode's simulated instruments draw their digits from the one generator of the back end:
// the replies, in the order the log has them, are the generator's own sequence only when no
// read came into another.
TEST(DebugModeThreads, RepliesInTheLogsOrderAreTheGeneratorsSequence) {
  toolkit::HeadlessPlatform platform;
  Trace trace;
  hpib::HPIBLoad(std::make_unique<hpib::DebugBus>(&trace, L'.'));
  static constexpr std::int32_t kAddresses[] = {703, 707, 717};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([t] {
      for (int i = 0; i < kRounds; ++i) {
        char reply[hpib::HPIBMaxMessage] = {};
        std::uint16_t length = sizeof reply;
        hpib::HPIBEnter(kAddresses[(t + i) % std::size(kAddresses)], reply, length);
      }
    });
  for (std::thread& thread : threads) thread.join();
  hpib::HPIBUnload();

  ASSERT_EQ(trace.entries.size(), std::size_t{kThreads * kRounds});
  hpib::RandomGenerator replay;
  for (const auto& [thread, line] : trace.entries) {
    const int address = std::stoi(line.substr(std::string("Read from ").size()));
    ASSERT_EQ(line, "Read from " + std::to_string(address) + ": " + hpib::SimulatedReply(address, replay));
  }
}

// Two controls whose first bus steps start at once: the card is opened, reset and given its
// timeout once, and neither control's command comes in between.
TEST(CardOpening, TwoControlsStartingAtOnceOpenTheCardOnceAndWhole) {
  toolkit::HeadlessPlatform platform;
  toolkit::FormPtr<framework::THPIBDevice> devices[] = {toolkit::CreateForm<framework::THPIBDevice>(),
                                                       toolkit::CreateForm<framework::THPIBDevice>()};
  const std::vector<std::string> opening{"Open(7)", "Reset(7)", "Timeout(7,3)"};
  for (int trial = 0; trial < 200; ++trial) {
    testing_support::RecordingBus::Log log;
    hpib::HPIBLoad(std::make_unique<testing_support::RecordingBus>(log));
    std::atomic<int> ready{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 2; ++t)
      threads.emplace_back([&, t] {
        ++ready;
        while (ready < 2) std::this_thread::yield();
        devices[t]->Set_Text(t == 0 ? L"A" : L"B");
      });
    for (std::thread& thread : threads) thread.join();
    hpib::HPIBUnload();
    ASSERT_EQ(5u, log.calls.size()) << "trial " << trial << ": " << ::testing::PrintToString(log.calls);
    EXPECT_EQ(opening, std::vector<std::string>(log.calls.begin(), log.calls.begin() + 3))
        << "trial " << trial << ": " << ::testing::PrintToString(log.calls);
  }
}

}  // namespace
