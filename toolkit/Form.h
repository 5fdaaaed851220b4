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

// Keeps a form alive from outside while one of its steps runs. A host may release a control
// inside an event, an error box or a site call; the keeper then marks the form closed and
// destroys it only when the last hold ends, after the step that made the call has returned.
class FormKeeper {
 public:
  virtual void Retain() noexcept = 0;
  virtual void Relinquish() noexcept = 0;

 protected:
  ~FormKeeper() = default;
};

class Form : public WinControl {
 public:
  explicit Form(Component* owner = nullptr, std::wstring name = {});

  // Title-bar buttons of a top-level form; an empty set shows none (no system menu either).
  bool BorderIcons = true;
  // The context menu shown on a right click anywhere on the form.
  PopupMenu* ContextMenu = nullptr;

  std::function<void()> OnShow;
  std::function<void()> OnDestroy;
  // Runs on the form's own thread after a Post from any thread (Platform::Post).
  std::function<void()> OnPosted;

  // Makes the form visible, running OnShow when it was hidden.
  void Show();
  void Hide() { SetVisible(false); }

  // The user pressed Alt and `key`: the first enabled label or static text of the form (in
  // placing order, those on an inner control where it sits) whose accelerator is `key`, in either
  // case, gives the keyboard focus to its FocusControl if that can take it. Says whether one did.
  bool FocusAccelerator(wchar_t key);

  // Runs OnDestroy once; FormPtr calls it before destruction.
  void BeforeDestruction();

  FormKeeper* Keeper() const { return keeper_; }
  void SetKeeper(FormKeeper* keeper) { keeper_ = keeper; }
  // True once the owner has let the form go while a step of it was still running; that step
  // must stop at once.
  bool Closed() const { return closed_; }
  void MarkClosed() { closed_ = true; }

  // Where the form is placed: 0 for a top-level window, else the platform's handle of the window
  // the form sits in.
  std::uintptr_t ParentWindow() const { return parentWindow_; }
  void SetParentWindow(std::uintptr_t window);

 private:
  bool destroying_ = false;
  bool closed_ = false;
  FormKeeper* keeper_ = nullptr;
  std::uintptr_t parentWindow_ = 0;
};

// Holds the form that `component` belongs to for the life of the hold, through its keeper;
// a form without a keeper is not held. Outermost entry points hold: the form may be gone once
// the hold ends.
class FormHold {
 public:
  explicit FormHold(Component& component) noexcept;
  ~FormHold();
  FormHold(const FormHold&) = delete;
  FormHold& operator=(const FormHold&) = delete;

 private:
  FormKeeper* keeper_ = nullptr;
};

// The form at the top of `component`'s owners, or null.
Form* FormOf(Component& component) noexcept;

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

// As CreateForm, inside the native window `parentWindow` from the start: a form made top-level
// and moved in after costs the windowing system twice.
template <class F>
FormPtr<F> CreateFormIn(std::uintptr_t parentWindow) {
  FormPtr<F> form(new F());
  form->SetParentWindow(parentWindow);
  form->Realize();
  return form;
}

}  // namespace toolkit
