// The LED: its pictures, the order of its property writes and its blinking on the virtual clock.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Exceptions.h"
#include "resources/Pictures.h"
#include "toolkit/headless/HeadlessPlatform.h"
#include "widgets/ALed.h"

namespace {

using toolkit::Color;
using widgets::TALed;
using widgets::TLEDStyle;

constexpr Color kGreen = 0x00FF00, kSilver = 0xC0C0C0, kRed = 0x0000FF, kMaroon = 0x000080;

const TLEDStyle kStyles[] = {TLEDStyle::LEDSmall,   TLEDStyle::LEDLarge,    TLEDStyle::LEDSqSmall,
                             TLEDStyle::LEDSqLarge, TLEDStyle::LEDVertical, TLEDStyle::LEDHorizontal};

class ALedTest : public ::testing::Test {
 protected:
  ALedTest() {
    led.Realize();
    led.OnTimer = [this](TALed& sender) { senders.push_back(&sender); };
  }
  const toolkit::HeadlessPlatform::Drawing& Drawn() const { return *platform.DrawingOf(led); }
  // The shown picture as the control last painted it, read at the picture's own size.
  bool DrawnIs(const toolkit::Image& picture) const {
    const auto& drawn = Drawn();
    if (drawn.Width != picture.Width() || drawn.Height != picture.Height()) return false;
    for (int y = 0; y < drawn.Height; ++y)
      for (int x = 0; x < drawn.Width; ++x)
        if (drawn.Pixel(x, y) != picture.Pixel(x, y)) return false;
    return true;
  }
  void ExpectLitAndBlinking(std::uint64_t nextTick) {
    EXPECT_EQ(led.ShownPicture(), 0);
    EXPECT_TRUE(DrawnIs(led.LitPicture()));
    ASSERT_NE(led.BlinkTimer(), nullptr);
    EXPECT_EQ(platform.NextTick(*led.BlinkTimer()), nextTick);
  }

