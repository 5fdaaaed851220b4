#include "toolkit/win32/TextPeers.h"

#include <algorithm>

#include "toolkit/Platform.h"
#include "toolkit/win32/DeviceContextScopes.h"
#include "toolkit/win32/TextLayoutLock.h"

namespace toolkit::win32 {
namespace {

std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

}  // namespace

StaticTextPeer::StaticTextPeer(PeerContext& context, StaticText& text) : WidgetPeer(context, text) { Create(); }

DWORD StaticTextPeer::Style() const {
  // Left, centred and right static text all break lines between words.
  DWORD style = WS_CHILD | SS_NOTIFY;
  switch (Model().GetAlignment()) {
    case Alignment::Left: style |= SS_LEFT; break;
    case Alignment::Center: style |= SS_CENTER; break;
    case Alignment::Right: style |= SS_RIGHT; break;
  }
  switch (Model().Border()) {
    case BorderStyle::None: break;
    case BorderStyle::Single: style |= WS_BORDER; break;
    case BorderStyle::Sunken: style |= SS_SUNKEN; break;
  }
  return style;
}

// The static class adds the edge for SS_SUNKEN only when the window is made; a later change
// needs it set here.
DWORD StaticTextPeer::ExStyle() const { return Model().Border() == BorderStyle::Sunken ? WS_EX_STATICEDGE : 0; }

void StaticTextPeer::OnCommand(WORD code) {
  if (code != STN_CLICKED || Syncing()) return;
  StaticText& text = Model();
  DispatchUserEvent(text, [&text] { text.Click(); });
}

LabelPeer::LabelPeer(PeerContext& context, Label& label) : WidgetPeer(context, label) { Create(); }

DWORD LabelPeer::Style() const {
  // A label is one line: a left-aligned one cuts what does not fit at the right, never wrapping it
  // out of sight. The static class has no such style centred or right-aligned, where it breaks
  // between words.
  switch (Model().GetAlignment()) {
    case Alignment::Center: return WS_CHILD | SS_CENTER;
    case Alignment::Right: return WS_CHILD | SS_RIGHT;
    case Alignment::Left: break;
  }
  return WS_CHILD | SS_LEFTNOWORDWRAP;
}

RECT LabelPeer::PlacementRect() const {
  RECT r = WidgetPeer::PlacementRect();
  if (!Model().AutoSize()) return r;
  core::win32::unique_memory_dc dc(CreateCompatibleDC(nullptr));
  SelectedObject font(dc.get(), ModelFont());
  RECT text{0, 0, 0, 0};
  const TextLayoutHold hold;
  DrawTextW(dc.get(), Model().Caption().c_str(), -1, &text, DT_CALCRECT | DT_EXPANDTABS);
  r.right = r.left + text.right;
  r.bottom = r.top + text.bottom;
  return r;
}

void EditPeerBase::OnCommand(WORD code) {
  if (code != EN_CHANGE || Syncing()) return;
  const std::wstring text = WindowText(Window());
  NoteShownText(text);
  Edit& edit = Model();
  DispatchUserEvent(edit, [&edit, &text] { edit.SetText(text); });
}

int EditPeerBase::ModelKeyDown(WPARAM key) {
  Edit& edit = Model();
  int taken = 0;  // a handler that fails takes the key with it
  DispatchUserEvent(edit, [&] { taken = edit.KeyDown(static_cast<int>(key)); });
  return taken;
}

LRESULT EditPeerBase::KeyPass::operator()(UINT message, WPARAM key, LPARAM lParam) const {
  return key && IsWindow(window) ? procedure(window, message, key, lParam) : 0;
}

bool EditPeerBase::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (Syncing() || (message != WM_KEYDOWN && message != WM_CHAR)) return false;
  const KeyPass pass = PassOn();
  if (message == WM_KEYDOWN) {
    result = pass(message, static_cast<WPARAM>(ModelKeyDown(wParam)), lParam);
    return true;
  }
  Edit& edit = Model();
  const auto typed = static_cast<wchar_t>(wParam);
  wchar_t key = 0;  // a handler that fails takes the key with it
  DispatchUserEvent(edit, [&] { key = edit.KeyPress(typed); });
  result = pass(message, key, lParam);
  return true;
}

EditPeer::EditPeer(PeerContext& context, Edit& edit) : EditPeerBase(context, edit) { Create(); }

SpinEditPeer::SpinEditPeer(PeerContext& context, SpinEdit& spin) : EditPeerBase(context, spin), spin_(spin) {
  Create();
}

