// Every operation of the driver layer, in one order, on each back end: each succeeds, and each
// back end does it in its own words (debug mode's terminal lines, the 16-bit driver's entry
// points, VISA's calls, the bench's trace). One test over every back end, so that a new one
// is held to the same sequence.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "../fake_visa/FakeVisa.h"
#include "LayerFixtures.h"
#include "RecordingEntryPoints.h"
#include "hpib/sim/BenchFile.h"
#include "hpib/sim/SimBus.h"
#include "hpib/visa/VisaBus.h"

namespace {

using namespace hpib;
using Record = std::vector<std::string>;

struct DebugMode {
  void Load() {
    terminal->Show();
    HPIBLoad(std::make_unique<DebugBus>(terminal.get(), L'.'));
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
  toolkit::HeadlessPlatform platform;
  toolkit::FormPtr<terminal::TDebugTerminal> terminal = toolkit::CreateForm<terminal::TDebugTerminal>();
};

struct SixteenBitDriver {
  void Load() {
    driver.reply = "2.0723E+1 D";
    HPIBLoad(std::make_unique<EntryPointBus>(std::make_unique<testing_support::RecordingEntryPoints>(driver)));
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
  testing_support::RecordingEntryPoints::Log driver;
};

struct Visa {
  void Load() {
    visa.listeners = {{{3, "2.0723E+1 D"}, {17, " NRN+1.2305E+01,NXN+5.4324E-01"}}};
    HPIBLoad(std::make_unique<VisaBus>(testing_support::FakeVisa::Table(), 0, nullptr));
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
  testing_support::FakeVisa visa;
};

struct Bench {
  void Load() {
    const auto bench = sim::ParseBench("[3]\ninstrument = E7-12\nr = 12\n[17]\ninstrument = HP4191A\nr = 5\n");
    HPIBLoad(std::make_unique<sim::SimBus>(std::get<sim::Bench>(bench), [this](const std::string& line) {
      trace.push_back(line);
    }));
  }
  Record Take() { return std::exchange(trace, {}); }
  const char* reply = "0.0000E+0 L";  // the E7-12 untriggered
  const Record words{"7 Open -> 0", "7 Reset -> 0", "7 Timeout 3000 ms -> 0", "703 Clear -> 0", "7 Local -> 0",
                     "717 Trigger -> 0", "717 Write sent \"A4EN\" END -> 0", "703 Write sent \"*\" -> 0",
                     "703 Read received \"0.0000E+0 L\" -> 0", "Close -> 0"};
  Record trace;
};

template <class BackEnd>
class BackEndSequenceTest : public ::testing::Test {
 protected:
  void SetUp() override { backEnd.Load(); }
  void TearDown() override { HPIBUnload(); }
  BackEnd backEnd;
};

using BackEnds = ::testing::Types<DebugMode, SixteenBitDriver, Visa, Bench>;
TYPED_TEST_SUITE(BackEndSequenceTest, BackEnds);

TYPED_TEST(BackEndSequenceTest, EveryOperationSucceedsInItsOwnWords) {
  std::string buffer(250, ' ');
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
  EXPECT_EQ(buffer.substr(0, 12), this->backEnd.reply + std::string(" "));
  EXPECT_EQ(this->backEnd.Take(), this->backEnd.words);
}

}  // namespace
