// The sweep panel: its arithmetic by tables, its behaviour on the headless platform.
#include "instruments/Scan.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include "core/Exceptions.h"
#include "instruments/Numbers.h"
#include "instruments/ScanArithmetic.h"
#include "toolkit/headless/HeadlessPlatform.h"

namespace {

using instruments::ReadNumber;
using instruments::ScanProgress;
using instruments::TScanFrame;

TEST(ScanArithmeticTest, NumbersTakeThePointAndTheRegionalSeparator) {
  struct Case {
    const wchar_t* text;
    wchar_t separator;
    std::optional<double> value;
  } cases[] = {
      {L"1.000000", L'.', 1.0},      {L"1.000000", L',', 1.0},   {L"1,5", L',', 1.5},
      {L"1,5", L'.', std::nullopt},  {L" -2.5 ", L'.', -2.5},   {L"+12.5", L',', 12.5},
      {L".5", L'.', 0.5},            {L"7.", L'.', 7.0},        {L"+0.0000E+00", L',', 0.0},
      {L"1e3", L'.', 1000.0},        {L"2,5E-1", L',', 0.25},   {L"1000", L'.', 1000.0},
      {L"", L'.', std::nullopt},     {L" ", L'.', std::nullopt}, {L".", L'.', std::nullopt},
      {L"-", L'.', std::nullopt},    {L"1.2.3", L'.', std::nullopt}, {L"1.5,5", L',', std::nullopt},
      {L"1e", L'.', std::nullopt},   {L"1e+", L'.', std::nullopt}, {L"e5", L'.', std::nullopt},
      {L"12a", L'.', std::nullopt},  {L"1 2", L'.', std::nullopt}, {L"0x10", L'.', std::nullopt},
      {L"INF", L'.', std::nullopt},  {L"NAN", L'.', std::nullopt}, {L"1e999", L'.', std::nullopt},
      {L"--1", L'.', std::nullopt},  {L"1\u00a0", L'.', std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadNumber(c.text, c.separator), c.value) << c.text << " sep " << char(c.separator);
}

TEST(ScanArithmeticTest, ProgressRoundsHalvesToEvenAndIsNotClamped) {
  struct Case {
    double from, to, value;
    int progress;
  } cases[] = {
      {0, 100, 50, 50},  {0, 100, 150, 150}, {0, 100, -5, -5},  {1, 1000, 1, 0},    {1, 1000, 500.5, 50},
      {0, 8, 1, 12},     {0, 8, 3, 38},      {0, 8, 5, 62},     {0, 8, 7, 88},      {0, 8, -1, -12},
      {0, 8, -3, -38},   {100, 0, 25, 75},   {0, 1, 0.004, 0},  {0, 1, 0.006, 1},   {2, 1, 3, -100},
      {0, 1, 21474836.47, 2147483647},       {0, 1, -21474836.48, -2147483647 - 1},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ScanProgress(c.from, c.to, c.value, 100), c.progress) << c.from << " " << c.to << " " << c.value;
}

TEST(ScanArithmeticTest, AZeroSpanOrAProgressBeyond32BitsFails) {
  const struct {
    double from, to, value;
    const wchar_t* message;
  } cases[] = {
      {5, 5, 1, L"Floating point division by zero"}, {5, 5, 5, L"Floating point division by zero"},
      {0, 1, 21474836.48, L"Range check error"},     {0, 1, -21474836.49, L"Range check error"},
      {0, 1e-310, 1, L"Range check error"},
  };
  for (const auto& c : cases) {
    try {
      ScanProgress(c.from, c.to, c.value, 100);
      ADD_FAILURE() << "no failure for " << c.from << " " << c.to << " " << c.value;
    } catch (const core::Exception& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
  }
}

class ScanTest : public ::testing::Test {
 protected:
  toolkit::HeadlessPlatform platform;
  toolkit::Component owner{nullptr};
  TScanFrame& frame = owner.Make<TScanFrame>(L"ScanFrame");
};

TEST_F(ScanTest, ThePanelStartsWithItsDesignAndAnEmptyGauge) {
  EXPECT_EQ(frame.Edit.Text(), L"+0.0000E+00");
  EXPECT_EQ(frame.StaticText.Caption(), L"R Ohm");
  EXPECT_EQ(frame.MinEdit.Text(), L"0");
  EXPECT_EQ(frame.MaxEdit.Text(), L"100");
  EXPECT_EQ(frame.Gauge.Progress(), 0);
  EXPECT_EQ(frame.Gauge.MaxValue(), 100);
  EXPECT_EQ(frame.SpeedComboBox.Items(), (std::vector<std::wstring>{L"10 min", L"5 min", L"1 min"}));
  EXPECT_EQ(frame.SpeedComboBox.ItemIndex(), -1);
  EXPECT_EQ(frame.DACSpinEdit.Value(), 32768);
  EXPECT_EQ(frame.MinLabel.FocusControl(), &frame.MinEdit);
  EXPECT_EQ(frame.MaxLabel.FocusControl(), &frame.MaxEdit);
  EXPECT_EQ(frame.Edit.Parent(), &frame.Panel);
  EXPECT_FALSE(frame.UpSpeedButton.Down());
  EXPECT_FALSE(frame.DownSpeedButton.Down());
  EXPECT_EQ(frame.UpSpeedButton.Glyph(), L"SCANUP");
  EXPECT_EQ(frame.DownSpeedButton.Glyph(), L"SCANDOWN");
  EXPECT_EQ(frame.Gauge.ForeColor(), toolkit::clRed);
  EXPECT_EQ(platform.beeps, 0);
}

TEST_F(ScanTest, EditingTheValueOrALimitMovesTheGaugeWithinItsRange) {
  const struct {
    const wchar_t *from, *to, *value;
    int progress;
  } steps[] = {{L"0", L"100", L"50", 50},        {L"0", L"100", L"150", 100}, {L"0", L"100", L"-5", 0},
               {L"1", L"1000", L"1.000000", 0}, {L"1", L"1000", L"500.5", 50}, {L"0", L"8", L"1", 12},
               {L"0", L"8", L"3", 38}};
  for (const auto& s : steps) {
    frame.MinEdit.SetText(s.from);
    frame.MaxEdit.SetText(s.to);
    frame.Edit.SetText(s.value);
    EXPECT_EQ(frame.Gauge.Progress(), s.progress) << s.from << " " << s.to << " " << s.value;
  }
  EXPECT_EQ(platform.beeps, 0);
  EXPECT_TRUE(platform.errors.empty());
}

TEST_F(ScanTest, ANonNumberBeepsOncePerChangeAndLeavesTheGauge) {
  frame.Edit.SetText(L"40");
  frame.MinEdit.SetText(L"x");
  frame.MinEdit.SetText(L"xy");
  EXPECT_EQ(platform.beeps, 2);
  EXPECT_EQ(frame.Gauge.Progress(), 40);
  frame.MinEdit.SetText(L"");
  EXPECT_EQ(platform.beeps, 3);
  EXPECT_TRUE(platform.errors.empty());
}

TEST_F(ScanTest, AZeroSpanShowsAnErrorAndLeavesTheGauge) {
  frame.Edit.SetText(L"30");
  frame.MaxEdit.SetText(L"0");
  EXPECT_EQ(platform.errors, (std::vector<std::wstring>{L"Floating point division by zero"}));
  EXPECT_EQ(frame.Gauge.Progress(), 30);
  EXPECT_EQ(frame.MaxEdit.Text(), L"0") << "the text stays as set";
  frame.MaxEdit.SetText(L"1e-309");
  EXPECT_EQ(platform.errors.back(), L"Range check error");
  EXPECT_EQ(platform.beeps, 0);
}

TEST_F(ScanTest, WithACommaSeparatorBothSeparatorsRead) {
  platform.decimalSeparator = L',';
  frame.Edit.SetText(L"12,5");
  EXPECT_EQ(frame.Gauge.Progress(), 12);
  frame.Edit.SetText(L"37.5");
  EXPECT_EQ(frame.Gauge.Progress(), 38);
  EXPECT_EQ(platform.beeps, 0);
}

TEST_F(ScanTest, DirectionButtonsKeepAtMostOneDownAndAllowAllUp) {
  frame.DownSpeedButton.Click();
  EXPECT_TRUE(frame.DownSpeedButton.Down());
  frame.UpSpeedButton.Click();
  EXPECT_TRUE(frame.UpSpeedButton.Down());
  EXPECT_FALSE(frame.DownSpeedButton.Down());
  frame.UpSpeedButton.Click();
  EXPECT_FALSE(frame.UpSpeedButton.Down());
  EXPECT_FALSE(frame.DownSpeedButton.Down());
  frame.DownSpeedButton.SetDown(true);
  frame.UpSpeedButton.SetDown(true);
  EXPECT_FALSE(frame.DownSpeedButton.Down()) << "code follows the group rule too";
  frame.UpSpeedButton.SetDown(false);
  EXPECT_FALSE(frame.UpSpeedButton.Down());
}

}  // namespace
