#pragma once
// The toolkit on Windows: every control a window, every timer a window timer, error boxes as
// message boxes. Made once per module that shows forms; set it current before realizing any.
#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "toolkit/Control.h"
#include "toolkit/Platform.h"

namespace toolkit::win32 {

class PeerContext;
class WindowClasses;

class Win32Platform : public toolkit::Platform {
 public:
  // Registers the window classes in `module`; throws std::system_error when it cannot. Takes
  // the user's decimal separator: a change of the regional settings later does not reach it.
  explicit Win32Platform(HINSTANCE module);
  // Unregisters them: every component realized on this platform must be gone by then. A thread's
  // windows can only be destroyed by that thread, so threads that realized components should
  // have ended, or let go of them through ThreadEnding.
  ~Win32Platform() override;
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

  // The peer belongs to the calling thread: its windows and timers live there.
  std::unique_ptr<Peer> CreatePeer(Component& component) override;
  void Post(Form& form) override;
  void Beep() override;
  // Titled with the host program's name.
  void ShowError(Component* source, const std::wstring& message) override;
  void Focus(WinControl& control) override;
  wchar_t DecimalSeparator() override { return decimalSeparator_; }
  std::uint64_t Milliseconds() override;
  // From the resources of the module the platform was made for.
  std::unique_ptr<Bitmap> LoadBitmapResource(const std::wstring& name) override;

  // The calling thread ends: its utility window goes with it.
  void ThreadEnding() noexcept;

  // A hidden window of the calling thread that holds the windows of forms nobody has placed
  // yet: the thread's utility window, made once rather than a top-level window per form.
  HWND ParkingWindow();

 private:
  PeerContext& ThisThreadsContext();

  HINSTANCE module_;
  std::unique_ptr<WindowClasses> classes_;
  const wchar_t decimalSeparator_;
  std::mutex contextsMutex_;  // threads realize components at once; peers keep their context
  std::map<DWORD, std::unique_ptr<PeerContext>> contexts_;
};

// The window that mirrors `control`, or null when it has none (not realized, or windowless).
HWND WindowOf(const toolkit::Control& control);

}  // namespace toolkit::win32
