#pragma once
// A back end that answers from a recorded bus trace, as a bench that does exactly what it did
// then. Each operation must be the next one the trace recorded for its address (the operation,
// the bytes sent, a timeout's seconds); it then gets the recorded result and bytes at once.
// Operations for different addresses may come in another order than recorded, as threads and
// timers run differently each time; the whole bus (the select code alone, the card's close) has
// an order of its own. Records of other addresses that the replay has to read past wait in a
// queue of their address; nothing else of the trace is held.
//
// The first operation that is not the one recorded, or that comes when the trace has no more
// for its address, raises core::Exception, "Replay of <file>: line <n> expected <call>; came
// <call>" (calls as the trace writes them), and so does every operation after it: the replay
// does not guess where to go on. A recorded exception is raised again with its text.
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <variant>

#include "hpib/Bus.h"
#include "hpib/replay/TraceReader.h"

namespace hpib {

// Opens the trace anew at its first line each time it is called.
using TraceOpener = std::function<TraceLineSource()>;

class ReplayBus : public Bus {
 public:
  // `name` is how its failures name the trace; `lines` must be a trace that CheckTrace accepts.
  ReplayBus(std::string name, TraceLineSource lines);

  Result Open(std::int32_t selectCode) override;
  Result Close() override;
  Result Reset(std::int32_t address) override;
  Result Timeout(std::int32_t address, double seconds) override;
  Result Clear(std::int32_t address) override;
  Result Local(std::int32_t address) override;
  Result Trigger(std::int32_t address) override;
  Result Write(std::int32_t address, std::string_view bytes, bool end) override;
  Reply Read(std::int32_t address) override;
  // "line <n>": the trace's line that answered.
  void SendDetailsTo(DetailSink details) override { details_ = std::move(details); }

 private:
  // The whole bus has no address of its own here.
  using Key = std::optional<std::int32_t>;
  static Key KeyOf(const TraceCall& call);
  Reply Answer(const TraceCall& call);
  std::optional<NumberedRecord> NextFor(const Key& key);
  [[noreturn]] void Fail(const std::string& what);

  std::string name_;
  TraceReader reader_;
  std::map<Key, std::deque<NumberedRecord>> waiting_;
  std::optional<std::wstring> failure_;
  DetailSink details_;
};

// The replay of the trace that `open` reads, checked whole first (one pass, line by line), or
// why it cannot be replayed.
std::variant<std::unique_ptr<ReplayBus>, TraceError> OpenReplay(const std::string& name, const TraceOpener& open);

}  // namespace hpib
