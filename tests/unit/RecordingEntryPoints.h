#pragma once
// The 16-bit driver for tests: records every entry-point call as "Name(first,second)", answers with
// scripted result codes, serves a scripted reply through GetBufLen/GetBuf, and can lack any
// entry point.
#include <cstdint>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "hpib/EntryPointBus.h"

namespace testing_support {

class RecordingEntryPoints : public hpib::EntryPoints {
 public:
  static constexpr const char* kEntryPoints[] = {
      "OpenHPIB", "CloseHPIB", "ClearHPIB",  "LocalHPIB", "TriggerHPIB", "ResetHPIB",   "TimeoutHPIB",
      "EntersHPIB", "GetBufLen", "GetBuf", "SetBufLen", "SetBuf", "OutputsHPIB", "OutputABHPIB"};

  struct Log {
    std::vector<std::string> calls;
    std::map<std::string, std::deque<std::uint16_t>> results;  // next results by entry point
    std::set<std::string> missing;
    std::string reply;                  // what EntersHPIB puts in the transfer buffer
    int replyLength = -1;               // what GetBufLen answers; -1: the reply's length
    std::string sent;                   // bytes stored with SetBuf since the last SetBufLen
  };

  explicit RecordingEntryPoints(Log& log) : log_(log) {}

  std::uint32_t GetProcAddress16(const char* name) override {
    if (log_.missing.count(name)) return 0;
    for (std::uint32_t i = 0; i < std::size(kEntryPoints); ++i)
      if (std::string(kEntryPoints[i]) == name) return 0x10000u * (i + 1);
    return 0;
  }

  std::uint16_t Call16(std::uint32_t address, std::uint16_t first, std::uint16_t second) override {
    const std::string name = kEntryPoints[address / 0x10000u - 1];
    log_.calls.push_back(name + "(" + std::to_string(first) + "," + std::to_string(second) + ")");
    if (name == "GetBufLen")
      return static_cast<std::uint16_t>(log_.replyLength >= 0 ? log_.replyLength : log_.reply.size());
    if (name == "GetBuf")
      return first >= 1 && first <= log_.reply.size() ? static_cast<unsigned char>(log_.reply[first - 1]) : 0;
    if (name == "SetBufLen") log_.sent.clear();
    if (name == "SetBuf") log_.sent += static_cast<char>(second);
    auto& queue = log_.results[name];
    if (queue.empty()) return 0;
    std::uint16_t result = queue.front();
    queue.pop_front();
    return result;
  }

 private:
  Log& log_;
};

}  // namespace testing_support
