#pragma once
// Fixtures that start the driver layer the way the library does: with the recording driver
// (driver mode) or without a driver (debug mode, its terminal shown and logging), on the
// headless platform.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "RecordingDriver.h"
#include "hpib/DebugTerminal.h"
#include "hpib/HPIBDrv.h"
#include "toolkit/headless/HeadlessPlatform.h"

namespace testing_support {

using Calls = std::vector<std::string>;

class DriverModeTest : public ::testing::Test {
 protected:
  void SetUp() override { hpib::HPIBLoad(std::make_unique<RecordingDriver>(driver)); }
  void TearDown() override { hpib::HPIBUnload(); }
  // Takes the calls recorded so far, so that a test can look at one step at a time.
  Calls TakeCalls() { return std::exchange(driver.calls, {}); }

  toolkit::HeadlessPlatform platform;
  RecordingDriver::Log driver;
};

class DebugModeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    terminal->Show();
    hpib::HPIBLoad(nullptr);
    hpib::HPIBSetLog(terminal.get());
  }
  void TearDown() override { hpib::HPIBUnload(); }
  const std::vector<std::wstring>& Lines() const { return terminal->DebugMemo.Lines(); }

  toolkit::HeadlessPlatform platform;
  toolkit::FormPtr<hpib::TDebugTerminal> terminal = toolkit::CreateForm<hpib::TDebugTerminal>();
};

}  // namespace testing_support
