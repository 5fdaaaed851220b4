// Every operation of every control that reaches the bus, failing at each of its bus operations in
// turn: the driver's error reaches the caller, the card is closed and reopens at the next bus
// step, displays keep their last complete texts, no OnData follows a failed reading, and a full
// cycle succeeds afterwards.
#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "FailingBus.h"
#include "hpib/HPIBDrv.h"
#include "instruments/B740.h"
#include "instruments/E712.h"
#include "instruments/HP4191.h"
#include "toolkit/Platform.h"
#include "toolkit/headless/HeadlessPlatform.h"

namespace {

using testing_support::FailingBus;
using Texts = std::vector<std::wstring>;
using Readings = std::vector<std::vector<toolkit::StaticText*>>;  // display groups, in read order

struct CountingSink : framework::EventSink {
  void Fire(int dispid) override { fired += dispid == framework::kOnData; }
  int fired = 0;
};

const struct {
  hpib::Result result;
  const wchar_t* message;
} kCodes[] = {{hpib::Result{4}, L"HPIB timeout!"},
              {hpib::Result{1}, L"Unknown HPIB error!"},
              {hpib::Result{14}, L"?????"},
              {hpib::Result{13}, L"Invalid handle for this HPIB ISC!"}};

// Per control: the bus address, the reply the instrument sends, the displays each read fills.
int PortOf(const instruments::TB740Device&) { return 7; }
int PortOf(const instruments::TE712Device&) { return 3; }
int PortOf(const instruments::THP4191Device&) { return 17; }
std::string ReplyOf(const instruments::TB740Device&) { return "R +11357E-4"; }
std::string ReplyOf(const instruments::TE712Device&) { return "2.5723E+1 D"; }
std::string ReplyOf(const instruments::THP4191Device&) { return " NRN+1.2345E+01,NXN+5.4321E-01"; }
Readings ReadingsOf(instruments::TB740Device& d) { return {{&d.LabelStaticText, &d.DisplayStaticText}}; }
Readings ReadingsOf(instruments::TE712Device& d) {
  return {{&d.DisplayAStaticText, &d.LabelAStaticText}, {&d.DisplayBStaticText, &d.LabelBStaticText}};
}
Readings ReadingsOf(instruments::THP4191Device& d) {
  return {{&d.StaticTextA1, &d.StaticTextA, &d.StaticTextB1, &d.StaticTextB}};
}

Texts TextsOf(const std::vector<toolkit::StaticText*>& displays) {
  Texts texts;
  for (const toolkit::StaticText* display : displays) texts.push_back(display->Caption());
  return texts;
}

// Host calls raise the error to their caller; user-interface paths show it in the error box.
enum class Path { Member, User };

template <class Device>
struct Operation {
  const char* name;
  Path path;
  std::function<void(Device&)> prepare;  // runs without faults, before the card is closed
  std::function<void(Device&, toolkit::HeadlessPlatform&)> run;
  const char* silent = nullptr;  // the operation whose failure this one ignores by design
};

template <class Device>
void Tick(Device& d, toolkit::HeadlessPlatform& platform) {
  platform.Advance(d.Timer.Interval());
}

// A click as the user makes it: through the toolkit's event dispatch.
template <class Clickable>
void UserClick(Clickable& item) {
  toolkit::DispatchUserEvent(item, [&item] { item.Click(); });
}

// The operations every control has from the base control, then `own`.
template <class Device>
std::vector<Operation<Device>> WithBaseOperations(const std::vector<Operation<Device>>& own) {
  std::vector<Operation<Device>> all = {
      {"Trigger", Path::Member, nullptr, [](Device& d, auto&) { d.Trigger(); }},
      {"Internal Trigger item", Path::User, nullptr, [](Device& d, auto&) { UserClick(d.InternalTriggerItem); }},
      {"Clear", Path::Member, nullptr, [](Device& d, auto&) { d.Clear(); }},
      {"Local Control", Path::User, nullptr, [](Device& d, auto&) { UserClick(d.LocalControlItem); }},
  };
  all.insert(all.end(), own.begin(), own.end());
  return all;
}

// The k-th examined operation of a trace, and how many readings completed before it.
struct Failure {
  std::string call;
  std::size_t readingsDone = 0;
};
Failure FailureIn(const std::vector<std::string>& calls, int k) {
  Failure failure;
  for (const std::string& call : calls) {
    const std::string name = call.substr(0, call.find('('));
    if (!testing_support::IsExamined(name)) continue;
    if (--k == 0) {
      failure.call = call;
      return failure;
    }
    failure.readingsDone += name == "Read";
  }
  return failure;
}

class FaultInjectionTest : public ::testing::Test {
 protected:
  void SetUp() override { hpib::HPIBLoad(std::make_unique<FailingBus>(driver, fault)); }
  void TearDown() override { hpib::HPIBUnload(); }

