#include "hpib/BusAddress.h"

#include "core/Convert.h"
#include "hpib/Bus.h"

namespace hpib {

std::int32_t InstrumentAddress(std::int32_t primary) {
  return core::CheckedAdd(core::CheckedMul(HPIBSelectCode, 100), primary);
}

std::optional<BusTarget> BusTargetOf(std::uint16_t address) {
  constexpr unsigned kLastPrimary = 30;
  if (address == HPIBSelectCode) return BusTarget{true, 0};
  if (address / 100 == HPIBSelectCode && address % 100 <= kLastPrimary) return BusTarget{false, address % 100u};
  return std::nullopt;
}

Addressed AddressFor(std::int32_t address, Reach reach, bool cardOpen) {
  const std::optional<BusTarget> target = BusTargetOf(BusWord(address));
  if (!target) return {Result::InvalidAddress, {}};
  if (!cardOpen) return {Result::CardNotOpen, {}};
  if ((reach == Reach::Interface && !target->isInterface) || (reach == Reach::Instrument && target->isInterface))
    return {Result::ImproperAddressing, {}};
  return {Result::Success, *target};
}

}  // namespace hpib
