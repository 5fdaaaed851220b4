#include "hpib/trace/TracingBus.h"

#include <utility>

#include "core/Exceptions.h"
#include "hpib/trace/TraceLine.h"
#include "hpib/trace/TraceText.h"

namespace hpib {
TracingBus::TracingBus(std::unique_ptr<Bus> traced, BusTrace trace)
    : traced_(std::move(traced)), trace_(std::move(trace)) {
  trace_.sink(TraceHeaderLine({kTraceVersion, trace_.library, trace_.backEnd}));
  traced_->SendDetailsTo([this](const std::string& line) { details_.push_back(line); });
}

unsigned TracingBus::ThreadNumber() {
  const auto found = threads_.emplace(std::this_thread::get_id(), static_cast<unsigned>(threads_.size() + 1));
  return found.first->second;
}

Reply TracingBus::Traced(TraceCall call, const std::function<Reply()>& operation) {
  TraceRecord record;
  record.time = trace_.clock.localTime();
  record.thread = ThreadNumber();
  record.call = std::move(call);
  details_.clear();
  const std::int64_t start = trace_.clock.steadyMicroseconds();
  const auto write = [&] {
    record.microseconds = trace_.clock.steadyMicroseconds() - start;
    trace_.sink(TraceLine(record));
    for (const std::string& detail : std::exchange(details_, {})) trace_.sink(TraceDetailLine(detail));
  };
  try {
    Reply reply = operation();
    record.outcome.result = reply.result;
    record.received = reply.bytes;
    if (reply.failure) {
      try {
        std::rethrow_exception(reply.failure);
      } catch (const std::exception& e) {
        record.outcome.exception = TraceTextBytes(core::MessageOf(e));
      }
    }
    if (reply.sent != reply.bytes.size() || reply.failure) record.count = reply.sent;
    write();
    return reply;
  } catch (const std::exception& e) {
    record.outcome.exception = TraceTextBytes(core::MessageOf(e));
    write();
    throw;
  }
}

Result TracingBus::Traced(TraceCall call, const std::function<Result()>& operation) {
  return Traced(std::move(call), std::function<Reply()>([&] { return NoReply(operation()); })).result;
}

Result TracingBus::Open(std::int32_t selectCode) {
  return Traced(CallOf(TraceOperation::Open, selectCode), [&] { return traced_->Open(selectCode); });
}

Result TracingBus::Close() {
  return Traced(CallOf(TraceOperation::Close, std::nullopt), [&] { return traced_->Close(); });
}

Result TracingBus::Reset(std::int32_t address) {
  return Traced(CallOf(TraceOperation::Reset, address), [&] { return traced_->Reset(address); });
}

Result TracingBus::Timeout(std::int32_t address, double seconds) {
  TraceCall call = CallOf(TraceOperation::Timeout, address);
  call.seconds = seconds;
  return Traced(std::move(call), [&] { return traced_->Timeout(address, seconds); });
}

Result TracingBus::Clear(std::int32_t address) {
  return Traced(CallOf(TraceOperation::Clear, address), [&] { return traced_->Clear(address); });
}

Result TracingBus::Local(std::int32_t address) {
  return Traced(CallOf(TraceOperation::Local, address), [&] { return traced_->Local(address); });
}

Result TracingBus::Trigger(std::int32_t address) {
  return Traced(CallOf(TraceOperation::Trigger, address), [&] { return traced_->Trigger(address); });
}

Result TracingBus::Write(std::int32_t address, std::string_view bytes, bool end) {
  TraceCall call = CallOf(end ? TraceOperation::Output : TraceOperation::OutputBytes, address);
  call.sent = std::string(bytes);
  return Traced(std::move(call), [&] { return traced_->Write(address, bytes, end); });
}

Reply TracingBus::Read(std::int32_t address) {
  return Traced(CallOf(TraceOperation::Enter, address), std::function<Reply()>([&] { return traced_->Read(address); }));
}

}  // namespace hpib
