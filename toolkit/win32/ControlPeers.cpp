#include "toolkit/win32/ControlPeers.h"

#include <uxtheme.h>

#include "toolkit/Platform.h"
#include "toolkit/win32/DeviceContextScopes.h"

namespace toolkit::win32 {
namespace {
constexpr int kDroppedDownItems = 8;
}

ComboBoxPeer::ComboBoxPeer(PeerContext& context, ComboBox& combo) : WidgetPeer(context, combo) { Create(); }

RECT ComboBoxPeer::PlacementRect() const {
  RECT r = WidgetPeer::PlacementRect();
  const auto itemHeight = static_cast<int>(SendMessageW(Window(), CB_GETITEMHEIGHT, 0, 0));
  r.bottom += kDroppedDownItems * itemHeight + 2;
  return r;
}

void ComboBoxPeer::SyncText() {
  const std::vector<std::wstring>& items = Model().Items();
  if (items == shown_) return;
  const HWND window = Window();
  SendMessageW(window, CB_RESETCONTENT, 0, 0);
  for (const std::wstring& item : items) SendMessageW(window, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  shown_ = items;
}

void ComboBoxPeer::SyncWidget() { SendMessageW(Window(), CB_SETCURSEL, static_cast<WPARAM>(Model().ItemIndex()), 0); }

void ComboBoxPeer::OnCommand(WORD code) {
  if (code != CBN_SELCHANGE || Syncing()) return;
  const auto index = static_cast<int>(SendMessageW(Window(), CB_GETCURSEL, 0, 0));
  ComboBox& combo = Model();
  DispatchUserEvent(combo, [&combo, index] { combo.UserSelect(index); });
}

TrackBarPeer::TrackBarPeer(PeerContext& context, TrackBar& track) : WidgetPeer(context, track) { Create(); }

DWORD TrackBarPeer::Style() const {
  return WS_CHILD | WS_TABSTOP | TBS_HORZ | TBS_AUTOTICKS | TBS_FIXEDLENGTH |
         (Model().TicksBelow ? TBS_BOTTOM : TBS_TOP);
}

void TrackBarPeer::SyncWidget() {
  const TrackBar& track = Model();
  const HWND window = Window();
  SendMessageW(window, TBM_SETRANGEMIN, FALSE, track.Min());
  SendMessageW(window, TBM_SETRANGEMAX, TRUE, track.Max());
  SendMessageW(window, TBM_SETPAGESIZE, 0, track.PageSize);
  SendMessageW(window, TBM_SETTICFREQ, static_cast<WPARAM>(track.Frequency), 0);
  SendMessageW(window, TBM_SETTHUMBLENGTH, static_cast<WPARAM>(track.ThumbLength), 0);
  SendMessageW(window, TBM_SETPOS, TRUE, track.Position());
}

void TrackBarPeer::OnScroll(WORD) {
  if (Syncing()) return;
  const auto position = static_cast<int>(SendMessageW(Window(), TBM_GETPOS, 0, 0));
  TrackBar& track = Model();
  DispatchUserEvent(track, [&track, position] { track.SetPosition(position); });
}

SpeedButtonPeer::SpeedButtonPeer(PeerContext& context, SpeedButton& button) : WidgetPeer(context, button) {
  Create();
}

DWORD SpeedButtonPeer::Style() const {
  return WS_CHILD | (Model().Glyph().empty() ? BS_CHECKBOX | BS_PUSHLIKE : BS_OWNERDRAW);
}

void SpeedButtonPeer::SyncText() { ShowText(Model().Glyph().empty() ? Model().Caption() : std::wstring()); }

void SpeedButtonPeer::SyncWidget() {
  const SpeedButton& button = Model();
  if (button.Glyph() != glyphName_) {
    glyphName_ = button.Glyph();
    glyph_ = glyphName_.empty() ? nullptr : DibBitmap::Load(Context().Module(), glyphName_);
  }
  if (glyphName_.empty())
    SendMessageW(Window(), BM_SETCHECK, button.Down() ? BST_CHECKED : BST_UNCHECKED, 0);
  else
    InvalidateRect(Window(), nullptr, TRUE);
}

bool SpeedButtonPeer::OnDrawItem(const DRAWITEMSTRUCT& item) {
  const bool pushed = Model().Down() || (item.itemState & ODS_SELECTED);
  RECT face = item.rcItem;
  DrawFrameControl(item.hDC, &face, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
  if (!glyph_) return true;
  // Two images side by side: enabled, disabled.
  const int width = glyph_->Width() / 2, height = glyph_->Height();
  const int image = Model().Enabled() ? 0 : 1;
  const int shift = pushed ? 1 : 0;
  const int x = item.rcItem.left + (item.rcItem.right - item.rcItem.left - width) / 2 + shift;
  const int y = item.rcItem.top + (item.rcItem.bottom - item.rcItem.top - height) / 2 + shift;
  const Color transparent = glyph_->Pixel(0, height - 1);
  core::win32::unique_memory_dc source(CreateCompatibleDC(item.hDC));
  SelectedObject selected(source.get(), glyph_->Handle());
  TransparentBlt(item.hDC, x, y, width, height, source.get(), image * width, 0, width, height, ToColorRef(transparent));
  return true;
}

void SpeedButtonPeer::OnCommand(WORD code) {
  if (code != BN_CLICKED || Syncing()) return;
  SpeedButton& button = Model();
  DispatchUserEvent(button, [&button] { button.Click(); });
}

GaugePeer::GaugePeer(PeerContext& context, Gauge& gauge) : WidgetPeer(context, gauge) { Create(); }

// A class list that names no theme class turns the visual style off for this window.
void GaugePeer::WindowCreated() { SetWindowTheme(Window(), L" ", L" "); }

void GaugePeer::SyncWidget() {
  const Gauge& gauge = Model();
  SendMessageW(Window(), PBM_SETBARCOLOR, 0, static_cast<LPARAM>(ToColorRef(gauge.ForeColor())));
  SendMessageW(Window(), PBM_SETBKCOLOR, 0, static_cast<LPARAM>(ToColorRef(gauge.GetColor())));
  SendMessageW(Window(), PBM_SETRANGE32, static_cast<WPARAM>(gauge.MinValue()), gauge.MaxValue());
  SendMessageW(Window(), PBM_SETPOS, static_cast<WPARAM>(gauge.Progress()), 0);
}

}  // namespace toolkit::win32
