// The LCR meter control on the headless platform: exact bytes on the bus, what the panel
// mirrors, the two-request tick and where a failure leaves it.
#include "instruments/E712.h"

#include <gtest/gtest.h>

#include "LayerFixtures.h"

namespace {

using instruments::TE712Device;
using testing_support::Calls;

struct CountingSink : framework::EventSink {
  void Fire(int dispid) override { fired.push_back(dispid); }
  std::vector<int> fired;
};

class E712Test : public testing_support::DriverModeTest {
 protected:
  void SetUp() override {
    DriverModeTest::SetUp();
    device = toolkit::CreateForm<TE712Device>();
    device->SetEventSink(sink);
    device->Set_Port(3);
    hpib::HPIBOpenCard(hpib::HPIBSelectCode);
    TakeCalls();
  }
  void TearDown() override {
    device.reset();
    DriverModeTest::TearDown();
  }
  int CheckedMode() const {
    int checked = -1;
    for (int i = 0; i < 4; ++i)
      if (device->ModeItems[i]->Checked()) checked = checked == -1 ? i : -2;
    return checked;
  }

  std::shared_ptr<CountingSink> sink = std::make_shared<CountingSink>();
  toolkit::FormPtr<TE712Device> device;
};

Calls Byte(int byte) { return {"Write(703," + testing_support::RecordingBus::Quoted(std::string(1, static_cast<char>(byte))) + ")"}; }

TEST_F(E712Test, ModeItemsAndRangeMovesSendTheirByte) {
  EXPECT_TRUE(device->PopupMenu.Items().Items()[6]->IsSeparator());
  EXPECT_EQ(device->PopupMenu.Items().Items()[7], &device->ModeMenu);
  for (int mode : {3, 1, 1}) {
    device->ModeItems[mode]->Click();
    EXPECT_EQ(TakeCalls(), Byte(mode));
    EXPECT_EQ(CheckedMode(), mode);
  }
  for (const auto& [position, calls] : {std::pair{5, Byte(0x20)}, {0, Byte(0x2A)}, {0, Calls{}}}) {
    device->RangeTrackBar.SetPosition(position);
    EXPECT_EQ(TakeCalls(), calls) << position;
  }
}

TEST_F(E712Test, HostWritesAreMirroredAndSentAsWritten) {
  const Calls text44{"Write(703,\"44\",END)"};
  const struct {
    const wchar_t* text;
    Calls calls;
    int mode, position;
  } cases[] = {{L"$20", Byte(0x20), 0, 5}, {L"$2C", Byte(0x2C), 0, 2}, {L"$03", Byte(3), 3, 2},
               {L"$2a", Byte(0x2A), 3, 0},  {L"44", text44, 3, 2},       {L"$38", Byte(0x38), 3, 2}};
  for (const auto& c : cases) {
    device->Set_Text(c.text);
    EXPECT_EQ(TakeCalls(), c.calls) << c.text;
    EXPECT_EQ(CheckedMode(), c.mode) << c.text;
    EXPECT_EQ(device->RangeTrackBar.Position(), c.position) << c.text;
    EXPECT_EQ(device->RangeTrackBar.Tag, c.position) << c.text;
  }
  EXPECT_THROW(device->Set_Text(L"C+G"), core::EConvertError);
  EXPECT_TRUE(TakeCalls().empty());
  EXPECT_EQ(CheckedMode(), 3);
}

TEST_F(E712Test, ATickAsksForBothValuesShowsThemAndThenFiresOnData) {
  EXPECT_EQ(device->Get_Text(), L"L=+0.0000E+00\r\nD=+0.0000E+00");
  driver.reply = "2.5723E+1 D";
  device->Trigger();
  platform.Advance(300);
  Calls expected{"Trigger(703)"};
  for (int byte : {0x38, 0x30}) {
    for (const std::string& call : Byte(byte)) expected.push_back(call);
    expected.push_back("Read(703)");
  }
  EXPECT_EQ(TakeCalls(), expected);
  EXPECT_EQ(sink->fired, (std::vector<int>{framework::kOnData}));
  EXPECT_EQ(device->Get_Text(), L"D=2.5723E+1 \r\nD=2.5723E+1 ");
  EXPECT_TRUE(TakeCalls().empty()) << "Text reads the panel, not the bus";
}

TEST_F(E712Test, AFailureInTheTickStopsThereWithoutOnDataAndEndsFreeRunning) {
  constexpr auto kSuccess = hpib::Result::Success, kTimeout = hpib::Result::Timeout;
  const struct {
    const char* entry;
    std::deque<hpib::Result> results;
    const wchar_t* text;
  } cases[] = {{"Write", {kTimeout}, L"L=+0.0000E+00\r\nD=+0.0000E+00"},
               {"Read", {kTimeout}, L"L=+0.0000E+00\r\nD=+0.0000E+00"},
               {"Write", {kSuccess, kTimeout}, L"C=2.5000E-9 \r\nD=+0.0000E+00"},
               {"Read", {kSuccess, kTimeout}, L"C=2.5000E-9 \r\nD=+0.0000E+00"}};
  driver.reply = "2.5000E-9 C";
  for (const auto& c : cases) {
    auto lcr = toolkit::CreateForm<TE712Device>();
    auto events = std::make_shared<CountingSink>();
    lcr->SetEventSink(events);
    lcr->Set_Port(3);
    lcr->Set_InternalTrigger(true);
    driver.results[c.entry] = c.results;
    platform.Advance(3000);
    EXPECT_EQ(lcr->Get_Text(), c.text) << c.entry << c.results.size();
    EXPECT_EQ(platform.errors, (std::vector<std::wstring>{L"Critical HPIB driver error:\nHPIB timeout!"}));
    EXPECT_TRUE(events->fired.empty());
    EXPECT_TRUE(lcr->Get_InternalTrigger());
    platform.errors.clear();
  }
}

TEST_F(E712Test, ClearRestoresTheRangeOnlyAndInactiveLeavesTheModeItemsEnabled) {
  device->ModeItems[2]->Click();
  device->RangeTrackBar.SetPosition(5);
  TakeCalls();
  device->Clear();
  EXPECT_EQ(TakeCalls(), (Calls{"Clear(703)"}));
  EXPECT_EQ(device->RangeTrackBar.Position(), 2);
  EXPECT_EQ(device->RangeTrackBar.Tag, 2);
  EXPECT_EQ(CheckedMode(), 2);

  device->Set_Active(false);
  for (toolkit::Control* c : std::initializer_list<toolkit::Control*>{
           &device->Panel, &device->DisplayAStaticText, &device->LabelAStaticText, &device->DisplayBStaticText,
           &device->LabelBStaticText, &device->RangeTrackBar, &device->RangeLabel})
    EXPECT_FALSE(c->Enabled()) << std::string(c->Name().begin(), c->Name().end());
  device->ModeItems[1]->Click();
  EXPECT_EQ(CheckedMode(), 1);
  EXPECT_TRUE(TakeCalls().empty()) << "offline";
}

}  // namespace
