#include "toolkit/Form.h"

#include <cwctype>

#include "toolkit/Platform.h"
#include "toolkit/Widgets.h"

namespace toolkit {
namespace {

wchar_t AcceleratorOf(const std::wstring& caption) {
  for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != L'&') continue;
    if (caption[i + 1] != L'&') return caption[i + 1];
    ++i;
  }
  return 0;
}

WinControl* AcceleratorTarget(const WinControl& container, wchar_t key) {
  for (Control* c : container.Controls()) {
    if (auto* text = dynamic_cast<const AcceleratorText*>(c)) {
      WinControl* target = text->FocusControl();
      const wchar_t accelerator = AcceleratorOf(c->Caption());
      if (target && accelerator && std::towupper(accelerator) == std::towupper(key) && c->Enabled() &&
          target->CanFocus())
        return target;
    }
    if (auto* inner = dynamic_cast<const WinControl*>(c))
      if (WinControl* found = AcceleratorTarget(*inner, key)) return found;
  }
  return nullptr;
}

}  // namespace

Form::Form(Component* owner, std::wstring name) : WinControl(owner, std::move(name)) {
  SetVisible(false);
}

void Form::Show() {
  bool wasVisible = Visible();
  SetVisible(true);
  if (!wasVisible && OnShow) OnShow();
}

bool Form::FocusAccelerator(wchar_t key) {
  WinControl* target = AcceleratorTarget(*this, key);
  if (!target) return false;
  CurrentPlatform().Focus(*target);
  return true;
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
