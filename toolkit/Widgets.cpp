#include "toolkit/Widgets.h"

#include <algorithm>

#include "core/Convert.h"
#include "core/Exceptions.h"

namespace toolkit {

Panel::Panel(Component* owner, std::wstring name) : WinControl(owner, std::move(name)) {}

void Panel::SetBevelOuter(BevelKind kind) { Update(bevelOuter_, kind); }

void Bevel::SetShape(Shape shape, BevelKind style) {
  if (shape == shape_ && style == style_) return;
  shape_ = shape;
  style_ = style;
  Changed();
}

void StaticText::SetBorder(BorderStyle border) { Update(border_, border); }

void StaticText::SetAlignment(Alignment alignment) { Update(alignment_, alignment); }

void Label::SetAutoSize(bool autoSize) { Update(autoSize_, autoSize); }

void Label::SetAlignment(Alignment alignment) { Update(alignment_, alignment); }

Edit::Edit(Component* owner, std::wstring name) : WinControl(owner, std::move(name)) {
  SetColor(clWindow);
}

int Edit::KeyDown(int key) {
  if (OnKeyDown) OnKeyDown(key);
  return key;
}

wchar_t Edit::KeyPress(wchar_t key) {
  if (OnKeyPress) OnKeyPress(key);
  return key;
}

void Edit::CaptionChanged() {
  if (OnChange) OnChange();
}

SpinEdit::SpinEdit(Component* owner, std::wstring name) : Edit(owner, std::move(name)) {
  SetText(L"0");
}

int SpinEdit::Clamp(int value) const {
  if (max_ == min_) return value;
  return std::clamp(value, min_, max_);
}

void SpinEdit::SetLimits(int minValue, int maxValue) {
  min_ = minValue;
  max_ = maxValue;
  SetValue(Value());
}

int SpinEdit::Value() const {
  try {
    return Clamp(core::StrToInt(Text()));
  } catch (const core::EConvertError&) {
    return min_;
  }
}

void SpinEdit::SetValue(int value) { SetText(std::to_wstring(Clamp(value))); }

Memo::Memo(Component* owner, std::wstring name) : WinControl(owner, std::move(name)) {
  SetColor(clWindow);
}

void Memo::Append(const std::wstring& line) {
  lines_.push_back(line);
  Changed();
}

void Memo::ClearLines() {
  lines_.clear();
  Changed();
}

int Memo::LineCount() const {
  if (auto* counting = dynamic_cast<const LineCountingPeer*>(GetPeer())) return counting->DisplayLineCount();
  return static_cast<int>(lines_.size());
}

void Memo::SetWordWrap(bool wrap) { Update(wordWrap_, wrap); }

void Memo::SetReadOnly(bool readOnly) { Update(readOnly_, readOnly); }

ComboBox::ComboBox(Component* owner, std::wstring name) : WinControl(owner, std::move(name)) {
  SetColor(clWindow);
}

void ComboBox::SetItems(std::vector<std::wstring> items) {
  items_ = std::move(items);
  if (itemIndex_ >= static_cast<int>(items_.size())) itemIndex_ = -1;
  Changed();
}

void ComboBox::SetItemIndex(int index) {
  if (index < -1 || index >= static_cast<int>(items_.size())) index = -1;
  Update(itemIndex_, index);
}

void ComboBox::UserSelect(int index) {
  SetItemIndex(index);
  if (OnChange) OnChange();
}

TrackBar::TrackBar(Component* owner, std::wstring name) : WinControl(owner, std::move(name)) {}

void TrackBar::SetRange(int minValue, int maxValue) {
  min_ = minValue;
  max_ = std::max(minValue, maxValue);
  Changed();
  SetPosition(position_);
}

void TrackBar::SetPosition(int position) {
  position = std::clamp(position, min_, max_);
  if (Update(position_, position) && OnChange) OnChange();
}

void SpeedButton::SetDown(bool down) {
  if (GroupIndex == 0) down = false;
  if (down == down_) return;
  if (down_ && !AllowAllUp) return;
  down_ = down;
  Changed();
  if (!down_ || !Parent()) return;
  for (Control* c : Parent()->Controls()) {
    auto* other = dynamic_cast<SpeedButton*>(c);
    if (other && other != this && other->GroupIndex == GroupIndex && other->down_) {
      other->Update(other->down_, false);
    }
  }
}

void SpeedButton::SetGlyph(const std::wstring& name) {
  if (name == glyph_) return;
  glyph_ = name;
  Changed();
}

void SpeedButton::Click() {
  if (!Enabled()) return;
  if (GroupIndex != 0) {
    if (!down_) SetDown(true);
    else if (AllowAllUp) SetDown(false);
  }
  Control::Click();
}

void Gauge::SetLimits(int minValue, int maxValue) {
  min_ = minValue;
  max_ = std::max(minValue, maxValue);
  progress_ = std::clamp(progress_, min_, max_);
  Changed();
}

void Gauge::SetForeColor(Color color) { Update(foreColor_, color); }

void Gauge::SetProgress(int progress) {
  progress = std::clamp(progress, min_, max_);
  Update(progress_, progress);
}

void GraphicControl::Paint(Canvas&) {
  // A copy: the handler may replace itself.
  const std::function<void()> paint = OnPaint;
  if (paint) paint();
}

}  // namespace toolkit
