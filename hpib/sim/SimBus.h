#pragma once
// The back end of a simulated bench: the bench's instruments answer at their addresses on
// select code 7 as the real ones would, with state, scatter and the faults the bench asks for.
// The rules of addressing are VisaBus's: the select code alone is the interface (open, reset,
// timeout, and clear, local and trigger of the whole bus), select code x 100 + primary one
// instrument; operations before Open answer Result::CardNotOpen.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "hpib/Bus.h"
#include "hpib/BusAddress.h"
#include "hpib/sim/Bench.h"
#include "hpib/sim/Noise.h"
#include "hpib/sim/SimInstrument.h"

namespace hpib::sim {

class SimBus : public Bus {
 public:
  // `trace`, when given, receives one line per operation (SimTraceLine).
  SimBus(Bench bench, std::function<void(const std::string&)> trace);

  Result Open(std::int32_t selectCode) override;
  Result Close() override;
  Result Reset(std::int32_t address) override;
  // Answers at once, whatever the seconds; a reply that never comes is a fault of the bench.
  Result Timeout(std::int32_t address, double seconds) override;
  // Instruments keep their settings and their last reading over a device clear.
  Result Clear(std::int32_t address) override;
  Result Local(std::int32_t address) override;
  Result Trigger(std::int32_t address) override;
  Result Write(std::int32_t address, std::string_view bytes, bool end) override;
  Reply Read(std::int32_t address) override;
  // The operation's line as `trace` has it, and the fault that took a reply away.
  void SendDetailsTo(DetailSink details) override { details_ = std::move(details); }

 private:
  struct Station {
    std::unique_ptr<SimInstrument> instrument;
    Faults faults;
    std::uint64_t reads = 0;
    Noise timeouts;  // its own sequence, so that faults leave the readings' scatter alone
  };
  struct Target {
    Result result = Result::Success;  // not Success: why the operation goes nowhere
    Station* station = nullptr;  // none: the whole bus
  };
  // core::ERangeError for an address beyond 16 bits.
  Target TargetOf(std::int32_t address, Reach reach);
  Result Traced(std::optional<std::int32_t> address, const char* operation, const std::string& detail,
                Result result);

  std::map<unsigned, Station> stations_;  // by primary address; an absent instrument has none
  std::function<void(const std::string&)> trace_;
  DetailSink details_;
  bool open_ = false;
};

}  // namespace hpib::sim
