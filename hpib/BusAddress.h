#pragma once
// What a bus address of the driver layer means, to the controls that make it and to a back end
// that addresses instruments one by one (VISA, the simulated bench): the select code alone is
// the board's interface, select code x 100 + primary address (0 to 30) one instrument on it.
#include <cstdint>
#include <optional>

#include "hpib/Result.h"

namespace hpib {

// The select code of the interface card; nothing changes it.
constexpr std::uint16_t HPIBSelectCode = 7;

// The address of the instrument at `primary` on the card: select code x 100 + primary.
// core::EIntOverflow when it does not fit 32 bits.
std::int32_t InstrumentAddress(std::int32_t primary);

struct BusTarget {
  bool isInterface = false;
  unsigned primary = 0;  // for an instrument
};

// Nothing for an address with another select code or a primary address above 30.
std::optional<BusTarget> BusTargetOf(std::uint16_t address);

// Which targets an operation can address; any other is improper.
enum class Reach { Interface, Instrument, Either };

struct Addressed {
  Result result = Result::Success;  // not Success: why the operation is refused
  BusTarget target;
};

// The target of an operation on `address`, or why there is none, in this order: no target at
// that address, the card not open, a target the operation cannot reach. core::ERangeError for
// an address beyond 16 bits.
Addressed AddressFor(std::int32_t address, Reach reach, bool cardOpen);

}  // namespace hpib
