#pragma once
// TE712Device, the control of the E7-12 LCR meter: two value displays with their quantity
// letters, a range track bar and a "Mode" submenu in the context menu.
//
// Unlike the other controls, its own commands (mode, range, the two measurement requests) go
// straight to the base control's Set_Text: only a host's commands are mirrored on the panel.
#include <array>
#include <optional>

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

  // Mirrors a mode or range byte on the panel, then sends the text as written.
  void Set_Text(const std::wstring& value) override;
  // The panel follows; the mode items stay enabled.

 protected:
  void ClearItemClick() override;
  // Shows the first value before it asks for the second.
  framework::Reading TimerTimer() override;
  // The first value with its letter, then the second when the reading has it.
  void ShowReading(const framework::Reading& reading) override;
  // One pair per value: the quantity letter and the value.
  std::optional<framework::Pairs> PanelPairs() const override;
  void ModeMenuClick(toolkit::MenuItem& sender);
  void RangeTrackBarChange();

 private:
  // Asks the meter for one value.
  framework::Pair Measure(char request);
};

}  // namespace instruments
