// Any text a host writes to the multimeter control either goes out as its first 250 characters
// (one byte for the "$" form) or fails with a conversion error, and the panel stays consistent.
#include <cstdlib>
#include <memory>

#include "../unit/RecordingDriver.h"
#include "FuzzText.h"
#include "hpib/BusBytes.h"
#include "hpib/HPIBDrv.h"
#include "instruments/B740.h"
#include "toolkit/headless/HeadlessPlatform.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  toolkit::HeadlessPlatform platform;
  testing_support::RecordingDriver::Log log;
  hpib::HPIBLoad(std::make_unique<testing_support::RecordingDriver>(log));
  {
    auto device = toolkit::CreateForm<instruments::TB740Device>();
    device->Set_Port(7);
    const std::wstring text = HostText(data, size);
    try {
      device->Set_Text(text);
      const std::string bytes = hpib::ToBusBytes(text.substr(0, 250));
      const bool byteForm = bytes.size() == 3 && bytes[0] == '$';
      if (!byteForm && log.sent != bytes.substr(0, hpib::HPIBMaxMessage)) std::abort();
    } catch (const toolkit::EConvertError&) {
    }
    const int position = device->RangeTrackBar.Position();
    if (position < 0 || position > 6) std::abort();
  }
  hpib::HPIBUnload();
  return 0;
}
