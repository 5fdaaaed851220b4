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

void Form::SetParentWindow(std::uintptr_t window) { Update(parentWindow_, window); }

}  // namespace toolkit
