#pragma once
// THP4191Device, the control of the HP 4191A RF impedance analyzer: displays A and B with their
// unit labels, an LED lit for a moment at each trigger, the sweep panel as the frequency panel
// with the frequency step beside it, and the Mode, Angle and Scheme submenus. Hosts read the
// panel through Text and may write commands or the control's own control words to it.
#include <array>
#include <optional>

#include "framework/HPIBDev.h"
#include "instruments/Scan.h"
#include "toolkit/Widgets.h"
#include "widgets/ALed.h"

namespace instruments {

class THP4191Device : public framework::THPIBDevice {
 public:
  THP4191Device();

  toolkit::Panel& Panel;
  toolkit::Bevel& Bevel;
  toolkit::Label& LabelA;
  widgets::TALed& ALed;
  toolkit::Label& LabelB;
  toolkit::StaticText& StaticTextA;
  toolkit::StaticText& StaticTextA1;
  toolkit::StaticText& StaticTextB;
  toolkit::StaticText& StaticTextB1;
  TScanFrame& ScanFrame;
  toolkit::StaticText& StepStaticText;
  toolkit::Edit& StepEdit;

  toolkit::MenuItem& N2;
  toolkit::MenuItem& ModeMenu;
  toolkit::MenuItem& AngleMenu;
  toolkit::MenuItem& SchemeMenu;
  // Radio items; each one's Tag is the digit of its command.
  std::array<toolkit::MenuItem*, 8> ModeItems;
  std::array<toolkit::MenuItem*, 2> AngleItems;
  std::array<toolkit::MenuItem*, 4> SchemeItems;

  // Applies a control word and sends nothing; otherwise follows a mode, angle, scheme or
  // frequency command on the panel and sends the text as written.
  void Set_Text(const std::wstring& value) override;
  void Set_Active(bool value) override;

 protected:
  // Triggers, then lights the LED for one blink interval.
  void TriggerItemClick() override;
  void ClearItemClick() override;
  // Reads the reply: displays A and B.
  framework::Reading TimerTimer() override;
  // The beep of a flagged reading, then label and value of A, then of B.
  void ShowReading(const framework::Reading& reading) override;
  // Label A and value A, label B and value B, the frequency; with ExtendedOutput on also the
  // sweep limits and the step.
  std::optional<framework::Pairs> PanelPairs() const override;
  // The sweep step: sends the next frequency of a sweep, read from the panel as it stands.
  void AfterReading() override;
  void ActiveFormCreate();
  void ALedTimer();
  void ModeMenuClick(toolkit::MenuItem& sender);
  void AngleSchemeMenuClick(toolkit::MenuItem& sender);
  void ScanFrameEditKeyDown(int key);
  void ScanFrameSpeedComboBoxChange();

  // Enables the submenus by Active and the selected mode.
  void UpdateMenus();

 private:
  // The index of the first selected mode item; the count of them when none is.
  int SelectedMode() const;
  void SweepStep();

  bool ExtendedOutput = false;
  bool AutoStop = false;
};

}  // namespace instruments
