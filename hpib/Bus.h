#pragma once
// The seam below the driver layer: what a back end (the 16-bit driver, VISA, the simulated bench,
// debug mode) does for each bus operation. Every operation answers a Result.
//
// The layer calls one operation at a time, from whichever thread, under its own lock: a back end
// needs no lock of its own. Addresses and select codes come as the layer's callers gave them; a
// back end whose driver takes 16-bit words refuses a larger one with core::ERangeError before it
// sends anything (BusWord).
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <string_view>

#include "hpib/Result.h"

namespace hpib {

// Receives a back end's own account of the operation under way, one line at a time (a VISA
// call and its status, an entry point's word, a fault the bench injects): the layer writes
// these lines under the operation's line of its trace.
using DetailSink = std::function<void(const std::string& line)>;

// Bytes that one message carries at most, in either direction.
constexpr std::uint16_t HPIBMaxMessage = 249;

// What a read brought: the reply's bytes, and how many the instrument sent, which is more than
// the bytes where a driver keeps only the first HPIBMaxMessage of a longer reply. A driver that
// fails after it told the count leaves its exception in `failure`: the layer's caller learns the
// count, then the failure.
struct Reply {
  Result result = Result::Success;
  std::string bytes;
  std::size_t sent = 0;
  std::exception_ptr failure;
};

class Bus {
 public:
  virtual ~Bus() = default;

  virtual Result Open(std::int32_t selectCode) = 0;
  virtual Result Close() = 0;
  virtual Result Reset(std::int32_t address) = 0;
  virtual Result Timeout(std::int32_t address, double seconds) = 0;
  virtual Result Clear(std::int32_t address) = 0;
  virtual Result Local(std::int32_t address) = 0;
  virtual Result Trigger(std::int32_t address) = 0;
  // Sends `bytes` (at most HPIBMaxMessage) as a string message, END with the last byte, or as
  // raw bytes without END.
  virtual Result Write(std::int32_t address, std::string_view bytes, bool end) = 0;
  // Reads one reply.
  virtual Reply Read(std::int32_t address) = 0;
  // Debug mode answers the layer's callers as a C string: see HPIBEnter.
  virtual bool IsDebugMode() const { return false; }
  // Where the back end's lines go while the layer traces; a back end with nothing to add keeps
  // none. Called once, at load, before any operation.
  virtual void SendDetailsTo(DetailSink) {}
};

// `value` as a driver's 16-bit word; core::ERangeError when it does not fit.
std::uint16_t BusWord(std::int64_t value);
// Seconds as a driver's milliseconds, an exact half to the even neighbour; core::ERangeError
// outside 0 to 65535.
std::uint16_t TimeoutMilliseconds(double seconds);
// A reply received whole.
Reply Received(std::string bytes);
// A read that failed with `result` and brought nothing.
Reply NoReply(Result result);

}  // namespace hpib
