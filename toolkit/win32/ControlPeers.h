#pragma once
// Controls of the system's button, combo box and common-control classes: drop-down lists,
// track bars, speed buttons and gauges.
#include "toolkit/win32/SystemHeaders.h"

#include <memory>
#include <string>
#include <vector>

#include "toolkit/Widgets.h"
#include "toolkit/win32/Drawing.h"
#include "toolkit/win32/WindowPeer.h"

namespace toolkit::win32 {

class ComboBoxPeer final : public WidgetPeer<ComboBox> {
 public:
  ComboBoxPeer(PeerContext& context, ComboBox& combo);
  // CBN_SELCHANGE: the user's choice.
  void OnCommand(WORD code) override;

 protected:
  const wchar_t* ClassName() const override { return WC_COMBOBOXW; }
  DWORD Style() const override { return WS_CHILD | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST; }
  // The window's height includes the dropped-down list.
  RECT PlacementRect() const override;
  void SyncText() override;
  void SyncWidget() override;
  void WindowCreated() override { shown_.clear(); }

 private:
  std::vector<std::wstring> shown_;
};

class TrackBarPeer final : public WidgetPeer<TrackBar> {
 public:
  TrackBarPeer(PeerContext& context, TrackBar& track);
  // The user moved the thumb.
  void OnScroll(WORD code) override;

 protected:
  const wchar_t* ClassName() const override { return TRACKBAR_CLASSW; }
  DWORD Style() const override;
  void SyncWidget() override;
};

// A speed button: a push-like check box that looks down while the model's button is down; with
// a glyph, an owner-drawn button showing the glyph's image for its enabled state.
class SpeedButtonPeer final : public WidgetPeer<SpeedButton> {
 public:
  SpeedButtonPeer(PeerContext& context, SpeedButton& button);
  // BN_CLICKED: the button is clicked in the model, which decides what is down.
  void OnCommand(WORD code) override;
  bool OnDrawItem(const DRAWITEMSTRUCT& item) override;

 protected:
  const wchar_t* ClassName() const override { return WC_BUTTONW; }
  // Not an automatic check box: only the model puts it down.
  DWORD Style() const override;
  DWORD CreationOnlyStyle() const override { return BS_TYPEMASK; }
  void SyncText() override;
  void SyncWidget() override;

 private:
  std::wstring glyphName_;
  std::unique_ptr<DibBitmap> glyph_;
};

// A progress bar in the model's colours: unthemed, since a visual style paints its own colours.
class GaugePeer final : public WidgetPeer<Gauge> {
 public:
  GaugePeer(PeerContext& context, Gauge& gauge);

 protected:
  const wchar_t* ClassName() const override { return PROGRESS_CLASSW; }
  // One continuous bar, not blocks.
  DWORD Style() const override { return WS_CHILD | PBS_SMOOTH; }
  void WindowCreated() override;
  void SyncWidget() override;
};

}  // namespace toolkit::win32
