#pragma once
// TScanFrame, the sweep panel: a value with its unit, the sweep limits, a gauge showing where
// the value stands between them, a speed list, the two direction buttons and a spin edit. The
// panel itself only moves the gauge; the form that embeds it gives the rest a meaning and may
// change every widget's settings.
#include <string>

#include "toolkit/Widgets.h"

namespace instruments {

class TScanFrame : public toolkit::Frame {
 public:
  explicit TScanFrame(toolkit::Component* owner, std::wstring name = {});

  toolkit::Panel& Panel;
  toolkit::Edit& Edit;
  toolkit::StaticText& StaticText;
  toolkit::Gauge& Gauge;
  toolkit::Label& MinLabel;
  toolkit::Edit& MinEdit;
  toolkit::Label& MaxLabel;
  toolkit::Edit& MaxEdit;
  toolkit::ComboBox& SpeedComboBox;
  // One group with all up allowed: none, up or down.
  toolkit::SpeedButton& UpSpeedButton;
  toolkit::SpeedButton& DownSpeedButton;
  toolkit::SpinEdit& DACSpinEdit;

 protected:
  // Runs on every change of the value or a limit, typed or set by code: moves the gauge. A
  // text that is no number beeps; a zero span or a position beyond 32 bits is an error, shown
  // in the error box and never passed to whoever changed the text.
  void EditChange();
};

}  // namespace instruments
