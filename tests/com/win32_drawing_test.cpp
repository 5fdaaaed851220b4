// Drawing on Windows: the library's bitmaps as the resources hold them, the LED painted from its
// recoloured pictures, glyph buttons, the gauge's colours and the edits' key handlers. Pixels are
// read back through each window's own painting. Every wait is bounded by a real-time deadline.
#include "toolkit/win32/Win32Platform.h"
// The toolkit's headers come before the system's (see SystemHeaders.h).
#include "resources/Pictures.h"
#include "toolkit/Form.h"
#include "toolkit/Graphics.h"
#include "toolkit/Widgets.h"
#include "toolkit/win32/SystemHeaders.h"
#include "widgets/ALed.h"
#include "window_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace toolkit;
using widgets::TALed;
using win32::WindowOf;
using window_support::Picture;
using window_support::PumpUntil;

class Win32DrawingTest : public ::testing::Test {
 protected:
  Win32DrawingTest() : previous_(SetCurrentPlatform(&platform)) {
    form = CreateForm<Form>();
    form->SetBounds(0, 0, 200, 120);
    form->Show();
  }
  ~Win32DrawingTest() override {
    form.reset();
    SetCurrentPlatform(previous_);
  }
  // Places a component made on the form and realizes it.
  template <class T>
  T& Place(int left, int top, int width, int height) {
    T& control = form->Make<T>();
    control.SetParent(form.get());
    control.SetBounds(left, top, width, height);
    form->Realize();
    return control;
  }

  win32::Win32Platform platform{GetModuleHandleW(nullptr)};
  FormPtr<Form> form;

 private:
  Platform* previous_;
};

// The window's painting against an image, pixel for pixel, scaled by whole factors.
::testing::AssertionResult Shows(HWND window, const Image& image) {
  const Picture picture(window);
  if (picture.width % image.Width() || picture.height % image.Height())
    return ::testing::AssertionFailure() << picture.width << " x " << picture.height << " painted";
  const int sx = picture.width / image.Width(), sy = picture.height / image.Height();
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x)
      if (picture.At(x, y) != image.Pixel(x / sx, y / sy))
        return ::testing::AssertionFailure() << "pixel " << x << "," << y << " is " << std::hex << picture.At(x, y)
                                             << ", not " << image.Pixel(x / sx, y / sy);
  return ::testing::AssertionSuccess();
}

TEST_F(Win32DrawingTest, TheBitmapResourcesHoldThePicturesOfTheTable) {
  for (const wchar_t* name : {L"ALEDSM", L"ALEDLG", L"ALEDSQSM", L"ALEDSQLG", L"ALEDVT", L"ALEDHZ", L"SCANUP", L"SCANDOWN"}) {
    const auto expected = resources::FindPicture(name);
    ASSERT_TRUE(expected);
    const auto bitmap = platform.LoadBitmapResource(name);
    ASSERT_NE(bitmap, nullptr);
    ASSERT_EQ(bitmap->Width(), expected->Width);
    ASSERT_EQ(bitmap->Height(), expected->Height);
    for (int y = 0; y < expected->Height; ++y)
      for (int x = 0; x < expected->Width; ++x)
        ASSERT_EQ(bitmap->Pixel(x, y), expected->Pixels[y * expected->Width + x]) << x << "," << y;
  }
  EXPECT_EQ(platform.LoadBitmapResource(L"NOSUCH"), nullptr);
}

