#pragma once
// Fixtures that start the driver layer the way the library does: on the recording back end
// (driver mode) or in debug mode (its terminal shown and logging), on the headless platform.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "RecordingBus.h"
#include "framework/Unattended.h"
#include "hpib/DebugBus.h"
#include "hpib/HPIBDrv.h"
#include "terminal/DebugTerminal.h"
#include "toolkit/headless/HeadlessPlatform.h"

namespace testing_support {

using Calls = std::vector<std::string>;

// The log and the debug output of the Errors and Log settings, as the server makes them: the
// kind of each row.
struct RecordingOutput : framework::UnattendedOutput {
  std::string Now() override { return "t"; }
  void Append(const std::string& row) override {
    std::size_t kind = 0;
    for (int column = 0; column < 3; ++column) kind = row.find(',', kind) + 1;
    kinds.push_back(row.substr(kind, row.find(',', kind) - kind));
  }
  void Debug(const std::wstring& text) override { debug.push_back(text); }
  bool Logging() const override { return true; }
  std::vector<std::string> kinds;
  std::vector<std::wstring> debug;
};

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
