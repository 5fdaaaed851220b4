#include "instruments/B740.h"

#include <cwctype>

#include "core/Convert.h"
#include "instruments/B740Protocol.h"
#include "instruments/Panels.h"
#include "toolkit/Platform.h"

namespace instruments {

using toolkit::SpeedButton;

TB740Device::TB740Device()
    : Panel(Make<toolkit::Panel>(L"Panel")),
      DisplayStaticText(Make<toolkit::StaticText>(L"DisplayStaticText")),
      LabelStaticText(Make<toolkit::StaticText>(L"LabelStaticText")),
      SpeedButtons{&Make<SpeedButton>(L"SpeedButton1"), &Make<SpeedButton>(L"SpeedButton2"),
                   &Make<SpeedButton>(L"SpeedButton3"), &Make<SpeedButton>(L"SpeedButton4"),
                   &Make<SpeedButton>(L"SpeedButton5")},
      RangeTrackBar(Make<toolkit::TrackBar>(L"RangeTrackBar")),
      RangeLabel(Make<toolkit::Label>(L"RangeLabel")) {
  SetBounds(0, 0, 200, 97);
  Timer.SetInterval(300);

  PlacePanel(Panel, *this, 34);
  PlaceDisplay(DisplayStaticText, Panel, {4, 2, 155, 28}, toolkit::Alignment::Center, kDisplayFont);
  PlaceDisplay(LabelStaticText, Panel, {164, 2, 30, 28}, toolkit::Alignment::Left, kLabelFont);
  LabelStaticText.SetCaption(L"R Ohm");

  for (std::size_t i = 0; i < SpeedButtons.size(); ++i) {
    SpeedButton& button = *SpeedButtons[i];
    button.SetParent(this);
    button.SetBounds(4 + 38 * static_cast<int>(i), 38, 38, 18);
    button.SetCaption(b740::kFunctions[i].caption);
    button.Tag = b740::kFunctions[i].number;
    button.GroupIndex = 1;
    button.OnClick = [this, &button] { SpeedButtonClick(button); };
  }
  SpeedButtons[0]->SetDown(true);

  PlaceRangeTrackBar(RangeTrackBar, RangeLabel, *this, b740::kAutoRangePosition, 1);
  RangeTrackBar.OnChange = [this] { RangeTrackBarChange(); };
}

void TB740Device::Set_Text(const std::wstring& value) {
  std::wstring upper = value;
  for (wchar_t& c : upper) c = static_cast<wchar_t>(std::towupper(c));
  const std::wstring second = upper.size() > 1 ? upper.substr(1, 1) : L"";
  if (!upper.empty() && upper[0] == L'F') {
    for (toolkit::Component* component : Components()) {
      auto* button = dynamic_cast<SpeedButton*>(component);
      if (button && !second.empty() && std::to_wstring(button->Tag) == second) {
        button->SetDown(true);
        break;
      }
    }
  } else if (!upper.empty() && upper[0] == L'B') {
    ShowRangePosition(RangeTrackBar, b740::RangePositionOfDigit(core::StrToInt(second)));
  }
  SendHostText(value);
}

void TB740Device::ClearItemClick() {
  THPIBDevice::ClearItemClick();
  SpeedButtons[0]->SetDown(true);
  Set_Text(L"D0E");
  ShowRangePosition(RangeTrackBar, 1);
}

framework::Reading TB740Device::TimerTimer() {
  const b740::Reading reading = b740::ParseReply(ReadReply());
  return {{{reading.unit, reading.value, reading.number}}, reading.beep};
}

void TB740Device::ShowReading(const framework::Reading& reading) {
  LabelStaticText.SetCaption(reading.pairs[0].label);
  if (reading.beep) toolkit::CurrentPlatform().Beep();
  DisplayStaticText.SetCaption(reading.pairs[0].value);
}

std::optional<framework::Pairs> TB740Device::PanelPairs() const {
  return framework::Pairs{{LabelStaticText.Caption(), DisplayStaticText.Caption()}};
}

void TB740Device::SpeedButtonClick(SpeedButton& sender) { Set_Text(b740::FunctionCommand(sender.Tag)); }

void TB740Device::RangeTrackBarChange() {
  if (TakeRangeMove(RangeTrackBar)) Set_Text(b740::RangeCommand(RangeTrackBar.Position()));
}

}  // namespace instruments
