// The multimeter control on the headless platform: exact bytes on the bus, exact texts on the
// panel and to the host, the beep, and the tick's failure path.
#include "instruments/B740.h"

#include <gtest/gtest.h>

#include <tuple>

#include "LayerFixtures.h"

namespace {

using instruments::TB740Device;
using testing_support::Calls;

struct CountingSink : framework::EventSink {
  void Fire(int dispid) override { fired.push_back(dispid); }
  std::vector<int> fired;
};

class B740Test : public testing_support::DriverModeTest {
 protected:
  void SetUp() override {
    DriverModeTest::SetUp();
    device = toolkit::CreateForm<TB740Device>();
    device->InitializeForm();
    device->SetEventSink(sink);
    device->Set_Port(7);
    hpib::HPIBOpenCard(hpib::HPIBSelectCode);
    TakeCalls();
  }
  void TearDown() override {
    device.reset();
    DriverModeTest::TearDown();
  }
  // The text commands sent since the last look, as the meter received them.
  std::vector<std::string> Sent() {
    std::vector<std::string> commands;
    for (const std::string& call : TakeCalls())
      if (auto message = testing_support::RecordingBus::MessageIn(call, 707)) commands.push_back(*message);
    return commands;
  }
  int DownButton() const {
    int down = -1;
    for (int i = 0; i < 5; ++i)
      if (device->SpeedButtons[i]->Down()) {
        EXPECT_EQ(down, -1) << "two buttons down";
        down = i + 1;
      }
    return down;
  }

  std::shared_ptr<CountingSink> sink = std::make_shared<CountingSink>();
  toolkit::FormPtr<TB740Device> device;
};

using Commands = std::vector<std::string>;

TEST_F(B740Test, ThePanelStartsAsTheMeterShowsItAndSendsNothing) {
  EXPECT_EQ(device->DisplayStaticText.Caption(), L"+0.0000E+00");
  EXPECT_EQ(device->LabelStaticText.Caption(), L"R Ohm");
  EXPECT_EQ(device->Get_Text(), L"R Ohm=+0.0000E+00");
  EXPECT_EQ(DownButton(), 1);
  EXPECT_EQ(device->RangeTrackBar.Position(), 1);
  EXPECT_EQ(device->RangeTrackBar.Tag, 1);
  EXPECT_EQ(device->RangeTrackBar.Max(), 6);
  EXPECT_EQ(device->RangeLabel.Caption(), L"  Max        <=   &Range   =>        Min  Auto");
  EXPECT_EQ(device->Timer.Interval(), 300u);
  const wchar_t* captions[] = {L"U=", L"U~", L"R", L"I=", L"I~"};
  const int tags[] = {5, 6, 2, 1, 3};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(device->SpeedButtons[i]->Caption(), captions[i]);
    EXPECT_EQ(device->SpeedButtons[i]->Tag, tags[i]);
  }
  EXPECT_TRUE(TakeCalls().empty());
}

TEST_F(B740Test, ThePanelIsLaidOutAsTheMetersFrontPanel) {
  struct Place {
    toolkit::Control* control;
    toolkit::Control* parent;
    toolkit::Bounds bounds;
  };
  const Place places[] = {
      {&device->Panel, device.get(), {0, 0, 200, 34}},
      {&device->DisplayStaticText, &device->Panel, {4, 2, 155, 28}},
      {&device->LabelStaticText, &device->Panel, {164, 2, 30, 28}},
      {device->SpeedButtons[0], device.get(), {4, 38, 38, 18}},
      {device->SpeedButtons[1], device.get(), {42, 38, 38, 18}},
      {device->SpeedButtons[2], device.get(), {80, 38, 38, 18}},
      {device->SpeedButtons[3], device.get(), {118, 38, 38, 18}},
      {device->SpeedButtons[4], device.get(), {156, 38, 38, 18}},
      {&device->RangeTrackBar, device.get(), {0, 60, 200, 21}},
      {&device->RangeLabel, device.get(), {0, 84, 200, 13}},
  };
  for (const Place& place : places) {
    EXPECT_EQ(place.control->Parent(), place.parent) << place.control->Name();
    EXPECT_EQ(place.control->GetBounds(), place.bounds) << place.control->Name();
  }
  EXPECT_EQ(device->Panel.BevelOuter(), toolkit::BevelKind::None);
  EXPECT_EQ(device->Panel.GetColor(), toolkit::clBtnFace);

  const toolkit::Font value{L"Arial", -19, true, toolkit::clRed, toolkit::kCyrillicCharset};
  const toolkit::Font unit{L"MS Sans Serif", -11, true, toolkit::clRed, toolkit::kCyrillicCharset};
  for (auto [box, font, alignment] : {std::tuple{&device->DisplayStaticText, value, toolkit::Alignment::Center},
                                      std::tuple{&device->LabelStaticText, unit, toolkit::Alignment::Left}}) {
    EXPECT_EQ(box->Border(), toolkit::BorderStyle::Sunken) << box->Name();
    EXPECT_EQ(box->GetAlignment(), alignment) << box->Name();
    EXPECT_EQ(box->GetColor(), toolkit::clBlack) << box->Name();
    EXPECT_TRUE(box->GetFont() == font) << box->Name();
  }

  const toolkit::TrackBar& range = device->RangeTrackBar;
  EXPECT_EQ((std::vector<int>{range.Min(), range.Max(), range.PageSize, range.Frequency, range.ThumbLength}),
            (std::vector<int>{0, 6, 1, 1, 12}));
  EXPECT_TRUE(range.TicksBelow);
  EXPECT_EQ(device->RangeLabel.FocusControl(), &device->RangeTrackBar);
}

