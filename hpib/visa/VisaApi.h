#pragma once
// The few functions and constants of the VISA library (the VPP-4.3 standard) that the VISA back
// end and the bus check use, declared from the published standard. They call them through a table
// that the Windows loader fills from visa32.dll / visa64.dll and tests fill with fakes.
#include <cstdint>

#if defined(_WIN32) && defined(__i386__)
#define APPARATA_VISA_CALL __attribute__((stdcall))
#else
#define APPARATA_VISA_CALL
#endif

namespace hpib::visa {

using ViStatus = std::int32_t;
using ViSession = std::uint32_t;
using ViUInt16 = std::uint16_t;
using ViUInt32 = std::uint32_t;
using ViAttr = std::uint32_t;
using ViFindList = ViSession;
// 32 bits in 32-bit processes, 64 bits in 64-bit Windows processes: the width of a pointer.
using ViAttrState = std::uintptr_t;

constexpr ViStatus VI_SUCCESS = 0;
constexpr ViUInt32 VI_NULL = 0;

constexpr ViAttr VI_ATTR_SEND_END_EN = 0x3FFF0016;
constexpr ViAttr VI_ATTR_TMO_VALUE = 0x3FFF001A;
constexpr ViAttr VI_ATTR_RSRC_IMPL_VERSION = 0x3FFF0003;
constexpr ViAttr VI_ATTR_RSRC_SPEC_VERSION = 0x3FFF0170;
constexpr ViAttr VI_ATTR_RSRC_MANF_NAME = 0xBFFF0174;

constexpr ViUInt16 VI_TRIG_PROT_DEFAULT = 0;
constexpr ViUInt16 VI_GPIB_REN_DEASSERT = 0;
constexpr ViUInt16 VI_GPIB_REN_ADDRESS_GTL = 6;

// viStatusDesc writes at most this many characters, its terminating zero included.
constexpr std::size_t kStatusDescLength = 256;
// viFindRsrc and viFindNext write a resource name of at most this many characters, its zero
// included (VI_FIND_BUFLEN); so does viGetAttribute a text attribute.
constexpr std::size_t kFindLength = 256;

// Status values are 32-bit patterns; the standard writes them in hexadecimal.
constexpr ViStatus Status(std::uint32_t pattern) { return static_cast<ViStatus>(pattern); }
constexpr ViStatus VI_SUCCESS_MAX_CNT = Status(0x3FFF0006);
constexpr ViStatus VI_ERROR_SYSTEM_ERROR = Status(0xBFFF0000);
constexpr ViStatus VI_ERROR_INV_OBJECT = Status(0xBFFF000E);
constexpr ViStatus VI_ERROR_RSRC_LOCKED = Status(0xBFFF000F);
constexpr ViStatus VI_ERROR_RSRC_NFOUND = Status(0xBFFF0011);
constexpr ViStatus VI_ERROR_INV_RSRC_NAME = Status(0xBFFF0012);
constexpr ViStatus VI_ERROR_TMO = Status(0xBFFF0015);
constexpr ViStatus VI_ERROR_CLOSING_FAILED = Status(0xBFFF0016);
constexpr ViStatus VI_ERROR_NSUP_ATTR = Status(0xBFFF001D);
constexpr ViStatus VI_ERROR_NSUP_ATTR_STATE = Status(0xBFFF001E);
constexpr ViStatus VI_ERROR_IO = Status(0xBFFF003E);
constexpr ViStatus VI_ERROR_NLISTENERS = Status(0xBFFF005F);
constexpr ViStatus VI_ERROR_NCIC = Status(0xBFFF0060);
constexpr ViStatus VI_ERROR_NSYS_CNTLR = Status(0xBFFF0061);
constexpr ViStatus VI_ERROR_RSRC_BUSY = Status(0xBFFF0072);
constexpr ViStatus VI_ERROR_INV_PARAMETER = Status(0xBFFF0078);
constexpr ViStatus VI_ERROR_INTF_NUM_NCONFIG = Status(0xBFFF00A5);

// The entries the library calls, by their names in the library.
struct Functions {
#define VISA_FUNCTION(name, parameters, arguments) ViStatus(APPARATA_VISA_CALL* name) parameters;
#include "hpib/visa/VisaFunctions.inc"
#undef VISA_FUNCTION
};

}  // namespace hpib::visa
