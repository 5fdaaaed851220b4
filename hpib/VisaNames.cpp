#include "hpib/VisaNames.h"

#include "hpib/HPIBDrv.h"
#include "hpib/VisaStatus.h"

namespace hpib {

std::optional<VisaTarget> VisaTargetOf(std::uint16_t address) {
  constexpr unsigned kLastPrimary = 30;
  if (address == HPIBSelectCode) return VisaTarget{true, 0};
  if (address / 100 == HPIBSelectCode && address % 100 <= kLastPrimary) return VisaTarget{false, address % 100u};
  return std::nullopt;
}

Addressed AddressFor(std::int32_t address, Reach reach, bool cardOpen) {
  const std::optional<VisaTarget> target = VisaTargetOf(BusWord(address));
  if (!target) return {kResultInvalidAddress, {}};
  if (!cardOpen) return {kResultCardNotOpen, {}};
  if ((reach == Reach::Interface && !target->isInterface) || (reach == Reach::Instrument && target->isInterface))
    return {kResultImproperAddressing, {}};
  return {kResultSuccess, *target};
}

std::string InterfaceResource(unsigned board) { return "GPIB" + std::to_string(board) + "::INTFC"; }

std::string InstrumentResource(unsigned board, unsigned primary) {
  return "GPIB" + std::to_string(board) + "::" + std::to_string(primary) + "::INSTR";
}

std::string ResourceOf(unsigned board, const VisaTarget& target) {
  return target.isInterface ? InterfaceResource(board) : InstrumentResource(board, target.primary);
}

}  // namespace hpib
