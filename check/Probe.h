#pragma once
// Who answers at one primary address of select code 7, asked through the driver layer with a
// trigger and one read: nothing else reaches the instrument, so that none of its settings
// changes (the E7-12's value-select bytes, for one, would change what it answers next).
#include <string>
#include <vector>

#include "hpib/Result.h"

namespace check {

struct Finding {
  unsigned primary = 0;
  hpib::Result result = hpib::Result::Success;  // of the step that failed; Success: a reply came
  bool triggered = false;  // the trigger went through, whatever the read did
  std::string reply;       // the bytes received
};

// The layer's card must be open.
Finding Probe(unsigned primary);

// '7: B7-40/5 multimeter? reply "U +12340E-3" (DC volts)', '5: no known shape, reply "..."' (the
// bytes as they came, escaped as the trace escapes them), or what stood in the way.
std::string FindingLine(const Finding& finding);

// Rising addresses as "1, 2, 4-6, 8".
std::string AddressList(const std::vector<unsigned>& addresses);

}  // namespace check
