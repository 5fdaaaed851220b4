#include "toolkit/win32/WindowPeer.h"

#include <algorithm>

#include "toolkit/Form.h"
#include "toolkit/Platform.h"
#include "toolkit/win32/MenuPopup.h"
#include "toolkit/win32/TextLayoutLock.h"

namespace toolkit::win32 {
namespace {

// Every window a peer made, and each of its parts, carries the peer in GWLP_USERDATA. Reading
// it costs nothing, where a window property or the common controls' subclass chain is a round
// trip to the window manager on every message under some systems.
void Tie(HWND window, WindowPeer* peer) {
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(peer));
}

class SyncScope {
 public:
  explicit SyncScope(bool& flag) : flag_(flag), previous_(flag) { flag_ = true; }
  ~SyncScope() { flag_ = previous_; }
  SyncScope(const SyncScope&) = delete;
  SyncScope& operator=(const SyncScope&) = delete;

 private:
  bool& flag_;
  bool previous_;
};

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

Form* FormOf(Control& control) {
  for (Control* c = &control; c; c = c->Parent())
    if (auto* form = dynamic_cast<Form*>(c)) return form;
  return nullptr;
}

}  // namespace

LRESULT CALLBACK WindowPeerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (auto* peer = WindowPeer::FromWindow(window)) {
    // The library's own handling may reach the bus, the host or another thread: never with the
    // text lock, which a text window's procedure may hold while it notifies its parent.
    const TextLayoutRelease released;
    return peer->Dispatch(window, message, wParam, lParam);
  }
  // Untied from a peer that is gone: the window's last messages, while it is destroyed (under
  // the text lock if it shows text).
  return CallWindowProcW(reinterpret_cast<WNDPROC>(GetClassLongPtrW(window, GCLP_WNDPROC)), window, message, wParam,
                         lParam);
}

LRESULT ClassProcedure::operator()(HWND window, UINT message, WPARAM wParam, LPARAM lParam) const {
  // A class's own context menu is a modal loop, which other threads would wait for as long as a
  // person leaves the menu open.
  if (!laysOutText || message == WM_CONTEXTMENU) return CallWindowProcW(procedure, window, message, wParam, lParam);
  const TextLayoutHold hold;
  return CallWindowProcW(procedure, window, message, wParam, lParam);
}

WindowPeer::Attachment::Attachment(HWND window, WindowPeer* peer, bool laysOutText) : window_(window) {
  own_.laysOutText = laysOutText;
  if (!window_) return;
  Tie(window_, peer);
  own_.procedure = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowPeerProc)));
}

WindowPeer::Attachment& WindowPeer::Attachment::operator=(Attachment&& other) noexcept {
  if (this != &other) {
    Release();
    window_ = other.window_;
    own_ = other.own_;
    other.window_ = nullptr;
  }
  return *this;
}

WindowPeer::Attachment::~Attachment() { Release(); }

void WindowPeer::Attachment::Forget() {
  if (!window_) return;
  // The window is on its way out either way: what still comes to it goes to its class.
  Tie(window_, nullptr);
  window_ = nullptr;
}

void WindowPeer::Attachment::Release() {
  const HWND window = window_;
  Forget();
  if (!window) return;
  std::optional<TextLayoutHold> hold;
  if (own_.laysOutText) hold.emplace();
  DestroyWindow(window);
}

void ReleasePart(HWND window) {
  Tie(window, nullptr);
  DestroyWindow(window);
}

unique_part TiePart(HWND window, WindowPeer& peer) {
  if (window) Tie(window, &peer);
  return unique_part(window);
}

WindowPeer::WindowPeer(PeerContext& context, Control& control)
    : context_(context), control_(control), container_(dynamic_cast<const WinControl*>(&control) != nullptr) {}

WindowPeer::~WindowPeer() {
  // Windows of controls that outlive this one go somewhere safe before this window goes.
  if (window_ && container_) MoveChildren(window_.get(), context_.Utility());
}

WindowPeer* WindowPeer::FromWindow(HWND window) {
  return window ? reinterpret_cast<WindowPeer*>(GetWindowLongPtrW(window, GWLP_USERDATA)) : nullptr;
}

WindowPeer* PeerOf(const Control& control) { return dynamic_cast<WindowPeer*>(control.GetPeer()); }

WindowPeer::Attachment WindowPeer::MakeWindow() {
  // Made hidden and empty; Sync places and shows it, so that the window's class sees the same
  // steps as for every later change (a progress bar paints its frame only after them).
  const bool laysOutText = LaysOutText(ClassName());
  HWND window = nullptr;
  {
    std::optional<TextLayoutHold> hold;
    if (laysOutText) hold.emplace();
    window = CreateWindowExW(ExStyle(), ClassName(), L"", Style(), 0, 0, 0, 0, ParentWindow(), nullptr,
                             context_.Module(), nullptr);
  }
  Attachment made(window, this, laysOutText);
  if (!made) return made;
  style_ = Style();
  exStyle_ = ExStyle();
  parent_ = ParentWindow();
  rect_.reset();
  text_ = std::wstring();
  font_ = nullptr;
  color_ = control_.GetColor();
  fontColor_ = control_.GetFont().FontColor;
  visible_ = false;
  enabled_ = true;
  return made;
}

