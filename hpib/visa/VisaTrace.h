#pragma once
// The bus trace of the VISA back end: one line per VISA call.
#include <functional>
#include <string>

#include "hpib/visa/VisaApi.h"

namespace hpib {

struct VisaCall {
  std::string operation;  // "viWrite"
  std::string resource;   // "GPIB0::7::INSTR"; empty for the resource manager
  std::string detail;     // what went with the call: 'sent "F2E"', "VI_ATTR_TMO_VALUE=3000"
  visa::ViStatus status = visa::VI_SUCCESS;
  std::string statusText;  // the library's description of the status
};

// Receives each call once it has returned; the back end asks the library for the status text
// only when there is a receiver.
using VisaTraceSink = std::function<void(const VisaCall&)>;

// "BFFF0015": a status as the standard writes it, without the "0x".
std::string StatusHex(visa::ViStatus status);

// "<operation> <resource or RM> [<detail>] -> 0x<status> <status text>", the status text's
// control characters replaced by blanks.
std::string VisaTraceLine(const VisaCall& call);

}  // namespace hpib
