// Number <-> text conversions, by tables.
#include "core/Convert.h"

#include <gtest/gtest.h>

#include "core/Exceptions.h"

namespace {

using namespace core;

TEST(ConvertTest, StrToIntReadsDecimalAndDollarHex) {
  const std::pair<const wchar_t*, std::int32_t> cases[] = {
      {L"0", 0},          {L"42", 42},     {L"-17", -17},        {L"+5", 5},
      {L"  12", 12},      {L"$41", 65},    {L"$ff", 255},        {L"$FF", 255},
      {L"$7FFFFFFF", 2147483647},          {L"$FFFFFFFF", -1},   {L"2147483647", 2147483647},
      {L"-2147483648", INT32_MIN},         {L"$00", 0},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(StrToInt(text), value) << text;
}

TEST(ConvertTest, StrToIntRefusesAnythingElseWithTheRuntimesMessage) {
  for (const wchar_t* text : {L"", L"$", L"$G1", L"$-1", L"1 ", L"12a", L"2147483648", L"$100000000", L"-", L"0x10",
                              L"\x0661"}) {
    try {
      StrToInt(text);
      ADD_FAILURE() << "accepted " << text;
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message(), L"'" + std::wstring(text) + L"' is not a valid integer value");
    }
  }
}

TEST(ConvertTest, FloatToStrUsesTheGeneralFormAndTheSeparator) {
  const std::tuple<double, wchar_t, const wchar_t*> cases[] = {
      {3.0, L'.', L"3"},          {2.5, L'.', L"2.5"},     {2.5, L',', L"2,5"},   {100, L'.', L"100"},
      {-1, L'.', L"-1"},          {0.001, L'.', L"0.001"}, {65.535, L'.', L"65.535"},
      {0.1 + 0.2, L'.', L"0.3"},  {1e20, L'.', L"1E20"},   {1.5e-7, L'.', L"1.5E-7"}, {0, L'.', L"0"},
  };
  for (const auto& [value, separator, text] : cases) EXPECT_EQ(FloatToStr(value, separator), text) << value;
}

TEST(ConvertTest, CheckedArithmeticRaisesIntegerOverflow) {
  EXPECT_EQ(CheckedAdd(700, 7), 707);
  EXPECT_EQ(CheckedAdd(INT32_MAX - 700, 700), INT32_MAX);
  EXPECT_EQ(CheckedMul(-7, 100), -700);
  try {
    CheckedAdd(INT32_MAX - 699, 700);
    FAIL();
  } catch (const EIntOverflow& e) {
    EXPECT_EQ(e.Message(), L"Integer overflow");
  }
  EXPECT_THROW(CheckedAdd(INT32_MIN, -1), EIntOverflow);
  EXPECT_THROW(CheckedMul(65536, 65536), EIntOverflow);
}

TEST(ConvertTest, FormatStrReplacesTheFirstPlaceholder) {
  EXPECT_EQ(FormatStr(L"Unable to obtain function <%s>!", L"GetBuf"), L"Unable to obtain function <GetBuf>!");
  EXPECT_EQ(FormatStr(L"no placeholder", L"x"), L"no placeholder");
  EXPECT_EQ(FormatStr(L"%s and %s", L"%s"), L"%s and %s");
}

}  // namespace
