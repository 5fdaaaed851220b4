#pragma once
// The toolkit on Windows: every control a window, every timer a window timer, error boxes as
// message boxes. Made once per module that shows forms; set it current before realizing any.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "toolkit/Control.h"
#include "toolkit/Platform.h"

namespace toolkit::win32 {

class PeerContext;

class Win32Platform : public toolkit::Platform {
 public:
  // Registers the window classes in `module`; throws std::system_error when it cannot.
  explicit Win32Platform(HINSTANCE module);
  // Unregisters them: every component realized on this platform must be gone by then.
  ~Win32Platform() override;
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

  std::unique_ptr<Peer> CreatePeer(Component& component) override;
  void Beep() override;
  // Modal, owned by the thread's active window, titled with the host program's name.
  void ShowError(const std::wstring& message) override;
  wchar_t DecimalSeparator() override;
  std::uint64_t Milliseconds() override;
  // From the resources of the module the platform was made for.
  std::unique_ptr<Bitmap> LoadBitmapResource(const std::wstring& name) override;

 private:
  std::unique_ptr<PeerContext> context_;
};

// The window that mirrors `control`, or null when it has none (not realized, or windowless).
HWND WindowOf(const toolkit::Control& control);

}  // namespace toolkit::win32
