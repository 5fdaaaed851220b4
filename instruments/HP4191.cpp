#include "instruments/HP4191.h"

#include <iterator>
#include <tuple>

#include "core/Exceptions.h"
#include "framework/Unattended.h"
#include "instruments/HP4191Protocol.h"
#include "instruments/Numbers.h"
#include "instruments/Panels.h"
#include "toolkit/Platform.h"

namespace instruments {
namespace {

using toolkit::MenuItem;

constexpr toolkit::Color clSilver = 0xC0C0C0;
constexpr toolkit::Color clMaroon = 0x000080;
const toolkit::Font kColumnFont{L"MS Sans Serif", -16, true, toolkit::clRed};

// The timer interval that each item of the speed list chooses, in order.
constexpr unsigned kSpeedIntervals[] = {1000, 3000, 10000};

template <std::size_t N>
std::array<MenuItem*, N> MakeRadioItems(framework::THPIBDevice& form, MenuItem& menu,
                                        const std::array<hp4191::Item, N>& items, int group) {
  std::array<MenuItem*, N> made{};
  for (std::size_t i = 0; i < N; ++i) {
    MenuItem& item = form.Make<MenuItem>(items[i].name, items[i].caption);
    item.RadioItem = true;
    item.AutoCheck = true;
    item.GroupIndex = group;
    item.Tag = static_cast<int>(i) + 1;
    menu.Add(item);
    made[i] = &item;
  }
  made[0]->SetChecked(true);
  return made;
}

// An edit's text as a number; EConvertError when it is none.
double NumberOf(const toolkit::Edit& edit) {
  const auto value = ReadNumber(edit.Text(), toolkit::CurrentPlatform().DecimalSeparator());
  if (!value) throw core::EConvertError(L"'" + edit.Text() + L"' is not a valid floating point value");
  return *value;
}

}  // namespace

THP4191Device::THP4191Device()
    : Panel(Make<toolkit::Panel>(L"Panel")),
      Bevel(Make<toolkit::Bevel>(L"Bevel")),
      LabelA(Make<toolkit::Label>(L"LabelA")),
      ALed(Make<widgets::TALed>(L"ALed")),
      LabelB(Make<toolkit::Label>(L"LabelB")),
      StaticTextA(Make<toolkit::StaticText>(L"StaticTextA")),
      StaticTextA1(Make<toolkit::StaticText>(L"StaticTextA1")),
      StaticTextB(Make<toolkit::StaticText>(L"StaticTextB")),
      StaticTextB1(Make<toolkit::StaticText>(L"StaticTextB1")),
      ScanFrame(Make<TScanFrame>(L"ScanFrame")),
      StepStaticText(Make<toolkit::StaticText>(L"StepStaticText")),
      StepEdit(Make<toolkit::Edit>(L"StepEdit")),
      N2(Make<MenuItem>(L"N2", L"-")),
      ModeMenu(Make<MenuItem>(L"ModeMenu", L"Mode")),
      AngleMenu(Make<MenuItem>(L"AngleMenu", L"Angle")),
      SchemeMenu(Make<MenuItem>(L"SchemeMenu", L"Scheme")),
      ModeItems(MakeRadioItems(*this, ModeMenu, hp4191::kModes, 1)),
      AngleItems(MakeRadioItems(*this, AngleMenu, hp4191::kAngles, 2)),
      SchemeItems(MakeRadioItems(*this, SchemeMenu, hp4191::kSchemes, 3)) {
  SetBounds(0, 0, 208, 227);

  PlacePanel(Panel, *this, 80);
  Bevel.SetParent(&Panel);
  Bevel.SetBounds(5, 7, 18, 63);
  for (auto [label, caption, top, height] :
       {std::tuple{&LabelA, L"A", 8, 20}, std::tuple{&LabelB, L"B", 44, 25}}) {
    label->SetParent(&Panel);
    label->SetAutoSize(false);
    label->SetBounds(6, top, 16, height);
    label->SetCaption(caption);
    label->SetAlignment(toolkit::Alignment::Center);
    label->SetFont(kColumnFont);
    label->SetColor(clSilver);
  }
  ALed.SetParent(&Panel);
  ALed.SetBounds(6, 28, 16, 16);
  ALed.SetTrueColor(toolkit::clRed);
  ALed.SetFalseColor(clMaroon);
  ALed.SetBlink(false);
  ALed.SetInterval(500);
  ALed.OnTimer = [this](widgets::TALed&) { ALedTimer(); };
  PlaceDisplay(StaticTextA, Panel, {28, 6, 131, 28}, toolkit::Alignment::Center, kDisplayFont);
  PlaceDisplay(StaticTextA1, Panel, {164, 6, 30, 28}, toolkit::Alignment::Left, kLabelFont);
  StaticTextA1.SetCaption(L"R Ohm");
  PlaceDisplay(StaticTextB, Panel, {28, 42, 131, 28}, toolkit::Alignment::Center, kDisplayFont);
  PlaceDisplay(StaticTextB1, Panel, {164, 42, 30, 28}, toolkit::Alignment::Left, kLabelFont);
  StaticTextB1.SetCaption(L"X Ohm");

  // The sweep panel as the frequency panel, in MHz.
  TScanFrame& scan = ScanFrame;
  scan.SetParent(this);
  scan.SetBounds(0, 80, 200, 120);
  scan.Panel.SetBounds(0, 0, 200, 40);
  scan.StaticText.SetCaption(L"F MHz");
  scan.Gauge.SetBounds(4, 48, 190, 9);
  scan.UpSpeedButton.SetBounds(68, 93, 20, 21);
  scan.DownSpeedButton.SetBounds(88, 93, 20, 21);
  scan.MinLabel.SetBounds(4, 66, 23, 13);
  scan.MaxLabel.SetBounds(116, 66, 13, 13);
  scan.MinEdit.SetBounds(32, 64, 66, 18);
  scan.MaxEdit.SetBounds(132, 64, 62, 18);
  scan.MaxEdit.SetText(L"1000");
  scan.MinEdit.SetText(L"1");
  scan.Edit.SetText(L"1.000000");
  scan.DACSpinEdit.SetBounds(56, 124, 66, 22);
  scan.DACSpinEdit.SetVisible(false);
  scan.SpeedComboBox.SetBounds(8, 92, 57, 21);
  scan.SpeedComboBox.SetItems({L"1 p/s", L"3 p/s", L"10 p/s"});
  scan.Edit.OnKeyDown = [this](int& key) { ScanFrameEditKeyDown(key); };
  scan.SpeedComboBox.OnChange = [this] { ScanFrameSpeedComboBoxChange(); };

  StepStaticText.SetParent(this);
  StepStaticText.SetBounds(116, 173, 26, 17);
  StepStaticText.SetCaption(L"&Step");
  StepStaticText.SetFocusControl(&StepEdit);
  StepEdit.SetParent(this);
  StepEdit.SetBounds(144, 172, 50, 18);
  StepEdit.SetText(L"1.0000");

  for (MenuItem* item : {&N2, &ModeMenu, &AngleMenu, &SchemeMenu}) PopupMenu.Items().Add(*item);
  for (MenuItem* item : ModeItems) item->OnClick = [this, item] { ModeMenuClick(*item); };
  for (MenuItem* item : AngleItems) item->OnClick = [this, item] { AngleSchemeMenuClick(*item); };
  for (MenuItem* item : SchemeItems) item->OnClick = [this, item] { AngleSchemeMenuClick(*item); };

  ActiveFormCreate();
}

void THP4191Device::ActiveFormCreate() { ScanFrame.SpeedComboBox.SetItemIndex(0); }

std::optional<framework::Pairs> THP4191Device::PanelPairs() const {
  framework::Pairs pairs{{StaticTextA1.Caption(), StaticTextA.Caption()},
                         {StaticTextB1.Caption(), StaticTextB.Caption()},
                         {ScanFrame.StaticText.Caption(), ScanFrame.Edit.Text()}};
  if (ExtendedOutput)
    pairs.insert(pairs.end(), {{L"Min", ScanFrame.MinEdit.Text()}, {L"Max", ScanFrame.MaxEdit.Text()},
                               {L"Step", StepEdit.Text()}});
  return pairs;
}

void THP4191Device::Set_Text(const std::wstring& value) {
  const std::wstring upper = hp4191::UpperCase(value.substr(0, hp4191::kShortStringLength));
  if (const auto found = hp4191::FindControlWord(upper)) {
    switch (found->word) {
      case hp4191::ControlWord::ExtendedOutput: ExtendedOutput = found->on; break;
      case hp4191::ControlWord::AutoStop: AutoStop = found->on; break;
      case hp4191::ControlWord::ScanUp: ScanFrame.UpSpeedButton.SetDown(true); break;
      case hp4191::ControlWord::ScanDown: ScanFrame.DownSpeedButton.SetDown(true); break;
      case hp4191::ControlWord::ScanOff:
        ScanFrame.UpSpeedButton.SetDown(false);
        ScanFrame.DownSpeedButton.SetDown(false);
        break;
    }
    return;
  }
  if (!upper.empty() && upper[0] == L'A') ModeItems[hp4191::ModeIndex(upper)]->SetChecked(true);
  if (!upper.empty() && upper[0] == L'B') {
    const int mode = SelectedMode();
    if (hp4191::HasAngle(mode)) {
      if (const auto angle = hp4191::AngleIndex(upper)) AngleItems[*angle]->SetChecked(true);
    } else if (hp4191::HasScheme(mode)) {
      if (const auto scheme = hp4191::SchemeIndex(upper)) SchemeItems[*scheme]->SetChecked(true);
    }
  }
  UpdateMenus();
  if (const auto frequency = hp4191::FrequencyText(upper)) ScanFrame.Edit.SetText(*frequency);
  SendHostText(value);
}

void THP4191Device::Set_Active(bool value) {
  THPIBDevice::Set_Active(value);
  EnableControls(ScanFrame, value);
  UpdateMenus();
}

int THP4191Device::SelectedMode() const {
  int index = 0;
  while (index < static_cast<int>(ModeItems.size()) && !ModeItems[index]->Checked()) ++index;
  return index;
}

void THP4191Device::UpdateMenus() {
  const bool active = Get_Active();
  const int mode = SelectedMode();
  ModeMenu.SetEnabled(active);
  AngleMenu.SetEnabled(hp4191::HasAngle(mode) && active);
  SchemeMenu.SetEnabled(hp4191::HasScheme(mode) && active);
}

void THP4191Device::TriggerItemClick() {
  THPIBDevice::TriggerItemClick();
  ALed.SetBlink(true);
  ALed.SetValue(true);
}

void THP4191Device::ALedTimer() {
  ALed.SetBlink(false);
  ALed.SetValue(false);
}

void THP4191Device::ClearItemClick() {
  THPIBDevice::ClearItemClick();
  Set_Text(L"R0T3EN");
  StepEdit.SetText(L"1.0");
  ScanFrame.MinEdit.SetText(L"1.0");
  ScanFrame.MaxEdit.SetText(L"1000.0");
  ScanFrame.Edit.SetText(L"1.0");
  ScanFrame.UpSpeedButton.SetDown(false);
  ScanFrame.DownSpeedButton.SetDown(false);
  for (MenuItem* item : {ModeItems[0], AngleItems[0], SchemeItems[0]}) item->SetChecked(true);
  UpdateMenus();
}

framework::Reading THP4191Device::TimerTimer() {
  const hp4191::Reading r = hp4191::ParseReply(ReadReply());
  return {{{r.labelA, r.valueA, r.numberA}, {r.labelB, r.valueB, r.numberB}}, r.beep};
}

void THP4191Device::ShowReading(const framework::Reading& reading) {
  if (reading.beep) toolkit::CurrentPlatform().Beep();
  StaticTextA1.SetCaption(reading.pairs[0].label);
  StaticTextA.SetCaption(reading.pairs[0].value);
  StaticTextB1.SetCaption(reading.pairs[1].label);
  StaticTextB.SetCaption(reading.pairs[1].value);
}

void THP4191Device::AfterReading() {
  const std::wstring frequency = ScanFrame.Edit.Text();
  try {
    SweepStep();
  } catch (const std::exception&) {
    // Tried again from where the instrument is, the panel showing that frequency meanwhile.
    if (framework::CurrentUnattended().errors == framework::ErrorHandling::Log) ScanFrame.Edit.SetText(frequency);
    throw;
  }
}

void THP4191Device::SweepStep() {
  const double from = NumberOf(ScanFrame.MinEdit);
  const double to = NumberOf(ScanFrame.MaxEdit);
  const double frequency = NumberOf(ScanFrame.Edit);
  const double step = NumberOf(StepEdit);
  // Limits are inclusive: a step landing exactly on one is taken.
  if (ScanFrame.UpSpeedButton.Down()) {
    if (to >= frequency + step)
      Set_Text(hp4191::FrequencyCommand(hp4191::FormatFrequency(frequency + step)));
    else if (AutoStop)
      InternalTriggerItem.SetChecked(false);
  }
  if (ScanFrame.DownSpeedButton.Down()) {
    if (from > frequency - step) {
      if (AutoStop) InternalTriggerItem.SetChecked(false);
    } else {
      Set_Text(hp4191::FrequencyCommand(hp4191::FormatFrequency(frequency - step)));
    }
  }
}

void THP4191Device::ModeMenuClick(MenuItem& sender) { Set_Text(hp4191::ModeCommand(sender.Tag)); }

void THP4191Device::AngleSchemeMenuClick(MenuItem& sender) { Set_Text(hp4191::AngleSchemeCommand(sender.Tag)); }

void THP4191Device::ScanFrameEditKeyDown(int key) {
  if (key == toolkit::kEnterKey) Set_Text(hp4191::FrequencyCommand(ScanFrame.Edit.Text()));
}

void THP4191Device::ScanFrameSpeedComboBoxChange() {
  const int index = ScanFrame.SpeedComboBox.ItemIndex();
  if (index >= 0 && index < static_cast<int>(std::size(kSpeedIntervals))) Timer.SetInterval(kSpeedIntervals[index]);
}

}  // namespace instruments
