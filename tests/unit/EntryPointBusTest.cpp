// The driver layer on the 16-bit driver: exact entry-point sequences, range checks and error
// texts.
#include "hpib/EntryPointBus.h"

#include <gtest/gtest.h>

#include <utility>

#include "RecordingEntryPoints.h"
#include "ResultCodes.h"
#include "hpib/DriverPath.h"
#include "hpib/HPIBDrv.h"

namespace {

using namespace hpib;
using Calls = std::vector<std::string>;

class HPIBDrvTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HPIBLoad(std::make_unique<EntryPointBus>(std::make_unique<testing_support::RecordingEntryPoints>(driver)));
  }
  void TearDown() override { HPIBUnload(); }
  Calls TakeCalls() { return std::exchange(driver.calls, {}); }

  testing_support::RecordingEntryPoints::Log driver;
};

TEST_F(HPIBDrvTest, OperationsReturnTheDriversCodeUnchanged) {
  driver.results["TriggerHPIB"] = {13};
  driver.results["ClearHPIB"] = {65535};
  EXPECT_EQ(HPIBTrigger(707), 13);
  EXPECT_EQ(HPIBClear(707), 65535);
}

TEST_F(HPIBDrvTest, CardFlagFollowsOpenAndCloseWhateverTheDriverAnswers) {
  driver.results["OpenHPIB"] = {10};
  driver.results["CloseHPIB"] = {12};
  EXPECT_FALSE(HPIBIsOpen());
  EXPECT_EQ(HPIBOpenCard(7), 10);
  EXPECT_TRUE(HPIBIsOpen());
  EXPECT_EQ(HPIBClose(), 12);
  EXPECT_FALSE(HPIBIsOpen());
}

TEST_F(HPIBDrvTest, AddressesOutsideSixteenBitsAreRefusedBeforeAnyCall) {
  for (std::int32_t address : {65536, -1, 100000}) {
    EXPECT_THROW(HPIBClear(address), core::ERangeError) << address;
    EXPECT_THROW(HPIBTrigger(address), core::ERangeError) << address;
    try {
      HPIBLocal(address);
      FAIL() << "no range error for " << address;
    } catch (const core::ERangeError& e) {
      EXPECT_EQ(e.Message(), L"Range check error");
    }
  }
  EXPECT_EQ(HPIBClear(65535), 0);
  EXPECT_EQ(TakeCalls(), (Calls{"ClearHPIB(65535,1)"}));
}

TEST_F(HPIBDrvTest, TimeoutRoundsHalfToEvenAndRefusesWhatDoesNotFit) {
  struct Case {
    double seconds;
    const char* call;  // null: refused
  } cases[] = {
      {65.535, "TimeoutHPIB(65535,7)"}, {65.536, nullptr},       {-0.001, nullptr},
      {-0.0004, "TimeoutHPIB(0,7)"},    {0.0025, "TimeoutHPIB(2,7)"}, {0.0035, "TimeoutHPIB(4,7)"},
      {3.0, "TimeoutHPIB(3000,7)"},
  };
  for (const auto& c : cases) {
    if (c.call) {
      EXPECT_EQ(HPIBTimeout(7, c.seconds), 0);
      EXPECT_EQ(TakeCalls(), (Calls{c.call})) << c.seconds;
    } else {
      EXPECT_THROW(HPIBTimeout(7, c.seconds), core::ERangeError) << c.seconds;
      EXPECT_TRUE(TakeCalls().empty()) << c.seconds;
    }
  }
  EXPECT_THROW(HPIBTimeout(70000, 3.0), core::ERangeError);
  EXPECT_TRUE(TakeCalls().empty());
}

TEST_F(HPIBDrvTest, EnterCopiesTheReplyAndReportsItsLength) {
  driver.reply = "R +11357E-4";
  char buffer[250];
  std::fill(std::begin(buffer), std::end(buffer), ' ');
  std::uint16_t length = 249;
  EXPECT_EQ(HPIBEnter(707, buffer, length), 0);
  EXPECT_EQ(length, 11);
  EXPECT_EQ(std::string(buffer, 12), "R +11357E-4 ");
  Calls expected{"EntersHPIB(707,1)", "GetBufLen(1,1)"};
  for (int i = 1; i <= 11; ++i) expected.push_back("GetBuf(" + std::to_string(i) + ",1)");
  EXPECT_EQ(TakeCalls(), expected);
}

