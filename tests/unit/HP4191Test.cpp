// The analyzer control on the headless platform: exact bytes on the bus, the panel and menus as
// a user sees them, the text a host reads, the measurement tick and the sweep.
#include "instruments/HP4191.h"

#include <gtest/gtest.h>

#include "LayerFixtures.h"

namespace {

using instruments::THP4191Device;
using testing_support::Calls;
using testing_support::RecordingOutput;
using Commands = std::vector<std::string>;

struct CountingSink : framework::EventSink {
  void Fire(int dispid) override { fired.push_back(dispid); }
  std::vector<int> fired;
};

const char kReply[] = " NRN+1.2345E+01,NXN+5.4321E-01";

class HP4191Test : public testing_support::DriverModeTest {
 protected:
  void SetUp() override {
    DriverModeTest::SetUp();
    MakeDevice();
    driver.reply = kReply;
  }
  void TearDown() override {
    device.reset();
    framework::SetUnattended({});
    DriverModeTest::TearDown();
  }
  void MakeDevice() {
    device = toolkit::CreateForm<THP4191Device>();
    device->InitializeForm();
    sink->fired.clear();
    device->SetEventSink(sink);
    device->SetProgId(L"Apparata.HP4191X");
    device->Set_Port(17);
    hpib::HPIBOpenCard(hpib::HPIBSelectCode);
    TakeCalls();
  }
  // The text commands sent since the last look, as the analyzer received them.
  Commands Sent() {
    Commands commands;
    for (const std::string& call : TakeCalls())
      if (auto message = testing_support::RecordingBus::MessageIn(call, 717)) commands.push_back(*message);
    return commands;
  }
  // Which items of a submenu carry their mark, as a string of 0 and 1.
  template <class Items>
  static std::string Marks(const Items& items) {
    std::string marks;
    for (const toolkit::MenuItem* item : items) marks += item->Checked() ? '1' : '0';
    return marks;
  }
  std::string Submenus() const {
    std::string enabled;
    for (const toolkit::MenuItem* menu : {&device->ModeMenu, &device->AngleMenu, &device->SchemeMenu})
      enabled += menu->Enabled() ? '1' : '0';
    return enabled;
  }
  void Sweep(const wchar_t* from, const wchar_t* to, const wchar_t* frequency, const wchar_t* step) {
    device->ScanFrame.MinEdit.SetText(from);
    device->ScanFrame.MaxEdit.SetText(to);
    device->ScanFrame.Edit.SetText(frequency);
    device->StepEdit.SetText(step);
  }
  // One measurement interval of the timer.
  void Tick() { platform.Advance(device->Timer.Interval()); }

