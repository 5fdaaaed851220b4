#include "instruments/Scan.h"

#include <utility>

#include "instruments/Numbers.h"
#include "instruments/Panels.h"
#include "instruments/ScanArithmetic.h"
#include "toolkit/Platform.h"

namespace instruments {

TScanFrame::TScanFrame(toolkit::Component* owner, std::wstring name)
    : Frame(owner, std::move(name)),
      Panel(Make<toolkit::Panel>(L"Panel")),
      Edit(Make<toolkit::Edit>(L"Edit")),
      StaticText(Make<toolkit::StaticText>(L"StaticText")),
      Gauge(Make<toolkit::Gauge>(L"Gauge")),
      MinLabel(Make<toolkit::Label>(L"MinLabel")),
      MinEdit(Make<toolkit::Edit>(L"MinEdit")),
      MaxLabel(Make<toolkit::Label>(L"MaxLabel")),
      MaxEdit(Make<toolkit::Edit>(L"MaxEdit")),
      SpeedComboBox(Make<toolkit::ComboBox>(L"SpeedComboBox")),
      UpSpeedButton(Make<toolkit::SpeedButton>(L"UpSpeedButton")),
      DownSpeedButton(Make<toolkit::SpeedButton>(L"DownSpeedButton")),
      DACSpinEdit(Make<toolkit::SpinEdit>(L"DACSpinEdit")) {
  SetBounds(0, 0, 200, 100);

  PlacePanel(Panel, *this, 33);
  Edit.SetParent(&Panel);
  Edit.SetBounds(4, 2, 155, 28);
  Edit.SetColor(toolkit::clBlack);
  Edit.SetFont(kDisplayFont);
  Edit.SetText(kInitialReading);
  PlaceDisplay(StaticText, Panel, {164, 2, 30, 28}, toolkit::Alignment::Left, kLabelFont);
  StaticText.SetCaption(L"R Ohm");

  Gauge.SetParent(this);
  Gauge.SetBounds(4, 36, 190, 9);
  Gauge.SetLimits(0, 100);
  Gauge.SetForeColor(toolkit::clRed);

  MinLabel.SetParent(this);
  MinLabel.SetBounds(4, 50, 23, 13);
  MinLabel.SetCaption(L"&From");
  MinLabel.SetFocusControl(&MinEdit);
  MinEdit.SetParent(this);
  MinEdit.SetBounds(32, 48, 66, 18);
  MinEdit.SetText(L"0");
  MaxLabel.SetParent(this);
  MaxLabel.SetBounds(110, 50, 13, 13);
  MaxLabel.SetCaption(L"&To");
  MaxLabel.SetFocusControl(&MaxEdit);
  MaxEdit.SetParent(this);
  MaxEdit.SetBounds(128, 48, 66, 18);
  MaxEdit.SetText(L"100");

  SpeedComboBox.SetParent(this);
  SpeedComboBox.SetBounds(8, 72, 66, 21);
  SpeedComboBox.SetItems({L"10 min", L"5 min", L"1 min"});

  int left = 80;
  for (auto [button, glyph] : {std::pair{&UpSpeedButton, L"SCANUP"}, std::pair{&DownSpeedButton, L"SCANDOWN"}}) {
    button->SetParent(this);
    button->SetBounds(left, 73, 20, 21);
    button->GroupIndex = 1;
    button->AllowAllUp = true;
    button->SetGlyph(glyph);
    left += 20;
  }

  DACSpinEdit.SetParent(this);
  DACSpinEdit.SetBounds(128, 72, 66, 22);
  DACSpinEdit.SetLimits(0, 65535);
  DACSpinEdit.Increment = 1;
  DACSpinEdit.SetValue(32768);

  // Bound last: the texts above are the panel's design, not changes.
  for (toolkit::Edit* edit : {&MinEdit, &MaxEdit, &Edit})
    edit->OnChange = [this, edit] { toolkit::DispatchUserEvent(*edit, [this] { EditChange(); }); };
}

void TScanFrame::EditChange() {
  const wchar_t separator = toolkit::CurrentPlatform().DecimalSeparator();
  const auto from = ReadNumber(MinEdit.Text(), separator);
  const auto to = ReadNumber(MaxEdit.Text(), separator);
  const auto value = ReadNumber(Edit.Text(), separator);
  if (!from || !to || !value) {
    toolkit::CurrentPlatform().Beep();
    return;
  }
  Gauge.SetProgress(ScanProgress(*from, *to, *value, Gauge.MaxValue()));
}

}  // namespace instruments
