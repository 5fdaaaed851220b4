// Any reply, of any length, is either of no known shape or named as one of the three instruments
// with what it holds; only a reply of an instrument's length (its line end aside) has a shape.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "check/ReplyShape.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string reply(reinterpret_cast<const char*>(data), size);
  const auto shape = check::RecogniseReply(reply);
  if (!shape) return 0;
  while (!reply.empty() && (reply.back() == '\r' || reply.back() == '\n')) reply.pop_back();
  const bool meters = shape->instrument == "B7-40/5 multimeter" || shape->instrument == "E7-12 LCR meter";
  if (!(meters ? reply.size() == 11 : shape->instrument == "HP 4191A analyzer" && reply.size() == 30)) std::abort();
  if (shape->reading.empty()) std::abort();
  return 0;
}
