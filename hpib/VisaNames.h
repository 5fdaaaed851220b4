#pragma once
// What a bus address of the driver layer means on a VISA board: the select code alone is the
// board's interface, select code x 100 + primary address (0 to 30) one instrument on it.
#include <cstdint>
#include <optional>
#include <string>

namespace hpib {

struct VisaTarget {
  bool isInterface = false;
  unsigned primary = 0;  // for an instrument
};

// Nothing for an address with another select code or a primary address above 30.
std::optional<VisaTarget> VisaTargetOf(std::uint16_t address);

// Which targets an operation can address; any other is improper.
enum class Reach { Interface, Instrument, Either };

struct Addressed {
  std::uint16_t code = 0;  // not 0: the result code that refuses the operation
  VisaTarget target;
};

// The target of an operation on `address`, or why there is none, in this order: no target at
// that address, the card not open, a target the operation cannot reach. core::ERangeError for
// an address beyond 16 bits.
Addressed AddressFor(std::int32_t address, Reach reach, bool cardOpen);

// "GPIB0::INTFC" and "GPIB0::7::INSTR".
std::string InterfaceResource(unsigned board);
std::string InstrumentResource(unsigned board, unsigned primary);
std::string ResourceOf(unsigned board, const VisaTarget& target);

}  // namespace hpib
