#pragma once
// What the peers of one Win32Platform share: the window classes, the hidden utility window
// (owner of the window timers, and home of windows whose parent has no window yet), and the
// fonts and brushes made for the models' fonts and colours.
#include "toolkit/win32/SystemHeaders.h"

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "toolkit/Control.h"
#include "toolkit/Timer.h"
#include "toolkit/win32/Handles.h"

namespace toolkit::win32 {

inline constexpr wchar_t kFormClass[] = L"ApparataForm";
inline constexpr wchar_t kPanelClass[] = L"ApparataPanel";
inline constexpr wchar_t kBevelClass[] = L"ApparataBevel";
inline constexpr wchar_t kGraphicClass[] = L"ApparataGraphic";
inline constexpr wchar_t kUtilityClass[] = L"ApparataUtility";

// A model colour as the system paints it; system colours follow the user's scheme.
COLORREF ToColorRef(Color color);

class PeerContext {
 public:
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
  class WindowClass {
   public:
    WindowClass(HINSTANCE module, const wchar_t* name, UINT style);
    ~WindowClass();
    WindowClass(WindowClass&& other) noexcept : module_(other.module_), name_(other.name_) { other.name_ = nullptr; }
    WindowClass(const WindowClass&) = delete;
    WindowClass& operator=(const WindowClass&) = delete;
    WindowClass& operator=(WindowClass&&) = delete;

   private:
    HINSTANCE module_;
    const wchar_t* name_;
  };
  using FontKey = std::tuple<std::wstring, int, bool, int>;

  static LRESULT CALLBACK UtilityProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                      DWORD_PTR context);

  HINSTANCE module_;
  std::vector<WindowClass> classes_;  // declared first: they outlive every window made of them
  unique_hwnd utility_;
  std::map<FontKey, unique_hfont> fonts_;
  std::map<Color, unique_hbrush> brushes_;
  std::map<UINT_PTR, Timer*> timers_;
  UINT_PTR nextTimerId_ = 1;
};

}  // namespace toolkit::win32