TEST_F(Win32DrawingTest, TheLedPaintsItsRecolouredPicturesStretchedToItsArea) {
  auto& led = Place<TALed>(10, 10, 16, 16);
  led.SetBlink(false);
  led.SetTrueColor(0x563412);  // no colour of the 16-colour palette
  const HWND window = WindowOf(led);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(Shows(window, led.UnlitPicture()));
  EXPECT_EQ(Picture(window).At(8, 8), RGB(0xC0, 0xC0, 0xC0));
  led.SetValue(true);
  EXPECT_TRUE(Shows(window, led.LitPicture()));
  EXPECT_EQ(Picture(window).At(8, 8), RGB(0x12, 0x34, 0x56));
  EXPECT_EQ(Picture(window).At(5, 5), RGB(0xFF, 0xFF, 0xFF)) << "the glint";
  led.SetBounds(10, 10, 32, 48);
  EXPECT_TRUE(Shows(window, led.LitPicture()));
  led.SetLEDStyle(widgets::TLEDStyle::LEDHorizontal);
  EXPECT_EQ(Picture(window).width, 22);
  EXPECT_EQ(Picture(window).height, 14);
  EXPECT_TRUE(Shows(window, led.LitPicture()));
}

TEST_F(Win32DrawingTest, TheLedBlinksOnAWindowTimer) {
  auto& led = Place<TALed>(10, 10, 16, 16);
  int ticks = 0;
  led.OnTimer = [&](TALed&) { ++ticks; };
  led.SetInterval(20);
  led.SetValue(true);
  const HWND window = WindowOf(led);
  EXPECT_TRUE(Shows(window, led.LitPicture()));
  ASSERT_TRUE(PumpUntil([&] { return ticks == 1; }, 3000));
  EXPECT_EQ(led.ShownPicture(), 1);
  EXPECT_TRUE(Shows(window, led.UnlitPicture()));
  led.SetValue(false);
  EXPECT_EQ(led.BlinkTimer(), nullptr);
  const int seen = ticks;
  window_support::PumpFor(100);
  EXPECT_EQ(ticks, seen);
}

TEST_F(Win32DrawingTest, TheMouseComingAndGoingReachTheLed) {
  auto& led = Place<TALed>(10, 10, 16, 16);
  std::vector<std::string> seen;
  led.OnMouseEnter = [&](TALed& sender) { seen.push_back(&sender == &led ? "enter" : "?"); };
  led.OnMouseLeave = [&](TALed& sender) { seen.push_back(&sender == &led ? "leave" : "?"); };
  const HWND window = WindowOf(led);
  SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
  SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(4, 3));
  SendMessageW(window, WM_MOUSELEAVE, 0, 0);
  window_support::PumpFor(50);
  EXPECT_EQ(seen, (std::vector<std::string>{"enter", "leave"}));
}

