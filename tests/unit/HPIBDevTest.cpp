// The base instrument control: its bus steps in exact driver traces, its switches, the
// measurement cycle on the virtual clock, the events and every failure path.
#include "framework/HPIBDev.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "LayerFixtures.h"

namespace {

using framework::THPIBDevice;
using testing_support::Calls;

struct RecordingSink : framework::EventSink {
  void Fire(int dispid) override {
    fired.push_back(dispid);
    if (onFire) onFire(dispid);
  }
  std::vector<int> fired;
  std::function<void(int)> onFire;
};

const Calls kOpening{"Open(7)", "Reset(7)", "Timeout(7,3)"};

Calls Then(Calls first, const Calls& more) {
  first.insert(first.end(), more.begin(), more.end());
  return first;
}

class HPIBDevTest : public testing_support::DriverModeTest {
 protected:
  void SetUp() override {
    DriverModeTest::SetUp();
    device = toolkit::CreateForm<THPIBDevice>();
    device->InitializeForm();
    device->SetEventSink(sink);
  }
  void TearDown() override {
    device.reset();
    DriverModeTest::TearDown();
  }
  // Opens the card as the first bus step would, so that a test sees only its own calls.
  void OpenCard() {
    hpib::HPIBOpenCard(hpib::HPIBSelectCode);
    TakeCalls();
  }
  std::wstring ErrorOf(const std::function<void()>& call) {
    try {
      call();
    } catch (const core::Exception& e) {
      return e.Message();
    }
    return L"(no error)";
  }

