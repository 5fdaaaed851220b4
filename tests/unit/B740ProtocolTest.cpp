// The multimeter's commands and reply columns, by tables.
#include "instruments/B740Protocol.h"

#include <gtest/gtest.h>

namespace {

using namespace instruments::b740;

TEST(B740ProtocolTest, FunctionAndRangeCommands) {
  const std::pair<int, const wchar_t*> functions[] = {{5, L"F5E"}, {6, L"F6E"}, {2, L"F2E"}, {1, L"F1E"}, {3, L"F3E"}};
  for (const auto& [number, command] : functions) EXPECT_EQ(FunctionCommand(number), command);
  const wchar_t* ranges[] = {L"B0E", L"B1E", L"B2E", L"B3E", L"B4E", L"B5E", L"B7E"};
  for (int position = 0; position <= 6; ++position) EXPECT_EQ(RangeCommand(position), ranges[position]) << position;
  for (int digit = 0; digit <= 5; ++digit) EXPECT_EQ(RangePositionOfDigit(digit), digit);
  EXPECT_EQ(RangePositionOfDigit(7), 6);
  EXPECT_EQ(RangePositionOfDigit(6), 6);
}

TEST(B740ProtocolTest, RepliesAreReadByColumn) {
  struct Case {
    std::wstring reply;
    const wchar_t* unit;
    bool beep;
    const wchar_t* value;
    std::optional<double> number;
  } cases[] = {
      {L"R +11357E-4" + std::wstring(239, L' '), L"R     kOm", false, L"+11357E-4", 1.1357},
      {L"U +12340E-3", L"Udc V", false, L"+12340E-3", 12.34},
      {L"R  OVERLOAD", L"R     kOm", false, L" OVERLOAD", std::nullopt},
      {L"UP+1.2345E0", L"Udc V", true, L"+1.2345E0", 1.2345},
      {L"V -0.0001E+0trailing", L"Uac V", false, L"-0.0001E+", std::nullopt},
      {L"I 1", L"I     A", false, L"1        ", 1},
      {L"", L"?\?\?\?", false, L"         ", std::nullopt},
      {L"r +1", L"?\?\?\?", false, L"+1       ", 1},
      {L"pP", L"?\?\?\?", true, L"         ", std::nullopt},
  };
  for (const auto& c : cases) {
    Reading r = ParseReply(c.reply);
    EXPECT_EQ(r.unit, c.unit) << c.reply.c_str();
    EXPECT_EQ(r.beep, c.beep) << c.reply.c_str();
    EXPECT_EQ(r.value, c.value) << c.reply.c_str();
    EXPECT_EQ(r.number, c.number) << c.reply.c_str();
  }
}

}  // namespace