TEST_F(B740Test, FunctionButtonsSendTheirCommand) {
  const Commands expected[] = {{"F5E"}, {"F6E"}, {"F2E"}, {"F1E"}, {"F3E"}};
  for (int i = 4; i >= 0; --i) {
    device->SpeedButtons[i]->Click();
    EXPECT_EQ(Sent(), expected[i]) << "button " << i + 1;
    EXPECT_EQ(DownButton(), i + 1);
  }
}

TEST_F(B740Test, MovingTheRangeSendsItsCommandOnlyWhenItChanges) {
  device->RangeTrackBar.SetPosition(6);
  EXPECT_EQ(Sent(), (Commands{"B7E"}));
  device->RangeTrackBar.SetPosition(0);
  EXPECT_EQ(Sent(), (Commands{"B0E"}));
  device->RangeTrackBar.Tag = 4;
  device->RangeTrackBar.SetPosition(4);
  EXPECT_TRUE(Sent().empty()) << "the position the control last took";
  for (int p = 1; p <= 5; ++p) {
    device->RangeTrackBar.SetPosition(p);
    EXPECT_EQ(Sent(), (Commands{"B" + std::to_string(p) + "E"}));
  }
}

TEST_F(B740Test, HostCommandsAreMirroredAndSentAsWritten) {
  device->Set_Text(L"b3e");
  EXPECT_EQ(Sent(), (Commands{"b3e"}));
  EXPECT_EQ(device->RangeTrackBar.Position(), 3);
  device->Set_Text(L"B7E");
  EXPECT_EQ(Sent(), (Commands{"B7E"}));
  EXPECT_EQ(device->RangeTrackBar.Position(), 6);
  device->Set_Text(L"f1e");
  EXPECT_EQ(Sent(), (Commands{"f1e"}));
  EXPECT_EQ(DownButton(), 4);
  device->Set_Text(L"F2E");
  Sent();
  device->Set_Text(L"F4E");
  EXPECT_EQ(Sent(), (Commands{"F4E"}));
  EXPECT_EQ(DownButton(), 3) << "no button has function 4";
  device->Set_Text(L"D0E");
  EXPECT_EQ(Sent(), (Commands{"D0E"}));
  device->Set_Text(L"F");
  EXPECT_EQ(Sent(), (Commands{"F"}));
  EXPECT_EQ(DownButton(), 3);
}

TEST_F(B740Test, ARangeDigitBeyondTheTrackBarIsClampedAndThatMoveIsSent) {
  device->Set_Text(L"B9E");
  EXPECT_EQ(Sent(), (Commands{"B7E", "B9E"}));
  EXPECT_EQ(device->RangeTrackBar.Position(), 6);
  EXPECT_EQ(device->RangeTrackBar.Tag, 6);
}

TEST_F(B740Test, ARangeCommandWithoutADigitFailsAndChangesNothing) {
  for (const wchar_t* text : {L"BXE", L"B", L"b E"}) {
    try {
      device->Set_Text(text);
      ADD_FAILURE() << "accepted";
    } catch (const core::EConvertError& e) {
      const std::wstring second = std::wstring(text).size() > 1 ? std::wstring(1, std::towupper(text[1])) : L"";
      EXPECT_EQ(e.Message(), L"'" + second + L"' is not a valid integer value");
    }
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(device->RangeTrackBar.Position(), 1);
  }
}