  std::shared_ptr<RecordingSink> sink = std::make_shared<RecordingSink>();
  toolkit::FormPtr<THPIBDevice> device;
};

TEST_F(HPIBDevTest, StartsActiveIdleOnPortZeroWithTheBaseMenu) {
  EXPECT_TRUE(device->Get_Active());
  EXPECT_FALSE(device->Get_InternalTrigger());
  EXPECT_EQ(device->Get_Port(), 0);
  EXPECT_FALSE(device->Timer.Enabled());
  EXPECT_EQ(device->Timer.Interval(), 1000u);
  std::vector<std::wstring> captions;
  for (auto* item : device->PopupMenu.Items().Items()) captions.push_back(item->Caption());
  EXPECT_EQ(captions, (std::vector<std::wstring>{L"Internal Trigger", L"Active", L"-", L"Local Control", L"Clear", L"Trigger"}));
  EXPECT_EQ(device->ContextMenu, &device->PopupMenu);
  EXPECT_TRUE(TakeCalls().empty()) << "the card opens at the first bus step, not at creation";
}

TEST_F(HPIBDevTest, FirstBusStepOpensTheCardAndLaterStepsDoNot) {
  device->Set_Port(7);
  device->Trigger();
  device->Trigger();
  EXPECT_EQ(TakeCalls(), Then(kOpening, {"Trigger(707)", "Trigger(707)"}));
}

TEST_F(HPIBDevTest, PortZeroSendsTextToSevenHundredAndCommandsToTheInterface) {
  device->Set_Text(L"X");
  device->Get_Text();
  device->Clear();
  device->Trigger();
  device->LocalControlItem.Click();
  EXPECT_EQ(TakeCalls(), Then(kOpening, {"Write(700,\"X\",END)", "Read(700)", "Clear(7)", "Trigger(7)",
                                         "Local(7)"}));
}

TEST_F(HPIBDevTest, TextReadReturnsTheReplyPaddedTo250Characters) {
  device->Set_Port(3);
  driver.reply = "2.0723E+1 D";
  const std::wstring text = device->Get_Text();
  EXPECT_EQ(text, L"2.0723E+1 D" + std::wstring(239, L' '));
  driver.reply = "";
  EXPECT_EQ(device->Get_Text(), std::wstring(250, L' '));
}

TEST_F(HPIBDevTest, TextReadKeepsEveryByteValue) {
  device->Set_Port(3);
  driver.reply = std::string("\xC3\x01\x7F\xFF", 4);
  EXPECT_EQ(device->Get_Text().substr(0, 5), (std::wstring{L'\xC3', L'\x01', L'\x7F', L'\xFF', L' '}));
}

TEST_F(HPIBDevTest, DollarFormSendsOneByteAndOtherLengthsSendText) {
  device->Set_Port(3);
  OpenCard();
  device->Set_Text(L"$41");
  EXPECT_EQ(TakeCalls(), (Calls{"Write(703,\"A\")"}));
  device->Set_Text(L"$ff");
  EXPECT_EQ(TakeCalls(), (Calls{"Write(703,\"\\xff\")"}));
  device->Set_Text(L"$4");
  EXPECT_EQ(TakeCalls(), (Calls{"Write(703,\"$4\",END)"}));
  device->Set_Text(L"$410");
  EXPECT_EQ(TakeCalls(), (Calls{"Write(703,\"$410\",END)"}));
}

TEST_F(HPIBDevTest, DollarFormWithoutHexDigitsFailsAndSendsNothing) {
  device->Set_Port(3);
  device->Set_Text(L"X");  // opens the card first
  TakeCalls();
  EXPECT_EQ(ErrorOf([&] { device->Set_Text(L"$G1"); }), L"'$G1' is not a valid integer value");
  EXPECT_EQ(ErrorOf([&] { device->Set_Text(L"$-1"); }), L"'$-1' is not a valid integer value");
  EXPECT_TRUE(TakeCalls().empty());
}

TEST_F(HPIBDevTest, TextWriteSendsAtMost250CharactersAndMapsWideCharactersToQuestionMarks) {
  EXPECT_EQ(framework::RawCommand(std::wstring(300, L'a')), std::string(250, 'a'));
  EXPECT_EQ(framework::RawCommand(std::wstring(250, L'a')), std::string(250, 'a'));
  device->Set_Port(3);
  OpenCard();
  device->Set_Text(std::wstring(300, L'a'));
  EXPECT_EQ(driver.sent, std::string(249, 'a'));
  device->Set_Text(L"\x0413\x00E9");
  EXPECT_EQ(driver.sent, "?\xE9");
  device->Set_Text(std::wstring(L"F2E\0D0E", 7));
  EXPECT_EQ(driver.sent, std::string("F2E\0D0E", 7)) << "a NUL goes to the instrument as it is";
}

TEST_F(HPIBDevTest, TextWhileInactiveStillOpensTheCardButTouchesNothingElse) {
  device->Set_Active(false);
  EXPECT_EQ(device->Get_Text(), L"");
  device->Set_Text(L"$G1");
  EXPECT_EQ(TakeCalls(), kOpening);
}

TEST_F(HPIBDevTest, InactiveSwitchesOffTheCommandsAndTheFreeRunning) {
  device->Set_Port(7);
  device->Set_InternalTrigger(true);
  EXPECT_TRUE(device->Timer.Enabled());
  device->Set_Active(false);
  EXPECT_FALSE(device->Get_Active());
  EXPECT_FALSE(device->Get_InternalTrigger());
  EXPECT_FALSE(device->Timer.Enabled());
  for (auto* item : {&device->LocalControlItem, &device->ClearItem, &device->TriggerItem, &device->InternalTriggerItem})
    EXPECT_FALSE(item->Enabled()) << std::string(item->Caption().begin(), item->Caption().end());
  TakeCalls();
  device->Trigger();
  device->Clear();
  device->Set_InternalTrigger(true);
  EXPECT_FALSE(device->Get_InternalTrigger());
  platform.Advance(5000);
  EXPECT_TRUE(TakeCalls().empty());
  EXPECT_EQ(sink->fired, (std::vector<int>{}));

  device->Set_Active(true);
  EXPECT_FALSE(device->Get_InternalTrigger());
  EXPECT_TRUE(device->TriggerItem.Enabled());
  platform.Advance(5000);
  EXPECT_TRUE(TakeCalls().empty()) << "switching on again does not resume free-running";
}

TEST_F(HPIBDevTest, OneTriggerBringsOneTickAndOneOnData) {
  device->Set_Port(7);
  device->Trigger();
  EXPECT_TRUE(device->Timer.Enabled());
  platform.Advance(999);
  EXPECT_TRUE(sink->fired.empty());
  platform.Advance(1);
  EXPECT_EQ(sink->fired, (std::vector<int>{framework::kOnData}));
  EXPECT_FALSE(device->Timer.Enabled());
  platform.Advance(10000);
  EXPECT_EQ(sink->fired.size(), 1u);
}

using testing_support::RecordingOutput;

TEST_F(HPIBDevTest, UnderErrorsLogAFailingReTriggerShowsNoBoxAndTriesAgainLessOftenUntilItWorks) {
  RecordingOutput output;
  framework::SetUnattended({framework::ErrorHandling::Log, &output});
  device->SetProgId(L"Apparata.Base");
  device->Set_Port(7);
  driver.results["Trigger"] = {hpib::Result::Success, hpib::Result::Timeout, hpib::Result::Timeout, hpib::Result::Timeout, hpib::Result::Success};
  device->Set_InternalTrigger(true);
  TakeCalls();
  // Each wait after an error, and whether a trigger ends it: an hour's worth of retries of a
  // switched-off instrument costs a handful of bus operations, not one per interval.
  const struct {
    std::uint64_t wait;
    bool triggers;
  } steps[] = {{1000, true}, {999, false}, {1, true}, {1999, false}, {1, true}, {3999, false}, {1, true}};
  for (const auto& step : steps) {
    platform.Advance(step.wait);
    const Calls calls = TakeCalls();
    EXPECT_EQ(step.triggers, std::count(calls.begin(), calls.end(), "Trigger(707)") == 1) << step.wait;
  }
  platform.Advance(1000);
  framework::SetUnattended({});
  EXPECT_TRUE(platform.errors.empty());
  EXPECT_EQ(sink->fired, (std::vector<int>{framework::kOnData, framework::kOnData}));
  EXPECT_TRUE(device->Get_InternalTrigger());
  EXPECT_EQ(output.kinds, (std::vector<std::string>{"reading", "error", "error", "error", "reading"}));
  ASSERT_EQ(3u, output.debug.size());
  EXPECT_EQ(L"Apparata.Base at Port 7: Critical HPIB driver error:\nHPIB timeout!", output.debug[0]);
}

// A retry that is pending when the user or the host ends free-running, or takes a reading of
// its own, triggers nothing.
TEST_F(HPIBDevTest, APendingRetryEndsWithActiveOffInternalTriggerOffOrAHostsTrigger) {
  RecordingOutput output;
  framework::SetUnattended({framework::ErrorHandling::Log, &output});
  device->Set_Port(7);
  const std::pair<const char*, std::function<void()>> cases[] = {
      {"Active off", [&] { device->Set_Active(false); }},
      {"InternalTrigger off", [&] { device->Set_InternalTrigger(false); }},
      {"a host's Trigger", [&] { device->Trigger(); }},
  };
  for (const auto& [name, end] : cases) {
    device->Set_Active(true);
    driver.results["Trigger"] = {hpib::Result::Success, hpib::Result::Timeout};
    device->Set_InternalTrigger(true);
    platform.Advance(1500);  // the reading, its re-trigger failing, the retry due in 1000 ms
    ASSERT_EQ(output.kinds.back(), "error") << name;
    end();
    TakeCalls();
    platform.Advance(900);
    const Calls calls = TakeCalls();
    EXPECT_EQ(0, std::count(calls.begin(), calls.end(), "Trigger(707)")) << name;
    device->Set_InternalTrigger(false);
    platform.Advance(2000);
  }
  framework::SetUnattended({});
}

TEST_F(HPIBDevTest, TriggerWhileATickIsPendingKeepsTheTicksTime) {
  device->Set_Port(7);
  device->Trigger();
  platform.Advance(600);
  device->Trigger();
  EXPECT_EQ(platform.NextTick(device->Timer), 1000u);
  platform.Advance(400);
  EXPECT_EQ(sink->fired.size(), 1u);
  platform.Advance(5000);
  EXPECT_EQ(sink->fired.size(), 1u);
  EXPECT_EQ(TakeCalls(), Then(kOpening, {"Trigger(707)", "Trigger(707)"}));
}

TEST_F(HPIBDevTest, FreeRunningTriggersAgainAfterEachOnData) {
  device->Set_Port(7);
  std::vector<std::string> order;
  sink->onFire = [&](int dispid) {
    if (dispid == framework::kOnData) order.push_back("OnData after " + std::to_string(driver.calls.size()) + " calls");
  };
  device->Set_InternalTrigger(true);
  platform.Advance(3000);
  EXPECT_EQ(sink->fired.size(), 3u);
  EXPECT_EQ(order, (std::vector<std::string>{"OnData after 4 calls", "OnData after 5 calls", "OnData after 6 calls"}));
  device->Set_InternalTrigger(false);
  platform.Advance(3000);
  EXPECT_EQ(sink->fired.size(), 4u) << "the measurement already triggered still ends with OnData";
  EXPECT_FALSE(device->Timer.Enabled());
}

TEST_F(HPIBDevTest, InternalTriggerPutTrueTriggersEveryTime) {
  device->Set_Port(7);
  device->Set_InternalTrigger(true);
  device->Set_InternalTrigger(true);
  EXPECT_EQ(TakeCalls(), Then(kOpening, {"Trigger(707)", "Trigger(707)"}));
}

TEST_F(HPIBDevTest, MenuItemsToggleTheirSwitchesThroughTheOperations) {
  device->Set_Port(7);
  device->InternalTriggerItem.Click();
  EXPECT_TRUE(device->Get_InternalTrigger());
  device->InternalTriggerItem.Click();
  EXPECT_FALSE(device->Get_InternalTrigger());
  device->ActiveItem.Click();
  EXPECT_FALSE(device->Get_Active());
  device->ActiveItem.Click();
  EXPECT_TRUE(device->Get_Active());
}

TEST_F(HPIBDevTest, ABusErrorReachesTheCallerClosesTheCardAndTheNextStepReopensIt) {
  device->Set_Port(7);
  device->Trigger();
  TakeCalls();
  driver.results["Trigger"] = {hpib::Result::Timeout};
  EXPECT_EQ(ErrorOf([&] { device->Trigger(); }), L"Critical HPIB driver error:\nHPIB timeout!");
  EXPECT_FALSE(hpib::HPIBIsOpen());
  EXPECT_EQ(TakeCalls(), (Calls{"Trigger(707)", "Close()"}));
  device->Clear();
  EXPECT_EQ(TakeCalls(), Then(kOpening, {"Clear(707)"}));
}

// A failing bus operation at each step of each bus operation: the exact message reaches the
// caller, the card is closed, and the next bus step opens it again.
TEST_F(HPIBDevTest, EveryStepOfEveryOperationFailsCleanly) {
  struct Operation {
    const char* name;
    std::function<void(THPIBDevice&)> run;
    std::vector<const char*> steps;  // operations whose failure the operation reports
  };
  const std::vector<Operation> operations = {
      {"Text read", [](THPIBDevice& d) { d.Get_Text(); }, {"Reset", "Timeout", "Read"}},
      {"Text write", [](THPIBDevice& d) { d.Set_Text(L"F5E"); }, {"Reset", "Timeout", "Write"}},
      {"byte write", [](THPIBDevice& d) { d.Set_Text(L"$38"); }, {"Reset", "Timeout", "Write"}},
      {"Trigger", [](THPIBDevice& d) { d.Trigger(); }, {"Reset", "Timeout", "Trigger"}},
      {"Clear", [](THPIBDevice& d) { d.Clear(); }, {"Reset", "Timeout", "Clear"}},
      {"Local", [](THPIBDevice& d) { d.LocalControlItem.Click(); }, {"Reset", "Timeout", "Local"}},
  };
  device->Set_Port(7);
  for (const auto& op : operations) {
    for (const char* step : op.steps) {
      hpib::HPIBClose();
      TakeCalls();
      driver.results[step] = {hpib::Result::InvalidAddress};
      EXPECT_EQ(ErrorOf([&] { op.run(*device); }), L"Critical HPIB driver error:\nInvalid HPIB select code or device address!")
          << op.name << " failing at " << step;
      Calls calls = TakeCalls();
      ASSERT_FALSE(calls.empty());
      EXPECT_EQ(calls.back(), "Close()") << op.name << " failing at " << step;
      EXPECT_EQ(calls[calls.size() - 2].rfind(step, 0), 0u) << op.name << " failing at " << step;
      EXPECT_FALSE(hpib::HPIBIsOpen());
      device->LocalControlItem.Click();
      EXPECT_EQ(TakeCalls(), Then(kOpening, {"Local(707)"})) << op.name << " after " << step;
    }
  }
}

TEST_F(HPIBDevTest, OpenFailureIsNotExaminedButTheResetIs) {
  device->Set_Port(7);
  driver.results["Open"] = {hpib::Result::CannotOpenCard};
  device->Trigger();
  EXPECT_EQ(TakeCalls(), Then(kOpening, {"Trigger(707)"}));
}

TEST_F(HPIBDevTest, AFailedTriggerInATickStopsFreeRunningButKeepsTheCheckMark) {
  device->Set_Port(7);
  device->Set_InternalTrigger(true);
  driver.results["Trigger"] = {hpib::Result::Timeout};
  platform.Advance(1000);
  EXPECT_EQ(sink->fired.size(), 1u);
  EXPECT_EQ(platform.errors, (std::vector<std::wstring>{L"Critical HPIB driver error:\nHPIB timeout!"}));
  EXPECT_TRUE(device->Get_InternalTrigger());
  EXPECT_FALSE(device->Timer.Enabled());
  platform.Advance(5000);
  EXPECT_EQ(sink->fired.size(), 1u);
  device->Trigger();
  platform.Advance(2000);
  EXPECT_EQ(sink->fired.size(), 3u) << "the next successful trigger resumes free-running";
}

TEST_F(HPIBDevTest, InternalTriggerPutFailsWhenItsTriggerFailsAndKeepsTheMark) {
  device->Set_Port(7);
  driver.results["Reset"] = {hpib::Result::UnknownError};
  EXPECT_EQ(ErrorOf([&] { device->Set_InternalTrigger(true); }), L"Critical HPIB driver error:\nUnknown HPIB error!");
  EXPECT_TRUE(device->Get_InternalTrigger());
  EXPECT_FALSE(device->Timer.Enabled());
}

TEST_F(HPIBDevTest, AddressesThatOverflowOrDoNotFitFail) {
  device->Set_Port(2147483000);
  EXPECT_EQ(ErrorOf([&] { device->Trigger(); }), L"Integer overflow");
  EXPECT_EQ(TakeCalls(), kOpening);
  // Addresses a driver cannot carry reach the back end as computed: refusing them is its part.
  device->Set_Port(64836);
  device->Trigger();
  device->Set_Port(-1000);
  device->Get_Text();
  EXPECT_EQ(TakeCalls(), (Calls{"Trigger(65536)", "Read(-300)"}));
  EXPECT_EQ(device->Get_Port(), -1000);
}

TEST_F(HPIBDevTest, OnCreateComesWithTheFirstShowWhileASinkIsConnected) {
  device->SetEventSink(nullptr);
  device->Show();
  EXPECT_TRUE(sink->fired.empty());
  device->Hide();
  device->SetEventSink(sink);
  device->Show();
  device->Hide();
  device->Show();
  EXPECT_EQ(sink->fired, (std::vector<int>{framework::kOnCreate}));
}

TEST_F(HPIBDevTest, OnDestroyFiresWhileASinkIsConnected) {
  device.reset();
  EXPECT_EQ(sink->fired, (std::vector<int>{framework::kOnDestroy}));
  auto other = toolkit::CreateForm<THPIBDevice>();
  other.reset();
  EXPECT_EQ(sink->fired.size(), 1u);
}

TEST_F(HPIBDevTest, AHandlerMayDisconnectItsSinkDuringTheEvent) {
  device->Set_Port(7);
  std::weak_ptr<RecordingSink> weak = sink;
  sink->onFire = [&](int) { device->SetEventSink(nullptr); };
  sink.reset();
  device->Trigger();
  platform.Advance(1000);
  EXPECT_TRUE(weak.expired());
}

TEST_F(HPIBDevTest, OnDataHandlerCanTriggerAgainInsideTheTick) {
  device->Set_Port(7);
  sink->onFire = [&](int dispid) {
    if (dispid == framework::kOnData) device->Trigger();
  };
  device->Set_InternalTrigger(true);
  TakeCalls();
  platform.Advance(1000);
  EXPECT_EQ(TakeCalls(), (Calls{"Trigger(707)", "Trigger(707)"})) << "the host's and the tick's";
}

// Owns a control as the server does: by reference, destroying it when the host lets go and no
// step of it is running, else when the last step ends.
class Host final : public toolkit::FormKeeper {
 public:
  explicit Host(toolkit::FormPtr<THPIBDevice> form) : form_(std::move(form)) { form_->SetKeeper(this); }
  THPIBDevice& Form() { return *form_; }
  bool Destroyed() const { return !form_; }
  void LetGo() {
    if (holds_ == 0) return form_.reset();
    form_->MarkClosed();
    closed_ = true;
  }
  void Retain() noexcept override { ++holds_; }
  void Relinquish() noexcept override {
    if (--holds_ == 0 && closed_) form_.reset();
  }

