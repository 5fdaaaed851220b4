#include "widgets/ALed.h"

#include "core/Exceptions.h"

namespace widgets {

const LEDStyleInfo& InfoOf(TLEDStyle style) {
  static const LEDStyleInfo kStyles[] = {
      {16, 16, L"ALEDSM"},   {22, 22, L"ALEDLG"}, {16, 16, L"ALEDSQSM"},
      {22, 22, L"ALEDSQLG"}, {14, 22, L"ALEDVT"}, {22, 14, L"ALEDHZ"},
  };
  return kStyles[static_cast<int>(style)];
}

TALed::TALed(toolkit::Component* owner, std::wstring name)
    : GraphicControl(owner, std::move(name)), timer_(Make<toolkit::Timer>()) {
  timer_.SetEnabled(false);
  timer_.OnTimer = [this] { BlinkTimerTick(); };
  SetBounds(0, 0, 16, 16);
  BuildImages();
}

void TALed::BuildImages() {
  lit_ = toolkit::Image();
  unlit_ = toolkit::Image();
  const LEDStyleInfo& info = InfoOf(style_);
  const toolkit::Bounds& b = GetBounds();
  SetBounds(b.Left, b.Top, info.Width, info.Height);
  lit_.LoadFromResourceName(info.Bitmap);
  unlit_.LoadFromResourceName(info.Bitmap);
  const int x = GetBounds().Width / 2, y = GetBounds().Height / 2;
  lit_.FloodFill(x, y, kFaceColor, trueColor_);
  unlit_.FloodFill(x, y, kFaceColor, falseColor_);
}

void TALed::Paint(toolkit::Canvas& canvas) {
  const toolkit::Image& picture = shown_ == 0 ? lit_ : unlit_;
  if (picture.Empty()) return;
  const toolkit::Bounds& b = GetBounds();
  canvas.StretchDraw(toolkit::Bounds{0, 0, b.Width, b.Height}, *picture.GetBitmap());
}

void TALed::ShowLit() {
  shown_ = 0;
  Invalidate();
}

void TALed::ShowUnlit() {
  shown_ = 1;
  Invalidate();
}

void TALed::StartBlinking() {
  if (Blinking()) return;
  if (interval_ < 0) throw core::ERangeError();
  shown_ = 0;
  timer_.SetInterval(static_cast<unsigned>(interval_));
  timer_.SetEnabled(true);
}

void TALed::StopBlinking() { timer_.SetEnabled(false); }

void TALed::BlinkTimerTick() {
  if (shown_ == 0)
    ShowUnlit();
  else
    ShowLit();
  if (OnTimer) OnTimer(*this);
}

void TALed::SetValue(bool v) {
  if (v == value_) return;
  value_ = v;
  if (v) {
    ShowLit();
    if (blink_) StartBlinking();
  } else {
    StopBlinking();
    ShowUnlit();
  }
}

void TALed::SetBlink(bool b) {
  if (b == blink_) return;
  if (value_)
    ShowLit();
  else
    ShowUnlit();
  blink_ = b;
  if (blink_ && value_)
    StartBlinking();
  else
    StopBlinking();
}

void TALed::ChangeColor(toolkit::Color& field, toolkit::Color c) {
  if (c == field) return;
  const bool blinking = blink_;
  if (blinking) SetBlink(false);
  field = c;
  BuildImages();
  SetBlink(blinking);
  Invalidate();
}

void TALed::SetTrueColor(toolkit::Color c) { ChangeColor(trueColor_, c); }

void TALed::SetFalseColor(toolkit::Color c) { ChangeColor(falseColor_, c); }

void TALed::SetLEDStyle(TLEDStyle s) {
  if (s == style_) return;
  style_ = s;
  BuildImages();
  Invalidate();
}

void TALed::SetInterval(int milliseconds) {
  // Refused before it is stored: the running blink keeps its period.
  if (Blinking() && milliseconds < 0) throw core::ERangeError();
  interval_ = milliseconds;
  if (Blinking()) timer_.SetInterval(static_cast<unsigned>(milliseconds));
}

void TALed::MouseEnter() {
  GraphicControl::MouseEnter();
  if (OnMouseEnter) OnMouseEnter(*this);
}

void TALed::MouseLeave() {
  GraphicControl::MouseLeave();
  if (OnMouseLeave) OnMouseLeave(*this);
}

}  // namespace widgets
