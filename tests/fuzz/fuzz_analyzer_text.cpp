// Any text a host writes to the analyzer control is a control word (nothing sent), goes out as
// written, or fails with the runtime's error and sends nothing; one mode stays selected, and a
// frequency the control reads back formats as the instrument reads it.
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "../unit/RecordingBus.h"
#include "FuzzText.h"
#include "core/Exceptions.h"
#include "core/Latin1.h"
#include "hpib/HPIBDrv.h"
#include "instruments/HP4191.h"
#include "instruments/HP4191Protocol.h"
#include "instruments/Numbers.h"
#include "toolkit/headless/HeadlessPlatform.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  toolkit::HeadlessPlatform platform;
  platform.decimalSeparator = L',';
  testing_support::RecordingBus::Log log;
  hpib::HPIBLoad(std::make_unique<testing_support::RecordingBus>(log));
  {
    auto device = toolkit::CreateForm<instruments::THP4191Device>();
    device->Set_Port(17);
    const std::wstring text = HostText(data, size);
    const bool controlWord = instruments::hp4191::FindControlWord(instruments::hp4191::UpperCase(text.substr(0, 255))).has_value();
    try {
      device->Set_Text(text);
      const std::string bytes = core::ToLatin1(text.substr(0, 250));
      const bool byteForm = bytes.size() == 3 && bytes[0] == '$';
      if (controlWord != log.calls.empty()) std::abort();
      if (!controlWord && !byteForm && log.sent != bytes.substr(0, hpib::HPIBMaxMessage)) std::abort();
    } catch (const core::Exception&) {
      for (const std::string& call : log.calls)
        if (testing_support::RecordingBus::MessageIn(call, 717)) std::abort();
    }
    int selected = 0;
    for (const toolkit::MenuItem* item : device->ModeItems) selected += item->Checked();
    if (selected != 1) std::abort();
    if (const auto value = instruments::ReadNumber(device->ScanFrame.Edit.Text(), L',')) {
      const std::wstring formatted = instruments::hp4191::FormatFrequency(*value);
      const bool fixed = formatted.size() > 5 && formatted[formatted.size() - 5] == L'.';
      if (!fixed && formatted.find(L'E') == std::wstring::npos) std::abort();
      if (!instruments::ReadNumber(formatted, L'.')) std::abort();
    }
  }
  hpib::HPIBUnload();
  return 0;
}
