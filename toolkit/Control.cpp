#include "toolkit/Control.h"

#include <algorithm>

namespace toolkit {

Control::Control(Component* owner, std::wstring name) : Component(owner, std::move(name)) {}

// Leaves the parent quietly: the peer must not mirror a control that is half destroyed.
Control::~Control() { Detach(); }

void Control::Detach() {
  if (!parent_) return;
  auto& list = parent_->controls_;
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  parent_ = nullptr;
}

WinControl::~WinControl() {
  for (Control* c : controls_) c->parent_ = nullptr;
}

void Control::SetParent(WinControl* parent) {
  if (parent == parent_) return;
  Detach();
  parent_ = parent;
  if (parent_) parent_->controls_.push_back(this);
  Changed();
}

void Control::SetBounds(int left, int top, int width, int height) {
  Bounds b{left, top, width, height};
  if (b == bounds_) return;
  bounds_ = b;
  Changed();
}

void Control::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  Changed();
}

void Control::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Changed();
}

void Control::SetCaption(const std::wstring& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  CaptionChanged();
  Changed();
}

void Control::SetFont(const Font& font) {
  if (font == font_) return;
  font_ = font;
  Changed();
}

void Control::SetColor(Color color) {
  if (color == color_) return;
  color_ = color;
  Changed();
}

void Control::SetAlign(Align align) {
  if (align == align_) return;
  align_ = align;
  Changed();
}

void Control::Click() {
  if (OnClick) OnClick();
}

}  // namespace toolkit