void WindowPeer::Create() {
  window_ = MakeWindow();
  if (!window_) return;
  WindowCreated();
  adopt_ = true;
}

void WindowPeer::Recreate() {
  Attachment fresh = MakeWindow();
  if (!fresh) return;
  MoveChildren(window_.get(), fresh.get());
  window_ = std::move(fresh);
  WindowCreated();
}

void WindowPeer::MoveChildren(HWND from, HWND to) {
  HWND child = GetWindow(from, GW_CHILD);
  while (child) {
    const HWND next = GetWindow(child, GW_HWNDNEXT);
    WindowPeer* peer = FromWindow(child);
    if (peer && peer->Window() == child) {
      SetParent(child, to);
      peer->parent_ = to;
    }
    child = next;
  }
}

void WindowPeer::Lost() {
  window_.Forget();
  WindowLost();
}

void WindowPeer::Sync() {
  if (!ModelIntact()) return;
  SyncScope scope(syncing_);
  if (!window_) Create();
  if (!window_) return;
  if ((Style() ^ style_) & CreationOnlyStyle()) Recreate();
  ApplyStyleAndParent();
  ApplyCommon();
  SyncText();
  SyncWidget();

  Place();
  const bool aligned = control_.GetAlign() != Align::None;
  if (aligned || aligned_) {
    // An aligned control moves its aligned siblings.
    if (control_.Parent())
      if (WindowPeer* parent = PeerOf(*control_.Parent())) parent->ArrangeChildren();
  }
  aligned_ = aligned;

  // Controls realized before this window was made wait in the utility window (or lost theirs
  // with a window before it). They find it through this peer, which the model knows by now.
  if (adopt_) {
    adopt_ = false;
    if (auto* container = dynamic_cast<const WinControl*>(&control_))
      for (Control* child : container->Controls())
        if (WindowPeer* peer = PeerOf(*child)) peer->Sync();
  }

  const HWND window = window_.get();
  if (control_.Enabled() != enabled_) {
    enabled_ = control_.Enabled();
    EnableWindow(window, enabled_);
  }
  if (control_.Visible() != visible_) {
    visible_ = control_.Visible();
    ShowWindow(window, !visible_ ? SW_HIDE : ShowActivates() ? SW_SHOW : SW_SHOWNA);
  }
}

void WindowPeer::ApplyStyleAndParent() {
  const HWND window = window_.get();
  const HWND parent = ParentWindow();
  // A window that becomes top-level leaves its parent before it drops WS_CHILD, and one that
  // becomes a child takes WS_CHILD before it enters its parent.
  if (parent != parent_ && !parent) {
    SetParent(window, nullptr);
    parent_ = nullptr;
  }
  const DWORD style = Style(), exStyle = ExStyle();
  if (style != style_ || exStyle != exStyle_) {
    style_ = style;
    exStyle_ = exStyle;
    SetWindowLongPtrW(window, GWL_STYLE, style | (visible_ ? WS_VISIBLE : 0) | (enabled_ ? 0 : WS_DISABLED));
    SetWindowLongPtrW(window, GWL_EXSTYLE, exStyle);
    SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    InvalidateRect(window, nullptr, TRUE);
  }
  if (parent != parent_) {
    SetParent(window, parent);
    parent_ = parent;
  }
}

void WindowPeer::ApplyCommon() {
  const HWND window = window_.get();
  const HFONT font = ModelFont();
  if (font != font_) {
    // A window just made is hidden: it paints when it is shown.
    const BOOL redraw = font_ != nullptr;
    font_ = font;
    SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw);
  }
  if (control_.GetColor() != color_ || control_.GetFont().FontColor != fontColor_) {
    color_ = control_.GetColor();
    fontColor_ = control_.GetFont().FontColor;
    InvalidateRect(window, nullptr, TRUE);
  }
}

HFONT WindowPeer::ModelFont() const { return context_.FontFor(control_.GetFont()); }

void WindowPeer::ShowText(const std::wstring& text) {
  if (text_ && *text_ == text) return;
  text_ = text;
  SetWindowTextW(window_.get(), text.c_str());
}

void WindowPeer::SyncText() { ShowText(control_.Caption()); }

HWND WindowPeer::ParentWindow() const {
  if (control_.Parent())
    if (WindowPeer* parent = PeerOf(*control_.Parent()))
      if (parent->Window()) return parent->Window();
  return context_.Utility();
}

RECT WindowPeer::PlacementRect() const {
  if (control_.GetAlign() != Align::None && control_.Parent())
    if (WindowPeer* parent = PeerOf(*control_.Parent()))
      if (auto rect = parent->AlignedRectOf(control_)) return *rect;
  const Bounds& b = control_.GetBounds();
  return RECT{b.Left, b.Top, b.Left + b.Width, b.Top + b.Height};
}

