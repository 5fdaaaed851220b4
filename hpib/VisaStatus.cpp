#include "hpib/VisaStatus.h"

namespace hpib {
namespace {

using namespace visa;

struct StatusCode {
  ViStatus status;
  std::uint16_t code;
};

constexpr StatusCode kStatusCodes[] = {
    {VI_ERROR_SYSTEM_ERROR, kResultUnknownError},
    {VI_ERROR_RSRC_NFOUND, kResultInvalidAddress},
    {VI_ERROR_INV_RSRC_NAME, kResultInvalidAddress},
    {VI_ERROR_NLISTENERS, kResultInvalidAddress},
    {VI_ERROR_INTF_NUM_NCONFIG, kResultInvalidAddress},
    {VI_ERROR_NSUP_ATTR_STATE, kResultOutOfRange},
    {VI_ERROR_INV_PARAMETER, kResultOutOfRange},
    {VI_ERROR_TMO, kResultTimeout},
    {VI_ERROR_NCIC, kResultMustBeController},
    {VI_ERROR_NSYS_CNTLR, kResultMustBeController},
    {VI_ERROR_IO, kResultIoError},
    {VI_ERROR_RSRC_BUSY, kResultCannotOpenCard},
    {VI_ERROR_RSRC_LOCKED, kResultCannotOpenCard},
    {VI_ERROR_CLOSING_FAILED, kResultCannotCloseCard},
    {VI_ERROR_INV_OBJECT, kResultInvalidHandle},
};

}  // namespace

std::uint16_t ResultCodeOf(ViStatus status) {
  if (status >= VI_SUCCESS) return kResultSuccess;
  for (const StatusCode& entry : kStatusCodes)
    if (entry.status == status) return entry.code;
  return kResultUnnamed;
}

}  // namespace hpib
