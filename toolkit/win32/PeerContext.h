#pragma once
// What the peers of one thread share: the hidden utility window (owner of the thread's window
// timers, and home of windows whose parent has no window yet), and the fonts and brushes made
// for the models' fonts and colours. Every window and timer of a control belongs to the thread
// that created the control; the window classes are the process's.
#include "toolkit/win32/SystemHeaders.h"

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "core/win32/Handles.h"
#include "toolkit/Control.h"
#include "toolkit/Timer.h"

namespace toolkit::win32 {

inline constexpr wchar_t kFormClass[] = L"ApparataForm";
inline constexpr wchar_t kPanelClass[] = L"ApparataPanel";
inline constexpr wchar_t kBevelClass[] = L"ApparataBevel";
inline constexpr wchar_t kGraphicClass[] = L"ApparataGraphic";
inline constexpr wchar_t kUtilityClass[] = L"ApparataUtility";

// Asks a form's window to run the form's OnPosted (Platform::Post).
inline constexpr UINT kPostedMessage = WM_APP + 1;

// A model colour as the system paints it; system colours follow the user's scheme.
COLORREF ToColorRef(Color color);

// The window classes of the peers, registered in `module` for the life of the platform.
class WindowClasses {
 public:
  explicit WindowClasses(HINSTANCE module);
  ~WindowClasses();
  WindowClasses(const WindowClasses&) = delete;
  WindowClasses& operator=(const WindowClasses&) = delete;

 private:
  void Unregister() noexcept;
  HINSTANCE module_;
  std::vector<const wchar_t*> registered_;
};

class PeerContext {
 public:
  // Makes the utility window on the calling thread, which the context then belongs to.
  explicit PeerContext(HINSTANCE module);
  ~PeerContext();
  PeerContext(const PeerContext&) = delete;
  PeerContext& operator=(const PeerContext&) = delete;

  HINSTANCE Module() const { return module_; }
  HWND Utility() const { return utility_.get(); }

  // Made once per distinct font and kept for the life of the platform.
  HFONT FontFor(const Font& font);
  // System colours answer the system's own brushes; others are made once and kept.
  HBRUSH BrushFor(Color color);

  // Ids of the utility window's timers; WM_TIMER with the id ticks the timer.
  UINT_PTR AddTimer(Timer& timer);
  void RemoveTimer(UINT_PTR id);

 private:
  using FontKey = std::tuple<std::wstring, int, bool, int>;

  // The utility window's procedure; the context is its GWLP_USERDATA.
  static LRESULT CALLBACK UtilityProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HINSTANCE module_;
  core::win32::unique_hwnd utility_;
  std::map<FontKey, core::win32::unique_hfont> fonts_;
  std::map<Color, core::win32::unique_hbrush> brushes_;
  std::map<UINT_PTR, Timer*> timers_;
  UINT_PTR nextTimerId_ = 1;
};

}  // namespace toolkit::win32
