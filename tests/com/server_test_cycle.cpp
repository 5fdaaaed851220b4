// The measurement cycle of a B740X control in debug mode, with the thread's messages pumped as
// a host's message loop would: trigger, the window timer's tick, the simulated reading, OnData
// to the host's sink, and the debug terminal's log of every bus step. Run in a process of its
// own, so that the log and the simulated readings start with this test.
// Usage: server_cycle_test <Windows path of Apparata.ocx> [GoogleTest options]

#include "control_fixture.h"

#include <ocidl.h>

#include <chrono>

#include "Apparata_h.h"

namespace {

using namespace server_test;

// The B740X's timer interval: the reading is taken this long after the trigger.
constexpr DWORD kIntervalMs = 300;
// "Read from 707: " and the reply.
const std::wstring kReadPrefix = L"Read from 707: ";

class Cycle : public ConnectedControl {
 protected:
  // Each test connects its own sink.
  void SetUp() override { ASSERT_NO_FATAL_FAILURE(Create(L"Apparata.B740X", 7, false)); }

  DWORD Connect(IDispatch* sink) {
    DWORD cookie = 0;
    EXPECT_HR(S_OK, point_->Advise(sink, &cookie));
    return cookie;
  }
};

// What the control shows for a reply of the multimeter: its unit label for "R", "=", and
// characters 3 to 11 of the reply.
std::wstring ShownReading(const std::wstring& reply) { return L"R     kOm=" + reply.substr(2, 9); }


std::vector<std::wstring> TerminalLines() {
  return DebugTerminalLines().value_or(std::vector<std::wstring>{L"<no debug terminal>"});
}

TEST_F(Cycle, OneTriggerBringsOneReadingAfterTheIntervalAndTheTerminalLogsEveryBusStep) {
  EventSink& sink = sink_;
  std::vector<std::wstring> texts;
  sink.onEvent = [&](DISPID dispid) {
    if (dispid == 3) texts.push_back(Text());
  };
  Connect(&sink);
  ASSERT_HR(S_OK, device_->put_Port(7));

  const auto start = std::chrono::steady_clock::now();
  ASSERT_HR(S_OK, device_->Trigger());
  PumpFor(kIntervalMs - 100);
  EXPECT_TRUE(sink.events.empty()) << "OnData before the interval";
  ASSERT_TRUE(PumpUntil([&] { return !sink.events.empty(); }, 3000)) << "no OnData within 3 s";
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_GE(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count(), kIntervalMs - 20);
  PumpFor(2 * kIntervalMs);
  EXPECT_EQ((std::vector<DISPID>{3}), sink.events) << "exactly one OnData, as a method without arguments";

  // The first simulated reading of the process.
  EXPECT_EQ((std::vector<std::wstring>{L"R     kOm=+11350E-4"}), texts) << "Text read inside OnData";
  EXPECT_EQ(L"R     kOm=+11350E-4", Text());
  EXPECT_EQ((std::vector<std::wstring>{L"Card #7 opened", L"Reset address 7", L"Set timeout 3 for card 7",
                                       L"Trigger address 707", kReadPrefix + L"R +11350E-4"}),
            TerminalLines());
}

TEST_F(Cycle, InternalTriggerRunsFreeUntilSwitchedOffAndEachOnDataFindsItsReading) {
  EventSink& sink = sink_;
  std::vector<std::pair<std::wstring, std::wstring>> readings;  // shown, logged
  sink.onEvent = [&](DISPID dispid) {
    const std::vector<std::wstring> lines = TerminalLines();
    const std::wstring& last = lines.back();
    readings.emplace_back(Text(), last.compare(0, kReadPrefix.size(), kReadPrefix) == 0
                                      ? ShownReading(last.substr(kReadPrefix.size()))
                                      : L"<last line: " + last + L">");
    EXPECT_EQ(3, dispid);
  };
  Connect(&sink);
  ASSERT_HR(S_OK, device_->put_Port(7));
  ASSERT_HR(S_OK, device_->put_InternalTrigger(VARIANT_TRUE));
  ASSERT_TRUE(PumpUntil([&] { return sink.events.size() >= 3; }, 5000)) << sink.events.size() << " OnData in 5 s";
  ASSERT_HR(S_OK, device_->put_InternalTrigger(VARIANT_FALSE));
  // The measurement already triggered still ends with its OnData; nothing follows it.
  PumpFor(2 * kIntervalMs);
  const std::size_t stopped = sink.events.size();
  PumpFor(3 * kIntervalMs);
  EXPECT_EQ(stopped, sink.events.size()) << "OnData after internal triggering was switched off";
  for (const auto& [shown, logged] : readings) EXPECT_EQ(logged, shown);
}

TEST_F(Cycle, SwitchingActiveOffStopsFreeRunningAtOnce) {
  EventSink& sink = sink_;
  Connect(&sink);
  ASSERT_HR(S_OK, device_->put_Port(7));
  ASSERT_HR(S_OK, device_->put_InternalTrigger(VARIANT_TRUE));
  ASSERT_TRUE(PumpUntil([&] { return !sink.events.empty(); }, 3000));
  ASSERT_HR(S_OK, device_->put_Active(VARIANT_FALSE));
  const std::size_t stopped = sink.events.size();
  PumpFor(3 * kIntervalMs);
  EXPECT_EQ(stopped, sink.events.size());
  VARIANT_BOOL flag = -1;
  ASSERT_HR(S_OK, device_->put_Active(VARIANT_TRUE));
  EXPECT_HR(S_OK, device_->get_InternalTrigger(&flag));
  EXPECT_EQ(0, flag);
}

TEST_F(Cycle, AFailingHandlerNeitherStopsTheControlNorShowsAnError) {
  DialogWatch dialogs;
  EventSink& sink = sink_;
  sink.answer = DISP_E_EXCEPTION;
  Connect(&sink);
  ASSERT_HR(S_OK, device_->put_Port(7));
  for (std::size_t round = 1; round <= 2; ++round) {
    ASSERT_HR(S_OK, device_->Trigger());
    ASSERT_TRUE(PumpUntil([&] { return sink.events.size() == round; }, 3000)) << "round " << round;
  }
  EXPECT_EQ(std::vector<std::wstring>{}, dialogs.texts) << "error boxes appeared";
}

// The tick re-triggers on its own, with no caller to tell: its failure goes to the user in an
// error box, free-running ends, and the control stays usable.
TEST_F(Cycle, AFailedTriggerInATickShowsTheErrorAndEndsFreeRunning) {
  DialogWatch dialogs;
  EventSink& sink = sink_;
  sink.onEvent = [&](DISPID dispid) {
    // 700 + Port no longer fits 32 bits, so the tick's trigger fails.
    if (dispid == 3 && sink.events.size() == 1) {
      EXPECT_HR(S_OK, device_->put_Port(2147483000));
    }
  };
  Connect(&sink);
  ASSERT_HR(S_OK, device_->put_Port(7));
  ASSERT_HR(S_OK, device_->put_InternalTrigger(VARIANT_TRUE));
  ASSERT_TRUE(PumpUntil([&] { return !dialogs.texts.empty(); }, 3000)) << "no error box";
  PumpFor(3 * kIntervalMs);
  EXPECT_EQ(std::vector<std::wstring>{L"Integer overflow"}, dialogs.texts);
  EXPECT_EQ(std::vector<DISPID>{3}, sink.events) << "no tick after the failed trigger";
  VARIANT_BOOL internalTrigger = VARIANT_FALSE;
  EXPECT_HR(S_OK, device_->get_InternalTrigger(&internalTrigger));
  EXPECT_EQ(VARIANT_TRUE, internalTrigger) << "the check mark stays";

  ASSERT_HR(S_OK, device_->put_Port(7));
  ASSERT_HR(S_OK, device_->Trigger());
  EXPECT_TRUE(PumpUntil([&] { return sink.events.size() >= 3; }, 3000)) << "the next trigger resumes free-running";
}

// VBA's "Set Meter = Nothing" or .NET's ReleaseComObject inside the handler: the tick must end
// there, and the control go once it has.
TEST_F(Cycle, AHostReleasingTheControlInsideOnDataEndsTheTickThere) {
  EventSink& sink = sink_;
  sink.onEvent = [&](DISPID dispid) {
    if (dispid != 3) return;
    point_.reset();
    device_.reset();
  };
  Connect(&sink);
  ASSERT_HR(S_OK, device_->put_Port(7));
  ASSERT_HR(S_OK, device_->put_InternalTrigger(VARIANT_TRUE));
  ASSERT_TRUE(PumpUntil([&] { return sink.events.size() >= 2; }, 3000)) << sink.events.size() << " events";
  PumpFor(3 * kIntervalMs);
  EXPECT_EQ((std::vector<DISPID>{3, 2}), sink.events) << "OnData, then OnDestroy after the tick, and nothing more";
  const std::vector<std::wstring> lines = TerminalLines();
  EXPECT_EQ(kReadPrefix, lines.back().substr(0, kReadPrefix.size())) << "no trigger after the release";
  EXPECT_EQ(1u, sink.refs) << "the control let go of the sink";
}

// A sink that only the control holds, and that disconnects itself in its OnData handler.
class SelfDisconnectingSink final : public DispatchSink {
 public:
  SelfDisconnectingSink(IConnectionPoint* point, bool& destroyed, bool& destroyedInHandler)
      : DispatchSink(DIID_IQXDeviceEvents),
        point_(point),
        destroyed_(destroyed),
        destroyedInHandler_(destroyedInHandler) {}
  ~SelfDisconnectingSink() { destroyed_ = true; }

  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = DispatchSink::Release();
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    ++calls;
    point_->Unadvise(cookie);
    // `destroyed_` lives outside this object, so reading it is safe either way.
    destroyedInHandler_ = destroyed_;
    return S_OK;
  }

