#pragma once
// The driver layer: the only code that touches the HP-IB bus. One back end, one interface card
// and one card-open flag serve every control of the process. Each operation returns the back
// end's Result, which callers pass to HPIBCheck; or, asked to, closes the card itself on a
// failure, under the operation's own lock, for the caller to raise with HPIBRaise.
//
// The back end is chosen once per load of the library: the 16-bit driver, VISA, or, without a
// driver, debug mode, which logs a line to the bus log (the debug terminal) for each operation
// and answers reads with simulated readings.
//
// Threads: controls on several apartment threads share the layer. One lock, the layer's own,
// makes each operation below whole: the back end's work (a write with its buffer, a read with
// its buffer, debug mode's simulated reply and its log line), never interleaved with another
// thread's. Lock order: the layer's lock, then the bus log's own; nothing else is ever taken
// under it. It is held for one operation only, never while the library calls out to the host
// (an event, an error box): the error box's message loop runs other controls' bus operations
// on the same thread.
#include <cstdint>
#include <memory>

#include "core/Exceptions.h"
#include "hpib/Bus.h"
#include "hpib/BusAddress.h"
#include "hpib/trace/TracingBus.h"

namespace hpib {

// A bus failure: "Critical HPIB driver error:", a line feed and the driver's message.
class EHardwareError : public core::Exception {
 public:
  using Exception::Exception;
};

// Starts the layer on `bus`, once per load of the library. With a sink in `trace`, every
// operation that reaches the back end, the card's open and close among them (those of
// HPIBOpenOnDemand and of a failure's close too), writes its line of the bus trace there as it
// completes (hpib/trace/TraceLine.h), the trace's header first, now.
void HPIBLoad(std::unique_ptr<Bus> bus, BusTrace trace = {});
// Releases the back end; until the next load the operations succeed and do nothing. The card is
// not closed.
void HPIBUnload();

// What an operation does when it fails: only answer the result, or also close the card before
// the lock is let go, so that no other thread's operation comes between the failure and the
// close (the controls' way: HPIBCheck's close, made whole with the operation).
enum class OnFailure { Answer, CloseCard };

Result HPIBOpenCard(std::int32_t selectCode);
// Opens the card unless it is open, as one operation that no other thread's can come into:
// open (its result is not examined: the reset that follows tells whether the card answers),
// reset and a timeout of `seconds`, all on `selectCode`. A failed reset or timeout closes the
// card again before the lock is let go; its result is returned, for the caller to raise with
// HPIBRaise outside the lock. Success when the card was open already.
Result HPIBOpenOnDemand(std::int32_t selectCode, double seconds);
Result HPIBClose();
Result HPIBClear(std::int32_t address, OnFailure onFailure = OnFailure::Answer);
Result HPIBLocal(std::int32_t address, OnFailure onFailure = OnFailure::Answer);
Result HPIBTrigger(std::int32_t address, OnFailure onFailure = OnFailure::Answer);
Result HPIBReset(std::int32_t address);
Result HPIBTimeout(std::int32_t address, double seconds);
// Reads one reply into `buffer` (room for HPIBMaxMessage bytes). With a driver, the first
// HPIBMaxMessage bytes of the reply, and `length` := the count the instrument sent, which may
// exceed HPIBMaxMessage. In debug mode, as a C string into a buffer of `length`: at most
// `length` - 1 bytes, and `length` unchanged.
Result HPIBEnter(std::int32_t address, char* buffer, std::uint16_t& length, OnFailure onFailure = OnFailure::Answer);
// Sends `count` bytes as a string message, respectively as raw bytes; at most HPIBMaxMessage
// of them go out.
Result HPIBOutput(std::int32_t address, const char* bytes, std::uint16_t count,
                  OnFailure onFailure = OnFailure::Answer);
Result HPIBOutputBytes(std::int32_t address, const char* bytes, std::uint16_t count,
                       OnFailure onFailure = OnFailure::Answer);

// Closes the card and raises EHardwareError for any result but Success.
void HPIBCheck(Result result);
// Raises EHardwareError for `result`, the card closed already.
[[noreturn]] void HPIBRaise(Result result);
// HPIBRaise for any result but Success.
void HPIBRaiseFailure(Result result);
bool HPIBIsOpen();

}  // namespace hpib