TEST_F(Win32DrawingTest, TheLedRaisesOnClickWhenTheButtonIsReleasedOverIt) {
  auto& led = Place<TALed>(10, 10, 16, 16);
  int clicks = 0;
  led.OnClick = [&] { ++clicks; };
  for (int releasedAt : {3, 16}) {  // over the LED, then just off it
    SendMessageW(WindowOf(led), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageW(WindowOf(led), WM_LBUTTONUP, 0, MAKELPARAM(releasedAt, 3));
  }
  EXPECT_EQ(clicks, 1);
}

TEST_F(Win32DrawingTest, EditsShowEachKeyToTheirKeyDownHandlerFirst) {
  auto& edit = Place<Edit>(4, 4, 100, 20);
  edit.SetText(L"abc");
  std::vector<int> keys;
  edit.OnKeyDown = [&](int& key) {
    keys.push_back(key);
    if (key == VK_HOME) key = 0;
  };
  const HWND window = WindowOf(edit);
  SendMessageW(window, EM_SETSEL, 1, 1);
  SendMessageW(window, WM_KEYDOWN, VK_HOME, 0);
  DWORD caret = 0;
  SendMessageW(window, EM_GETSEL, reinterpret_cast<WPARAM>(&caret), 0);
  EXPECT_EQ(caret, 1u) << "swallowed";
  SendMessageW(window, WM_KEYDOWN, VK_END, 0);
  SendMessageW(window, EM_GETSEL, reinterpret_cast<WPARAM>(&caret), 0);
  EXPECT_EQ(caret, 3u) << "passed on";
  SendMessageW(window, WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(keys, (std::vector<int>{VK_HOME, VK_END, 13}));

  auto& spin = Place<SpinEdit>(4, 30, 100, 22);
  spin.SetLimits(0, 10);
  spin.SetValue(5);
  spin.OnKeyDown = [](int& key) {
    if (key == VK_DOWN) key = 0;
  };
  SendMessageW(WindowOf(spin), WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(spin.Value(), 5);
  SendMessageW(WindowOf(spin), WM_KEYDOWN, VK_UP, 0);
  EXPECT_EQ(spin.Value(), 6);
}

TEST_F(Win32DrawingTest, AGaugeFillsItsBarInItsForeColourOnItsColour) {
  auto& gauge = Place<Gauge>(4, 36, 100, 9);
  gauge.SetForeColor(clRed);
  gauge.SetProgress(50);
  const HWND window = WindowOf(gauge);
  EXPECT_EQ(static_cast<COLORREF>(SendMessageW(window, PBM_GETBARCOLOR, 0, 0)), RGB(255, 0, 0));
  EXPECT_EQ(static_cast<COLORREF>(SendMessageW(window, PBM_GETBKCOLOR, 0, 0)), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(SendMessageW(window, PBM_GETPOS, 0, 0), 50);
  const Picture picture(window);
  const int middle = picture.height / 2;
  EXPECT_EQ(picture.At(picture.width / 4, middle), RGB(255, 0, 0));
  EXPECT_EQ(picture.At(picture.width * 3 / 4, middle), GetSysColor(COLOR_BTNFACE));
}

// Made after its bounds were set, as the panels' widgets are, and shown with its form: its sunken
// frame is on the screen, not only in what it paints when asked.
TEST_F(Win32DrawingTest, AGaugeShowsItsSunkenFrameOnTheScreen) {
  const HWND window = WindowOf(Place<Gauge>(4, 36, 100, 9));
  window_support::PumpFor(200);
  const Picture screen(window, Picture::Source::WholeWindow);
  EXPECT_EQ(screen.At(0, 0), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(screen.At(screen.width - 1, screen.height - 1), GetSysColor(COLOR_BTNHIGHLIGHT));
}

// The sweep panel's direction buttons: red arrows, greyed when disabled, pushed in while down.
TEST_F(Win32DrawingTest, GlyphButtonsShowTheirImageForTheirStateAndLookPushedWhileDown) {
  auto& up = Place<SpeedButton>(80, 73, 20, 21);
  up.GroupIndex = 1;
  up.AllowAllUp = true;
  up.SetGlyph(L"SCANUP");
  HWND window = WindowOf(up);
  EXPECT_EQ(GetWindowLongPtrW(window, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
  // The 9 x 9 image centred: the arrow's tip is pixel (4, 1) of the image.
  const int left = (20 - 9) / 2, top = (21 - 9) / 2;
  const Picture raised(window);
  EXPECT_EQ(raised.At(left + 4, top + 1), RGB(255, 0, 0));
  EXPECT_EQ(raised.At(left + 4, top + 7), RGB(255, 0, 0)) << "the shaft";
  EXPECT_EQ(raised.At(left, top), GetSysColor(COLOR_BTNFACE)) << "transparent";

  SendMessageW(window, BM_CLICK, 0, 0);
  EXPECT_TRUE(up.Down());
  const Picture pushed(window);
  EXPECT_EQ(pushed.At(left + 5, top + 2), RGB(255, 0, 0)) << "shifted by one pixel";
  EXPECT_NE(pushed.At(0, 0), raised.At(0, 0)) << "a sunken edge";
  SendMessageW(window, BM_CLICK, 0, 0);
  EXPECT_FALSE(up.Down()) << "all up allowed";

  up.SetEnabled(false);
  const Picture disabled(window);
  EXPECT_EQ(disabled.At(left + 4, top + 1), RGB(128, 128, 128));
}

}  // namespace
