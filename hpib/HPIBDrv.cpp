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

using Whole = std::lock_guard<std::mutex>;

// The back end, under the layer's lock; unloaded, one that does nothing.
Bus& Current() {
  static DebugBus unloaded(nullptr, L'.');
  Bus* bus = State().bus.get();
  return bus ? *bus : unloaded;
}

std::string_view Message(const char* bytes, std::uint16_t count) {
  return {bytes, std::min(count, HPIBMaxMessage)};
}

}  // namespace

void HPIBLoad(std::unique_ptr<Bus> bus) {
  const Whole whole(g_layerMutex);
  State().bus = std::move(bus);
  State().cardOpen = false;
}

void HPIBUnload() {
  std::unique_ptr<Bus> bus;
  const Whole whole(g_layerMutex);
  bus = std::move(State().bus);
}

std::uint16_t HPIBOpenCard(std::int32_t selectCode) {
  const Whole whole(g_layerMutex);
  State().cardOpen = true;
  return Current().Open(selectCode);
}

std::uint16_t HPIBClose() {
  const Whole whole(g_layerMutex);
  State().cardOpen = false;
  return Current().Close();
}

std::uint16_t HPIBClear(std::int32_t address) {
  const Whole whole(g_layerMutex);
  return Current().Clear(address);
}

std::uint16_t HPIBLocal(std::int32_t address) {
  const Whole whole(g_layerMutex);
  return Current().Local(address);
}

std::uint16_t HPIBTrigger(std::int32_t address) {
  const Whole whole(g_layerMutex);
  return Current().Trigger(address);
}

std::uint16_t HPIBReset(std::int32_t address) {
  const Whole whole(g_layerMutex);
  return Current().Reset(address);
}

std::uint16_t HPIBTimeout(std::int32_t address, double seconds) {
  const Whole whole(g_layerMutex);
  return Current().Timeout(address, seconds);
}

std::uint16_t HPIBEnter(std::int32_t address, char* buffer, std::uint16_t& length) {
  const Whole whole(g_layerMutex);
  return Current().Read(address, buffer, length);
}

std::uint16_t HPIBOutput(std::int32_t address, const char* bytes, std::uint16_t count) {
  const Whole whole(g_layerMutex);
  return Current().Write(address, Message(bytes, count), true);
}

std::uint16_t HPIBOutputBytes(std::int32_t address, const char* bytes, std::uint16_t count) {
  const Whole whole(g_layerMutex);
  return Current().Write(address, Message(bytes, count), false);
}

void HPIBCheck(std::uint32_t code) {
  if (code == 0) return;
  HPIBClose();
  throw EHardwareError(core::FormatStr(MessageText(kCriticalErrorMessage), ResultCodeText(code)));
}

bool HPIBIsOpen() {
  const Whole whole(g_layerMutex);
  return State().cardOpen;
}

}  // namespace hpib
