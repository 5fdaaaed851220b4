#include "toolkit/Form.h"

namespace toolkit {

Form::Form(Component* owner, std::wstring name) : WinControl(owner, std::move(name)) {
  SetVisible(false);
}

void Form::Show() {
  bool wasVisible = Visible();
  SetVisible(true);
  if (!wasVisible && OnShow) OnShow();
}

void Form::BeforeDestruction() {
  if (destroying_) return;
  destroying_ = true;
  if (OnDestroy) OnDestroy();
}

Form* FormOf(Component& component) noexcept {
  Component* top = &component;
  while (top->Owner()) top = top->Owner();
  return dynamic_cast<Form*>(top);
}

FormHold::FormHold(Component& component) noexcept {
  if (Form* form = FormOf(component)) keeper_ = form->Keeper();
  if (keeper_) keeper_->Retain();
}

FormHold::~FormHold() {
  if (keeper_) keeper_->Relinquish();
}

void Form::SetParentWindow(std::uintptr_t window) { Update(parentWindow_, window); }

}  // namespace toolkit
