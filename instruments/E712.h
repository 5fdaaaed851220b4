#pragma once
// TE712Device, the control of the E7-12 LCR meter: two value displays with their quantity
// letters, a range track bar and a "Mode" submenu in the context menu.
//
// Unlike the other controls, its own commands (mode, range, the two measurement requests) go
// straight to the base control's Set_Text: only a host's commands are mirrored on the panel.
#include <array>

#include "framework/HPIBDev.h"
#include "toolkit/Widgets.h"

namespace instruments {

class TE712Device : public framework::THPIBDevice {
 public:
  TE712Device();

  toolkit::Panel& Panel;
  toolkit::StaticText& DisplayAStaticText;
  toolkit::StaticText& LabelAStaticText;
  toolkit::StaticText& DisplayBStaticText;
  toolkit::StaticText& LabelBStaticText;
  toolkit::TrackBar& RangeTrackBar;
  toolkit::Label& RangeLabel;
  toolkit::MenuItem& N2;
  toolkit::MenuItem& ModeMenu;
  std::array<toolkit::MenuItem*, 4> ModeItems;  // LDItem, CDItem, LRItem, CGItem

  // Answers from the panel: one line per value, label "=" value, joined by CR LF.
  std::wstring Get_Text() override;
  // Mirrors a mode or range byte on the panel, then sends the text as written.
  void Set_Text(const std::wstring& value) override;
  // The panel follows; the mode items stay enabled.

 protected:
  void ClearItemClick() override;
  void TimerTimer() override;
  void ModeMenuClick(toolkit::MenuItem& sender);
  void RangeTrackBarChange();

 private:
  // Asks the meter for one value and shows the reply in `display` and `label`.
  void Measure(char request, toolkit::StaticText& display, toolkit::StaticText& label);
};

}  // namespace instruments
