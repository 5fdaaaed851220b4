#include "check/Probe.h"

#include <algorithm>

#include "check/ReplyShape.h"
#include "core/Latin1.h"
#include "hpib/HPIBDrv.h"
#include "hpib/HPIBMessages.h"
#include "hpib/TraceBytes.h"

namespace check {

Finding Probe(unsigned primary) {
  const std::int32_t address = hpib::InstrumentAddress(static_cast<std::int32_t>(primary));
  Finding finding;
  finding.primary = primary;
  finding.result = hpib::HPIBTrigger(address);
  if (hpib::Failed(finding.result)) return finding;
  finding.triggered = true;
  std::string buffer(hpib::HPIBMaxMessage + 1, '\0');
  std::uint16_t length = hpib::HPIBMaxMessage;
  finding.result = hpib::HPIBEnter(address, buffer.data(), length);
  if (!hpib::Failed(finding.result))
    finding.reply = buffer.substr(0, std::min<std::size_t>(length, hpib::HPIBMaxMessage));
  return finding;
}

std::string FindingLine(const Finding& f) {
  const std::string head = std::to_string(f.primary) + ": ";
  const std::string message = core::ToLatin1(hpib::ResultText(f.result)) + " (result " +
                              std::to_string(static_cast<unsigned>(f.result)) + ")";
  if (!f.triggered) return head + "nothing answers the trigger: " + message;
  if (hpib::Failed(f.result)) return head + "takes the trigger, but no reply to the read: " + message;
  const std::string shown = hpib::BytesDetail("reply", f.reply);
  if (const std::optional<ReplyShape> shape = RecogniseReply(f.reply))
    return head + shape->instrument + "? " + shown + " (" + shape->reading + ")";
  return head + "no known shape, " + shown;
}

std::string AddressList(const std::vector<unsigned>& addresses) {
  std::string list;
  for (std::size_t i = 0; i < addresses.size();) {
    std::size_t last = i;
    while (last + 1 < addresses.size() && addresses[last + 1] == addresses[last] + 1) ++last;
    if (!list.empty()) list += ", ";
    list += std::to_string(addresses[i]);
    if (last > i) list += (last == i + 1 ? ", " : "-") + std::to_string(addresses[last]);
    i = last + 1;
  }
  return list;
}

}  // namespace check