  DWORD cookie = 0;
  int calls = 0;

 private:
  IConnectionPoint* point_;
  bool& destroyed_;
  bool& destroyedInHandler_;
};

TEST_F(Cycle, ASinkThatDisconnectsItselfDuringAnEventIsSafe) {
  bool destroyed = false, destroyedInHandler = false;
  auto* sink = new SelfDisconnectingSink(point_.get(), destroyed, destroyedInHandler);
  sink->cookie = Connect(sink);
  ASSERT_EQ(1u, sink->cookie);
  sink->Release();  // from here on only the control holds it
  ASSERT_FALSE(destroyed);
  ASSERT_HR(S_OK, device_->put_Port(7));
  ASSERT_HR(S_OK, device_->Trigger());
  ASSERT_TRUE(PumpUntil([&] { return destroyed; }, 3000)) << "the sink outlived its connection";
  EXPECT_FALSE(destroyedInHandler) << "the sink was destroyed while its handler ran";
  // The point is free again.
  EXPECT_EQ(1u, Connect(&sink_));
  ASSERT_HR(S_OK, device_->Trigger());
  EXPECT_TRUE(PumpUntil([&] { return !sink_.events.empty(); }, 3000));
}

}  // namespace

int main(int argc, char** argv) { return server_test::RunTests(argc, argv); }
