#include "hpib/HPIBDrv.h"

#include <algorithm>
#include <cmath>
#include <mutex>

#include "core/Convert.h"
#include "core/Latin1.h"
#include "hpib/HPIBMessages.h"
#include "hpib/SimulatedInstruments.h"
#include "toolkit/Platform.h"

namespace hpib {
namespace {

struct LayerState {
  std::unique_ptr<BusDriver> library;  // none: debug mode
  bool cardOpen = false;
  BusLog* log = nullptr;
  RandomGenerator random;
};

// Everything of the layer is reached under this lock (see HPIBDrv.h).
std::mutex g_layerMutex;

LayerState& State() {
  static LayerState state;
  return state;
}

using Whole = std::lock_guard<std::mutex>;

void Log(const std::wstring& line) {
  if (BusLog* log = State().log) log->Log(line);
}

// Looks the entry point up on every call: the driver keeps no table of them for us.
std::uint16_t HPIBCall(const char* procName, std::uint16_t first, std::uint16_t second) {
  LayerState& s = State();
  std::uint32_t address = s.library->GetProcAddress16(procName);
  if (address == 0) {
    throw core::Exception(core::FormatStr(MessageText(kMissingEntryMessage), core::FromLatin1(procName)));
  }
  return s.library->Call16(address, first, second);
}

std::uint16_t Word(std::int64_t value) {
  if (value < 0 || value > 0xFFFF) throw core::ERangeError();
  return static_cast<std::uint16_t>(value);
}

std::wstring Number(std::int64_t value) { return std::to_wstring(value); }

// The operations that are one driver call on one address.
std::uint16_t SingleCall(const char* procName, std::int32_t address, const wchar_t* debugLine) {
  const Whole whole(g_layerMutex);
  if (!State().library) {
    Log(debugLine + Number(address));
    return 0;
  }
  return HPIBCall(procName, Word(address), 1);
}

std::uint16_t Output(const char* procName, std::int32_t address, const char* bytes, std::uint16_t count) {
  // Announce only what is stored, so the instrument never receives a byte nobody wrote.
  const std::uint16_t stored = std::min(count, HPIBMaxMessage);
  HPIBCall("SetBufLen", stored, 1);
  for (std::uint16_t i = 1; i <= stored; ++i)
    HPIBCall("SetBuf", i, static_cast<unsigned char>(bytes[i - 1]));
  return HPIBCall(procName, Word(address), 1);
}

}  // namespace

void HPIBLoad(std::unique_ptr<BusDriver> driver) {
  const Whole whole(g_layerMutex);
  LayerState& s = State();
  s.library = std::move(driver);
  s.cardOpen = false;
  s.random.Reset();
}

void HPIBUnload() {
  std::unique_ptr<BusDriver> library;
  {
    const Whole whole(g_layerMutex);
    library = std::move(State().library);
    State().log = nullptr;
  }
}

void HPIBSetLog(BusLog* log) {
  const Whole whole(g_layerMutex);
  State().log = log;
}

bool HPIBDebugMode() {
  const Whole whole(g_layerMutex);
  return !State().library;
}

void DebugLog(const std::wstring& line) {
  const Whole whole(g_layerMutex);
  Log(line);
}

std::uint16_t HPIBOpenCard(std::int32_t selectCode) {
  const Whole whole(g_layerMutex);
  State().cardOpen = true;
  if (!State().library) {
    Log(L"Card #" + Number(selectCode) + L" opened");
    return 0;
  }
  return HPIBCall("OpenHPIB", Word(selectCode), 1);
}

std::uint16_t HPIBClose() {
  const Whole whole(g_layerMutex);
  State().cardOpen = false;
  if (!State().library) {
    Log(L"Library closed");
    return 0;
  }
  return HPIBCall("CloseHPIB", 1, 1);
}

std::uint16_t HPIBClear(std::int32_t address) { return SingleCall("ClearHPIB", address, L"Cleared address "); }

std::uint16_t HPIBLocal(std::int32_t address) { return SingleCall("LocalHPIB", address, L"Set local address "); }

std::uint16_t HPIBTrigger(std::int32_t address) { return SingleCall("TriggerHPIB", address, L"Trigger address "); }

std::uint16_t HPIBReset(std::int32_t address) { return SingleCall("ResetHPIB", address, L"Reset address "); }

std::uint16_t HPIBTimeout(std::int32_t address, double seconds) {
  const Whole whole(g_layerMutex);
  if (!State().library) {
    wchar_t separator = toolkit::CurrentPlatform().DecimalSeparator();
    Log(L"Set timeout " + core::FloatToStr(seconds, separator) + L" for card " + Number(address));
    return 0;
  }
  // Round half to even, as the runtime's Round does.
  double ms = seconds * 1000.0;
  double rounded = std::nearbyint(ms);
  if (!(rounded >= 0.0 && rounded <= 65535.0)) throw core::ERangeError();
  std::uint16_t milliseconds = static_cast<std::uint16_t>(rounded);
  return HPIBCall("TimeoutHPIB", milliseconds, Word(address));
}

std::uint16_t HPIBEnter(std::int32_t address, char* buffer, std::uint16_t& length) {
  const Whole whole(g_layerMutex);
  LayerState& s = State();
  if (!s.library) {
    std::string reply = SimulatedReply(address, s.random);
    Log(L"Read from " + Number(address) + L": " + core::FromLatin1(reply));
    // At most length - 1 characters; the length itself stays as the caller gave it.
    std::size_t copied = std::min<std::size_t>(reply.size(), length > 0 ? length - 1u : 0u);
    std::copy_n(reply.data(), copied, buffer);
    return 0;
  }
  std::uint16_t code = HPIBCall("EntersHPIB", Word(address), 1);
  if (code != 0) return code;
  length = HPIBCall("GetBufLen", 1, 1);
  for (std::uint16_t i = 1; i <= length && i <= HPIBMaxMessage; ++i)
    buffer[i - 1] = static_cast<char>(HPIBCall("GetBuf", i, 1) & 0xFF);
  return code;
}

std::uint16_t HPIBOutput(std::int32_t address, const char* bytes, std::uint16_t count) {
  const Whole whole(g_layerMutex);
  if (!State().library) {
    // The echo field is always 59 characters: the data first when they fit, blanks after.
    constexpr std::size_t kEchoWidth = 59;
    std::string field(kEchoWidth, ' ');
    if (count < kEchoWidth) std::copy_n(bytes, count, field.begin());
    Log(L"Write to " + Number(address) + L": " + core::FromLatin1(field));
    return 0;
  }
  return Output("OutputsHPIB", address, bytes, count);
}

std::uint16_t HPIBOutputBytes(std::int32_t address, const char* bytes, std::uint16_t count) {
  const Whole whole(g_layerMutex);
  if (!State().library) {
    Log(L"Write bytes to " + Number(address));
    return 0;
  }
  return Output("OutputABHPIB", address, bytes, count);
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
