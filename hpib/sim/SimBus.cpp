#include "hpib/sim/SimBus.h"

#include "hpib/BusAddress.h"
#include "hpib/TraceBytes.h"
#include "hpib/sim/SimTrace.h"

namespace hpib::sim {
namespace {

// Timeouts draw from a sequence of their own, apart from the readings' scatter of the same seed.
constexpr std::uint64_t kTimeoutStream = 0x5DEECE66Du;

}  // namespace

SimBus::SimBus(Bench bench, std::function<void(const std::string&)> trace) : trace_(std::move(trace)) {
  for (const InstrumentSetup& setup : bench.instruments)
    if (!setup.faults.absent)
      stations_.emplace(static_cast<unsigned>(setup.primary),
                        Station{MakeInstrument(setup), setup.faults, 0, Noise(setup.seed ^ kTimeoutStream)});
}

Result SimBus::Traced(std::optional<std::int32_t> address, const char* operation, const std::string& detail,
                      Result result) {
  if (!trace_ && !details_) return result;
  const std::string line = SimTraceLine(address, operation, detail, result);
  if (trace_) trace_(line);
  if (details_) details_(line);
  return result;
}

SimBus::Target SimBus::TargetOf(std::int32_t address, Reach reach) {
  const Addressed addressed = AddressFor(address, reach, open_);
  if (Failed(addressed.result)) return {addressed.result};
  if (addressed.target.isInterface) return {};
  const auto found = stations_.find(addressed.target.primary);
  if (found == stations_.end()) return {Result::InvalidAddress};
  return {Result::Success, &found->second};
}

Result SimBus::Open(std::int32_t selectCode) {
  const bool ours = BusWord(selectCode) == HPIBSelectCode;
  open_ = open_ || ours;
  return Traced(selectCode, "Open", "", ours ? Result::Success : Result::InvalidAddress);
}

Result SimBus::Close() {
  open_ = false;
  return Traced(std::nullopt, "Close", "", Result::Success);
}

Result SimBus::Reset(std::int32_t address) {
  return Traced(address, "Reset", "", TargetOf(address, Reach::Interface).result);
}

Result SimBus::Timeout(std::int32_t address, double seconds) {
  const std::uint16_t milliseconds = TimeoutMilliseconds(seconds);
  return Traced(address, "Timeout", std::to_string(milliseconds) + " ms", TargetOf(address, Reach::Interface).result);
}

Result SimBus::Clear(std::int32_t address) {
  return Traced(address, "Clear", "", TargetOf(address, Reach::Either).result);
}

Result SimBus::Local(std::int32_t address) {
  return Traced(address, "Local", "", TargetOf(address, Reach::Either).result);
}

Result SimBus::Trigger(std::int32_t address) {
  const Target t = TargetOf(address, Reach::Either);
  if (!Failed(t.result)) {
    if (t.station) t.station->instrument->Measure();
    else
      for (auto& [primary, station] : stations_) station.instrument->Measure();
  }
  return Traced(address, "Trigger", "", t.result);
}

Result SimBus::Write(std::int32_t address, std::string_view bytes, bool end) {
  const Target t = TargetOf(address, Reach::Instrument);
  if (!Failed(t.result)) t.station->instrument->Receive(bytes);
  return Traced(address, "Write", BytesDetail("sent", std::string(bytes)) + (end ? " END" : ""), t.result);
}

Reply SimBus::Read(std::int32_t address) {
  const Target t = TargetOf(address, Reach::Instrument);
  if (Failed(t.result)) return NoReply(Traced(address, "Read", "", t.result));
  Station& station = *t.station;
  ++station.reads;
  // Drawn at every read, so that one read's chance does not depend on the other fault.
  const bool lost = station.timeouts.Uniform() < station.faults.timeoutProbability;
  const bool off = station.faults.timeoutFromRead && station.reads >= *station.faults.timeoutFromRead;
  if (lost || off) {
    if (details_)
      details_(off ? "fault: no reply from read " + std::to_string(*station.faults.timeoutFromRead) + " on"
                   : "fault: reply lost, read " + std::to_string(station.reads));
    return NoReply(Traced(address, "Read", "", Result::Timeout));
  }
  std::string reply = station.instrument->Reply();
  Traced(address, "Read", BytesDetail("received", reply), Result::Success);
  return Received(std::move(reply));
}

}  // namespace hpib::sim
