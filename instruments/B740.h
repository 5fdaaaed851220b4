#pragma once
// TB740Device, the control of the B7-40/5 multimeter: a value display with its unit label, five
// function buttons and a range track bar. Commands the control sends of its own accord go
// through its own Set_Text, so that the panel mirrors them like a host's commands.
#include <array>
#include <optional>

#include "framework/HPIBDev.h"
#include "toolkit/Widgets.h"

namespace instruments {

class TB740Device : public framework::THPIBDevice {
 public:
  TB740Device();

  toolkit::Panel& Panel;
  toolkit::StaticText& DisplayStaticText;
  toolkit::StaticText& LabelStaticText;
  std::array<toolkit::SpeedButton*, 5> SpeedButtons;  // SpeedButton1 .. SpeedButton5
  toolkit::TrackBar& RangeTrackBar;
  toolkit::Label& RangeLabel;

  // Mirrors a function or range command on the panel, then sends the text as written.
  void Set_Text(const std::wstring& value) override;

 protected:
  void ClearItemClick() override;
  framework::Reading TimerTimer() override;
  // The unit label, the beep of a flagged reading, then the value.
  void ShowReading(const framework::Reading& reading) override;
  // One pair: the unit label and the displayed value.
  std::optional<framework::Pairs> PanelPairs() const override;
  void SpeedButtonClick(toolkit::SpeedButton& sender);
  void RangeTrackBarChange();
};

}  // namespace instruments
