#include "hpib/EntryPointBus.h"

#include "core/Convert.h"
#include "core/Exceptions.h"
#include "core/Latin1.h"
#include "hpib/HPIBMessages.h"

namespace hpib {

std::uint16_t EntryPointBus::Call(const char* name, std::uint16_t first, std::uint16_t second) {
  const std::uint32_t address = driver_->GetProcAddress16(name);
  if (address == 0) throw core::Exception(core::FormatStr(MessageText(kMissingEntryMessage), core::FromLatin1(name)));
  return driver_->Call16(address, first, second);
}

std::uint16_t EntryPointBus::Open(std::int32_t selectCode) { return Call("OpenHPIB", BusWord(selectCode), 1); }

std::uint16_t EntryPointBus::Close() { return Call("CloseHPIB", 1, 1); }

std::uint16_t EntryPointBus::Reset(std::int32_t address) { return Call("ResetHPIB", BusWord(address), 1); }

std::uint16_t EntryPointBus::Timeout(std::int32_t address, double seconds) {
  const std::uint16_t milliseconds = TimeoutMilliseconds(seconds);
  return Call("TimeoutHPIB", milliseconds, BusWord(address));
}

std::uint16_t EntryPointBus::Clear(std::int32_t address) { return Call("ClearHPIB", BusWord(address), 1); }

std::uint16_t EntryPointBus::Local(std::int32_t address) { return Call("LocalHPIB", BusWord(address), 1); }

std::uint16_t EntryPointBus::Trigger(std::int32_t address) { return Call("TriggerHPIB", BusWord(address), 1); }

std::uint16_t EntryPointBus::Write(std::int32_t address, std::string_view bytes, bool end) {
  // The length announced is what is stored, so the instrument never receives a byte nobody wrote.
  const auto count = static_cast<std::uint16_t>(bytes.size());
  Call("SetBufLen", count, 1);
  for (std::uint16_t i = 1; i <= count; ++i) Call("SetBuf", i, static_cast<unsigned char>(bytes[i - 1u]));
  return Call(end ? "OutputsHPIB" : "OutputABHPIB", BusWord(address), 1);
}

std::uint16_t EntryPointBus::Read(std::int32_t address, char* buffer, std::uint16_t& length) {
  const std::uint16_t code = Call("EntersHPIB", BusWord(address), 1);
  if (code != 0) return code;
  length = Call("GetBufLen", 1, 1);
  for (std::uint16_t i = 1; i <= length && i <= HPIBMaxMessage; ++i)
    buffer[i - 1] = static_cast<char>(Call("GetBuf", i, 1) & 0xFF);
  return code;
}

}  // namespace hpib
