#include "toolkit/win32/ControlPeers.h"

#include "toolkit/Platform.h"

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

void SpeedButtonPeer::SyncWidget() {
  SendMessageW(Window(), BM_SETCHECK, Model().Down() ? BST_CHECKED : BST_UNCHECKED, 0);
}

void SpeedButtonPeer::OnCommand(WORD code) {
  if (code != BN_CLICKED || Syncing()) return;
  SpeedButton& button = Model();
  DispatchUserEvent(button, [&button] { button.Click(); });
}

GaugePeer::GaugePeer(PeerContext& context, Gauge& gauge) : WidgetPeer(context, gauge) { Create(); }

void GaugePeer::SyncWidget() {
  const Gauge& gauge = Model();
  SendMessageW(Window(), PBM_SETRANGE32, static_cast<WPARAM>(gauge.MinValue()), gauge.MaxValue());
  SendMessageW(Window(), PBM_SETPOS, static_cast<WPARAM>(gauge.Progress()), 0);
}

}  // namespace toolkit::win32
