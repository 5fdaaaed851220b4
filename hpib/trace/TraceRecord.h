#pragma once
// One operation of the driver layer as its bus trace keeps it (TraceLine.h writes and reads it),
// whatever the back end: what was asked of the bus, how it ended, what came back, how long it took.
#include <cstdint>
#include <optional>
#include <string>

#include "hpib/Result.h"

namespace hpib {

// The back end's operations, as the layer's callers know them: Output is a string message with
// END on its last byte, OutputBytes raw bytes without END, Enter a read.
enum class TraceOperation { Open, Close, Reset, Timeout, Clear, Local, Trigger, Output, OutputBytes, Enter };

// What was asked of the bus: the part of a line that a replay matches.
struct TraceCall {
  TraceOperation operation = TraceOperation::Open;
  std::optional<std::int32_t> address;  // none for Close, which has none
  double seconds = 0;                   // Timeout's value; 0 for the others
  std::string sent;                     // Output's and OutputBytes' bytes
  bool operator==(const TraceCall& other) const {
    return operation == other.operation && address == other.address && seconds == other.seconds && sent == other.sent;
  }
};

// A call without bytes or seconds.
inline TraceCall CallOf(TraceOperation operation, std::optional<std::int32_t> address) {
  TraceCall call;
  call.operation = operation;
  call.address = address;
  return call;
}

// How an operation ended: the back end's result, or the text of the exception it raised
// (UTF-8, as TraceText.h makes it).
struct TraceOutcome {
  Result result = Result::Success;
  std::optional<std::string> exception;
  bool operator==(const TraceOutcome& other) const { return result == other.result && exception == other.exception; }
};

struct TraceRecord {
  std::string time;   // local, ISO 8601 with milliseconds and the offset: "2026-12-08T14:03:10.120+01:00"
  unsigned thread = 0;  // the layer's own small number for the calling thread, from 1 in order of appearance
  TraceCall call;
  TraceOutcome outcome;
  std::string received;  // Enter's bytes
  // Enter: the count the instrument sent, where it is not the size of `received` (a driver that
  // keeps only the first HPIBMaxMessage bytes), or where the driver failed after telling it.
  std::optional<std::size_t> count;
  std::int64_t microseconds = 0;  // how long the back end took
  bool operator==(const TraceRecord& other) const {
    return time == other.time && thread == other.thread && call == other.call && outcome == other.outcome &&
           received == other.received && count == other.count && microseconds == other.microseconds;
  }
};

// The first line of a trace.
struct TraceHeader {
  unsigned version = 0;
  std::string library;  // the library's version, "1.0.0"
  std::string backEnd;  // what the loader says of the back end, "VISA board GPIB0"
  bool operator==(const TraceHeader& other) const {
    return version == other.version && library == other.library && backEnd == other.backEnd;
  }
};

}  // namespace hpib
