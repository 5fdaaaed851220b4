#pragma once
// The VISA resource names of the bus targets: "GPIB0::INTFC" and "GPIB0::7::INSTR".
#include <string>

#include "hpib/BusAddress.h"

namespace hpib {

std::string InterfaceResource(unsigned board);
std::string InstrumentResource(unsigned board, unsigned primary);
std::string ResourceOf(unsigned board, const BusTarget& target);

}  // namespace hpib
