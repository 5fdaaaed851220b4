#include "hpib/EntryPointBus.h"

#include "core/Convert.h"
#include "core/Exceptions.h"
#include "core/Latin1.h"
#include "hpib/HPIBMessages.h"

namespace hpib {

std::uint16_t EntryPointBus::Call(const char* name, std::uint16_t first, std::uint16_t second) {
  const std::uint32_t address = driver_->GetProcAddress16(name);
  if (address == 0) {
    if (details_) details_(std::string(name) + " missing");
    throw core::Exception(core::FormatStr(MessageText(kMissingEntryMessage), core::FromLatin1(name)));
  }
  const std::uint16_t word = driver_->Call16(address, first, second);
  if (details_ && name != std::string_view("SetBuf") && name != std::string_view("GetBuf"))
    details_(std::string(name) + "(" + std::to_string(first) + "," + std::to_string(second) + ") -> " +
             std::to_string(word));
  return word;
}

Result EntryPointBus::Open(std::int32_t selectCode) { return Result{Call("OpenHPIB", BusWord(selectCode), 1)}; }

Result EntryPointBus::Close() { return Result{Call("CloseHPIB", 1, 1)}; }

Result EntryPointBus::Reset(std::int32_t address) { return Result{Call("ResetHPIB", BusWord(address), 1)}; }

Result EntryPointBus::Timeout(std::int32_t address, double seconds) {
  const std::uint16_t milliseconds = TimeoutMilliseconds(seconds);
  return Result{Call("TimeoutHPIB", milliseconds, BusWord(address))};
}

Result EntryPointBus::Clear(std::int32_t address) { return Result{Call("ClearHPIB", BusWord(address), 1)}; }

Result EntryPointBus::Local(std::int32_t address) { return Result{Call("LocalHPIB", BusWord(address), 1)}; }

Result EntryPointBus::Trigger(std::int32_t address) { return Result{Call("TriggerHPIB", BusWord(address), 1)}; }

Result EntryPointBus::Write(std::int32_t address, std::string_view bytes, bool end) {
  // The length announced is what is stored, so the instrument never receives a byte nobody wrote.
  const auto count = static_cast<std::uint16_t>(bytes.size());
  Call("SetBufLen", count, 1);
  for (std::uint16_t i = 1; i <= count; ++i) Call("SetBuf", i, static_cast<unsigned char>(bytes[i - 1u]));
  return Result{Call(end ? "OutputsHPIB" : "OutputABHPIB", BusWord(address), 1)};
}

Reply EntryPointBus::Read(std::int32_t address) {
  Reply reply = NoReply(Result{Call("EntersHPIB", BusWord(address), 1)});
  if (Failed(reply.result)) return reply;
  // The driver's buffer holds one message; a longer count is only what the driver says.
  reply.sent = Call("GetBufLen", 1, 1);
  try {
    for (std::uint16_t i = 1; i <= reply.sent && i <= HPIBMaxMessage; ++i)
      reply.bytes += static_cast<char>(Call("GetBuf", i, 1) & 0xFF);
  } catch (const core::Exception&) {
    reply.failure = std::current_exception();
  }
  return reply;
}

}  // namespace hpib