TEST_F(HPIBDrvTest, EnterFailureLeavesBufferAndLengthUntouched) {
  driver.results["EntersHPIB"] = {4};
  driver.reply = "XYZ";
  char buffer[250];
  std::fill(std::begin(buffer), std::end(buffer), ' ');
  std::uint16_t length = 249;
  EXPECT_EQ(HPIBEnter(707, buffer, length), 4);
  EXPECT_EQ(length, 249);
  EXPECT_EQ(std::string(buffer, 3), "   ");
  EXPECT_EQ(TakeCalls(), (Calls{"EntersHPIB(707,1)"}));
}

TEST_F(HPIBDrvTest, EnterCopiesAtMost249BytesOfALongerReply) {
  driver.reply = std::string(300, 'x');
  std::string buffer(250, ' ');
  std::uint16_t length = 249;
  EXPECT_EQ(HPIBEnter(707, buffer.data(), length), 0);
  EXPECT_EQ(length, 300);
  EXPECT_EQ(buffer, std::string(249, 'x') + " ");
  const Calls calls = TakeCalls();
  ASSERT_EQ(calls.size(), 2u + 249u);
  EXPECT_EQ(calls.back(), "GetBuf(249,1)");
}

TEST_F(HPIBDrvTest, EnterWithoutGetBufFailsAfterLengthWasSet) {
  driver.missing = {"GetBuf"};
  driver.reply = "abc";
  std::string buffer(250, ' ');
  std::uint16_t length = 249;
  try {
    HPIBEnter(707, buffer.data(), length);
    FAIL() << "no exception";
  } catch (const EHardwareError&) {
    FAIL() << "a missing entry point is no hardware error";
  } catch (const core::Exception& e) {
    EXPECT_EQ(e.Message(), L"Unable to obtain function <GetBuf>!");
  }
  EXPECT_EQ(length, 3);
  EXPECT_EQ(TakeCalls(), (Calls{"EntersHPIB(707,1)", "GetBufLen(1,1)"}));
}

TEST_F(HPIBDrvTest, OutputFillsTheTransferBufferThenSends) {
  EXPECT_EQ(HPIBOutput(707, "F5E", 3), 0);
  EXPECT_EQ(TakeCalls(), (Calls{"SetBufLen(3,1)", "SetBuf(1,70)", "SetBuf(2,53)", "SetBuf(3,69)", "OutputsHPIB(707,1)"}));
  const char byte = '\xAB';
  EXPECT_EQ(HPIBOutputBytes(703, &byte, 1), 0);
  EXPECT_EQ(TakeCalls(), (Calls{"SetBufLen(1,1)", "SetBuf(1,171)", "OutputABHPIB(703,1)"}));
}

TEST_F(HPIBDrvTest, EmptyOutputStillSendsAnEmptyMessage) {
  EXPECT_EQ(HPIBOutput(707, "", 0), 0);
  EXPECT_EQ(TakeCalls(), (Calls{"SetBufLen(0,1)", "OutputsHPIB(707,1)"}));
}

TEST_F(HPIBDrvTest, A250ByteOutputAnnouncesOnlyThe249BytesStored) {
  const std::string message(250, 'a');
  EXPECT_EQ(HPIBOutput(707, message.data(), 250), 0);
  const Calls calls = TakeCalls();
  ASSERT_EQ(calls.size(), 1u + 249u + 1u);
  EXPECT_EQ(calls.front(), "SetBufLen(249,1)");
  EXPECT_EQ(calls[249], "SetBuf(249,97)");
  EXPECT_EQ(calls.back(), "OutputsHPIB(707,1)");
  EXPECT_EQ(driver.sent, std::string(249, 'a'));
}

TEST_F(HPIBDrvTest, OutputChecksTheAddressAfterFillingAndBeforeSending) {
  EXPECT_THROW(HPIBOutput(70000, "X", 1), core::ERangeError);
  EXPECT_EQ(TakeCalls(), (Calls{"SetBufLen(1,1)", "SetBuf(1,88)"}));
}

TEST_F(HPIBDrvTest, MissingEntryPointRaisesAPlainExceptionAndKeepsTheCardFlag) {
  driver.missing = {"TriggerHPIB"};
  HPIBOpenCard(7);
  try {
    HPIBTrigger(707);
    FAIL() << "no exception";
  } catch (const EHardwareError&) {
    FAIL() << "a missing entry point is no hardware error";
  } catch (const core::Exception& e) {
    EXPECT_EQ(e.Message(), L"Unable to obtain function <TriggerHPIB>!");
  }
  EXPECT_TRUE(HPIBIsOpen());
}

