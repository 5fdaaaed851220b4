// The LCR meter's command bytes, what a written text mirrors, and the reply columns, by tables.
#include "instruments/E712Protocol.h"

#include <gtest/gtest.h>

#include "core/Exceptions.h"

namespace {

using namespace instruments::e712;

TEST(E712ProtocolTest, ModeAndRangeBytes) {
  const char modes[] = {0x00, 0x01, 0x02, 0x03};
  for (int tag = 0; tag < 4; ++tag) EXPECT_EQ(ModeByte(tag), modes[tag]);
  const char ranges[] = {0x2A, 0x2B, 0x2C, 0x2D, 0x2E, 0x20};
  for (int position = 0; position <= 5; ++position) EXPECT_EQ(RangeByte(position), ranges[position]) << position;
}

TEST(E712ProtocolTest, AWrittenIntegerMirrorsItsModeOrRange) {
  const std::optional<int> none;
  const struct {
    const wchar_t* text;
    std::optional<int> mode, rangePosition;
  } cases[] = {{L"$00", 0, none},    {L"3", 3, none},       {L"$03", 3, none},  {L"$2C", none, 2},
               {L"44", none, 2},     {L"$2a", none, 0},     {L"46", none, 4},   {L"$20", none, 5},
               {L"32", none, 5},     {L" 42", none, 0},     {L"$38", none, none}, {L"$2F", none, none},
               {L"41", none, none},  {L"-1", none, none},   {L"$1FF", none, none}};
  for (const auto& c : cases) {
    const Mirror mirror = MirrorOf(c.text);
    EXPECT_EQ(mirror.mode, c.mode) << c.text;
    EXPECT_EQ(mirror.rangePosition, c.rangePosition) << c.text;
  }
  for (const wchar_t* text : {L"", L"L+D", L"$", L"$3G", L"4 4", L"1.5"}) {
    try {
      MirrorOf(text);
      ADD_FAILURE() << "accepted";
    } catch (const core::EConvertError& e) {
      EXPECT_EQ(e.Message(), L"'" + std::wstring(text) + L"' is not a valid integer value");
    }
  }
}

TEST(E712ProtocolTest, RepliesAreReadByColumn) {
  const struct {
    std::wstring reply;
    const wchar_t *value, *label;
    std::optional<double> number;
  } cases[] = {{L"2.5723E+1 D" + std::wstring(239, L' '), L"2.5723E+1 ", L"D", 25.723},
               {L"OVERLOAD  C", L"OVERLOAD  ", L"C", std::nullopt},
               {L"+1.2345E-03Ltrailing", L"+1.2345E-0", L"3", 1.2345},
               {L"12", L"12        ", L" ", 12},
               {L"", L"          ", L" ", std::nullopt}};
  for (const auto& c : cases) {
    const Reading r = ParseReply(c.reply);
    EXPECT_EQ(r.value, c.value) << c.reply.c_str();
    EXPECT_EQ(r.label, c.label) << c.reply.c_str();
    EXPECT_EQ(r.number, c.number) << c.reply.c_str();
  }
}

}  // namespace
