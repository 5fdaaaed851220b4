// Any text a host writes to the multimeter or the LCR meter control either goes out as its
// first 250 characters (one byte for the "$" form) or fails with a conversion error, and the
// panel stays consistent.
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "../unit/RecordingBus.h"
#include "FuzzText.h"
#include "core/Latin1.h"
#include "hpib/HPIBDrv.h"
#include "instruments/B740.h"
#include "instruments/E712.h"
#include "toolkit/headless/HeadlessPlatform.h"

namespace {

// Writes the text: it goes out as written, or fails with a conversion error and nothing goes out.
void WriteAsWritten(framework::THPIBDevice& device, const std::wstring& text,
                    testing_support::RecordingBus::Log& log) {
  const std::size_t calls = log.calls.size();
  try {
    device.Set_Text(text);
  } catch (const core::EConvertError&) {
    // The card may have been opened on the way; nothing may have been sent.
    for (std::size_t i = calls; i < log.calls.size(); ++i)
      if (log.calls[i].rfind("Write", 0) == 0) std::abort();
    return;
  }
  const std::string bytes = core::ToLatin1(text.substr(0, 250));
  const bool byteForm = bytes.size() == 3 && bytes[0] == '$';
  if (!byteForm && log.sent != bytes.substr(0, hpib::HPIBMaxMessage)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  toolkit::HeadlessPlatform platform;
  testing_support::RecordingBus::Log log;
  hpib::HPIBLoad(std::make_unique<testing_support::RecordingBus>(log));
  const std::wstring text = HostText(data, size);
  {
    auto device = toolkit::CreateForm<instruments::TB740Device>();
    device->Set_Port(7);
    WriteAsWritten(*device, text, log);
    const int position = device->RangeTrackBar.Position();
    if (position < 0 || position > 6) std::abort();
  }
  {
    auto device = toolkit::CreateForm<instruments::TE712Device>();
    device->Set_Port(3);
    WriteAsWritten(*device, text, log);
    const int position = device->RangeTrackBar.Position();
    if (position < 0 || position > 5 || position != device->RangeTrackBar.Tag) std::abort();
    int checked = 0;
    for (const toolkit::MenuItem* item : device->ModeItems) checked += item->Checked() ? 1 : 0;
    if (checked != 1) std::abort();
  }
  hpib::HPIBUnload();
  return 0;
}
