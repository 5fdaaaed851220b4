#include "toolkit/win32/FormPeer.h"

#include "toolkit/Platform.h"

namespace toolkit::win32 {

FormPeer::FormPeer(PeerContext& context, Form& form) : WidgetPeer(context, form) { Create(); }

DWORD FormPeer::Style() const {
  if (!TopLevel()) return WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  // Without title-bar buttons the frame keeps its caption and stays sizeable.
  return (Model().BorderIcons ? WS_OVERLAPPEDWINDOW : WS_OVERLAPPED | WS_CAPTION | WS_THICKFRAME) | WS_CLIPCHILDREN;
}

HWND FormPeer::ParentWindow() const { return reinterpret_cast<HWND>(Model().ParentWindow()); }

void FormPeer::PaintBackground(HDC dc) const {
  RECT client;
  GetClientRect(Window(), &client);
  FillRect(dc, &client, Context().BrushFor(Model().GetColor()));
}

bool FormPeer::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_ERASEBKGND:
    case WM_PRINTCLIENT:
      PaintBackground(reinterpret_cast<HDC>(wParam));
      result = 1;
      return true;
    case kPostedMessage: {
      Form& form = Model();
      if (form.OnPosted) DispatchUserEvent(form, form.OnPosted);
      result = 0;
      return true;
    }
    case WM_CLOSE: {
      // Closing a form hides it; only its owner destroys it.
      Form& form = Model();
      DispatchUserEvent(form, [&form] { form.Hide(); });
      result = 0;
      return true;
    }
    case WM_WINDOWPOSCHANGED: {
      // The user moved or sized the window: the form's bounds follow.
      const auto& change = *reinterpret_cast<const WINDOWPOS*>(lParam);
      if (Syncing() || !TopLevel() || IsIconic(Window()) ||
          (change.flags & (SWP_NOMOVE | SWP_NOSIZE)) == (SWP_NOMOVE | SWP_NOSIZE))
        return false;
      RECT r;
      GetWindowRect(Window(), &r);
      Form& form = Model();
      DispatchUserEvent(form, [&form, r] { form.SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top); });
      return false;  // the default still reports the move and the size
    }
    default:
      return false;
  }
}

}  // namespace toolkit::win32