  toolkit::HeadlessPlatform platform;
  toolkit::Component form{nullptr};
  TALed& led = form.Make<TALed>(L"ALed");
  std::vector<TALed*> senders;
};

TEST(LedPictures, EachLampHasOneGreenFaceThroughItsCentreAndTheStyleSize) {
  toolkit::HeadlessPlatform platform;
  for (TLEDStyle style : kStyles) {
    const widgets::LEDStyleInfo& info = widgets::InfoOf(style);
    SCOPED_TRACE(testing::Message() << "picture " << std::string(info.Bitmap, info.Bitmap + wcslen(info.Bitmap)));
    toolkit::Image image;
    image.LoadFromResourceName(info.Bitmap);
    ASSERT_EQ(image.Width(), info.Width);
    ASSERT_EQ(image.Height(), info.Height);
    EXPECT_EQ(image.Pixel(info.Width / 2, info.Height / 2), kGreen);
    int white = 0;
    for (int y = 0; y < info.Height; ++y)
      for (int x = 0; x < info.Width; ++x) white += image.Pixel(x, y) == 0xFFFFFF;
    // The fill from the centre reaches every green pixel: one face, and no green elsewhere.
    image.FloodFill(info.Width / 2, info.Height / 2, kGreen, kRed);
    for (int y = 0; y < info.Height; ++y)
      for (int x = 0; x < info.Width; ++x) EXPECT_NE(image.Pixel(x, y), kGreen) << x << "," << y;
    // The top edge and the left edge are white, the bottom edge and the right edge dark grey.
    EXPECT_EQ(image.Pixel(0, 0), 0xFFFFFFu);
    EXPECT_EQ(image.Pixel(0, info.Height - 2), 0xFFFFFFu);
    EXPECT_EQ(image.Pixel(info.Width - 1, 1), 0x808080u);
    EXPECT_EQ(image.Pixel(info.Width - 1, info.Height - 1), 0x808080u);
    EXPECT_GT(white, info.Width + info.Height - 1) << "a glint besides the edges";
  }
}

TEST(LedPictures, TheSmallRoundLampIsDrawnRowByRow) {
  const char* const rows[] = {
      "WWWWWWWWWWWWWWWW", "WSSSSKKKKKKSSSSD", "WSSSKWWWWWSKSSSD", "WSSKWWKKKKSSKSSD",
      "WSKWWKGGGGKSSKSD", "WKWWKWGWGGGKSDKD", "WKWKGGWGGGGGKDKD", "WKWKGWGGGGGGKDKD",
      "WKWKGGGGGGGGKDKD", "WKWKGGGGGGGGKDKD", "WKSSKGGGGGGKDDKD", "WSKSSKGGGGKDDKSD",
      "WSSKSSKKKKDDKSSD", "WSSSKDDDDDDKSSSD", "WSSSSKKKKKKSSSSD", "DDDDDDDDDDDDDDDD",
  };
  auto colorOf = [](char c) -> Color {
    switch (c) {
      case 'W': return 0xFFFFFF;
      case 'S': return kSilver;
      case 'K': return 0x000000;
      case 'D': return 0x808080;
      default: return kGreen;
    }
  };
  const auto picture = resources::FindPicture(L"ALEDSM");
  ASSERT_TRUE(picture);
  ASSERT_EQ(picture->Width, 16);
  ASSERT_EQ(picture->Height, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) EXPECT_EQ(picture->Pixels[y * 16 + x], colorOf(rows[y][x])) << x << "," << y;
  EXPECT_FALSE(resources::FindPicture(L"ALEDXX"));
}

TEST(LedPictures, AMissingBitmapIsAClearError) {
  toolkit::HeadlessPlatform platform;
  toolkit::Image image;
  try {
    image.LoadFromResourceName(L"NOSUCH");
    FAIL() << "no error";
  } catch (const core::Exception& e) {
    EXPECT_EQ(e.Message(), L"Resource NOSUCH not found");
  }
  EXPECT_TRUE(image.Empty());
}

TEST_F(ALedTest, ANewLedIsSmallUnlitAndSilverFacedWithoutATimer) {
  EXPECT_EQ(led.GetBounds(), (toolkit::Bounds{0, 0, 16, 16}));
  EXPECT_EQ(led.TrueColor(), kGreen);
  EXPECT_EQ(led.FalseColor(), kSilver);
  EXPECT_TRUE(led.Blink());
  EXPECT_FALSE(led.Value());
  EXPECT_EQ(led.Interval(), 1000);
  EXPECT_EQ(led.LEDStyle(), TLEDStyle::LEDSmall);
  EXPECT_EQ(led.ShownPicture(), 1);
  EXPECT_EQ(led.BlinkTimer(), nullptr);
  EXPECT_TRUE(DrawnIs(led.UnlitPicture()));
  EXPECT_EQ(Drawn().Pixel(8, 8), kSilver);
}

// Every style, in colours that differ from the bitmap's: the face takes the colour in each
// picture, every other pixel (glint and bezel) keeps the bitmap's.
TEST_F(ALedTest, EachStyleSizesTheLedAndRecoloursOnlyTheFace) {
  led.SetTrueColor(kRed);
  led.SetFalseColor(kMaroon);
  for (TLEDStyle style : kStyles) {
    led.SetLEDStyle(style);
    const widgets::LEDStyleInfo& info = widgets::InfoOf(style);
    const auto source = resources::FindPicture(info.Bitmap);
    ASSERT_TRUE(source);
    EXPECT_EQ(led.GetBounds(), (toolkit::Bounds{0, 0, info.Width, info.Height}));
    int face = 0;
    for (int y = 0; y < info.Height; ++y) {
      for (int x = 0; x < info.Width; ++x) {
        const Color original = source->Pixels[y * info.Width + x];
        const bool isFace = original == kGreen;
        face += isFace;
        EXPECT_EQ(led.LitPicture().Pixel(x, y), isFace ? kRed : original) << x << "," << y;
        EXPECT_EQ(led.UnlitPicture().Pixel(x, y), isFace ? kMaroon : original) << x << "," << y;
      }
    }
    EXPECT_GT(face, 0);
    EXPECT_TRUE(DrawnIs(led.UnlitPicture()));
  }
}

TEST_F(ALedTest, ValueTrueWithBlinkLightsAtOnceThenTogglesEveryInterval) {
  led.SetInterval(500);
  led.SetValue(true);
  ExpectLitAndBlinking(500);
  platform.Advance(499);
  EXPECT_EQ(led.ShownPicture(), 0);
  EXPECT_TRUE(senders.empty());
  platform.Advance(1);
  EXPECT_EQ(led.ShownPicture(), 1);
  EXPECT_TRUE(DrawnIs(led.UnlitPicture()));
  EXPECT_EQ(senders, std::vector<TALed*>{&led});
  platform.Advance(500);
  EXPECT_TRUE(DrawnIs(led.LitPicture()));
  EXPECT_EQ(senders.size(), 2u);
}

TEST_F(ALedTest, ValueTrueWithoutBlinkStaysLit) {
  led.SetBlink(false);
  led.SetValue(true);
  EXPECT_EQ(led.BlinkTimer(), nullptr);
  platform.Advance(10000);
  EXPECT_TRUE(DrawnIs(led.LitPicture()));
  EXPECT_TRUE(senders.empty());
}

TEST_F(ALedTest, ValueFalseStopsTheBlinkInEitherPhaseAndShowsUnlit) {
  for (std::uint64_t elapsed : {0, 1000}) {
    led.SetValue(true);
    platform.Advance(elapsed);
    led.SetValue(false);
    EXPECT_EQ(led.BlinkTimer(), nullptr);
    EXPECT_TRUE(DrawnIs(led.UnlitPicture())) << elapsed;
    const std::size_t ticks = senders.size();
    platform.Advance(5000);
    EXPECT_EQ(senders.size(), ticks);
  }
}

TEST_F(ALedTest, BlinkWaitsForValue) {
  led.SetBlink(false);
  led.SetBlink(true);
  EXPECT_EQ(led.BlinkTimer(), nullptr);
  EXPECT_TRUE(DrawnIs(led.UnlitPicture()));
  platform.Advance(300);
  led.SetValue(true);
  ExpectLitAndBlinking(1300);
  led.SetBlink(false);
  EXPECT_EQ(led.BlinkTimer(), nullptr);
  EXPECT_TRUE(DrawnIs(led.LitPicture()));
}

TEST_F(ALedTest, WritingWhatIsThereDrawsNothingAndKeepsTheBlinkRunning) {
  led.SetValue(true);
  platform.Advance(400);
  const toolkit::Timer* timer = led.BlinkTimer();
  const int paints = Drawn().Paints;
  led.SetValue(true);
  led.SetBlink(true);
  led.SetTrueColor(kGreen);
  led.SetFalseColor(kSilver);
  led.SetLEDStyle(TLEDStyle::LEDSmall);
  EXPECT_EQ(Drawn().Paints, paints);
  EXPECT_EQ(led.BlinkTimer(), timer);
  EXPECT_EQ(platform.NextTick(*timer), 1000u);
}

TEST_F(ALedTest, AColourChangeDuringABlinkRestartsItFromTheLitPicture) {
  led.SetValue(true);
  platform.Advance(1300);
  ASSERT_EQ(led.ShownPicture(), 1);
  led.SetTrueColor(kRed);
  ExpectLitAndBlinking(2300);
  EXPECT_EQ(Drawn().Pixel(8, 8), kRed);
  led.SetFalseColor(kMaroon);
  platform.Advance(1000);
  EXPECT_EQ(Drawn().Pixel(8, 8), kMaroon);
}

TEST_F(ALedTest, ANewStyleKeepsTheBlinkGoingWithTheNewPictures) {
  led.SetValue(true);
  platform.Advance(200);
  led.SetLEDStyle(TLEDStyle::LEDVertical);
  EXPECT_EQ(led.GetBounds(), (toolkit::Bounds{0, 0, 14, 22}));
  ExpectLitAndBlinking(1000);
  platform.Advance(800);
  EXPECT_TRUE(DrawnIs(led.UnlitPicture()));
}

TEST_F(ALedTest, AResizedLedStretchesItsPictureUntilTheNextRebuild) {
  led.SetBounds(5, 6, 32, 48);
  const auto& drawn = Drawn();
  ASSERT_EQ(drawn.Width, 32);
  ASSERT_EQ(drawn.Height, 48);
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 32; ++x) ASSERT_EQ(drawn.Pixel(x, y), led.UnlitPicture().Pixel(x / 2, y / 3)) << x << "," << y;
  led.SetFalseColor(kMaroon);
  EXPECT_EQ(led.GetBounds(), (toolkit::Bounds{5, 6, 16, 16}));
}

