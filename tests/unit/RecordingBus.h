#pragma once
// A back end for tests: records every operation as it reaches the seam, "Trigger(707)",
// "Write(707,"F1",END)", "Read(707)", answers with scripted result codes and serves a scripted
// reply, as a driver does.
#include <cstdint>
#include <cstdio>
#include <deque>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "hpib/Bus.h"

namespace testing_support {

class RecordingBus : public hpib::Bus {
 public:
  struct Log {
    std::vector<std::string> calls;
    std::map<std::string, std::deque<std::uint16_t>> results;  // next results by operation
    std::string reply;                                         // what a read answers
    std::string sent;                                          // the bytes of the last write
  };

  explicit RecordingBus(Log& log) : log_(log) {}

  std::uint16_t Open(std::int32_t selectCode) override { return Done("Open", Number(selectCode)); }
  std::uint16_t Close() override { return Done("Close", ""); }
  std::uint16_t Reset(std::int32_t address) override { return Done("Reset", Number(address)); }
  std::uint16_t Timeout(std::int32_t address, double seconds) override {
    std::ostringstream text;
    text << address << ',' << seconds;
    return Done("Timeout", text.str());
  }
  std::uint16_t Clear(std::int32_t address) override { return Done("Clear", Number(address)); }
  std::uint16_t Local(std::int32_t address) override { return Done("Local", Number(address)); }
  std::uint16_t Trigger(std::int32_t address) override { return Done("Trigger", Number(address)); }
  std::uint16_t Write(std::int32_t address, std::string_view bytes, bool end) override {
    log_.sent = bytes;
    return Done("Write", Number(address) + "," + Quoted(bytes) + (end ? ",END" : ""));
  }
  std::uint16_t Read(std::int32_t address, char* buffer, std::uint16_t& length) override {
    const std::uint16_t code = Done("Read", Number(address));
    if (code == 0) hpib::PutReply(log_.reply, buffer, length);
    return code;
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
  virtual std::uint16_t Done(const std::string& operation, const std::string& arguments) {
    log_.calls.push_back(operation + "(" + arguments + ")");
    auto& queue = log_.results[operation];
    if (queue.empty()) return 0;
    const std::uint16_t result = queue.front();
    queue.pop_front();
    return result;
  }

 private:
  static std::string Number(std::int32_t value) { return std::to_string(value); }
  Log& log_;
};

}  // namespace testing_support
