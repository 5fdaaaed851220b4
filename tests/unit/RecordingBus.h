#pragma once
// A back end for tests: records every operation as it reaches the seam, "Trigger(707)",
// "Write(707,"F1",END)", "Read(707)", answers with scripted results and serves a scripted
// reply, as a driver does.
#include <cstdint>
#include <cstdio>
#include <deque>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "ResultCodes.h"
#include "hpib/Bus.h"

namespace testing_support {

class RecordingBus : public hpib::Bus {
 public:
  struct Log {
    std::vector<std::string> calls;
    std::map<std::string, std::deque<hpib::Result>> results;  // next results by operation
    std::string reply;                                         // what a read answers
    std::string sent;                                          // the bytes of the last write
  };

  explicit RecordingBus(Log& log) : log_(log) {}

  hpib::Result Open(std::int32_t selectCode) override { return Done("Open", Number(selectCode)); }
  hpib::Result Close() override { return Done("Close", ""); }
  hpib::Result Reset(std::int32_t address) override { return Done("Reset", Number(address)); }
  hpib::Result Timeout(std::int32_t address, double seconds) override {
    std::ostringstream text;
    text << address << ',' << seconds;
    return Done("Timeout", text.str());
  }
  hpib::Result Clear(std::int32_t address) override { return Done("Clear", Number(address)); }
  hpib::Result Local(std::int32_t address) override { return Done("Local", Number(address)); }
  hpib::Result Trigger(std::int32_t address) override { return Done("Trigger", Number(address)); }
  hpib::Result Write(std::int32_t address, std::string_view bytes, bool end) override {
    log_.sent = bytes;
    return Done("Write", Number(address) + "," + Quoted(bytes) + (end ? ",END" : ""));
  }
  hpib::Reply Read(std::int32_t address) override {
    const hpib::Result result = Done("Read", Number(address));
    if (hpib::Failed(result)) return hpib::NoReply(result);
    return hpib::Received(log_.reply);
  }

  // The text of a string message to `address` that `call` records, when it records one.
  static std::optional<std::string> MessageIn(const std::string& call, std::int32_t address) {
    const std::string head = "Write(" + Number(address) + ",\"", tail = "\",END)";
    if (call.size() < head.size() + tail.size() || call.compare(0, head.size(), head) != 0 ||
        call.compare(call.size() - tail.size(), tail.size(), tail) != 0)
      return std::nullopt;
    return call.substr(head.size(), call.size() - head.size() - tail.size());
  }

  // Printable ASCII as it is, every other byte as \xNN.
  static std::string Quoted(std::string_view bytes) {
    std::string text = "\"";
    for (unsigned char c : bytes) {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02x", c);
      text += c >= 0x20 && c < 0x7F && c != '"' && c != '\\' ? std::string(1, static_cast<char>(c)) : hex;
    }
    return text + "\"";
  }

 protected:
  virtual hpib::Result Done(const std::string& operation, const std::string& arguments) {
    log_.calls.push_back(operation + "(" + arguments + ")");
    auto& queue = log_.results[operation];
    if (queue.empty()) return hpib::Result::Success;
    const hpib::Result result = queue.front();
    queue.pop_front();
    return result;
  }

 private:
  static std::string Number(std::int32_t value) { return std::to_string(value); }
  Log& log_;
};

}  // namespace testing_support
