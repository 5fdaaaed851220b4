// The one conversion between host text and bus bytes, both ways.
#include "hpib/BusBytes.h"

#include <gtest/gtest.h>

namespace {

TEST(BusBytesTest, EveryByteRoundTripsAsTheCharacterOfTheSameCode) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  const std::wstring text = hpib::FromBusBytes(all);
  ASSERT_EQ(text.size(), 256u);
  for (int b = 0; b < 256; ++b) EXPECT_EQ(static_cast<int>(text[b]), b);
  EXPECT_EQ(hpib::ToBusBytes(text), all);
}

TEST(BusBytesTest, CharactersAboveFFBecomeQuestionMarks) {
  EXPECT_EQ(hpib::ToBusBytes(L"F5E"), "F5E");
  EXPECT_EQ(hpib::ToBusBytes(L"\x0413=\x00FF\x0100\x20AC"), "?=\xFF??");
  EXPECT_EQ(hpib::ToBusBytes(L""), "");
}

}  // namespace
