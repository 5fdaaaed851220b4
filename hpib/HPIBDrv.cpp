#include "hpib/HPIBDrv.h"

#include <algorithm>
#include <mutex>

#include "core/Convert.h"
#include "hpib/DebugBus.h"
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

// The back end until the layer is loaded and after it is unloaded: it does nothing.
Bus& Unloaded() {
  static DebugBus unloaded(nullptr, L'.');
  return unloaded;
}

// One operation on the back end, whole under the layer's lock.
template <class Operation>
std::uint16_t Whole(Operation operation) {
  const std::lock_guard<std::mutex> lock(g_layerMutex);
  Bus* bus = State().bus.get();
  return operation(bus ? *bus : Unloaded());
}

std::string_view Message(const char* bytes, std::uint16_t count) {
  return {bytes, std::min(count, HPIBMaxMessage)};
}

}  // namespace

void HPIBLoad(std::unique_ptr<Bus> bus) {
  const std::lock_guard<std::mutex> lock(g_layerMutex);
  State().bus = std::move(bus);
  State().cardOpen = false;
}

void HPIBUnload() {
  std::unique_ptr<Bus> bus;
  const std::lock_guard<std::mutex> lock(g_layerMutex);
  bus = std::move(State().bus);
}

std::uint16_t HPIBOpenCard(std::int32_t selectCode) {
  return Whole([&](Bus& bus) {
    State().cardOpen = true;
    return bus.Open(selectCode);
  });
}

std::uint16_t HPIBOpenOnDemand(std::int32_t selectCode, double seconds) {
  return Whole([&](Bus& bus) -> std::uint16_t {
    LayerState& state = State();
    if (state.cardOpen) return 0;
    state.cardOpen = true;
    bus.Open(selectCode);
    std::uint16_t code = bus.Reset(selectCode);
    if (code == 0) code = bus.Timeout(selectCode, seconds);
    if (code != 0) {
      state.cardOpen = false;
      bus.Close();
    }
    return code;
  });
}

std::uint16_t HPIBClose() {
  return Whole([](Bus& bus) {
    State().cardOpen = false;
    return bus.Close();
  });
}

std::uint16_t HPIBClear(std::int32_t address) { return Whole([&](Bus& bus) { return bus.Clear(address); }); }

std::uint16_t HPIBLocal(std::int32_t address) { return Whole([&](Bus& bus) { return bus.Local(address); }); }

std::uint16_t HPIBTrigger(std::int32_t address) { return Whole([&](Bus& bus) { return bus.Trigger(address); }); }

std::uint16_t HPIBReset(std::int32_t address) { return Whole([&](Bus& bus) { return bus.Reset(address); }); }

std::uint16_t HPIBTimeout(std::int32_t address, double seconds) {
  return Whole([&](Bus& bus) { return bus.Timeout(address, seconds); });
}

std::uint16_t HPIBEnter(std::int32_t address, char* buffer, std::uint16_t& length) {
  return Whole([&](Bus& bus) { return bus.Read(address, buffer, length); });
}

std::uint16_t HPIBOutput(std::int32_t address, const char* bytes, std::uint16_t count) {
  return Whole([&](Bus& bus) { return bus.Write(address, Message(bytes, count), true); });
}

std::uint16_t HPIBOutputBytes(std::int32_t address, const char* bytes, std::uint16_t count) {
  return Whole([&](Bus& bus) { return bus.Write(address, Message(bytes, count), false); });
}

void HPIBCheck(std::uint32_t code) {
  if (code == 0) return;
  HPIBClose();
  HPIBRaise(code);
}

void HPIBRaise(std::uint32_t code) {
  throw EHardwareError(core::FormatStr(MessageText(kCriticalErrorMessage), ResultCodeText(code)));
}

bool HPIBIsOpen() {
  const std::lock_guard<std::mutex> lock(g_layerMutex);
  return State().cardOpen;
}

}  // namespace hpib