 private:
  toolkit::FormPtr<THPIBDevice> form_;
  int holds_ = 0;
  bool closed_ = false;
};

TEST_F(HPIBDevTest, AHostLettingGoInsideAnEventEndsTheStepThereAndFreesTheControlAfterIt) {
  struct Case {
    int event;
    std::function<void(Host&, toolkit::HeadlessPlatform&)> raise;
  };
  const Case cases[] = {
      {framework::kOnData, [](Host& host, toolkit::HeadlessPlatform& p) {
         host.Form().Set_Port(7);
         host.Form().Set_InternalTrigger(true);
         p.Advance(1000);
       }},
      {framework::kOnCreate, [](Host& host, toolkit::HeadlessPlatform&) {
         // The server shows the form from inside one of its calls, which holds the control.
         toolkit::FormHold hold(host.Form());
         host.Form().Show();
       }},
  };
  for (const Case& c : cases) {
    device.reset();
    Host host(toolkit::CreateForm<THPIBDevice>());
    host.Form().InitializeForm();
    host.Form().SetEventSink(sink);
    sink->fired.clear();
    sink->onFire = [&](int dispid) {
      if (dispid == c.event) host.LetGo();
    };
    c.raise(host, platform);
    platform.Advance(5000);
    EXPECT_TRUE(host.Destroyed()) << c.event;
    EXPECT_EQ(sink->fired, (std::vector<int>{c.event, framework::kOnDestroy})) << "no further event";
    const Calls calls = TakeCalls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "Trigger(707)"), c.event == framework::kOnData)
        << "no trigger after the host let go";
  }
}

TEST_F(HPIBDevTest, LoadAndSaveConfigChangeNothing) {
  device->Set_Port(5);
  device->LoadConfig();
  device->SaveConfig();
  EXPECT_EQ(device->Get_Port(), 5);
  EXPECT_TRUE(device->Get_Active());
  EXPECT_TRUE(TakeCalls().empty());
}

}  // namespace
