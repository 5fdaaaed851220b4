#include "instruments/E712.h"

#include "instruments/E712Protocol.h"
#include "instruments/Panels.h"

namespace instruments {

using toolkit::MenuItem;

TE712Device::TE712Device()
    : Panel(Make<toolkit::Panel>(L"Panel")),
      DisplayAStaticText(Make<toolkit::StaticText>(L"DisplayAStaticText")),
      LabelAStaticText(Make<toolkit::StaticText>(L"LabelAStaticText")),
      DisplayBStaticText(Make<toolkit::StaticText>(L"DisplayBStaticText")),
      LabelBStaticText(Make<toolkit::StaticText>(L"LabelBStaticText")),
      RangeTrackBar(Make<toolkit::TrackBar>(L"RangeTrackBar")),
      RangeLabel(Make<toolkit::Label>(L"RangeLabel")),
      N2(Make<MenuItem>(L"N2", L"-")),
      ModeMenu(Make<MenuItem>(L"ModeMenu", L"Mode")),
      ModeItems{&Make<MenuItem>(e712::kModes[0].name, e712::kModes[0].caption),
                &Make<MenuItem>(e712::kModes[1].name, e712::kModes[1].caption),
                &Make<MenuItem>(e712::kModes[2].name, e712::kModes[2].caption),
                &Make<MenuItem>(e712::kModes[3].name, e712::kModes[3].caption)} {
  SetBounds(0, 0, 200, 97);
  Timer.SetInterval(300);

  PlacePanel(Panel, *this, 58);
  PlaceDisplay(DisplayAStaticText, Panel, {4, 2, 169, 24}, toolkit::Alignment::Center, kDisplayFont);
  PlaceDisplay(LabelAStaticText, Panel, {176, 2, 18, 24}, toolkit::Alignment::Center, kLabelFont);
  PlaceDisplay(DisplayBStaticText, Panel, {4, 28, 169, 24}, toolkit::Alignment::Center, kDisplayFont);
  PlaceDisplay(LabelBStaticText, Panel, {176, 28, 18, 24}, toolkit::Alignment::Center, kLabelFont);
  LabelAStaticText.SetCaption(L"L");
  LabelBStaticText.SetCaption(L"D");

  PlaceRangeTrackBar(RangeTrackBar, RangeLabel, *this, e712::kAutoRangePosition, e712::kInitialRangePosition);
  RangeTrackBar.OnChange = [this] { RangeTrackBarChange(); };

  PopupMenu.Items().Add(N2);
  PopupMenu.Items().Add(ModeMenu);
  for (std::size_t i = 0; i < ModeItems.size(); ++i) {
    MenuItem& item = *ModeItems[i];
    item.Tag = static_cast<int>(i);
    item.RadioItem = true;
    item.GroupIndex = 1;
    item.OnClick = [this, &item] { ModeMenuClick(item); };
    ModeMenu.Add(item);
  }
  ModeItems[0]->SetChecked(true);
}

void TE712Device::Set_Text(const std::wstring& value) {
  const e712::Mirror mirror = e712::MirrorOf(value);
  if (mirror.mode) ModeItems[static_cast<std::size_t>(*mirror.mode)]->SetChecked(true);
  if (mirror.rangePosition) ShowRangePosition(RangeTrackBar, *mirror.rangePosition);
  SendHostText(value);
}

void TE712Device::ClearItemClick() {
  THPIBDevice::ClearItemClick();
  ShowRangePosition(RangeTrackBar, e712::kInitialRangePosition);
}

framework::Reading TE712Device::TimerTimer() {
  framework::Reading reading{{Measure(e712::kFirstValueRequest)}};
  // A second request that fails leaves the first value on the panel.
  ShowReading(reading);
  reading.pairs.push_back(Measure(e712::kSecondValueRequest));
  return reading;
}

void TE712Device::ShowReading(const framework::Reading& reading) {
  DisplayAStaticText.SetCaption(reading.pairs[0].value);
  LabelAStaticText.SetCaption(reading.pairs[0].label);
  if (reading.pairs.size() < 2) return;
  DisplayBStaticText.SetCaption(reading.pairs[1].value);
  LabelBStaticText.SetCaption(reading.pairs[1].label);
}

std::optional<framework::Pairs> TE712Device::PanelPairs() const {
  return framework::Pairs{{LabelAStaticText.Caption(), DisplayAStaticText.Caption()},
                          {LabelBStaticText.Caption(), DisplayBStaticText.Caption()}};
}

// The control's own bytes: straight to the bus, past the mirroring of the host's text.
void TE712Device::ModeMenuClick(MenuItem& sender) {
  sender.SetChecked(true);
  SendByte(e712::ModeByte(sender.Tag));
}

void TE712Device::RangeTrackBarChange() {
  if (TakeRangeMove(RangeTrackBar)) SendByte(e712::RangeByte(RangeTrackBar.Position()));
}

framework::Pair TE712Device::Measure(char request) {
  SendByte(request);
  const e712::Reading reading = e712::ParseReply(ReadReply());
  return {reading.label, reading.value, reading.number};
}

}  // namespace instruments
