// Real controls over the simulated bench through the driver layer: each control shows what its
// instrument measures, and the bench's faults reach a control as the real failures would.
#include <gtest/gtest.h>

#include "hpib/HPIBDrv.h"
#include "hpib/sim/BenchFile.h"
#include "hpib/sim/SimBus.h"
#include "instruments/B740.h"
#include "instruments/E712.h"
#include "instruments/HP4191.h"
#include "toolkit/headless/HeadlessPlatform.h"

namespace {

class SimControlsTest : public ::testing::Test {
 protected:
  void Load(const char* bench) {
    hpib::HPIBLoad(std::make_unique<hpib::sim::SimBus>(std::get<hpib::sim::Bench>(hpib::sim::ParseBench(bench)), nullptr));
  }
  void TearDown() override { hpib::HPIBUnload(); }

  template <class Device>
  toolkit::FormPtr<Device> Measured(int port) {
    auto device = toolkit::CreateForm<Device>();
    device->InitializeForm();
    device->Set_Port(port);
    device->Trigger();
    platform.Advance(device->Timer.Interval());
    return device;
  }

  toolkit::HeadlessPlatform platform;
};

TEST_F(SimControlsTest, EachControlShowsWhatItsInstrumentMeasures) {
  Load("[7]\ninstrument = B7-40/5\ndc_volts = 12.34\n"
       "[3]\ninstrument = E7-12\nr = 12\nl = 10m\n"
       "[17]\ninstrument = HP4191A\nr = 5\nl = 100n\nc = 25.3303p\n");
  EXPECT_EQ(Measured<instruments::TB740Device>(7)->Get_Text(), L"Udc V=+12340E-3");
  EXPECT_EQ(Measured<instruments::TE712Device>(3)->Get_Text(), L"L=1.0000E-2 \r\nD=1.9099E-1 ");
  EXPECT_EQ(Measured<instruments::THP4191Device>(17)->Get_Text(),
            L"|Z|  Ohm=+6.2826E+03\r\nFi Deg=-8.9954E+01\r\nF MHz=1.000000");
  EXPECT_TRUE(platform.errors.empty());
}

TEST_F(SimControlsTest, AnAbsentInstrumentFailsTheTriggerWithTheDriversMessage) {
  Load("[7]\ninstrument = B7-40/5\nabsent = yes\n");
  auto device = toolkit::CreateForm<instruments::TB740Device>();
  device->InitializeForm();
  device->Set_Port(7);
  try {
    device->Trigger();
    ADD_FAILURE() << "no error";
  } catch (const hpib::EHardwareError& e) {
    EXPECT_EQ(e.Message(), L"Critical HPIB driver error:\nInvalid HPIB select code or device address!");
  }
  EXPECT_FALSE(hpib::HPIBIsOpen());
}

TEST_F(SimControlsTest, ALostReplyShowsTheTimeoutClosesTheCardAndTheNextCycleWorks) {
  Load("[7]\ninstrument = B7-40/5\nohms = 1.1357k\ntimeout_probability = 50%\nseed = 1\n");
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
}

}  // namespace
