// A real control over the simulated bench through the driver layer: a lost reply reaches it as
// the real failure would.
#include <gtest/gtest.h>

#include "hpib/HPIBDrv.h"
#include "hpib/sim/BenchFile.h"
#include "hpib/sim/SimBus.h"
#include "instruments/B740.h"
#include "toolkit/headless/HeadlessPlatform.h"

namespace {

TEST(SimControlsTest, ALostReplyShowsTheTimeoutClosesTheCardAndTheNextCycleWorks) {
  toolkit::HeadlessPlatform platform;
  const auto bench = hpib::sim::ParseBench("[7]\ninstrument = B7-40/5\nohms = 1.1357k\ntimeout_probability = 50%\nseed = 1\n");
  hpib::HPIBLoad(std::make_unique<hpib::sim::SimBus>(std::get<hpib::sim::Bench>(bench), nullptr));
  auto device = toolkit::CreateForm<instruments::TB740Device>();
  device->InitializeForm();
  device->Set_Port(7);
  device->Set_Text(L"F2E");
  device->Set_Text(L"B3E");
  int lost = 0, afterLoss = 0;
  for (int cycle = 0; cycle < 20 && afterLoss == 0; ++cycle) {
    device->DisplayStaticText.SetCaption(L"");
    device->Trigger();
    platform.Advance(device->Timer.Interval());
    if (!platform.errors.empty()) {
      EXPECT_EQ(platform.errors, std::vector<std::wstring>{L"Critical HPIB driver error:\nHPIB timeout!"});
      EXPECT_FALSE(hpib::HPIBIsOpen());
      EXPECT_EQ(device->DisplayStaticText.Caption(), L"");
      platform.errors.clear();
      ++lost;
    } else if (lost > 0) {
      EXPECT_EQ(device->Get_Text(), L"R     kOm=+11357E-4");
      ++afterLoss;
    }
  }
  EXPECT_GT(lost, 0);
  EXPECT_EQ(afterLoss, 1);
  device.reset();
  hpib::HPIBUnload();
}

}  // namespace
