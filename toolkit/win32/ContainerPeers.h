#pragma once
// Windows of our own classes that paint themselves: panels and frames holding controls, bevels,
// and graphic controls painted by their Paint.
#include "toolkit/Widgets.h"
#include "toolkit/win32/WindowPeer.h"

namespace toolkit::win32 {

// A panel: its colour, its outer bevel and its caption centred.
class PanelPeer final : public WidgetPeer<Panel> {
 public:
  PanelPeer(PeerContext& context, Panel& panel);

 protected:
  const wchar_t* ClassName() const override { return kPanelClass; }
  DWORD Style() const override { return WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS; }
  void SyncWidget() override;
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
};

// A frame, or any other control holding controls: its colour only.
class ContainerPeer final : public WidgetPeer<WinControl> {
 public:
  ContainerPeer(PeerContext& context, WinControl& control);

 protected:
  const wchar_t* ClassName() const override { return kPanelClass; }
  DWORD Style() const override { return WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS; }
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
};

// A bevel: lines only; the controls under it show through and take its clicks.
class BevelPeer final : public WidgetPeer<Bevel> {
 public:
  BevelPeer(PeerContext& context, Bevel& bevel);

 protected:
  const wchar_t* ClassName() const override { return kBevelClass; }
  DWORD Style() const override { return WS_CHILD; }
  DWORD ExStyle() const override { return WS_EX_TRANSPARENT; }
  void SyncWidget() override;
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
};

// A graphic control: its colour, then what its Paint draws; painted again at once after every
// change of the model. The mouse's coming and going reach the model, and so does a click: the
// left button pressed on the control and released over it.
class GraphicPeer final : public WidgetPeer<GraphicControl> {
 public:
  GraphicPeer(PeerContext& context, GraphicControl& control);

 protected:
  const wchar_t* ClassName() const override { return kGraphicClass; }
  DWORD Style() const override { return WS_CHILD; }
  void SyncWidget() override;
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  bool mouseInside_ = false;
};

}  // namespace toolkit::win32
