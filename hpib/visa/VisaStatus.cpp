#include "hpib/visa/VisaStatus.h"

namespace hpib {
namespace {

using namespace visa;

struct StatusCode {
  ViStatus status;
  Result result;
};

constexpr StatusCode kStatusCodes[] = {
    {VI_ERROR_SYSTEM_ERROR, Result::UnknownError},
    {VI_ERROR_RSRC_NFOUND, Result::InvalidAddress},
    {VI_ERROR_INV_RSRC_NAME, Result::InvalidAddress},
    {VI_ERROR_NLISTENERS, Result::InvalidAddress},
    {VI_ERROR_INTF_NUM_NCONFIG, Result::InvalidAddress},
    {VI_ERROR_NSUP_ATTR_STATE, Result::OutOfRange},
    {VI_ERROR_INV_PARAMETER, Result::OutOfRange},
    {VI_ERROR_TMO, Result::Timeout},
    {VI_ERROR_NCIC, Result::MustBeController},
    {VI_ERROR_NSYS_CNTLR, Result::MustBeController},
    {VI_ERROR_IO, Result::FileIoError},
    {VI_ERROR_RSRC_BUSY, Result::CannotOpenCard},
    {VI_ERROR_RSRC_LOCKED, Result::CannotOpenCard},
    {VI_ERROR_CLOSING_FAILED, Result::CannotCloseCard},
    {VI_ERROR_INV_OBJECT, Result::InvalidHandle},
};

}  // namespace

Result ResultOf(ViStatus status) {
  if (status >= VI_SUCCESS) return Result::Success;
  for (const StatusCode& entry : kStatusCodes)
    if (entry.status == status) return entry.result;
  return Result::Unnamed;
}

}  // namespace hpib