  std::shared_ptr<CountingSink> sink = std::make_shared<CountingSink>();
  toolkit::FormPtr<THP4191Device> device;
};

TEST_F(HP4191Test, ThePanelAndMenusStartAsDesignedAndNothingIsSent) {
  EXPECT_EQ(device->Get_Text(), L"R Ohm=+0.0000E+00\r\nX Ohm=+0.0000E+00\r\nF MHz=1.000000");
  EXPECT_EQ(Marks(device->ModeItems), "10000000");
  EXPECT_EQ(Marks(device->AngleItems), "10");
  EXPECT_EQ(Marks(device->SchemeItems), "1000");
  EXPECT_EQ(Submenus(), "111");
  std::wstring captions;
  for (const toolkit::MenuItem* item : device->PopupMenu.Items().Items()) captions += item->Caption() + L";";
  EXPECT_EQ(captions, L"Internal Trigger;Active;-;Local Control;Clear;Trigger;-;Mode;Angle;Scheme;");
  std::wstring modes;
  for (const toolkit::MenuItem* item : device->ModeMenu.Items()) modes += item->Caption() + L";";
  EXPECT_EQ(modes, L"|Z|+fi;|Y|+fi;|\u0413|+fi;R+X;G+B;\u0413x+\u0413y;L;C;");
  EXPECT_EQ(device->ScanFrame.SpeedComboBox.ItemIndex(), 0);
  EXPECT_EQ(device->Timer.Interval(), 1000u);
  EXPECT_EQ(device->StepEdit.Text(), L"1.0000");
  EXPECT_EQ(device->ScanFrame.MinEdit.Text(), L"1");
  EXPECT_EQ(device->ScanFrame.MaxEdit.Text(), L"1000");
  EXPECT_FALSE(device->ScanFrame.DACSpinEdit.Visible());
  EXPECT_EQ(device->ScanFrame.Gauge.Progress(), 0);
  EXPECT_EQ(platform.beeps, 0);
  EXPECT_TRUE(TakeCalls().empty());
}

TEST_F(HP4191Test, ATickShowsBothDisplaysAndFiresOnDataOnce) {
  device->Trigger();
  Tick();
  EXPECT_EQ(TakeCalls().front(), "Trigger(717)");
  EXPECT_EQ(sink->fired, (std::vector<int>{framework::kOnData}));
  EXPECT_EQ(device->Get_Text(), L"R  Ohm=+1.2345E+01\r\nX  Ohm=+5.4321E-01\r\nF MHz=1.000000");
  EXPECT_TRUE(TakeCalls().empty()) << "Text reads the panel, not the bus";
  EXPECT_EQ(platform.beeps, 0);
  Tick();
  EXPECT_EQ(sink->fired.size(), 1u) << "one trigger, one reading";

  driver.reply = "  NZN+1.0000E+02,ODN-4.5000E+01";
  device->Trigger();
  Tick();
  EXPECT_EQ(device->Get_Text(), L"|Z|  Ohm=+1.0000E+02\r\nFi Deg=-4.5000E+01\r\nF MHz=1.000000");
  EXPECT_EQ(platform.beeps, 1);
}

TEST_F(HP4191Test, TheLedIsLitForOneBlinkIntervalAfterEachTrigger) {
  EXPECT_FALSE(device->ALed.Value());
  EXPECT_FALSE(device->ALed.Blink());
  EXPECT_EQ(device->ALed.TrueColor(), toolkit::clRed);
  EXPECT_EQ(device->ALed.FalseColor(), 0x000080u);
  device->Trigger();
  EXPECT_TRUE(device->ALed.Value());
  EXPECT_TRUE(device->ALed.Blink());
  EXPECT_EQ(device->ALed.ShownPicture(), 0);
  platform.Advance(499);
  EXPECT_TRUE(device->ALed.Value());
  platform.Advance(1);
  EXPECT_FALSE(device->ALed.Value());
  EXPECT_FALSE(device->ALed.Blink());
  EXPECT_EQ(device->ALed.ShownPicture(), 1);
  EXPECT_EQ(device->ALed.BlinkTimer(), nullptr);

  platform.Advance(500);
  driver.results["Trigger"] = {hpib::Result::Timeout};
  EXPECT_THROW(device->Trigger(), core::Exception);
  EXPECT_FALSE(device->ALed.Value()) << "a failed trigger leaves the LED dark";
  EXPECT_FALSE(device->Timer.Enabled());
}

TEST_F(HP4191Test, TheLetterGeReachesTheHostAsCyrillic) {
  driver.reply = " NMN+9.0000E-01,NRN+1.0000E+00";
  device->Trigger();
  Tick();
  EXPECT_EQ(device->Get_Text(), L"|\u0413|=+9.0000E-01\r\nFi Rad=+1.0000E+00\r\nF MHz=1.000000");
}

TEST_F(HP4191Test, AFailedReadKeepsThePanelFiresNothingAndEndsFreeRunning) {
  device->Set_Text(L"SCANUP");
  device->Set_InternalTrigger(true);
  driver.results["Read"] = {hpib::Result::Timeout};
  Tick();
  EXPECT_EQ(platform.errors, (std::vector<std::wstring>{L"Critical HPIB driver error:\nHPIB timeout!"}));
  EXPECT_TRUE(sink->fired.empty());
  EXPECT_EQ(device->Get_Text(), L"R Ohm=+0.0000E+00\r\nX Ohm=+0.0000E+00\r\nF MHz=1.000000");
  EXPECT_TRUE(device->Get_InternalTrigger());
  Sent();
  platform.Advance(5000);
  EXPECT_TRUE(Sent().empty()) << "no step, no trigger";
}

TEST_F(HP4191Test, AnUpSweepStepsToItsInclusiveLimitAndGoesOnMeasuringThere) {
  Sweep(L"1", L"3", L"1.000000", L"1");
  device->Set_Text(L"ScanUp");
  device->Set_InternalTrigger(true);
  Sent();
  Tick();
  EXPECT_EQ(Sent(), (Commands{"FR2.0000EN"}));
  EXPECT_EQ(device->ScanFrame.Edit.Text(), L"2.0000");
  Tick();
  EXPECT_EQ(Sent(), (Commands{"FR3.0000EN"}));
  Tick();
  EXPECT_TRUE(Sent().empty());
  EXPECT_TRUE(device->Get_InternalTrigger());
  Tick();
  EXPECT_EQ(sink->fired.size(), 4u);
  EXPECT_TRUE(device->ScanFrame.UpSpeedButton.Down());
  EXPECT_EQ(device->ScanFrame.Edit.Text(), L"3.0000");
}

TEST_F(HP4191Test, WithAutoStopAnUpSweepEndsFreeRunningAtItsLimit) {
  Sweep(L"1", L"3", L"1.000000", L"1");
  device->Set_Text(L"autostop on");
  device->Set_Text(L"SCANUP");
  device->Set_InternalTrigger(true);
  Sent();
  for (int i = 0; i < 2; ++i) Tick();
  EXPECT_EQ(Sent(), (Commands{"FR2.0000EN", "FR3.0000EN"}));
  Tick();
  EXPECT_FALSE(device->Get_InternalTrigger());
  EXPECT_FALSE(device->Timer.Enabled());
  for (const std::string& call : TakeCalls()) EXPECT_NE(call.rfind("Trigger", 0), 0u) << "no trigger after the third reading";
  platform.Advance(5000);
  EXPECT_EQ(sink->fired.size(), 3u);
}

TEST_F(HP4191Test, ADownSweepTakesItsLowerLimitAndThenStops) {
  Sweep(L"1", L"1000", L"2", L"1");
  device->Set_Text(L"SCANDOWN");
  EXPECT_FALSE(device->ScanFrame.UpSpeedButton.Down());
  device->Set_Text(L"AUTOSTOP ON");
  device->Set_InternalTrigger(true);
  Sent();
  Tick();
  EXPECT_EQ(Sent(), (Commands{"FR1.0000EN"}));
  EXPECT_TRUE(device->Get_InternalTrigger());
  Tick();
  EXPECT_TRUE(Sent().empty());
  EXPECT_FALSE(device->Get_InternalTrigger());
  device->Set_Text(L"AUTOSTOP OFF");
  device->Set_InternalTrigger(true);
  Tick();
  EXPECT_TRUE(Sent().empty());
  EXPECT_TRUE(device->Get_InternalTrigger()) << "without AutoStop the limit only stops the frequency";
  device->Set_Text(L"SCANOFF");
  EXPECT_FALSE(device->ScanFrame.DownSpeedButton.Down());
}

// A sweep step whose frequency command fails, under each choice of the settings: unseen, and
// free-running ends, as always; with Log alone an error row besides; under Errors = Log an
// error row, and the step is tried again from the frequency the instrument is at.
TEST_F(HP4191Test, AFailedSweepStepEndsFreeRunningOrUnderErrorsLogIsTriedAgain) {
  RecordingOutput output;
  using Kinds = std::vector<std::string>;
  const struct {
    const char* settings;
    framework::Unattended unattended;
    bool running;
    const wchar_t* frequency;
    Commands later;
  } cases[] = {
      {"neither", {}, false, L"2.0000", {}},
      {"Log", {framework::ErrorHandling::Box, &output}, false, L"2.0000", {}},
      {"Errors = Log", {framework::ErrorHandling::Log, &output}, true, L"1.000000", {"FR2.0000EN", "FR3.0000EN"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.settings);
    MakeDevice();
    output.kinds.clear();
    framework::SetUnattended(c.unattended);
    Sweep(L"1", L"3", L"1.000000", L"1");
    device->Set_Text(L"SCANUP");
    device->Set_InternalTrigger(true);
    Sent();
    driver.results["Write"] = {hpib::Result::Timeout};
    Tick();
    EXPECT_EQ(Sent(), (Commands{"FR2.0000EN"}));
    EXPECT_EQ(output.kinds, c.unattended.output ? (Kinds{"reading", "error"}) : Kinds{});
    EXPECT_EQ(device->Get_InternalTrigger(), c.running);
    EXPECT_EQ(device->ScanFrame.Edit.Text(), c.frequency);
    platform.Advance(2000);
    EXPECT_EQ(Sent(), c.later) << "the retry sends the step again, then the next step follows its reading";
    EXPECT_EQ(sink->fired.size(), c.running ? 2u : 1u);
    EXPECT_TRUE(platform.errors.empty());
  }
}

// From equal to To: the sweep panel's rule would show its box at every step. In the control's
// own cycle under Errors = Log the box is an error row and the sweep goes on; a change made
// from outside the cycle, as a person types, still shows it.
TEST_F(HP4191Test, UnderErrorsLogThePanelsBoxInATickIsAnErrorRowAndOutsideItStillShows) {
  RecordingOutput output;
  framework::SetUnattended({framework::ErrorHandling::Log, &output});
  Sweep(L"3", L"3", L"1", L"1");
  platform.errors.clear();
  device->Set_Text(L"SCANUP");
  device->Set_InternalTrigger(true);
  Sent();
  Tick();
  EXPECT_EQ(Sent(), (Commands{"FR2.0000EN"}));
  EXPECT_TRUE(platform.errors.empty());
  EXPECT_EQ(output.kinds, (std::vector<std::string>{"reading", "error"}));
  EXPECT_EQ(output.debug, (std::vector<std::wstring>{L"Apparata.HP4191X at Port 17: Floating point division by zero"}));
  EXPECT_TRUE(device->Timer.Enabled()) << "triggered again";
  device->ScanFrame.Edit.SetText(L"2.5");
  EXPECT_EQ(platform.errors, (std::vector<std::wstring>{L"Floating point division by zero"}));
}

TEST_F(HP4191Test, AStepThatIsNoNumberEndsFreeRunningAfterTheReadingEvenWithoutASweep) {
  device->StepEdit.SetText(L"one");
  device->Set_InternalTrigger(true);
  Tick();
  EXPECT_EQ(sink->fired.size(), 1u);
  EXPECT_EQ(device->Get_Text().substr(0, 18), L"R  Ohm=+1.2345E+01");
  EXPECT_FALSE(device->Get_InternalTrigger());
  EXPECT_TRUE(platform.errors.empty());
  platform.Advance(5000);
  EXPECT_EQ(sink->fired.size(), 1u);
}

TEST_F(HP4191Test, WithACommaSeparatorTheFormsTextsStillReadAndCommandsUseThePoint) {
  platform.decimalSeparator = L',';
  device->StepEdit.SetText(L"0,5");
  device->Set_Text(L"SCANUP");
  device->Set_InternalTrigger(true);
  Sent();
  Tick();
  EXPECT_EQ(Sent(), (Commands{"FR1.5000EN"}));
  Tick();
  EXPECT_EQ(Sent(), (Commands{"FR2.0000EN"}));
  EXPECT_TRUE(device->Get_InternalTrigger());
  EXPECT_EQ(platform.beeps, 0);
}

TEST_F(HP4191Test, ControlWordsAreAppliedInAnyCaseAndNeverSent) {
  device->Set_Text(L"extendedoutput on");
  EXPECT_EQ(device->Get_Text(),
            L"R Ohm=+0.0000E+00\r\nX Ohm=+0.0000E+00\r\nF MHz=1.000000\r\nMin=1\r\nMax=1000\r\nStep=1.0000");
  device->Set_Text(L"EXTENDEDOUTPUT OFF");
  EXPECT_EQ(device->Get_Text(), L"R Ohm=+0.0000E+00\r\nX Ohm=+0.0000E+00\r\nF MHz=1.000000");
  device->Set_Text(L"scandown");
  EXPECT_TRUE(device->ScanFrame.DownSpeedButton.Down());
  device->Set_Text(L"ScanUp");
  EXPECT_TRUE(device->ScanFrame.UpSpeedButton.Down());
  EXPECT_FALSE(device->ScanFrame.DownSpeedButton.Down());
  EXPECT_TRUE(TakeCalls().empty());
}

TEST_F(HP4191Test, ModeCommandsSelectTheModeAndTheSubmenusFollow) {
  device->Set_Text(L"A3EN");
  EXPECT_EQ(Sent(), (Commands{"A3EN"}));
  EXPECT_EQ(Marks(device->ModeItems), "00100000");
  EXPECT_EQ(Submenus(), "110");
  device->Set_Text(L"a7en");
  EXPECT_EQ(Sent(), (Commands{"a7en"}));
  EXPECT_EQ(Marks(device->ModeItems), "00000010");
  EXPECT_EQ(Submenus(), "101");
  device->Set_Text(L"A4EN");
  EXPECT_EQ(Submenus(), "100");
  Sent();
  for (const wchar_t* bad : {L"A9EN", L"A0EN", L"AXEN", L"A"}) {
    EXPECT_THROW(device->Set_Text(bad), core::Exception) << bad;
    EXPECT_TRUE(Sent().empty()) << bad;
    EXPECT_EQ(Marks(device->ModeItems), "00010000") << bad;
  }
}

TEST_F(HP4191Test, BCommandsChooseTheAngleOrTheSchemeByMode) {
  device->Set_Text(L"B2EN");
  EXPECT_EQ(Marks(device->AngleItems), "01");
  device->Set_Text(L"A7EN");
  device->Set_Text(L"B2EN");
  EXPECT_EQ(Marks(device->SchemeItems), "0100");
  EXPECT_EQ(Marks(device->AngleItems), "01");
  device->Set_Text(L"B9EN");
  EXPECT_EQ(Marks(device->SchemeItems), "0100");
  device->Set_Text(L"A4EN");
  device->Set_Text(L"B1EN");
  EXPECT_EQ(Marks(device->AngleItems), "01");
  EXPECT_EQ(Marks(device->SchemeItems), "0100");
  EXPECT_EQ(Sent(), (Commands{"B2EN", "A7EN", "B2EN", "B9EN", "A4EN", "B1EN"}));
}

TEST_F(HP4191Test, FrequencyCommandsFollowOnTheFrequencyEditAndTheGauge) {
  device->Set_Text(L"FR12.5EN");
  EXPECT_EQ(Sent(), (Commands{"FR12.5EN"}));
  EXPECT_EQ(device->ScanFrame.Edit.Text(), L"12.5");
  EXPECT_EQ(device->ScanFrame.Gauge.Progress(), 1);
  device->Set_Text(L"fr500.5en");
  EXPECT_EQ(device->ScanFrame.Gauge.Progress(), 50);
  device->ScanFrame.Edit.SetText(L"7.25");
  device->ScanFrame.Edit.KeyDown(65);
  EXPECT_TRUE(Sent().size() == 1u) << "the fr500.5en only";
  device->ScanFrame.Edit.KeyDown(13);
  EXPECT_EQ(Sent(), (Commands{"FR7.25EN"}));
}

TEST_F(HP4191Test, MenuItemsSendTheirCommandsAndAClickOnTheSelectedOneKeepsIt) {
  device->ModeItems[6]->Click();
  device->SchemeItems[3]->Click();
  device->SchemeItems[3]->Click();
  device->ModeItems[0]->Click();
  device->AngleItems[1]->Click();
  EXPECT_EQ(Sent(), (Commands{"A7EN", "B4EN", "B4EN", "A1EN", "B2EN"}));
  EXPECT_EQ(Marks(device->ModeItems), "10000000");
  EXPECT_EQ(Marks(device->SchemeItems), "0001");
  EXPECT_EQ(Marks(device->AngleItems), "01");
  EXPECT_EQ(Submenus(), "110");
}

TEST_F(HP4191Test, ClearResetsThePanelAndSendsR0T3EN) {
  device->Set_Text(L"EXTENDEDOUTPUT ON");
  device->Set_Text(L"A8EN");
  device->Set_Text(L"B3EN");
  device->Set_Text(L"SCANUP");
  Sweep(L"5", L"50", L"7", L"2");
  device->ScanFrame.SpeedComboBox.UserSelect(1);
  TakeCalls();
  device->Clear();
  const Calls calls = TakeCalls();
  EXPECT_EQ(calls, (Calls{"Clear(717)", "Write(717,\"R0T3EN\",END)"})) << "the clear, then R0T3EN alone";
  EXPECT_EQ(device->Get_Text(),
            L"R Ohm=+0.0000E+00\r\nX Ohm=+0.0000E+00\r\nF MHz=1.0\r\nMin=1.0\r\nMax=1000.0\r\nStep=1.0");
  EXPECT_EQ(Marks(device->ModeItems), "10000000");
  EXPECT_EQ(Marks(device->AngleItems), "10");
  EXPECT_EQ(Marks(device->SchemeItems), "1000");
  EXPECT_EQ(Submenus(), "110");
  EXPECT_FALSE(device->ScanFrame.UpSpeedButton.Down());
  EXPECT_EQ(device->Timer.Interval(), 3000u) << "the speed stays";
}

TEST_F(HP4191Test, TheSpeedListSetsTheTimerInterval) {
  const unsigned intervals[] = {1000, 3000, 10000};
  for (int item : {2, 0, 1, 2}) {
    device->ScanFrame.SpeedComboBox.UserSelect(item);
    EXPECT_EQ(device->Timer.Interval(), intervals[item]);
  }
  device->ScanFrame.SpeedComboBox.UserSelect(-1);
  EXPECT_EQ(device->Timer.Interval(), 10000u);
}

TEST_F(HP4191Test, InactiveDisablesBothPanelsAndTheSubmenusButCommandsStillFollow) {
  device->Set_Text(L"A7EN");
  Sent();
  device->Set_Active(false);
  EXPECT_EQ(Submenus(), "000");
  for (toolkit::Control* c : std::initializer_list<toolkit::Control*>{
           &device->Panel, &device->StaticTextA, &device->StaticTextB1, &device->StepEdit, &device->ScanFrame,
           &device->ScanFrame.Edit, &device->ScanFrame.MinEdit, &device->ScanFrame.Gauge,
           &device->ScanFrame.UpSpeedButton, &device->ScanFrame.SpeedComboBox, &device->ALed})
    EXPECT_FALSE(c->Enabled()) << std::string(c->Name().begin(), c->Name().end());
  device->Set_Text(L"A2EN");
  device->Set_Text(L"FR3EN");
  device->Set_Text(L"AUTOSTOP ON");
  EXPECT_TRUE(Sent().empty());
  EXPECT_EQ(Marks(device->ModeItems), "01000000");
  EXPECT_EQ(Submenus(), "000");
  EXPECT_EQ(device->Get_Text(), L"R Ohm=+0.0000E+00\r\nX Ohm=+0.0000E+00\r\nF MHz=3");
  device->Set_Active(true);
  EXPECT_EQ(Submenus(), "110");
  EXPECT_TRUE(device->ScanFrame.Edit.Enabled());
  EXPECT_TRUE(device->StaticTextA.Enabled());
}

TEST_F(HP4191Test, AltSFocusesTheStepEdit) {
  device->Show();
  device->FocusAccelerator(L's');
  EXPECT_EQ(platform.focused, &device->StepEdit);
}

class HP4191DebugTest : public testing_support::DebugModeTest {};

TEST_F(HP4191DebugTest, SimulatedReadingsShowAsTheAnalyzerWould) {
  auto device = toolkit::CreateForm<THP4191Device>();
  device->InitializeForm();
  device->Set_Port(17);
  device->Trigger();
  platform.Advance(1000);
  EXPECT_EQ(device->Get_Text(), L"R  Ohm=+1.2305E+01\r\nX  Ohm=+5.4320E-01\r\nF MHz=1.000000");
  EXPECT_EQ(Lines()[3], L"Trigger address 717");
  EXPECT_EQ(Lines()[4], L"Read from 717:  NRN+1.2305E+01,NXN+5.4320E-01");
}

}  // namespace