void SpinEditPeer::WindowCreated() {
  // The arrows of a window made before went with it.
  static_cast<void>(arrows_.release());
  arrows_ = TiePart(CreateWindowExW(0, UPDOWN_CLASSW, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, Window(), nullptr,
                                    Context().Module(), nullptr),
                    *this);
  // The arrows stay in the middle of a small range: every step is refused and done by the model.
  SendMessageW(arrows_.get(), UDM_SETRANGE32, 0, 2);
  SendMessageW(arrows_.get(), UDM_SETPOS32, 0, 1);
  PlaceArrows();
}

void SpinEditPeer::WindowLost() { static_cast<void>(arrows_.release()); }

void SpinEditPeer::Resized() { PlaceArrows(); }

void SpinEditPeer::PlaceArrows() {
  if (!arrows_) return;
  RECT client;
  GetClientRect(Window(), &client);
  const int width = std::min<int>(GetSystemMetrics(SM_CXVSCROLL), client.right);
  SetWindowPos(arrows_.get(), nullptr, client.right - width, 0, width, client.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageW(Window(), EM_SETMARGINS, EC_RIGHTMARGIN, MAKELPARAM(0, width));
}

void SpinEditPeer::Step(int steps) {
  SpinEdit& spin = spin_;
  DispatchUserEvent(spin, [&spin, steps] { spin.SetValue(spin.Value() + steps * spin.Increment); });
}

LRESULT SpinEditPeer::OnNotify(const NMHDR& header) {
  if (header.code != UDN_DELTAPOS || Syncing()) return 0;
  Step(reinterpret_cast<const NMUPDOWN&>(header).iDelta);
  return 1;
}

bool SpinEditPeer::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (message != WM_KEYDOWN || Syncing()) return EditPeerBase::HandleMessage(message, wParam, lParam, result);
  const KeyPass pass = PassOn();
  const int key = ModelKeyDown(wParam);
  if (key == VK_UP || key == VK_DOWN) {
    Step(key == VK_UP ? 1 : -1);
    result = 0;
  } else {
    result = pass(message, static_cast<WPARAM>(key), lParam);
  }
  return true;
}

MemoPeer::MemoPeer(PeerContext& context, Memo& memo) : WidgetPeer(context, memo) { Create(); }

DWORD MemoPeer::Style() const {
  // Without ES_AUTOVSCROLL the edit refuses appended text once its visible area is full.
  return WS_CHILD | WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN |
         (Model().WordWrap() ? 0 : ES_AUTOHSCROLL) | (Model().ReadOnly() ? ES_READONLY : 0);
}

void MemoPeer::SyncText() {
  const std::vector<std::wstring>& lines = Model().Lines();
  if (lines == shown_) return;
  const HWND window = Window();
  if (lines.size() > shown_.size() && std::equal(shown_.begin(), shown_.end(), lines.begin())) {
    std::wstring added;
    for (std::size_t i = shown_.size(); i < lines.size(); ++i) added += lines[i] + L"\r\n";
    const int end = GetWindowTextLengthW(window);
    SendMessageW(window, EM_SETSEL, end, end);
    SendMessageW(window, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(added.c_str()));
  } else {
    std::wstring all;
    for (const std::wstring& line : lines) all += line + L"\r\n";
    SetWindowTextW(window, all.c_str());
  }
  shown_ = lines;
}

void MemoPeer::SyncWidget() { SendMessageW(Window(), EM_SETREADONLY, Model().ReadOnly(), 0); }

bool MemoPeer::HandleMessage(UINT message, WPARAM, LPARAM, LRESULT&) {
  switch (message) {
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
    case EM_GETLINECOUNT:
    case EM_GETLINE:
      if (!Syncing() && Model().OnRead) {
        Memo& memo = Model();
        DispatchUserEvent(memo, [&memo] { memo.OnRead(); });
      }
      break;
    default:
      break;
  }
  return false;
}

int MemoPeer::DisplayLineCount() const {
  const HWND window = Window();
  if (!window) return static_cast<int>(Model().Lines().size());
  const auto count = static_cast<int>(SendMessageW(window, EM_GETLINECOUNT, 0, 0));
  const auto lastStart = SendMessageW(window, EM_LINEINDEX, count - 1, 0);
  return SendMessageW(window, EM_LINELENGTH, lastStart, 0) == 0 ? count - 1 : count;
}

}  // namespace toolkit::win32
