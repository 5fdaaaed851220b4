#pragma once
// The driver layer's bus trace: a back end wrapped so that each of its operations, as it
// completes, hands one line to the trace (TraceLine.h), followed by the lines the back end adds
// of its own (Bus::SendDetailsTo). The first line, the header, goes out when the trace is made.
//
// Like any back end it is called under the layer's lock, one operation at a time.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "hpib/Bus.h"
#include "hpib/trace/LibraryVersion.h"
#include "hpib/trace/TraceClock.h"
#include "hpib/trace/TraceRecord.h"

namespace hpib {

// Receives each line of the trace without its line end.
using TraceSink = std::function<void(const std::string& line)>;

struct BusTrace {
  TraceSink sink;       // none: nothing is traced
  std::string backEnd;  // the header's words for the back end, "VISA board GPIB0"
  std::string library = LibraryVersion();
  TraceClock clock = SystemTraceClock();
};

class TracingBus final : public Bus {
 public:
  // `trace.sink` must be set.
  TracingBus(std::unique_ptr<Bus> traced, BusTrace trace);

  Result Open(std::int32_t selectCode) override;
  Result Close() override;
  Result Reset(std::int32_t address) override;
  Result Timeout(std::int32_t address, double seconds) override;
  Result Clear(std::int32_t address) override;
  Result Local(std::int32_t address) override;
  Result Trigger(std::int32_t address) override;
  Result Write(std::int32_t address, std::string_view bytes, bool end) override;
  Reply Read(std::int32_t address) override;
  bool IsDebugMode() const override { return traced_->IsDebugMode(); }

 private:
  // Runs `operation` and writes its line and the back end's, also when it raises an exception,
  // which goes on to the caller.
  Reply Traced(TraceCall call, const std::function<Reply()>& operation);
  Result Traced(TraceCall call, const std::function<Result()>& operation);
  unsigned ThreadNumber();

  std::unique_ptr<Bus> traced_;
  BusTrace trace_;
  std::vector<std::string> details_;  // the back end's lines of the operation under way
  std::map<std::thread::id, unsigned> threads_;
};

}  // namespace hpib