TEST_F(B740Test, ATickReadsShowsAndThenFiresOnData) {
  driver.reply = "R +11357E-4";
  device->Trigger();
  platform.Advance(300);
  EXPECT_EQ(TakeCalls(), (Calls{"Trigger(707)", "Read(707)"}));
  EXPECT_EQ(sink->fired, (std::vector<int>{framework::kOnData}));
  EXPECT_EQ(device->Get_Text(), L"R     kOm=+11357E-4");
  EXPECT_EQ(device->Get_Text(), L"R     kOm=+11357E-4");
  EXPECT_TRUE(TakeCalls().empty()) << "Text reads the panel, not the bus";
  EXPECT_EQ(platform.beeps, 0);
}

TEST_F(B740Test, APInTheSecondColumnBeepsOnce) {
  driver.reply = "UP+1.2345E0";
  device->Trigger();
  platform.Advance(300);
  EXPECT_EQ(platform.beeps, 1);
  EXPECT_EQ(device->Get_Text(), L"Udc V=+1.2345E0");
}

TEST_F(B740Test, AnEmptyReplyShowsUnknownUnitAndBlanks) {
  driver.reply = "";
  device->Trigger();
  platform.Advance(300);
  EXPECT_EQ(device->Get_Text(), L"?\?\?\?=         ");
  EXPECT_EQ(platform.beeps, 0);
}

TEST_F(B740Test, AFailedReadLeavesThePanelFiresNothingAndStopsFreeRunning) {
  driver.reply = "R +11357E-4";
  device->Set_InternalTrigger(true);
  platform.Advance(300);
  ASSERT_EQ(sink->fired.size(), 1u);
  driver.results["Read"] = {hpib::Result::Timeout};
  platform.Advance(300);
  EXPECT_EQ(sink->fired.size(), 1u);
  EXPECT_EQ(platform.errors, (std::vector<std::wstring>{L"Critical HPIB driver error:\nHPIB timeout!"}));
  EXPECT_EQ(device->Get_Text(), L"R     kOm=+11357E-4");
  EXPECT_FALSE(device->Timer.Enabled());
  EXPECT_TRUE(device->Get_InternalTrigger());
  platform.Advance(3000);
  EXPECT_EQ(sink->fired.size(), 1u);
}

TEST_F(B740Test, ClearResetsThePanelAndSendsD0E) {
  device->SpeedButtons[2]->Click();
  device->RangeTrackBar.SetPosition(4);
  TakeCalls();
  device->Clear();
  const Calls calls = TakeCalls();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.front(), "Clear(707)");
  EXPECT_EQ(DownButton(), 1);
  EXPECT_EQ(device->RangeTrackBar.Position(), 1);
  EXPECT_EQ(device->RangeTrackBar.Tag, 1);
  EXPECT_EQ(calls, (Calls{"Clear(707)", "Write(707,\"D0E\",END)"})) << "no range command";
}

TEST_F(B740Test, InactiveDisablesThePanelAndSendsNothing) {
  device->Set_Active(false);
  for (toolkit::Control* c : std::initializer_list<toolkit::Control*>{
           &device->Panel, &device->DisplayStaticText, &device->LabelStaticText, device->SpeedButtons[0],
           device->SpeedButtons[4], &device->RangeTrackBar, &device->RangeLabel})
    EXPECT_FALSE(c->Enabled()) << std::string(c->Name().begin(), c->Name().end());
  device->Set_Text(L"F2E");
  EXPECT_TRUE(Sent().empty());
  EXPECT_EQ(DownButton(), 3) << "the mirroring still runs";
  device->Set_Active(true);
  EXPECT_TRUE(device->SpeedButtons[4]->Enabled());
  EXPECT_TRUE(device->RangeTrackBar.Enabled());
}

class B740DebugTest : public testing_support::DebugModeTest {};

TEST_F(B740DebugTest, SimulatedReadingsShowAsTheMeterWould) {
  auto device = toolkit::CreateForm<TB740Device>();
  device->InitializeForm();
  device->Set_Port(7);
  device->Set_InternalTrigger(true);
  for (int i = 0; i < 4; ++i) {
    platform.Advance(300);
    const std::wstring text = device->Get_Text();
    ASSERT_EQ(text.size(), 19u) << text.c_str();
    EXPECT_EQ(text.substr(0, 15), L"R     kOm=+1135");
    EXPECT_TRUE(text[15] >= L'0' && text[15] <= L'8') << text.c_str();
    EXPECT_EQ(text.substr(16), L"E-4");
  }
  EXPECT_EQ(Lines()[0], L"Card #7 opened");
  EXPECT_EQ(Lines()[3], L"Trigger address 707");
  EXPECT_EQ(Lines()[4], L"Read from 707: R +11350E-4");
  EXPECT_EQ(platform.beeps, 0);
  device->Set_Active(false);
}

}  // namespace
