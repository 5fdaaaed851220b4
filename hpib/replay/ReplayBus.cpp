#include "hpib/replay/ReplayBus.h"

#include "core/Exceptions.h"
#include "hpib/trace/TraceLine.h"
#include "hpib/trace/TraceText.h"

namespace hpib {
ReplayBus::ReplayBus(std::string name, TraceLineSource lines) : name_(std::move(name)), reader_(std::move(lines)) {}

ReplayBus::Key ReplayBus::KeyOf(const TraceCall& call) {
  if (!call.address || (*call.address >= 0 && *call.address < 100)) return std::nullopt;
  return call.address;
}

void ReplayBus::Fail(const std::string& what) {
  failure_ = TraceTextOf("Replay of " + name_ + ": " + what);
  throw core::Exception(*failure_);
}

std::optional<NumberedRecord> ReplayBus::NextFor(const Key& key) {
  auto waiting = waiting_.find(key);
  if (waiting != waiting_.end() && !waiting->second.empty()) {
    NumberedRecord next = std::move(waiting->second.front());
    waiting->second.pop_front();
    return next;
  }
  while (std::optional<NumberedRecord> next = reader_.Next()) {
    const Key of = KeyOf(next->record.call);
    if (of == key) return next;
    waiting_[of].push_back(std::move(*next));
  }
  return std::nullopt;
}

Reply ReplayBus::Answer(const TraceCall& call) {
  if (failure_) throw core::Exception(*failure_);
  const std::optional<NumberedRecord> next = NextFor(KeyOf(call));
  if (!next) {
    if (const auto& error = reader_.Error())
      Fail("line " + std::to_string(error->line) + ": " + error->text + "; came " + TraceCallText(call));
    Fail("no more lines for " + (KeyOf(call) ? "address " + std::to_string(*call.address) : std::string("the whole bus")) +
         " after line " + std::to_string(reader_.LinesRead()) + ", the trace's end; came " + TraceCallText(call));
  }
  const TraceRecord& record = next->record;
  if (!(record.call == call))
    Fail("line " + std::to_string(next->line) + " expected " + TraceCallText(record.call) + "; came " +
         TraceCallText(call));
  if (details_) details_("line " + std::to_string(next->line));
  Reply reply;
  reply.result = record.outcome.result;
  reply.bytes = record.received;
  reply.sent = record.count.value_or(record.received.size());
  if (record.outcome.exception) {
    core::Exception recorded(TraceTextOf(*record.outcome.exception));
    // A driver that failed after telling the count: the layer's caller learns the count first.
    if (call.operation != TraceOperation::Enter || !record.count) throw recorded;
    reply.failure = std::make_exception_ptr(recorded);
  }
  return reply;
}

Result ReplayBus::Open(std::int32_t selectCode) { return Answer(CallOf(TraceOperation::Open, selectCode)).result; }

Result ReplayBus::Close() { return Answer(CallOf(TraceOperation::Close, std::nullopt)).result; }

Result ReplayBus::Reset(std::int32_t address) { return Answer(CallOf(TraceOperation::Reset, address)).result; }

Result ReplayBus::Timeout(std::int32_t address, double seconds) {
  TraceCall call = CallOf(TraceOperation::Timeout, address);
  call.seconds = seconds;
  return Answer(call).result;
}

Result ReplayBus::Clear(std::int32_t address) { return Answer(CallOf(TraceOperation::Clear, address)).result; }

Result ReplayBus::Local(std::int32_t address) { return Answer(CallOf(TraceOperation::Local, address)).result; }

Result ReplayBus::Trigger(std::int32_t address) { return Answer(CallOf(TraceOperation::Trigger, address)).result; }

Result ReplayBus::Write(std::int32_t address, std::string_view bytes, bool end) {
  TraceCall call = CallOf(end ? TraceOperation::Output : TraceOperation::OutputBytes, address);
  call.sent = std::string(bytes);
  return Answer(call).result;
}

Reply ReplayBus::Read(std::int32_t address) { return Answer(CallOf(TraceOperation::Enter, address)); }

std::variant<std::unique_ptr<ReplayBus>, TraceError> OpenReplay(const std::string& name, const TraceOpener& open) {
  if (std::optional<TraceError> error = CheckTrace(open())) return *std::move(error);
  return std::make_unique<ReplayBus>(name, open());
}

}  // namespace hpib
