#pragma once
// What the toolkit needs of the system it runs on. The Windows shell implements it with real
// windows; tests use the headless platform with a virtual clock.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "toolkit/Component.h"

namespace toolkit {

class Bitmap;
class Form;
class WinControl;

class Platform {
 public:
  virtual ~Platform() = default;
  // A peer that mirrors the component, or none where the platform shows nothing of it.
  virtual std::unique_ptr<Peer> CreatePeer(Component& component) = 0;
  // Callable from any thread: the thread that the form belongs to runs its OnPosted later,
  // from its message loop. The caller never waits for that thread.
  virtual void Post(Form& form) = 0;
  // The system's simple beep.
  virtual void Beep() = 0;
  // A modal error message box with the text, modal for the window that `source` sits in (or
  // for the whole thread when there is none); returns when the user has closed it.
  virtual void ShowError(Component* source, const std::wstring& message) = 0;
  // Gives the keyboard focus to the control.
  virtual void Focus(WinControl& control) = 0;
  // The decimal separator of the user's regional settings as they were when the platform was made.
  virtual wchar_t DecimalSeparator() = 0;
  // Milliseconds since some fixed start.
  virtual std::uint64_t Milliseconds() = 0;
  // A copy of the library's own bitmap resource `name`, or none when the library has no such bitmap.
  virtual std::unique_ptr<Bitmap> LoadBitmapResource(const std::wstring& name) = 0;
};

// The platform of this process. Set once by whoever starts the toolkit (the server at load, a
// test's fixture); every component reaches the system through it.
Platform& CurrentPlatform();
// Returns the platform that was set before.
Platform* SetCurrentPlatform(Platform* platform);

// The one dispatch point of user-interface events (clicks, ticks, edits) of `source`: the
// source's form is held while `handler` runs, and an exception that escapes it is shown in the
// platform's error box; then the application goes on.
void DispatchUserEvent(Component& source, const std::function<void()>& handler);

// While one lives on a thread, the errors that DispatchUserEvent would show in a box on that
// thread go to `report` instead: a control's own unattended work has nobody to close a box.
// Scopes nest; the innermost reports.
class ErrorBoxDetour {
 public:
  explicit ErrorBoxDetour(std::function<void(const std::wstring&)> report);
  ~ErrorBoxDetour();
  ErrorBoxDetour(const ErrorBoxDetour&) = delete;
  ErrorBoxDetour& operator=(const ErrorBoxDetour&) = delete;

 private:
  friend void DispatchUserEvent(Component&, const std::function<void()>&);
  const std::function<void(const std::wstring&)> report_;
  ErrorBoxDetour* const outer_;
};

}  // namespace toolkit
