#pragma once
// VISA completion and error codes as the result codes of the bus seam.
#include <cstdint>

#include "hpib/VisaApi.h"

namespace hpib {

// The result codes the VISA back end answers with, by the message each carries.
enum ResultCode : std::uint16_t {
  kResultSuccess = 0,
  kResultUnknownError = 1,
  kResultInvalidAddress = 2,
  kResultOutOfRange = 3,
  kResultTimeout = 4,
  kResultMustBeController = 5,
  kResultImproperAddressing = 8,
  kResultIoError = 9,
  kResultCannotOpenCard = 10,
  kResultCardNotOpen = 11,
  kResultCannotCloseCard = 12,
  kResultInvalidHandle = 13,
  kResultUnnamed = 0xFFFF,  // an error that no message of the table describes
};

// Completion codes (non-negative statuses, warnings included) are success; each error with a
// counterpart in the message table gets that code, every other error kResultUnnamed.
std::uint16_t ResultCodeOf(visa::ViStatus status);

}  // namespace hpib
