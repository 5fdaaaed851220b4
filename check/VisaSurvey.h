#pragma once
// What a VISA library says of itself and of the bus, asked through a resource manager of its
// own: its maker and versions (attributes of the resource manager), its GPIB boards, and the
// instruments that its resource search finds on the board of the Bus setting.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "hpib/visa/VisaApi.h"
#include "hpib/visa/VisaTrace.h"

namespace check {

struct VisaSurvey {
  std::vector<std::string> lines;               // what the library said, to be shown
  std::optional<std::vector<unsigned>> listed;  // primary addresses found; none: the search cannot tell
};

// Every call goes to `trace` when there is one.
VisaSurvey SurveyVisa(const hpib::visa::Functions& vi, unsigned board, const hpib::VisaTraceSink& trace);

// A version attribute as "5.8.0": the major number in the upper 12 bits, the minor in the next
// 12, the sub-minor in the lowest 8.
std::string VisaVersion(std::uint32_t version);

}  // namespace check
