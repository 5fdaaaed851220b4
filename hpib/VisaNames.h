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

// "GPIB0::INTFC" and "GPIB0::7::INSTR".
std::string InterfaceResource(unsigned board);
std::string InstrumentResource(unsigned board, unsigned primary);
std::string ResourceOf(unsigned board, const VisaTarget& target);

}  // namespace hpib