  template <class Device>
  toolkit::FormPtr<Device> Fresh(const Operation<Device>& op) {
    fault = {};
    auto device = toolkit::CreateForm<Device>();
    device->InitializeForm();
    device->SetEventSink(sink);
    device->Set_Port(PortOf(*device));
    driver.reply = ReplyOf(*device);
    if (op.prepare) op.prepare(*device);
    if (hpib::HPIBIsOpen()) hpib::HPIBClose();
    driver.calls.clear();
    platform.errors.clear();
    return device;
  }

  // Runs the operation; the message of the error it raised to its caller, if any.
  template <class Device>
  std::wstring Run(const Operation<Device>& op, Device& device) {
    try {
      op.run(device, platform);
    } catch (const hpib::EHardwareError& e) {
      return e.Message();
    }
    return L"";
  }

  template <class Device>
  void FailEveryOperation(const std::vector<Operation<Device>>& operations) {
    for (const Operation<Device>& op : operations) {
      // What the displays show after a reading, with no fault.
      Texts complete;
      {
        auto device = Fresh(op);
        EXPECT_EQ(Run(op, *device), L"") << op.name;
        device->Trigger();
        platform.Advance(device->Timer.Interval());
        EXPECT_TRUE(platform.errors.empty()) << op.name;
        for (const auto& group : ReadingsOf(*device))
          for (const std::wstring& text : TextsOf(group)) complete.push_back(text);
      }
      for (int k = 1;; ++k) {
        auto device = Fresh(op);
        const auto& code = kCodes[static_cast<std::size_t>(k) % std::size(kCodes)];
        fault = {k, code.result, 0};
        const Readings readings = ReadingsOf(*device);
        std::vector<Texts> before;
        for (const auto& group : readings) before.push_back(TextsOf(group));
        const int firedBefore = sink->fired;

        const std::wstring thrown = Run(op, *device);
        if (fault.examined < k) {
          EXPECT_EQ(thrown, L"") << op.name;
          EXPECT_TRUE(platform.errors.empty()) << op.name;
          EXPECT_GT(k, 3) << op.name << ": reached no bus step of its own";
          break;
        }
        const Failure failure = FailureIn(driver.calls, k);
        SCOPED_TRACE(std::string(op.name) + ", failing " + failure.call);
        const std::wstring message = std::wstring(L"Critical HPIB driver error:\n") + code.message;
        if (op.silent && failure.call.rfind(op.silent, 0) == 0) {
          EXPECT_EQ(thrown, L"");
          EXPECT_TRUE(platform.errors.empty());
          EXPECT_FALSE(device->Get_InternalTrigger());
        } else if (op.path == Path::Member) {
          EXPECT_EQ(thrown, message);
          EXPECT_TRUE(platform.errors.empty());
        } else {
          EXPECT_EQ(thrown, L"");
          EXPECT_EQ(platform.errors, Texts{message});
        }
        EXPECT_FALSE(hpib::HPIBIsOpen());
        EXPECT_EQ(driver.calls.back(), "Close()") << "bus traffic after the failure";
        std::size_t at = 0;
        for (std::size_t group = 0; group < readings.size(); ++group) {
          const Texts now = TextsOf(readings[group]);
          const Texts done(complete.begin() + static_cast<long>(at), complete.begin() + static_cast<long>(at + now.size()));
          EXPECT_EQ(now, group < failure.readingsDone ? done : before[group]) << "display group " << group;
          at += now.size();
        }
        EXPECT_EQ(sink->fired - firedBefore, failure.readingsDone == readings.size() ? 1 : 0);

        // A full cycle afterwards: the card reopens first, the reading shows, OnData follows.
        fault = {};
        driver.calls.clear();
        platform.errors.clear();
        const int firedAfter = sink->fired;
        device->Trigger();
        platform.Advance(device->Timer.Interval());
        ASSERT_GE(driver.calls.size(), 3u);
        EXPECT_EQ(std::vector<std::string>(driver.calls.begin(), driver.calls.begin() + 3),
                  (std::vector<std::string>{"Open(7)", "Reset(7)", "Timeout(7,3)"}));
        EXPECT_TRUE(platform.errors.empty());
        EXPECT_EQ(sink->fired - firedAfter, 1);
        Texts shown;
        for (const auto& group : readings)
          for (const std::wstring& text : TextsOf(group)) shown.push_back(text);
        EXPECT_EQ(shown, complete);
      }
    }
  }

