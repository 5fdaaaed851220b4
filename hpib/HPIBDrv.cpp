#include "hpib/HPIBDrv.h"

#include <algorithm>
#include <mutex>

#include "core/Convert.h"
#include "hpib/HPIBMessages.h"

namespace hpib {
namespace {

struct LayerState {
  std::unique_ptr<Bus> bus;  // none: not loaded
  bool cardOpen = false;
};

// Everything of the layer is reached under this lock (see HPIBDrv.h).
std::mutex g_layerMutex;

LayerState& State() {
  static LayerState state;
  return state;
}

// The back end until the layer is loaded and after it is unloaded: every operation succeeds
// and does nothing, and a read brings no byte.
class UnloadedBus final : public Bus {
 public:
  Result Open(std::int32_t) override { return Result::Success; }
  Result Close() override { return Result::Success; }
  Result Reset(std::int32_t) override { return Result::Success; }
  Result Timeout(std::int32_t, double) override { return Result::Success; }
  Result Clear(std::int32_t) override { return Result::Success; }
  Result Local(std::int32_t) override { return Result::Success; }
  Result Trigger(std::int32_t) override { return Result::Success; }
  Result Write(std::int32_t, std::string_view, bool) override { return Result::Success; }
  Reply Read(std::int32_t) override { return Received({}); }
  // The caller's buffer and length stay as they were.
  bool IsDebugMode() const override { return true; }
};

Bus& Unloaded() {
  static UnloadedBus unloaded;
  return unloaded;
}

// Under the layer's lock.
Result CloseCard(Bus& bus) {
  State().cardOpen = false;
  return bus.Close();
}

// One operation on the back end, whole under the layer's lock, and with it the card's close
// after a failure when the caller asks for it.
template <class Operation>
Result Whole(Operation operation, OnFailure onFailure = OnFailure::Answer) {
  const std::lock_guard<std::mutex> lock(g_layerMutex);
  Bus* loaded = State().bus.get();
  Bus& bus = loaded ? *loaded : Unloaded();
  const Result result = operation(bus);
  if (Failed(result) && onFailure == OnFailure::CloseCard) CloseCard(bus);
  return result;
}

std::string_view Message(const char* bytes, std::uint16_t count) {
  return {bytes, std::min(count, HPIBMaxMessage)};
}

}  // namespace

void HPIBLoad(std::unique_ptr<Bus> bus, BusTrace trace) {
  const std::lock_guard<std::mutex> lock(g_layerMutex);
  if (trace.sink) bus = std::make_unique<TracingBus>(std::move(bus), std::move(trace));
  State().bus = std::move(bus);
  State().cardOpen = false;
}

void HPIBUnload() {
  std::unique_ptr<Bus> bus;
  const std::lock_guard<std::mutex> lock(g_layerMutex);
  bus = std::move(State().bus);
}

Result HPIBOpenCard(std::int32_t selectCode) {
  return Whole([&](Bus& bus) {
    State().cardOpen = true;
    return bus.Open(selectCode);
  });
}

Result HPIBOpenOnDemand(std::int32_t selectCode, double seconds) {
  return Whole([&](Bus& bus) {
    LayerState& state = State();
    if (state.cardOpen) return Result::Success;
    state.cardOpen = true;
    bus.Open(selectCode);
    Result result = bus.Reset(selectCode);
    if (!Failed(result)) result = bus.Timeout(selectCode, seconds);
    if (Failed(result)) CloseCard(bus);
    return result;
  });
}

Result HPIBClose() { return Whole(CloseCard); }

Result HPIBClear(std::int32_t address, OnFailure onFailure) {
  return Whole([&](Bus& bus) { return bus.Clear(address); }, onFailure);
}

Result HPIBLocal(std::int32_t address, OnFailure onFailure) {
  return Whole([&](Bus& bus) { return bus.Local(address); }, onFailure);
}

Result HPIBTrigger(std::int32_t address, OnFailure onFailure) {
  return Whole([&](Bus& bus) { return bus.Trigger(address); }, onFailure);
}

Result HPIBReset(std::int32_t address) { return Whole([&](Bus& bus) { return bus.Reset(address); }); }

Result HPIBTimeout(std::int32_t address, double seconds) {
  return Whole([&](Bus& bus) { return bus.Timeout(address, seconds); });
}

Result HPIBEnter(std::int32_t address, char* buffer, std::uint16_t& length, OnFailure onFailure) {
  return Whole([&](Bus& bus) {
    const Reply reply = bus.Read(address);
    if (Failed(reply.result)) return reply.result;
    if (bus.IsDebugMode()) {
      std::copy_n(reply.bytes.data(), std::min<std::size_t>(reply.bytes.size(), length > 0 ? length - 1u : 0u), buffer);
    } else {
      length = static_cast<std::uint16_t>(std::min<std::size_t>(reply.sent, 0xFFFF));
      if (reply.failure) std::rethrow_exception(reply.failure);
      std::copy_n(reply.bytes.data(), std::min<std::size_t>(reply.bytes.size(), HPIBMaxMessage), buffer);
    }
    return Result::Success;
  }, onFailure);
}

Result HPIBOutput(std::int32_t address, const char* bytes, std::uint16_t count, OnFailure onFailure) {
  return Whole([&](Bus& bus) { return bus.Write(address, Message(bytes, count), true); }, onFailure);
}

Result HPIBOutputBytes(std::int32_t address, const char* bytes, std::uint16_t count, OnFailure onFailure) {
  return Whole([&](Bus& bus) { return bus.Write(address, Message(bytes, count), false); }, onFailure);
}

void HPIBCheck(Result result) {
  if (!Failed(result)) return;
  HPIBClose();
  HPIBRaise(result);
}

void HPIBRaise(Result result) {
  throw EHardwareError(core::FormatStr(MessageText(kCriticalErrorMessage), ResultText(result)));
}

void HPIBRaiseFailure(Result result) {
  if (Failed(result)) HPIBRaise(result);
}

bool HPIBIsOpen() {
  const std::lock_guard<std::mutex> lock(g_layerMutex);
  return State().cardOpen;
}

}  // namespace hpib
