#include "toolkit/Menu.h"

#include <algorithm>

namespace toolkit {

MenuItem::MenuItem(Component* owner, std::wstring name, std::wstring caption)
    : Component(owner, std::move(name)), caption_(std::move(caption)) {}

MenuItem::~MenuItem() {
  if (parent_) {
    auto& list = parent_->items_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }
  for (MenuItem* item : items_) item->parent_ = nullptr;
}

void MenuItem::SetCaption(const std::wstring& caption) { Update(caption_, caption); }

void MenuItem::SetChecked(bool checked) {
  if (checked && RadioItem && parent_) {
    for (MenuItem* other : parent_->items_) {
      if (other != this && other->RadioItem && other->GroupIndex == GroupIndex) other->Update(other->checked_, false);
    }
  }
  Update(checked_, checked);
}

void MenuItem::SetEnabled(bool enabled) { Update(enabled_, enabled); }

void MenuItem::Add(MenuItem& item) {
  item.parent_ = this;
  items_.push_back(&item);
  Changed();
}

void MenuItem::Click() {
  if (!enabled_) return;
  if (AutoCheck) SetChecked(!checked_);
  if (OnClick) OnClick();
}

PopupMenu::PopupMenu(Component* owner, std::wstring name)
    : Component(owner, std::move(name)), root_(nullptr) {}

}  // namespace toolkit
