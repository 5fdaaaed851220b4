#pragma once
// Forms: the top of a tree of controls, shown either as a top-level window or inside a host's
// window. A form is created with CreateForm and destroyed through FormPtr, which runs its
// destroy notification while the whole form still exists.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "toolkit/Control.h"
#include "toolkit/Menu.h"

namespace toolkit {

class Form : public WinControl {
 public:
  explicit Form(Component* owner = nullptr, std::wstring name = {});

  // Title-bar buttons of a top-level form; an empty set shows none (no system menu either).
  bool BorderIcons = true;
  // The context menu shown on a right click anywhere on the form.
  PopupMenu* ContextMenu = nullptr;

  std::function<void()> OnShow;
  std::function<void()> OnDestroy;

  // Makes the form visible, running OnShow when it was hidden.
  void Show();
  void Hide() { SetVisible(false); }

  // Runs OnDestroy once; FormPtr calls it before destruction.
  void BeforeDestruction();

  // Where the form is placed: 0 for a top-level window, else the platform's handle of the window
  // the form sits in.
  std::uintptr_t ParentWindow() const { return parentWindow_; }
  void SetParentWindow(std::uintptr_t window);

 private:
  bool destroying_ = false;
  std::uintptr_t parentWindow_ = 0;
};

struct FormDeleter {
  void operator()(Form* form) const {
    form->BeforeDestruction();
    delete form;
  }
};

template <class F>
using FormPtr = std::unique_ptr<F, FormDeleter>;

// Builds a form, hidden, and realizes it and its components on the current platform.
template <class F, class... Args>
FormPtr<F> CreateForm(Args&&... args) {
  FormPtr<F> form(new F(std::forward<Args>(args)...));
  form->Realize();
  return form;
}

}  // namespace toolkit
