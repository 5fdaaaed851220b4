#pragma once
// Controls that show text in the system's own classes: static texts, labels, edits, spin edits
// and memos.
#include <string>
#include <vector>

#include "toolkit/Widgets.h"
#include "toolkit/win32/WindowPeer.h"

namespace toolkit::win32 {

class StaticTextPeer final : public WidgetPeer<StaticText> {
 public:
  StaticTextPeer(PeerContext& context, StaticText& text);
  void OnCommand(WORD code) override;

 protected:
  const wchar_t* ClassName() const override { return L"Static"; }
  DWORD Style() const override;
  DWORD ExStyle() const override;
};

// A label: a static window whose "&" underlines the accelerator. Auto-sized labels take the
// size of their text.
class LabelPeer final : public WidgetPeer<Label> {
 public:
  LabelPeer(PeerContext& context, Label& label);

 protected:
  const wchar_t* ClassName() const override { return L"Static"; }
  DWORD Style() const override;
  RECT PlacementRect() const override;
};

class EditPeerBase : public WidgetPeer<Edit> {
 public:
  // EN_CHANGE: the user's text becomes the model's.
  void OnCommand(WORD code) override;

 protected:
  using WidgetPeer::WidgetPeer;
  const wchar_t* ClassName() const override { return L"Edit"; }
  DWORD Style() const override { return WS_CHILD | WS_TABSTOP | ES_AUTOHSCROLL; }
  DWORD ExStyle() const override { return WS_EX_CLIENTEDGE; }
  void SyncText() override { ShowText(Model().Text()); }
  // WM_KEYDOWN and WM_CHAR: each key passes the model's KeyDown, each typed character its
  // KeyPress, before the edit takes it.
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  // What the model's KeyDown makes of the key: 0 when it swallowed it.
  int ModelKeyDown(WPARAM key);
  // Lets the edit handle the key the model left, or swallows it. Taken before the model's
  // handlers run: they may close the form, and this peer with it.
  struct KeyPass {
    HWND window;
    ClassProcedure procedure;
    LRESULT operator()(UINT message, WPARAM key, LPARAM lParam) const;
  };
  KeyPass PassOn() const { return {Window(), OwnProcedure()}; }
};

class EditPeer final : public EditPeerBase {
 public:
  EditPeer(PeerContext& context, Edit& edit);
};

// An edit with up and down arrows inside its right edge; the arrows and the arrow keys step the
// value by the model's Increment.
class SpinEditPeer final : public EditPeerBase {
 public:
  SpinEditPeer(PeerContext& context, SpinEdit& spin);
  LRESULT OnNotify(const NMHDR& header) override;

 protected:
  bool ModelIntact() const override { return dynamic_cast<const SpinEdit*>(&WindowPeer::Model()) != nullptr; }
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  void WindowCreated() override;
  void WindowLost() override;
  void Resized() override;

 private:
  void PlaceArrows();
  void Step(int steps);
  SpinEdit& spin_;
  unique_part arrows_;
};

// A multi-line edit holding the model's lines, each ended by a line break. Lines appended to
// the model are appended to the window; any other change sets the whole text.
class MemoPeer final : public WidgetPeer<Memo>, public LineCountingPeer {
 public:
  MemoPeer(PeerContext& context, Memo& memo);
  // The edit's own count of display lines, without the empty one after the last line break.
  int DisplayLineCount() const override;

 protected:
  const wchar_t* ClassName() const override { return L"Edit"; }
  DWORD Style() const override;
  DWORD ExStyle() const override { return WS_EX_CLIENTEDGE; }
  DWORD CreationOnlyStyle() const override { return ES_AUTOHSCROLL; }
  void SyncText() override;
  void SyncWidget() override;
  void WindowCreated() override { shown_.clear(); }
  // A read of the text from outside runs the model's OnRead first.
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  std::vector<std::wstring> shown_;
};

}  // namespace toolkit::win32
