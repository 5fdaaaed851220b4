// The one rule between host text and bytes, both ways.
#include "core/Latin1.h"

#include <gtest/gtest.h>

namespace {

TEST(Latin1Test, EveryByteRoundTripsAsTheCharacterOfTheSameCode) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  const std::wstring text = core::FromLatin1(all);
  ASSERT_EQ(text.size(), 256u);
  for (int b = 0; b < 256; ++b) EXPECT_EQ(static_cast<int>(text[b]), b);
  EXPECT_EQ(core::ToLatin1(text), all);
}

TEST(Latin1Test, CharactersAboveFFBecomeQuestionMarks) {
  EXPECT_EQ(core::ToLatin1(L"F5E"), "F5E");
  EXPECT_EQ(core::ToLatin1(L"\x0413=\x00FF\x0100\x20AC"), "?=\xFF??");
  EXPECT_EQ(core::ToLatin1(L""), "");
}

}  // namespace