std::optional<RECT> WindowPeer::AlignedRectOf(const Control& child) const {
  auto* container = dynamic_cast<const WinControl*>(&control_);
  if (!container || !window_) return std::nullopt;
  RECT area;
  GetClientRect(window_.get(), &area);
  // Edges first, in this order, each taking its strip off what is left; Client gets the rest.
  for (Align kind : {Align::Top, Align::Bottom, Align::Left, Align::Right, Align::Client}) {
    for (const Control* c : container->Controls()) {
      if (c->GetAlign() != kind || !c->Visible()) continue;
      const Bounds& b = c->GetBounds();
      RECT r = area;
      switch (kind) {
        case Align::Top: r.bottom = area.top = std::min(area.bottom, area.top + b.Height); break;
        case Align::Bottom: r.top = area.bottom = std::max(area.top, area.bottom - b.Height); break;
        case Align::Left: r.right = area.left = std::min(area.right, area.left + b.Width); break;
        case Align::Right: r.left = area.right = std::max(area.left, area.right - b.Width); break;
        case Align::Client:
        case Align::None: break;
      }
      if (c == &child) return r;
    }
  }
  return std::nullopt;
}

void WindowPeer::Place() {
  if (!window_) return;
  const RECT r = PlacementRect();
  if (rect_ && SameRect(*rect_, r)) return;
  rect_ = r;
  SetWindowPos(window_.get(), nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void WindowPeer::ArrangeChildren() {
  if (!ModelIntact()) return;
  if (auto* container = dynamic_cast<const WinControl*>(&control_))
    for (Control* child : container->Controls())
      if (child->GetAlign() != Align::None)
        if (WindowPeer* peer = PeerOf(*child)) peer->Place();
}

HBRUSH WindowPeer::OnControlColor(HDC dc) {
  if (!ModelIntact()) return nullptr;
  SetTextColor(dc, ToColorRef(control_.GetFont().FontColor));
  SetBkColor(dc, ToColorRef(control_.GetColor()));
  return context_.BrushFor(control_.GetColor());
}

bool WindowPeer::HandleMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

bool ReflectToChild(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_COMMAND:
      if (WindowPeer* child = WindowPeer::FromWindow(reinterpret_cast<HWND>(lParam))) {
        child->OnCommand(HIWORD(wParam));
        result = 0;
        return true;
      }
      return false;
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (WindowPeer* child = WindowPeer::FromWindow(reinterpret_cast<HWND>(lParam))) {
        child->OnScroll(LOWORD(wParam));
        result = 0;
        return true;
      }
      return false;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (WindowPeer* child = header ? WindowPeer::FromWindow(header->hwndFrom) : nullptr) {
        result = child->OnNotify(*header);
        return true;
      }
      return false;
    }
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      WindowPeer* child = item ? WindowPeer::FromWindow(item->hwndItem) : nullptr;
      if (child && child->OnDrawItem(*item)) {
        result = TRUE;
        return true;
      }
      return false;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
      if (WindowPeer* child = WindowPeer::FromWindow(reinterpret_cast<HWND>(lParam)))
        if (HBRUSH brush = child->OnControlColor(reinterpret_cast<HDC>(wParam))) {
          result = reinterpret_cast<LRESULT>(brush);
          return true;
        }
      return false;
    default:
      return false;
  }
}

bool WindowPeer::ShowContextMenu(HWND window, LPARAM where) {
  const Form* form = FormOf(control_);
  if (!form || !form->ContextMenu) return false;
  WindowPeer* formPeer = PeerOf(*form);
  if (!formPeer) return false;
  POINT at{GET_X_LPARAM(where), GET_Y_LPARAM(where)};
  if (at.x == -1 && at.y == -1) {  // from the keyboard: at the window
    RECT r;
    GetWindowRect(window, &r);
    at = POINT{r.left, r.top};
  }
  const std::weak_ptr<const void> formAlive = formPeer->Liveness();
  const MenuPopup popup(*form->ContextMenu);
  MenuItem* chosen = popup.Track(window, at);
  // The menu's loop ran timers and whatever else came; the form may be gone with its items.
  if (chosen && !formAlive.expired()) DispatchUserEvent(*chosen, [chosen] { chosen->Click(); });
  return true;
}

LRESULT WindowPeer::Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // Nothing of this peer is touched after a handler that may have destroyed it.
  const ClassProcedure own = window_.Own();
  switch (message) {
    case WM_NCDESTROY:
      Lost();
      return own(window, message, wParam, lParam);
    case WM_CONTEXTMENU:
      if (ShowContextMenu(window, lParam)) return 0;
      break;
    case WM_SYSCHAR:
      if (Form* form = FormOf(control_); form && form->FocusAccelerator(static_cast<wchar_t>(wParam))) return 0;
      break;
    case WM_SIZE: {
      const LRESULT result = own(window, message, wParam, lParam);
      ArrangeChildren();
      Resized();
      return result;
    }
    default:
      break;
  }
  LRESULT result = 0;
  if (ReflectToChild(message, wParam, lParam, result)) return result;
  if (HandleMessage(message, wParam, lParam, result)) return result;
  return own(window, message, wParam, lParam);
}

}  // namespace toolkit::win32
