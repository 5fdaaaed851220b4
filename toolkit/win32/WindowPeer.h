#pragma once
// The base of every peer that mirrors a control in a window of its own. Sync reads the whole
// state of the model and changes the window where it differs from what was last applied; user
// input that the window reports becomes model calls through toolkit::DispatchUserEvent.
//
// Notifications that a child window sends its parent (WM_COMMAND, WM_HSCROLL, WM_NOTIFY,
// WM_DRAWITEM, WM_CTLCOLOR*) are handed back to the child's own peer, so each peer handles its own input
// and paints its own colours whatever window it sits in.
#include "toolkit/win32/SystemHeaders.h"

#include <memory>
#include <optional>
#include <string>

#include "core/win32/Handles.h"
#include "toolkit/Control.h"
#include "toolkit/win32/PeerContext.h"

namespace toolkit::win32 {

// A window's own procedure, below its peer's: what the peer passes a message on to, under the
// text lock for a class that shows text (see TextLayoutLock.h).
struct ClassProcedure {
  WNDPROC procedure = DefWindowProcW;
  bool laysOutText = false;
  LRESULT operator()(HWND window, UINT message, WPARAM wParam, LPARAM lParam) const;
};

class WindowPeer : public Peer {
 public:
  ~WindowPeer() override;
  WindowPeer(const WindowPeer&) = delete;
  WindowPeer& operator=(const WindowPeer&) = delete;

  HWND Window() const { return window_.get(); }
  Control& Model() const { return control_; }
  // Expires when this peer is gone: for code that resumes after a modal loop.
  std::weak_ptr<const void> Liveness() const { return alive_; }

  void Sync() final;
  // Moves the window to where the model's bounds and alignment put it.
  void Place();
  // Places every aligned child again (after this window's client area changed).
  void ArrangeChildren();

  // Notifications of this window, delivered by its parent.
  virtual void OnCommand(WORD /*code*/) {}
  virtual void OnScroll(WORD /*code*/) {}
  virtual LRESULT OnNotify(const NMHDR& /*header*/) { return 0; }
  // WM_DRAWITEM: an owner-drawn window paints itself; false when it does not.
  virtual bool OnDrawItem(const DRAWITEMSTRUCT& /*item*/) { return false; }
  // WM_CTLCOLOR*: sets up the device context in the model's colours.
  virtual HBRUSH OnControlColor(HDC dc);

  // The peer whose window this is (or whose part it is), if any.
  static WindowPeer* FromWindow(HWND window);

 protected:
  WindowPeer(PeerContext& context, Control& control);

  // Makes the window; the final class calls it at the end of its constructor.
  void Create();

  // Whether the model is whole enough to be read: false while it is being destroyed.
  virtual bool ModelIntact() const = 0;
  virtual const wchar_t* ClassName() const = 0;
  // Styles from the model, without WS_VISIBLE and WS_DISABLED.
  virtual DWORD Style() const = 0;
  virtual DWORD ExStyle() const { return 0; }
  // Style bits that take effect only when the window is made; a change of them makes it anew.
  virtual DWORD CreationOnlyStyle() const { return 0; }
  virtual HWND ParentWindow() const;
  // Where the window goes, in its parent's client coordinates (or the screen's, for a top-level one).
  virtual RECT PlacementRect() const;
  virtual bool ShowActivates() const { return false; }
  // The text part of the mirror; the default shows the caption.
  virtual void SyncText();
  // The rest of a widget's own state.
  virtual void SyncWidget() {}
  // After each window is made, with every record of applied state reset: the parts of the
  // widget that go with the window are made here.
  virtual void WindowCreated() {}
  // The window went away without this peer's doing (its host's window was destroyed).
  virtual void WindowLost() {}
  // After the window's size changed and its aligned children moved.
  virtual void Resized() {}
  // Messages of this window that the peer handles itself; false leaves them to the window's class.
  virtual bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

  // Sets the window's text when it differs from what was last set; the change notifications
  // this provokes are not user input.
  void ShowText(const std::wstring& text);
  // Inside Sync(): what the window reports now is the mirror at work, not user input.
  bool Syncing() const { return syncing_; }
  // What the user changed in the window's text is what it shows: no need to set it again.
  void NoteShownText(const std::wstring& text) { text_ = text; }
  PeerContext& Context() const { return context_; }
  HFONT ModelFont() const;
  // The window's procedure below this peer's: what a message this peer passes on goes to.
  const ClassProcedure& OwnProcedure() const { return window_.Own(); }

 private:
  friend LRESULT CALLBACK WindowPeerProc(HWND, UINT, WPARAM, LPARAM);
  // Ties a window to this peer for the life of the object, and destroys the window after: the
  // peer's procedure replaces the window's own, which gets what the peer passes on.
  class Attachment {
   public:
    Attachment() = default;
    // `laysOutText`: the window's class shows text (see TextLayoutLock.h).
    Attachment(HWND window, WindowPeer* peer, bool laysOutText);
    Attachment(Attachment&& other) noexcept : window_(other.window_), own_(other.own_) { other.window_ = nullptr; }
    Attachment& operator=(Attachment&& other) noexcept;
    ~Attachment();
    HWND get() const { return window_; }
    explicit operator bool() const { return window_ != nullptr; }
    const ClassProcedure& Own() const { return own_; }
    // The window is already gone: untie, destroy nothing.
    void Forget();

   private:
    void Release();
    HWND window_ = nullptr;
    ClassProcedure own_;
  };

  // A new window for the model, tied to this peer, with what it was made with recorded as
  // applied.
  Attachment MakeWindow();
  void Recreate();
  static void MoveChildren(HWND from, HWND to);
  void ApplyStyleAndParent();
  void ApplyCommon();
  std::optional<RECT> AlignedRectOf(const Control& child) const;
  bool ShowContextMenu(HWND window, LPARAM where);
  LRESULT Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Lost();

  PeerContext& context_;
  Control& control_;
  const bool container_;  // its window may hold the windows of other controls
  std::shared_ptr<const void> alive_ = std::make_shared<int>(0);
  Attachment window_;
  bool syncing_ = false;
  bool adopt_ = false;  // a new window, which the children's windows have yet to move into

  // What the window shows, as last applied from the model.
  DWORD style_ = 0, exStyle_ = 0;
  HWND parent_ = nullptr;
  std::optional<RECT> rect_;
  std::optional<std::wstring> text_;
  HFONT font_ = nullptr;
  Color color_ = 0, fontColor_ = 0;
  bool visible_ = false, enabled_ = true;
  bool aligned_ = false;
};

// A peer of one kind of widget: typed access to its model.
template <class Widget>
class WidgetPeer : public WindowPeer {
 protected:
  WidgetPeer(PeerContext& context, Widget& widget) : WindowPeer(context, widget), widget_(widget) {}
  Widget& Model() const { return widget_; }
  // While the model is being destroyed its type is no longer Widget, and what Widget adds is gone.
  bool ModelIntact() const override { return dynamic_cast<const Widget*>(&WindowPeer::Model()) != nullptr; }

 private:
  Widget& widget_;
};

// A window that is part of a peer's widget (the arrows of a spin edit): what it notifies reaches
// that peer. Released with the widget's window, or before it.
void ReleasePart(HWND window);
using unique_part = core::win32::unique_any<HWND, ReleasePart>;
unique_part TiePart(HWND window, WindowPeer& peer);

// The peer of `control`, if it is mirrored by a window.
WindowPeer* PeerOf(const Control& control);

// Hands a notification that `message` brings from a child window to the child's peer.
bool ReflectToChild(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

}  // namespace toolkit::win32
