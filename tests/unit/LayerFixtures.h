#pragma once
// Fixtures that start the driver layer the way the library does: on the recording back end
// (driver mode) or in debug mode (its terminal shown and logging), on the headless platform.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "RecordingBus.h"
#include "hpib/DebugBus.h"
#include "hpib/HPIBDrv.h"
#include "terminal/DebugTerminal.h"
#include "toolkit/headless/HeadlessPlatform.h"

namespace testing_support {

using Calls = std::vector<std::string>;

class DriverModeTest : public ::testing::Test {
 protected:
  void SetUp() override { hpib::HPIBLoad(std::make_unique<RecordingBus>(driver)); }
  void TearDown() override { hpib::HPIBUnload(); }
  // Takes the calls recorded so far, so that a test can look at one step at a time.
  Calls TakeCalls() { return std::exchange(driver.calls, {}); }

  toolkit::HeadlessPlatform platform;
  RecordingBus::Log driver;
};

class DebugModeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    terminal->Show();
    hpib::HPIBLoad(std::make_unique<hpib::DebugBus>(terminal.get(), platform.DecimalSeparator()));
  }
  void TearDown() override { hpib::HPIBUnload(); }
  const std::vector<std::wstring>& Lines() const { return terminal->DebugMemo.Lines(); }

  toolkit::HeadlessPlatform platform;
  toolkit::FormPtr<terminal::TDebugTerminal> terminal = toolkit::CreateForm<terminal::TDebugTerminal>();
};

}  // namespace testing_support
