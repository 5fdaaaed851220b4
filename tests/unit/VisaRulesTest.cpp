// The pure rules of the VISA back end: the Bus setting, addresses as resources, statuses as
// result codes, and the trace line.
#include <gtest/gtest.h>

#include "ResultCodes.h"
#include "hpib/BusSetting.h"
#include "hpib/TraceBytes.h"
#include "hpib/visa/VisaNames.h"
#include "hpib/visa/VisaStatus.h"
#include "hpib/visa/VisaTrace.h"

namespace {

using namespace hpib;
using Kind = BusSetting::Kind;

TEST(BusSettingTest, VisaWithAnOptionalBoardOrTheBenchIsChosenAnythingElseIsRefused) {
  struct Case {
    std::optional<std::wstring> value;
    Kind kind;
    unsigned board;
  } cases[] = {
      {std::nullopt, Kind::Default, 0}, {L"", Kind::Default, 0},          {L"VISA", Kind::Visa, 0},
      {L"visa", Kind::Visa, 0},         {L"VISA:GPIB0", Kind::Visa, 0},   {L"VISA:GPIB1", Kind::Visa, 1},
      {L"Visa:gpib12", Kind::Visa, 12}, {L"VISA:GPIB99", Kind::Visa, 99}, {L"VISA:GPIB100", Kind::Invalid, 0},
      {L"VISA:GPIB", Kind::Invalid, 0}, {L"VISA:GPIB-1", Kind::Invalid, 0}, {L"VISA:GPIB1 ", Kind::Invalid, 0},
      {L" VISA", Kind::Invalid, 0},     {L"VISA:", Kind::Invalid, 0},     {L"VISA:TCPIP0", Kind::Invalid, 0},
      {L"HPIB", Kind::Invalid, 0},      {L"VIS", Kind::Invalid, 0},       {L"VISA:GPIB1:", Kind::Invalid, 0},
      {L"SIM:", Kind::Invalid, 0},      {L"SIMS", Kind::Invalid, 0},      {L"REPLAY:", Kind::Invalid, 0},
      {L"REPLAY", Kind::Invalid, 0},
  };
  for (const Case& c : cases) {
    const BusSetting setting = ParseBusSetting(c.value);
    const std::string shown = c.value ? std::string(c.value->begin(), c.value->end()) : "<none>";
    EXPECT_EQ(c.kind, setting.kind) << shown;
    EXPECT_EQ(c.board, setting.board) << shown;
  }
  const std::pair<const wchar_t*, const wchar_t*> benches[] = {{L"sim", L""},
                                                               {L"Sim:C:\\Bench\\my bench.ini", L"C:\\Bench\\my bench.ini"}};
  for (const auto& [value, file] : benches) {
    const BusSetting setting = ParseBusSetting(std::wstring(value));
    EXPECT_EQ(Kind::Sim, setting.kind);
    EXPECT_EQ(file, setting.benchFile);
  }
  const BusSetting replay = ParseBusSetting(std::wstring(L"replay:C:\\Field\\bus trace.txt"));
  EXPECT_EQ(Kind::Replay, replay.kind);
  EXPECT_EQ(L"C:\\Field\\bus trace.txt", replay.traceFile);
}

TEST(VisaNamesTest, TheSelectCodeIsTheInterfaceAndItsHundredsAreInstruments) {
  struct Case {
    std::uint16_t address;
    const char* resource;  // null: no target
  } cases[] = {
      {7, "GPIB2::INTFC"},          {700, "GPIB2::0::INSTR"}, {707, "GPIB2::7::INSTR"}, {717, "GPIB2::17::INSTR"},
      {730, "GPIB2::30::INSTR"},    {731, nullptr},           {799, nullptr},           {0, nullptr},
      {8, nullptr},                 {70, nullptr},            {807, nullptr},           {607, nullptr},
      {65535, nullptr},             {70705 % 65536, nullptr},
  };
  for (const Case& c : cases) {
    const std::optional<BusTarget> target = BusTargetOf(c.address);
    if (!c.resource) {
      EXPECT_FALSE(target) << c.address;
      continue;
    }
    ASSERT_TRUE(target) << c.address;
    EXPECT_EQ(c.resource, ResourceOf(2, *target)) << c.address;
  }
}

TEST(VisaStatusTest, StatusesBecomeTheResultCodesOfTheirMessages) {
  struct Case {
    std::uint32_t status;
    std::uint16_t code;
  } cases[] = {
      {0x00000000, 0},      {0x3FFF0006, 0},      {0x3FFF007D, 0},      {0x7FFFFFFF, 0},
      {0xBFFF0000, 1},      {0xBFFF0011, 2},      {0xBFFF0012, 2},      {0xBFFF005F, 2},
      {0xBFFF00A5, 2},      {0xBFFF001E, 3},      {0xBFFF0078, 3},      {0xBFFF0015, 4},
      {0xBFFF0060, 5},      {0xBFFF0061, 5},      {0xBFFF003E, 9},      {0xBFFF0072, 10},
      {0xBFFF000F, 10},     {0xBFFF0016, 12},     {0xBFFF000E, 13},     {0xBFFF0030, 0xFFFF},
      {0xBFFF0067, 0xFFFF}, {0x80000000, 0xFFFF}, {0xFFFFFFFF, 0xFFFF},
  };
  for (const Case& c : cases) EXPECT_EQ(c.code, ResultOf(visa::Status(c.status))) << std::hex << c.status;
}

TEST(VisaTraceTest, OneCallIsOneLineWithItsBytesEscaped) {
  struct Case {
    VisaCall call;
    const char* line;
  } cases[] = {
      {{"viOpenDefaultRM", "", "", 0, "Success."}, "T viOpenDefaultRM RM -> 0x00000000 Success."},
      {{"viWrite", "GPIB0::7::INSTR", BytesDetail("sent", std::string("F2E\r\n\t\"\\\x01\x7F\xFF\0", 12)), 0, "ok"},
       "T viWrite GPIB0::7::INSTR sent \"F2E\\r\\n\\t\\\"\\\\\\x01\\x7F\\xFF\\x00\" -> 0x00000000 ok"},
      {{"viRead", "GPIB0::7::INSTR", BytesDetail("received", ""), visa::VI_ERROR_TMO, "Timeout\r\nexpired."},
       "T viRead GPIB0::7::INSTR received \"\" -> 0xBFFF0015 Timeout  expired."},
      {{"viSetAttribute", "GPIB0::INTFC", "VI_ATTR_TMO_VALUE=3000", 0x3FFF0006, ""},
       "T viSetAttribute GPIB0::INTFC VI_ATTR_TMO_VALUE=3000 -> 0x3FFF0006 "},
  };
  for (const Case& c : cases) EXPECT_EQ(c.line, "T " + VisaTraceLine(c.call));
}

}  // namespace
