#include "hpib/visa/VisaNames.h"


namespace hpib {

std::string InterfaceResource(unsigned board) { return "GPIB" + std::to_string(board) + "::INTFC"; }

std::string InstrumentResource(unsigned board, unsigned primary) {
  return "GPIB" + std::to_string(board) + "::" + std::to_string(primary) + "::INSTR";
}

std::string ResourceOf(unsigned board, const BusTarget& target) {
  return target.isInterface ? InterfaceResource(board) : InstrumentResource(board, target.primary);
}

}  // namespace hpib
