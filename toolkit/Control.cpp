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

bool WinControl::CanFocus() const {
  for (const Control* c = this; c; c = c->Parent())
    if (!c->Visible() || !c->Enabled()) return false;
  return true;
}

void Control::SetParent(WinControl* parent) {
  if (parent == parent_) return;
  Detach();
  parent_ = parent;
  if (parent_) parent_->controls_.push_back(this);
  Changed();
}

void Control::SetBounds(int left, int top, int width, int height) { Update(bounds_, Bounds{left, top, width, height}); }

void Control::SetVisible(bool visible) { Update(visible_, visible); }

void Control::SetEnabled(bool enabled) { Update(enabled_, enabled); }

void Control::SetCaption(const std::wstring& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  CaptionChanged();
  Changed();
}

void Control::SetFont(const Font& font) { Update(font_, font); }

void Control::SetColor(Color color) { Update(color_, color); }

void Control::SetAlign(Align align) { Update(align_, align); }

void Control::Click() {
  if (OnClick) OnClick();
}

}  // namespace toolkit
