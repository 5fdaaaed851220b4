#include "hpib/DebugBus.h"

#include <algorithm>
#include <array>

#include "core/Convert.h"
#include "core/Latin1.h"

namespace hpib {
namespace {

// One instrument: its address, its reply with "%d" where a drawn digit goes, and the bound of
// each draw in the order the digits are drawn.
struct SimulatedInstrument {
  int address;
  const char* reply;
  std::array<std::uint32_t, 2> draws;  // 0 ends the list
};

constexpr SimulatedInstrument kInstruments[] = {
    {703, "2.%d723E+1 D", {9, 0}},                           // E7-12 LCR meter
    {707, "R +1135%dE-4", {9, 0}},                           // B7-40/5 multimeter
    {717, " NRN+1.23%d5E+01,NXN+5.432%dE-01", {9, 5}},       // HP 4191A analyzer
};

constexpr const char* kUnknownReply = "DEBUG DEBUG DEBUG DEBUG DEBUG DEBUG DEBUG DEBUG";

// The echo of a written message is always 59 characters: the data first when they fit, blanks after.
constexpr std::size_t kEchoWidth = 59;

std::wstring Number(std::int32_t value) { return std::to_wstring(value); }

}  // namespace

std::uint32_t RandomGenerator::Draw(std::uint32_t n) {
  state_ = state_ * 134775813u + 1u;
  return static_cast<std::uint32_t>((static_cast<std::uint64_t>(state_) * n) >> 32);
}

std::string SimulatedReply(int address, RandomGenerator& random) {
  for (const auto& instrument : kInstruments) {
    if (instrument.address != address) continue;
    std::string reply;
    std::size_t draw = 0;
    for (const char* p = instrument.reply; *p; ++p) {
      if (p[0] == '%' && p[1] == 'd' && draw < instrument.draws.size() && instrument.draws[draw]) {
        reply += std::to_string(random.Draw(instrument.draws[draw++]));
        ++p;
      } else {
        reply += *p;
      }
    }
    return reply;
  }
  return kUnknownReply;
}

Result DebugBus::Logged(const std::wstring& line) {
  if (log_) log_->Log(line);
  if (details_) details_(core::ToLatin1(line));
  return Result::Success;
}

Result DebugBus::Open(std::int32_t selectCode) { return Logged(L"Card #" + Number(selectCode) + L" opened"); }

Result DebugBus::Close() { return Logged(L"Library closed"); }

Result DebugBus::Reset(std::int32_t address) { return Logged(L"Reset address " + Number(address)); }

Result DebugBus::Timeout(std::int32_t address, double seconds) {
  return Logged(L"Set timeout " + core::FloatToStr(seconds, decimalSeparator_) + L" for card " + Number(address));
}

Result DebugBus::Clear(std::int32_t address) { return Logged(L"Cleared address " + Number(address)); }

Result DebugBus::Local(std::int32_t address) { return Logged(L"Set local address " + Number(address)); }

Result DebugBus::Trigger(std::int32_t address) { return Logged(L"Trigger address " + Number(address)); }

Result DebugBus::Write(std::int32_t address, std::string_view bytes, bool end) {
  if (!end) return Logged(L"Write bytes to " + Number(address));
  std::string field(kEchoWidth, ' ');
  if (bytes.size() < kEchoWidth) std::copy(bytes.begin(), bytes.end(), field.begin());
  return Logged(L"Write to " + Number(address) + L": " + core::FromLatin1(field));
}

Reply DebugBus::Read(std::int32_t address) {
  std::string reply = SimulatedReply(address, random_);
  Logged(L"Read from " + Number(address) + L": " + core::FromLatin1(reply));
  return Received(std::move(reply));
}

}  // namespace hpib
