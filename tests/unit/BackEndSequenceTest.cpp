// Every operation of the driver layer, in one order, on each back end: each succeeds, and each
// back end does it in its own words (debug mode's terminal lines, the 16-bit driver's entry
// points, VISA's calls, the bench's trace, the replay's lines of a trace the bench recorded).
// The layer's trace of it has the same operation lines whatever the back end, but for the
// reply; the back end's own words follow indented. One test over every back end, so that a new
// one is held to the same sequence.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "../fake_visa/FakeVisa.h"
#include "LayerFixtures.h"
#include "RecordingEntryPoints.h"
#include "hpib/sim/BenchFile.h"
#include "hpib/replay/ReplayBus.h"
#include "hpib/sim/SimBus.h"
#include "hpib/trace/TraceLine.h"
#include "hpib/visa/VisaBus.h"

namespace {

using namespace hpib;
using Record = std::vector<std::string>;

// Every operation once, as the test below checks them.
void RunSequence(std::string& buffer) {
  std::uint16_t length = HPIBMaxMessage;
  EXPECT_EQ(HPIBOpenCard(7), 0);
  EXPECT_EQ(HPIBReset(7), 0);
  EXPECT_EQ(HPIBTimeout(7, 3.0), 0);
  EXPECT_EQ(HPIBClear(703), 0);
  EXPECT_EQ(HPIBLocal(7), 0);
  EXPECT_EQ(HPIBTrigger(717), 0);
  EXPECT_EQ(HPIBOutput(717, "A4EN", 4), 0);
  EXPECT_EQ(HPIBOutputBytes(703, "\x2A", 1), 0);
  EXPECT_EQ(HPIBEnter(703, buffer.data(), length), 0);
  EXPECT_TRUE(HPIBIsOpen());
  EXPECT_EQ(HPIBClose(), 0);
  EXPECT_FALSE(HPIBIsOpen());
}

// A trace with times known to the character: every operation takes 0.250 ms.
BusTrace TraceInto(Record& lines, const char* backEnd) {
  return {[&lines](const std::string& line) { lines.push_back(line); }, backEnd, "1.0.0",
          {[] { return std::string("2026-12-08T14:03:10.120+01:00"); },
           [now = std::int64_t{0}]() mutable { return now += 250; }}};
}

struct DebugMode {
  const char* name = "debug mode";
  void Load(BusTrace trace) {
    terminal->Show();
    HPIBLoad(std::make_unique<DebugBus>(terminal.get(), L'.'), std::move(trace));
  }
  Record Take() {
    Record lines;
    for (const std::wstring& line : terminal->DebugMemo.Lines()) lines.emplace_back(line.begin(), line.end());
    terminal->DebugMemo.ClearLines();
    return lines;
  }
  const char* reply = "2.0723E+1 D";  // the simulated E7-12's
  const Record words{"Card #7 opened", "Reset address 7", "Set timeout 3 for card 7", "Cleared address 703",
                     "Set local address 7", "Trigger address 717",
                     "Write to 717: A4EN" + std::string(55, ' '),  // echoed in a field of 59
                     "Write bytes to 703", "Read from 703: 2.0723E+1 D", "Library closed"};
  const char* firstDetail = "  Card #7 opened";
  toolkit::HeadlessPlatform platform;
  toolkit::FormPtr<terminal::TDebugTerminal> terminal = toolkit::CreateForm<terminal::TDebugTerminal>();
};

struct SixteenBitDriver {
  const char* name = "HPIB_THK.DLL";
  void Load(BusTrace trace) {
    driver.reply = "2.0723E+1 D";
    HPIBLoad(std::make_unique<EntryPointBus>(std::make_unique<testing_support::RecordingEntryPoints>(driver)),
             std::move(trace));
  }
  Record Take() { return std::exchange(driver.calls, {}); }
  const char* reply = "2.0723E+1 D";
  // Bytes go through the transfer buffer one by one, each entry point with the address and 1.
  const Record words{"OpenHPIB(7,1)", "ResetHPIB(7,1)", "TimeoutHPIB(3000,7)", "ClearHPIB(703,1)", "LocalHPIB(7,1)",
                     "TriggerHPIB(717,1)", "SetBufLen(4,1)", "SetBuf(1,65)", "SetBuf(2,52)", "SetBuf(3,69)",
                     "SetBuf(4,78)", "OutputsHPIB(717,1)", "SetBufLen(1,1)", "SetBuf(1,42)", "OutputABHPIB(703,1)",
                     "EntersHPIB(703,1)", "GetBufLen(1,1)", "GetBuf(1,1)", "GetBuf(2,1)", "GetBuf(3,1)",
                     "GetBuf(4,1)", "GetBuf(5,1)", "GetBuf(6,1)", "GetBuf(7,1)", "GetBuf(8,1)", "GetBuf(9,1)",
                     "GetBuf(10,1)", "GetBuf(11,1)", "CloseHPIB(1,1)"};
  const char* firstDetail = "  OpenHPIB(7,1) -> 0";
  testing_support::RecordingEntryPoints::Log driver;
};

struct Visa {
  const char* name = "VISA board GPIB0";
  void Load(BusTrace trace) {
    visa.listeners = {{{3, "2.0723E+1 D"}, {17, " NRN+1.2305E+01,NXN+5.4324E-01"}}};
    HPIBLoad(std::make_unique<VisaBus>(testing_support::FakeVisa::Table(), 0, nullptr), std::move(trace));
  }
  Record Take() { return std::exchange(visa.calls, {}); }
  const char* reply = "2.0723E+1 D";
  // An instrument's session opens with its first operation; Local and Reset go to the interface.
  const Record words{"viOpenDefaultRM()", "viOpen(GPIB0::INTFC)", "viGpibSendIFC(GPIB0::INTFC)",
                     "viSetAttribute(GPIB0::INTFC,VI_ATTR_TMO_VALUE,3000)", "viOpen(GPIB0::3::INSTR)",
                     "viSetAttribute(GPIB0::3::INSTR,VI_ATTR_TMO_VALUE,3000)", "viClear(GPIB0::3::INSTR)",
                     "viGpibControlREN(GPIB0::INTFC,0)", "viOpen(GPIB0::17::INSTR)",
                     "viSetAttribute(GPIB0::17::INSTR,VI_ATTR_TMO_VALUE,3000)", "viAssertTrigger(GPIB0::17::INSTR,0)",
                     "viWrite(GPIB0::17::INSTR,\"A4EN\")", "viSetAttribute(GPIB0::3::INSTR,VI_ATTR_SEND_END_EN,0)",
                     "viWrite(GPIB0::3::INSTR,\"*\")", "viRead(GPIB0::3::INSTR,1024)", "viClose(RM)"};
  const char* firstDetail = "  viOpenDefaultRM RM -> 0x00000000 Operation completed successfully.";
  testing_support::FakeVisa visa;
};

struct Bench {
  const char* name = "simulated bench";
  void Load(BusTrace layerTrace) {
    const auto bench = sim::ParseBench("[3]\ninstrument = E7-12\nr = 12\n[17]\ninstrument = HP4191A\nr = 5\n");
    HPIBLoad(std::make_unique<sim::SimBus>(std::get<sim::Bench>(bench),
                                           [this](const std::string& line) { trace.push_back(line); }),
             std::move(layerTrace));
  }
  Record Take() { return std::exchange(trace, {}); }
  const char* reply = "0.0000E+0 L";  // the E7-12 untriggered
  const Record words{"7 Open -> 0", "7 Reset -> 0", "7 Timeout 3000 ms -> 0", "703 Clear -> 0", "7 Local -> 0",
                     "717 Trigger -> 0", "717 Write sent \"A4EN\" END -> 0", "703 Write sent \"*\" -> 0",
                     "703 Read received \"0.0000E+0 L\" -> 0", "Close -> 0"};
  const char* firstDetail = "  7 Open -> 0";
  Record trace;
};

// The bench's trace of the sequence, played back.
struct Replay {
  const char* name = "replay of bench.trace";
  void Load(BusTrace layerTrace) {
    Record recorded;
    Bench bench;
    bench.Load(TraceInto(recorded, "simulated bench"));
    std::string buffer(250, ' ');
    RunSequence(buffer);
    HPIBUnload();
    std::string text;
    for (const std::string& line : recorded) text += line + "\n";
    auto replay = OpenReplay("bench.trace", [text] { return StreamLines(std::make_shared<std::istringstream>(text)); });
    const TraceSink sink = std::move(layerTrace.sink);
    layerTrace.sink = [this, sink](const std::string& line) {
      if (IsTraceDetail(line)) said.push_back(line.substr(2));
      sink(line);
    };
    HPIBLoad(std::move(std::get<std::unique_ptr<ReplayBus>>(replay)), std::move(layerTrace));
  }
  Record Take() { return std::exchange(said, {}); }
  const char* reply = "0.0000E+0 L";
  // Each operation answered by its line of the bench's trace, after the bench's own lines.
  const Record words{"line 2", "line 4", "line 6", "line 8", "line 10", "line 12", "line 14", "line 16", "line 18",
                     "line 20"};
  const char* firstDetail = "  line 2";
  Record said;
};

template <class BackEnd>
class BackEndSequenceTest : public ::testing::Test {
 protected:
  void SetUp() override { backEnd.Load(TraceInto(trace, backEnd.name)); }
  void TearDown() override { HPIBUnload(); }
  BackEnd backEnd;
  Record trace;
};

using BackEnds = ::testing::Types<DebugMode, SixteenBitDriver, Visa, Bench, Replay>;
TYPED_TEST_SUITE(BackEndSequenceTest, BackEnds);

TYPED_TEST(BackEndSequenceTest, EveryOperationSucceedsInItsOwnWords) {
  std::string buffer(250, ' ');
  RunSequence(buffer);
  EXPECT_EQ(buffer.substr(0, 12), this->backEnd.reply + std::string(" "));
  EXPECT_EQ(this->backEnd.Take(), this->backEnd.words);
}

TYPED_TEST(BackEndSequenceTest, TheLayersTraceHasTheSameOperationLinesOnEveryBackEnd) {
  std::string buffer(250, ' ');
  RunSequence(buffer);
  const std::string at = "2026-12-08T14:03:10.120+01:00 1 ", done = " received \"\" 0.250 ms";
  const Record expected{
      "ApparataBusTrace 1 library \"1.0.0\" backend \"" + std::string(this->backEnd.name) + "\"",
      at + "Open 7 sent \"\" -> 0 Success" + done,
      at + "Reset 7 sent \"\" -> 0 Success" + done,
      at + "Timeout 7 3 s sent \"\" -> 0 Success" + done,
      at + "Clear 703 sent \"\" -> 0 Success" + done,
      at + "Local 7 sent \"\" -> 0 Success" + done,
      at + "Trigger 717 sent \"\" -> 0 Success" + done,
      at + "Output 717 sent \"A4EN\" -> 0 Success" + done,
      at + "OutputBytes 703 sent \"*\" -> 0 Success" + done,
      at + "Enter 703 sent \"\" -> 0 Success received \"" + this->backEnd.reply + "\" 0.250 ms",
      at + "Close - sent \"\" -> 0 Success" + done};
  Record operations;
  for (const std::string& line : this->trace)
    if (!IsTraceDetail(line)) operations.push_back(line);
  EXPECT_EQ(operations, expected);
  ASSERT_GT(this->trace.size(), 2u);
  EXPECT_EQ(this->trace[2], this->backEnd.firstDetail);
}

}  // namespace
