#pragma once
// A panel lamp: a windowless control showing a lit or an unlit picture, blinking between them on
// its own timer. Each style draws a lamp from one of the library's bitmaps; the lamp's pure
// green face is repainted in TrueColor for the lit picture and in FalseColor for the unlit one.
#include <functional>
#include <string>

#include "toolkit/Graphics.h"
#include "toolkit/Timer.h"
#include "toolkit/Widgets.h"

namespace widgets {

enum class TLEDStyle { LEDSmall, LEDLarge, LEDSqSmall, LEDSqLarge, LEDVertical, LEDHorizontal };

struct LEDStyleInfo {
  int Width;
  int Height;
  const wchar_t* Bitmap;  // the name of the library's bitmap resource
};
const LEDStyleInfo& InfoOf(TLEDStyle style);

class TALed : public toolkit::GraphicControl {
 public:
  // The face colour of the bitmaps, which the pictures recolour.
  static constexpr toolkit::Color kFaceColor = 0x00FF00;

  explicit TALed(toolkit::Component* owner, std::wstring name = {});

  toolkit::Color TrueColor() const { return trueColor_; }
  void SetTrueColor(toolkit::Color c);
  toolkit::Color FalseColor() const { return falseColor_; }
  void SetFalseColor(toolkit::Color c);
  bool Blink() const { return blink_; }
  void SetBlink(bool b);
  bool Value() const { return value_; }
  void SetValue(bool v);
  // Milliseconds between two toggles; a negative one is refused with ERangeError when it
  // reaches the blink timer.
  int Interval() const { return interval_; }
  void SetInterval(int milliseconds);
  TLEDStyle LEDStyle() const { return style_; }
  void SetLEDStyle(TLEDStyle s);

  std::function<void(TALed& sender)> OnTimer, OnMouseEnter, OnMouseLeave;

  // The pictures and which one shows: 0 the lit one, 1 the unlit one.
  const toolkit::Image& LitPicture() const { return lit_; }
  const toolkit::Image& UnlitPicture() const { return unlit_; }
  int ShownPicture() const { return shown_; }
  // The running blink timer, or null.
  const toolkit::Timer* BlinkTimer() const { return Blinking() ? &timer_ : nullptr; }

  void Paint(toolkit::Canvas& canvas) override;
  void MouseEnter() override;
  void MouseLeave() override;

 private:
  bool Blinking() const { return timer_.Enabled(); }
  void BuildImages();
  void ShowLit();
  void ShowUnlit();
  void StartBlinking();
  void StopBlinking();
  void BlinkTimerTick();
  void ChangeColor(toolkit::Color& field, toolkit::Color c);

  toolkit::Color trueColor_ = kFaceColor;
  toolkit::Color falseColor_ = 0xC0C0C0;
  bool blink_ = true;
  bool value_ = false;
  int interval_ = 1000;
  TLEDStyle style_ = TLEDStyle::LEDSmall;
  toolkit::Image lit_, unlit_;
  int shown_ = 1;
  // Owned, so that a handler of OnTimer may stop the blink from inside the tick: switching it
  // off keeps it alive.
  toolkit::Timer& timer_;
};

}  // namespace widgets
