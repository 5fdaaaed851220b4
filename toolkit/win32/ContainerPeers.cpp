#include "toolkit/win32/ContainerPeers.h"

#include "toolkit/Platform.h"
#include "toolkit/win32/DeviceContextScopes.h"
#include "toolkit/win32/Drawing.h"
#include "toolkit/win32/TextLayoutLock.h"

namespace toolkit::win32 {
namespace {

// Everything is painted at once in WM_PAINT, or into the context that WM_PRINTCLIENT brings.
template <class Paint>
bool HandlePaint(HWND window, UINT message, WPARAM wParam, LRESULT& result, const Paint& paint) {
  switch (message) {
    case WM_ERASEBKGND:
      result = 1;
      return true;
    case WM_PAINT: {
      PaintScope scope(window);
      paint(scope.Dc());
      result = 0;
      return true;
    }
    case WM_PRINTCLIENT:
      paint(reinterpret_cast<HDC>(wParam));
      result = 0;
      return true;
    default:
      return false;
  }
}

RECT ClientOf(HWND window) {
  RECT r;
  GetClientRect(window, &r);
  return r;
}

UINT SingleEdge(BevelKind kind) { return kind == BevelKind::Raised ? BDR_RAISEDINNER : BDR_SUNKENOUTER; }
UINT DoubleEdge(BevelKind kind) { return kind == BevelKind::Raised ? EDGE_BUMP : EDGE_ETCHED; }

}  // namespace

PanelPeer::PanelPeer(PeerContext& context, Panel& panel) : WidgetPeer(context, panel) { Create(); }

void PanelPeer::SyncWidget() { InvalidateRect(Window(), nullptr, TRUE); }

bool PanelPeer::HandleMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
  return HandlePaint(Window(), message, wParam, result, [this](HDC dc) {
    const Panel& panel = Model();
    RECT r = ClientOf(Window());
    FillRect(dc, &r, Context().BrushFor(panel.GetColor()));
    if (panel.BevelOuter() != BevelKind::None) DrawEdge(dc, &r, SingleEdge(panel.BevelOuter()), BF_RECT | BF_ADJUST);
    if (panel.Caption().empty()) return;
    SelectedObject font(dc, ModelFont());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, panel.Enabled() ? ToColorRef(panel.GetFont().FontColor) : GetSysColor(COLOR_GRAYTEXT));
    const TextLayoutHold hold;
    DrawTextW(dc, panel.Caption().c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  });
}

ContainerPeer::ContainerPeer(PeerContext& context, WinControl& control) : WidgetPeer(context, control) { Create(); }

bool ContainerPeer::HandleMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
  return HandlePaint(Window(), message, wParam, result, [this](HDC dc) {
    const RECT r = ClientOf(Window());
    FillRect(dc, &r, Context().BrushFor(Model().GetColor()));
  });
}

BevelPeer::BevelPeer(PeerContext& context, Bevel& bevel) : WidgetPeer(context, bevel) { Create(); }

void BevelPeer::SyncWidget() { InvalidateRect(Window(), nullptr, TRUE); }

bool BevelPeer::HandleMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
  if (message == WM_NCHITTEST) {
    result = HTTRANSPARENT;
    return true;
  }
  return HandlePaint(Window(), message, wParam, result, [this](HDC dc) {
    const Bevel& bevel = Model();
    if (bevel.Style() == BevelKind::None) return;
    RECT r = ClientOf(Window());
    switch (bevel.GetShape()) {
      case Bevel::Shape::Box: DrawEdge(dc, &r, SingleEdge(bevel.Style()), BF_RECT); break;
      case Bevel::Shape::Frame: DrawEdge(dc, &r, DoubleEdge(bevel.Style()), BF_RECT); break;
      case Bevel::Shape::TopLine: DrawEdge(dc, &r, DoubleEdge(bevel.Style()), BF_TOP); break;
      case Bevel::Shape::BottomLine: DrawEdge(dc, &r, DoubleEdge(bevel.Style()), BF_BOTTOM); break;
      case Bevel::Shape::LeftLine: DrawEdge(dc, &r, DoubleEdge(bevel.Style()), BF_LEFT); break;
      case Bevel::Shape::RightLine: DrawEdge(dc, &r, DoubleEdge(bevel.Style()), BF_RIGHT); break;
    }
  });
}

GraphicPeer::GraphicPeer(PeerContext& context, GraphicControl& control) : WidgetPeer(context, control) { Create(); }

void GraphicPeer::SyncWidget() {
  InvalidateRect(Window(), nullptr, TRUE);
  UpdateWindow(Window());
}

bool GraphicPeer::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_LBUTTONDOWN:
      // Captured, so that the release comes here also off the control.
      SetCapture(Window());
      result = 0;
      return true;
    case WM_LBUTTONUP: {
      result = 0;
      if (GetCapture() != Window()) return true;
      ReleaseCapture();
      const RECT r = ClientOf(Window());
      const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      if (!PtInRect(&r, at)) return true;
      GraphicControl& control = Model();
      DispatchUserEvent(control, [&control] { control.Click(); });
      return true;
    }
    case WM_MOUSEMOVE:
      if (!mouseInside_) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, Window(), 0};
        mouseInside_ = TrackMouseEvent(&track) != FALSE;
        GraphicControl& control = Model();
        DispatchUserEvent(control, [&control] { control.MouseEnter(); });
      }
      return false;
    case WM_MOUSELEAVE: {
      mouseInside_ = false;
      GraphicControl& control = Model();
      DispatchUserEvent(control, [&control] { control.MouseLeave(); });
      result = 0;
      return true;
    }
    default:
      break;
  }
  return HandlePaint(Window(), message, wParam, result, [this](HDC dc) {
    const RECT r = ClientOf(Window());
    FillRect(dc, &r, Context().BrushFor(Model().GetColor()));
    DcCanvas canvas(dc, POINT{0, 0});
    GraphicControl& control = Model();
    DispatchUserEvent(control, [&control, &canvas] { control.Paint(canvas); });
  });
}

}  // namespace toolkit::win32