  toolkit::HeadlessPlatform platform;
  testing_support::RecordingBus::Log driver;
  FailingBus::Fault fault;
  std::shared_ptr<CountingSink> sink = std::make_shared<CountingSink>();
};

TEST_F(FaultInjectionTest, Multimeter) {
  using D = instruments::TB740Device;
  FailEveryOperation<D>(WithBaseOperations<D>({
      {"Text write", Path::Member, nullptr, [](D& d, auto&) { d.Set_Text(L"F3"); }},
      {"Text write of a byte", Path::Member, nullptr, [](D& d, auto&) { d.Set_Text(L"$41"); }},
      {"function button", Path::User, nullptr, [](D& d, auto&) { UserClick(*d.SpeedButtons[2]); }},
      {"range track bar", Path::User, nullptr,
       [](D& d, auto&) { toolkit::DispatchUserEvent(d.RangeTrackBar, [&] { d.RangeTrackBar.SetPosition(3); }); }},
      {"free-running tick", Path::User, [](D& d) { d.Set_InternalTrigger(true); }, Tick<D>},
  }));
}

TEST_F(FaultInjectionTest, LcrMeter) {
  using D = instruments::TE712Device;
  FailEveryOperation<D>(WithBaseOperations<D>({
      {"Text write", Path::Member, nullptr, [](D& d, auto&) { d.Set_Text(L"$41"); }},
      {"mode item", Path::User, nullptr, [](D& d, auto&) { UserClick(*d.ModeItems[2]); }},
      {"range track bar", Path::User, nullptr,
       [](D& d, auto&) { toolkit::DispatchUserEvent(d.RangeTrackBar, [&] { d.RangeTrackBar.SetPosition(4); }); }},
      {"free-running tick", Path::User, [](D& d) { d.Set_InternalTrigger(true); }, Tick<D>},
  }));
}

TEST_F(FaultInjectionTest, ImpedanceAnalyzer) {
  using D = instruments::THP4191Device;
  FailEveryOperation<D>(WithBaseOperations<D>({
      {"Text write", Path::Member, nullptr, [](D& d, auto&) { d.Set_Text(L"A3EN"); }},
      {"mode item", Path::User, nullptr, [](D& d, auto&) { UserClick(*d.ModeItems[4]); }},
      {"angle item", Path::User, nullptr, [](D& d, auto&) { UserClick(*d.AngleItems[1]); }},
      {"frequency entered", Path::User, nullptr,
       [](D& d, auto&) { toolkit::DispatchUserEvent(d.ScanFrame.Edit, [&] { d.ScanFrame.Edit.KeyDown(13); }); }},
      {"free-running sweep tick", Path::User,
       [](D& d) {
         d.Set_Text(L"SCANUP");
         d.Set_InternalTrigger(true);
       },
       Tick<D>, "Write"},
  }));
}

}  // namespace