TEST_F(ALedTest, TheIntervalReachesARunningBlinkAtOnce) {
  led.SetValue(true);
  platform.Advance(100);
  led.SetInterval(250);
  EXPECT_EQ(platform.NextTick(*led.BlinkTimer()), 350u);
}

TEST_F(ALedTest, ANegativeIntervalIsARangeErrorWhenItReachesTheTimer) {
  led.SetInterval(-1);  // not blinking: kept for later
  EXPECT_EQ(led.Interval(), -1);
  try {
    led.SetValue(true);
    FAIL() << "no error";
  } catch (const core::ERangeError& e) {
    EXPECT_EQ(e.Message(), L"Range check error");
  }
  EXPECT_TRUE(led.Value());
  EXPECT_TRUE(DrawnIs(led.LitPicture()));
  EXPECT_EQ(led.BlinkTimer(), nullptr);

  led.SetValue(false);
  led.SetInterval(700);
  led.SetValue(true);
  EXPECT_THROW(led.SetInterval(-5), core::ERangeError);
  EXPECT_EQ(led.Interval(), 700);
  EXPECT_EQ(platform.NextTick(*led.BlinkTimer()), 700u);
}

// The analyzer's way to end a blink: from the tick's own handler.
TEST_F(ALedTest, TheTickHandlerMayStopTheBlink) {
  led.OnTimer = [](TALed& sender) {
    sender.SetBlink(false);
    sender.SetValue(false);
  };
  led.SetInterval(500);
  led.SetValue(true);
  platform.Advance(500);
  EXPECT_EQ(led.BlinkTimer(), nullptr);
  EXPECT_TRUE(DrawnIs(led.UnlitPicture()));
  led.SetBlink(true);
  led.SetValue(true);
  platform.Advance(500);
  EXPECT_FALSE(led.Value());
  EXPECT_TRUE(platform.errors.empty());
}

TEST_F(ALedTest, MouseEntryAndExitReachTheirHandlers) {
  std::vector<std::string> seen;
  led.OnMouseEnter = [&](TALed& sender) { seen.push_back(&sender == &led ? "enter" : "?"); };
  led.OnMouseLeave = [&](TALed& sender) { seen.push_back(&sender == &led ? "leave" : "?"); };
  led.MouseEnter();
  led.MouseLeave();
  EXPECT_EQ(seen, (std::vector<std::string>{"enter", "leave"}));
}

}  // namespace
