// The VISA back end under the driver layer: the exact VISA calls of each operation, one call per
// message, sessions kept until the card closes, statuses as the layer's errors, and the trace.
#include "hpib/visa/VisaBus.h"

#include <gtest/gtest.h>

#include "../fake_visa/FakeVisa.h"
#include "ResultCodes.h"
#include "hpib/HPIBDrv.h"
#include "toolkit/headless/HeadlessPlatform.h"

namespace {

using namespace hpib;
using testing_support::FakeVisa;
using Calls = std::vector<std::string>;

Calls operator+(Calls first, const Calls& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

const char* const kOpening[] = {"viOpenDefaultRM()", "viOpen(GPIB0::INTFC)", "viGpibSendIFC(GPIB0::INTFC)",
                                "viSetAttribute(GPIB0::INTFC,VI_ATTR_TMO_VALUE,3000)"};

class VisaBusTest : public ::testing::Test {
 protected:
  void SetUp() override { Load(0); }
  void TearDown() override { HPIBUnload(); }
  void Load(unsigned board) {
    HPIBLoad(std::make_unique<VisaBus>(FakeVisa::Table(), board, [this](const VisaCall& call) {
      trace.push_back(call);
    }));
  }
  Calls TakeCalls() { return std::exchange(visa.calls, {}); }
  // What the base control does before its first bus operation.
  void OpenCard() {
    HPIBOpenCard(HPIBSelectCode);
    HPIBCheck(HPIBReset(HPIBSelectCode));
    HPIBCheck(HPIBTimeout(HPIBSelectCode, 3.0));
  }
  Result Enter(std::uint16_t address) {
    buffer.assign(250, ' ');
    length = HPIBMaxMessage;
    return HPIBEnter(address, buffer.data(), length);
  }

  toolkit::HeadlessPlatform platform;
  FakeVisa visa;
  std::vector<VisaCall> trace;
  std::string buffer;
  std::uint16_t length = 0;
};

TEST_F(VisaBusTest, AMeasurementCycleIsOneVisaCallPerStepAndTheSessionsAreKept) {
  OpenCard();
  visa.listeners = {{{7, "R +11350E-4\n"}}};
  EXPECT_EQ(0, HPIBTrigger(707));
  EXPECT_EQ(0, Enter(707));
  EXPECT_EQ((Calls(std::begin(kOpening), std::end(kOpening)) +
             Calls{"viOpen(GPIB0::7::INSTR)", "viSetAttribute(GPIB0::7::INSTR,VI_ATTR_TMO_VALUE,3000)",
                   "viAssertTrigger(GPIB0::7::INSTR,0)", "viRead(GPIB0::7::INSTR,1024)"}),
            TakeCalls());
  EXPECT_EQ(12, length);
  EXPECT_EQ("R +11350E-4\n" + std::string(238, ' '), buffer);

  EXPECT_EQ(0, HPIBTrigger(707));
  EXPECT_EQ(0, Enter(707));
  EXPECT_EQ((Calls{"viAssertTrigger(GPIB0::7::INSTR,0)", "viRead(GPIB0::7::INSTR,1024)"}), TakeCalls());
}

TEST_F(VisaBusTest, TheBoardOfTheSettingNamesEveryResource) {
  HPIBUnload();
  visa.boards = {1};
  Load(1);
  OpenCard();
  EXPECT_EQ(0, HPIBClear(703));
  EXPECT_EQ((Calls{"viOpenDefaultRM()", "viOpen(GPIB1::INTFC)", "viGpibSendIFC(GPIB1::INTFC)",
                   "viSetAttribute(GPIB1::INTFC,VI_ATTR_TMO_VALUE,3000)", "viOpen(GPIB1::3::INSTR)",
                   "viSetAttribute(GPIB1::3::INSTR,VI_ATTR_TMO_VALUE,3000)", "viClear(GPIB1::3::INSTR)"}),
            TakeCalls());
}

TEST_F(VisaBusTest, AStringIsOneWriteWithEndAndRawBytesOneWriteWithout) {
  OpenCard();
  HPIBOutput(707, "F2E", 3);
  EXPECT_EQ((Calls{"viOpen(GPIB0::7::INSTR)", "viSetAttribute(GPIB0::7::INSTR,VI_ATTR_TMO_VALUE,3000)",
                   "viWrite(GPIB0::7::INSTR,\"F2E\")"}),
            Calls(visa.calls.begin() + 4, visa.calls.end()));
  TakeCalls();
  EXPECT_EQ(0, HPIBOutputBytes(707, "A", 1));
  EXPECT_EQ(0, HPIBOutputBytes(707, "B", 1));
  EXPECT_EQ(0, HPIBOutput(707, "R1", 2));
  EXPECT_EQ((Calls{"viSetAttribute(GPIB0::7::INSTR,VI_ATTR_SEND_END_EN,0)", "viWrite(GPIB0::7::INSTR,\"A\")",
                   "viWrite(GPIB0::7::INSTR,\"B\")", "viSetAttribute(GPIB0::7::INSTR,VI_ATTR_SEND_END_EN,1)",
                   "viWrite(GPIB0::7::INSTR,\"R1\")"}),
            TakeCalls());
  const std::string message(250, 'x');
  EXPECT_EQ(0, HPIBOutput(707, message.data(), 250));
  EXPECT_EQ((Calls{"viWrite(GPIB0::7::INSTR,\"" + std::string(249, 'x') + "\")"}), TakeCalls());
}

TEST_F(VisaBusTest, TheSelectCodeAloneAddressesTheWholeInterface) {
  OpenCard();
  TakeCalls();
  EXPECT_EQ(0, HPIBClear(7));
  EXPECT_EQ(0, HPIBLocal(7));
  EXPECT_EQ(0, HPIBTrigger(7));
  EXPECT_EQ(0, HPIBLocal(717));
  EXPECT_EQ((Calls{"viGpibCommand(GPIB0::INTFC,\"\\x14\")", "viGpibControlREN(GPIB0::INTFC,0)",
                   "viAssertTrigger(GPIB0::INTFC,0)", "viOpen(GPIB0::17::INSTR)",
                   "viSetAttribute(GPIB0::17::INSTR,VI_ATTR_TMO_VALUE,3000)", "viGpibControlREN(GPIB0::17::INSTR,6)"}),
            TakeCalls());
}

TEST_F(VisaBusTest, ANewTimeoutReachesEveryOpenSession) {
  OpenCard();
  HPIBTrigger(707);
  HPIBTrigger(717);
  TakeCalls();
  EXPECT_EQ(0, HPIBTimeout(7, 0.5));
  EXPECT_EQ((Calls{"viSetAttribute(GPIB0::INTFC,VI_ATTR_TMO_VALUE,500)", "viSetAttribute(GPIB0::7::INSTR,VI_ATTR_TMO_VALUE,500)",
                   "viSetAttribute(GPIB0::17::INSTR,VI_ATTR_TMO_VALUE,500)"}),
            TakeCalls());
}

TEST_F(VisaBusTest, AReadTimeoutIsTheTimeoutMessageAndTheNextStepOpensEverythingAgain) {
  OpenCard();
  Enter(707);
  TakeCalls();
  visa.statuses["viRead"] = {visa::VI_ERROR_TMO};
  visa.listeners = {{{7, "partial"}}};
  EXPECT_EQ(4, Enter(707));
  EXPECT_EQ(HPIBMaxMessage, length) << "length untouched";
  EXPECT_EQ(std::string(250, ' '), buffer) << "buffer untouched";
  try {
    HPIBCheck(Result::Timeout);
    FAIL() << "no error";
  } catch (const EHardwareError& e) {
    EXPECT_EQ(L"Critical HPIB driver error:\nHPIB timeout!", e.Message());
  }
  EXPECT_EQ((Calls{"viRead(GPIB0::7::INSTR,1024)", "viClose(RM)"}), TakeCalls());
  OpenCard();
  EXPECT_EQ(0, HPIBTrigger(707));
  EXPECT_EQ((Calls(std::begin(kOpening), std::end(kOpening)) +
             Calls{"viOpen(GPIB0::7::INSTR)", "viSetAttribute(GPIB0::7::INSTR,VI_ATTR_TMO_VALUE,3000)",
                   "viAssertTrigger(GPIB0::7::INSTR,0)"}),
            TakeCalls());
}

TEST_F(VisaBusTest, FailuresAnswerTheirCodeAndCallNothingMoreThanNeeded) {
  struct Case {
    const char* failing;  // the function that answers the status
    std::uint32_t status;
    Result (*step)();
    std::uint16_t code;
  } cases[] = {
      {"viOpen", 0xBFFF0011, [] { return HPIBClear(703); }, 2},
      {"viClear", 0xBFFF005F, [] { return HPIBClear(703); }, 2},
      {"viAssertTrigger", 0xBFFF0061, [] { return HPIBTrigger(703); }, 5},
      {"viWrite", 0xBFFF003E, [] { return HPIBOutput(703, "X", 1); }, 9},
      {"viSetAttribute", 0xBFFF001E, [] { return HPIBOutputBytes(703, "X", 1); }, 3},
      {"viGpibControlREN", 0xBFFF0030, [] { return HPIBLocal(703); }, 0xFFFF},
  };
  for (const Case& c : cases) {
    OpenCard();
    visa.statuses[c.failing] = {visa::Status(c.status)};
    EXPECT_EQ(c.code, c.step()) << c.failing;
    EXPECT_EQ(c.failing, visa.calls.back().substr(0, visa.calls.back().find('('))) << "the failing call is the last";
    HPIBClose();
    TakeCalls();
  }
}

TEST_F(VisaBusTest, AddressesWithoutAResourceAndAClosedCardAnswerWithoutACall) {
  EXPECT_EQ(11, HPIBTrigger(707)) << "card not open";
  HPIBOpenCard(8);
  EXPECT_EQ(11, HPIBReset(7));
  EXPECT_TRUE(TakeCalls().empty());
  OpenCard();
  TakeCalls();
  EXPECT_EQ(2, HPIBTrigger(807));
  EXPECT_EQ(2, HPIBClear(731));
  EXPECT_EQ(8, HPIBReset(707));
  EXPECT_EQ(8, HPIBTimeout(707, 1.0));
  EXPECT_EQ(8, Enter(7));
  EXPECT_EQ(8, HPIBOutput(7, "X", 1));
  EXPECT_TRUE(TakeCalls().empty());
}

TEST_F(VisaBusTest, AFailingInterfaceLeavesTheCardClosedForTheResetThatFollows) {
  visa.statuses["viOpen"] = {visa::VI_ERROR_RSRC_NFOUND};
  EXPECT_EQ(2, HPIBOpenCard(7));
  EXPECT_EQ(11, HPIBReset(7));
  EXPECT_THROW(HPIBCheck(Result::CardNotOpen), EHardwareError);
  EXPECT_EQ((Calls{"viOpenDefaultRM()", "viOpen(GPIB0::INTFC)", "viClose(RM)"}), TakeCalls());
}

TEST_F(VisaBusTest, ALongReplyIsReadInOneCallAndTheLayerKeepsItsFirst249Bytes) {
  OpenCard();
  visa.listeners = {{{7, std::string(300, 'r')}}};
  EXPECT_EQ(0, Enter(707));
  EXPECT_EQ(300, length);
  EXPECT_EQ(std::string(249, 'r') + " ", buffer);
  EXPECT_EQ("viRead(GPIB0::7::INSTR,1024)", visa.calls.back());
}

TEST_F(VisaBusTest, EveryCallReachesTheTraceWithItsBytesAndStatusText) {
  OpenCard();
  visa.listeners = {{{3, "2.0723E+1 D\r\n"}}};
  HPIBTrigger(703);
  trace.clear();
  visa.statuses["viWrite"] = {visa::VI_ERROR_TMO};
  Enter(703);
  HPIBOutput(703, "T1", 2);
  ASSERT_EQ(2u, trace.size());
  EXPECT_EQ("T viRead GPIB0::3::INSTR received \"2.0723E+1 D\\r\\n\" -> 0x00000000 Operation completed successfully.",
            "T " + VisaTraceLine(trace[0]));
  EXPECT_EQ("T viWrite GPIB0::3::INSTR sent \"T1\" -> 0xBFFF0015 Timeout expired before operation completed.", "T " + VisaTraceLine(trace[1]));
}

TEST(VisaBoardCheck, TheBoardIsOpenedAndClosedAgainOrTheReasonGiven) {
  struct Case {
    const char* failing;
    std::optional<std::string> reason;
    Calls calls;
  } cases[] = {
      {nullptr, std::nullopt, {"viOpenDefaultRM()", "viOpen(GPIB1::INTFC)", "viClose(RM)"}},
      {"viOpen",
       "GPIB1::INTFC cannot be opened: Insufficient location information or resource not present. (0xBFFF0011)",
       {"viOpenDefaultRM()", "viOpen(GPIB1::INTFC)", "viClose(RM)"}},
      {"viOpenDefaultRM",
       "the VISA resource manager cannot be opened: Insufficient location information or resource not present. (0xBFFF0011)",
       {"viOpenDefaultRM()"}},
  };
  for (const Case& c : cases) {
    FakeVisa visa;
    visa.boards = {1};
    if (c.failing) visa.statuses[c.failing] = {visa::VI_ERROR_RSRC_NFOUND};
    VisaBus driver(FakeVisa::Table(), 1, nullptr);
    EXPECT_EQ(c.reason, driver.CheckBoard());
    EXPECT_EQ(c.calls, visa.calls);
  }
}

}  // namespace
