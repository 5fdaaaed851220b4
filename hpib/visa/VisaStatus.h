#pragma once
// VISA completion and error codes as the results of the bus seam.
#include "hpib/Result.h"
#include "hpib/visa/VisaApi.h"

namespace hpib {

// Completion codes (non-negative statuses, warnings included) are success; each error with a
// counterpart in the message table gets that code, every other error Result::Unnamed.
Result ResultOf(visa::ViStatus status);

}  // namespace hpib