TEST_F(HPIBDrvTest, CheckPassesZeroAndClosesTheCardOnAnythingElse) {
  HPIBOpenCard(7);
  TakeCalls();
  HPIBCheck(hpib::Result::Success);
  EXPECT_TRUE(HPIBIsOpen());
  EXPECT_TRUE(TakeCalls().empty());

  const std::pair<std::uint16_t, const wchar_t*> cases[] = {
      {1, L"Unknown HPIB error!"},
      {2, L"Invalid HPIB select code or device address!"},
      {3, L"HPIB value out of range!"},
      {4, L"HPIB timeout!"},
      {5, L"HPIB must be controller!"},
      {6, L"HPIB pass control not permitted!"},
      {7, L"Invalid HPIB number!"},
      {8, L"Improper HPIB addressing!"},
      {9, L"File I/O HPIB error!"},
      {10, L"Cannot open this HPIB card!"},
      {11, L"HPIB card is not open!"},
      {12, L"Cannot close HPIB card!"},
      {13, L"Invalid handle for this HPIB ISC!"},
      {14, L"?????"},
      {65535, L"?????"},
  };
  for (const auto& [code, text] : cases) {
    HPIBOpenCard(7);
    TakeCalls();
    try {
      HPIBCheck(hpib::Result{code});
      ADD_FAILURE() << "no exception for " << code;
    } catch (const EHardwareError& e) {
      EXPECT_EQ(e.Message(), std::wstring(L"Critical HPIB driver error:\n") + text) << code;
    }
    EXPECT_FALSE(HPIBIsOpen()) << code;
    EXPECT_EQ(TakeCalls(), (Calls{"CloseHPIB(1,1)"})) << code;
  }
}

// The controls' way: the close comes with the failed operation, under its lock, and no other
// operation between; a missing CloseHPIB still takes the place of the result.
TEST_F(HPIBDrvTest, AnOperationAskedToCloseTheCardOnFailureDoesSoInTheSameStep) {
  HPIBOpenCard(7);
  driver.results["TriggerHPIB"] = {0, 4};
  for (const std::uint16_t code : {0, 4}) {
    TakeCalls();
    EXPECT_EQ(HPIBTrigger(707, OnFailure::CloseCard), code);
    EXPECT_EQ(HPIBIsOpen(), code == 0);
    EXPECT_EQ(TakeCalls(), code ? (Calls{"TriggerHPIB(707,1)", "CloseHPIB(1,1)"}) : (Calls{"TriggerHPIB(707,1)"}));
  }
  driver.missing = {"CloseHPIB"};
  driver.results["ClearHPIB"] = {4};
  try {
    HPIBClear(707, OnFailure::CloseCard);
    ADD_FAILURE() << "no exception";
  } catch (const core::Exception& e) {
    EXPECT_EQ(e.Message(), L"Unable to obtain function <CloseHPIB>!");
  }
}

TEST_F(HPIBDrvTest, CheckRaisesTheCloseFailureWhenCloseIsMissing) {
  driver.missing = {"CloseHPIB"};
  try {
    HPIBCheck(hpib::Result::Timeout);
    FAIL() << "no exception";
  } catch (const EHardwareError&) {
    FAIL() << "the missing CloseHPIB takes the place of the hardware error";
  } catch (const core::Exception& e) {
    EXPECT_EQ(e.Message(), L"Unable to obtain function <CloseHPIB>!");
  }
  EXPECT_FALSE(HPIBIsOpen());
}

TEST(DriverPathTest, TheDriverComesFromTheLibrarysFolderOrNowhere) {
  const struct {
    const char* library;
    const char* driver;
  } cases[] = {
      {"C:\\Lab\\Apparata.ocx", "C:\\Lab\\HPIB_THK.DLL"},
      {"C:\\Apparata.ocx", "C:\\HPIB_THK.DLL"},
      {"\\\\server\\share\\Apparata.ocx", "\\\\server\\share\\HPIB_THK.DLL"},
      {"Apparata.ocx", ""},  // the loader would search for a bare name
      {"C:Apparata.ocx", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(DriverPathBeside(c.library, "HPIB_THK.DLL"), c.driver) << c.library;
}

}  // namespace
