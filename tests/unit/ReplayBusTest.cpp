// A recorded trace played back as a bench: operations matched address by address, the whole
// bus in its own order, a mismatch or the trace's end failing with the line expected and what
// came, and traces that cannot be replayed refused with their line.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "core/Exceptions.h"
#include "core/Latin1.h"
#include "hpib/replay/ReplayBus.h"
#include "hpib/trace/TraceLine.h"

namespace {

using namespace hpib;

const std::string kHeader = "ApparataBusTrace 1 library \"1.0.0\" backend \"simulated bench\"\n";

// An operation line of `call`, answered `answer` ("0", "4 HPIB timeout!") with `received`.
std::string Line(const std::string& call, const std::string& answer = "0 Success", const std::string& received = "") {
  return "2026-12-08T14:03:10.120+01:00 1 " + call + " -> " + answer + " received \"" + received + "\" 0.250 ms\n";
}

TraceCall Call(TraceOperation operation, std::optional<std::int32_t> address, std::string sent = "", double seconds = 0) {
  return {operation, address, seconds, std::move(sent)};
}

TraceLineSource Lines(const std::string& text) { return StreamLines(std::make_shared<std::istringstream>(text)); }

// The replay's answer to `call`: its result, the bytes of a read, or the exception's text.
std::string Do(ReplayBus& bus, const TraceCall& call) {
  try {
    switch (call.operation) {
      case TraceOperation::Open: return std::to_string(static_cast<int>(bus.Open(*call.address)));
      case TraceOperation::Close: return std::to_string(static_cast<int>(bus.Close()));
      case TraceOperation::Reset: return std::to_string(static_cast<int>(bus.Reset(*call.address)));
      case TraceOperation::Timeout: return std::to_string(static_cast<int>(bus.Timeout(*call.address, call.seconds)));
      case TraceOperation::Clear: return std::to_string(static_cast<int>(bus.Clear(*call.address)));
      case TraceOperation::Local: return std::to_string(static_cast<int>(bus.Local(*call.address)));
      case TraceOperation::Trigger: return std::to_string(static_cast<int>(bus.Trigger(*call.address)));
      case TraceOperation::Output: return std::to_string(static_cast<int>(bus.Write(*call.address, call.sent, true)));
      case TraceOperation::OutputBytes:
        return std::to_string(static_cast<int>(bus.Write(*call.address, call.sent, false)));
      case TraceOperation::Enter: {
        const Reply reply = bus.Read(*call.address);
        return std::to_string(static_cast<int>(reply.result)) + " " + reply.bytes;
      }
    }
  } catch (const core::Exception& e) {
    return core::ToLatin1(e.Message());
  }
  return "?";
}

TEST(ReplayBusTest, OperationsMatchTheirAddressesNextRecordedLine) {
  using Op = TraceOperation;
  const std::string same = "Replay of night.trace: ";
  const struct {
    const char* name;
    std::string trace;
    std::vector<TraceCall> calls;
    std::vector<std::string> answers;
  } rows[] = {
      {"same order", Line("Open 7 sent \"\"") + Line("Output 707 sent \"F1\"") + Line("Enter 707 sent \"\"", "0 Success", "R +1"),
       {Call(Op::Open, 7), Call(Op::Output, 707, "F1"), Call(Op::Enter, 707)},
       {"0", "0", "0 R +1"}},
      {"two addresses interleaved otherwise",
       Line("Output 703 sent \"A\"") + Line("Output 707 sent \"B\"") + Line("Enter 703 sent \"\"", "0 Success", "x") +
           Line("Enter 707 sent \"\"", "4 HPIB timeout!"),
       {Call(Op::Output, 707, "B"), Call(Op::Enter, 707), Call(Op::Output, 703, "A"), Call(Op::Enter, 703)},
       {"0", "4 ", "0", "0 x"}},
      {"a mismatch, and every operation after it",
       Line("Output 707 sent \"F1\"") + Line("Open 7 sent \"\""),
       {Call(Op::Output, 707, "F2"), Call(Op::Open, 7)},
       {same + "line 2 expected Output 707 sent \"F1\"; came Output 707 sent \"F2\"",
        same + "line 2 expected Output 707 sent \"F1\"; came Output 707 sent \"F2\""}},
      {"a timeout's value", Line("Timeout 7 3 s sent \"\""), {Call(Op::Timeout, 7, "", 2.5)},
       {same + "line 2 expected Timeout 7 3 s sent \"\"; came Timeout 7 2.5 s sent \"\""}},
      {"past the trace's end", Line("Open 7 sent \"\"") + "  7 Open -> 0\n",
       {Call(Op::Open, 7), Call(Op::Enter, 717)},
       {"0", same + "no more lines for address 717 after line 3, the trace's end; came Enter 717 sent \"\""}},
      {"the whole bus in its own order, apart from the instruments",
       Line("Open 7 sent \"\"") + Line("Enter 707 sent \"\"", "0 Success", "y") + Line("Close - sent \"\""),
       {Call(Op::Open, 7), Call(Op::Close, std::nullopt), Call(Op::Enter, 707)},
       {"0", "0", "0 y"}},
      {"the whole bus out of its order", Line("Open 7 sent \"\"") + Line("Reset 7 sent \"\""), {Call(Op::Reset, 7)},
       {same + "line 2 expected Open 7 sent \"\"; came Reset 7 sent \"\""}},
      {"a recorded exception raised again", Line("Clear 65536 sent \"\"", "exception \"Range check error\""),
       {Call(Op::Clear, 65536)},
       {"Range check error"}},
  };
  for (const auto& row : rows) {
    ReplayBus bus("night.trace", Lines(kHeader + row.trace));
    std::vector<std::string> answers;
    for (const TraceCall& call : row.calls) answers.push_back(Do(bus, call));
    EXPECT_EQ(answers, row.answers) << row.name;
  }
}

TEST(ReplayBusTest, ATraceThatCannotBeReplayedIsRefusedWithItsLine) {
  const std::string good = Line("Open 7 sent \"\"");
  const struct {
    std::string text;
    const char* refusal;  // none: replayed
  } rows[] = {
      {"", "t.trace: empty: not a bus trace"},
      {"2026-12-07 13:54:10.120 viAssertTrigger GPIB0::7::INSTR VI_TRIG_PROT_DEFAULT -> 0x00000000 ok\n",
       "t.trace, line 1: not a bus trace: no header"},
      {"ApparataBusTrace 2 library \"2.0.0\" backend \"x\"\n" + good,
       "t.trace, line 1: a bus trace of version 2; this library reads version 1"},
      {kHeader + good + "707 Read -> 4 HPIB timeout!\n", "t.trace, line 3: not an operation line: no time at its start"},
      {kHeader + "  viOpen GPIB0::INTFC -> 0x00000000 ok\n" + good.substr(0, good.size() - 1),
       "t.trace, line 3: cut short: the line has no line end"},
      {kHeader.substr(0, kHeader.size() - 1), "t.trace, line 1: cut short: the line has no line end"},
      {"ApparataBusTrace 1 library \"1.0.0\" backend \"bench\"\r\n" + good.substr(0, good.size() - 1) + "\r\n", nullptr},
  };
  for (const auto& row : rows) {
    const auto replay = OpenReplay("t.trace", [&] { return Lines(row.text); });
    if (!row.refusal) {
      ASSERT_TRUE(std::holds_alternative<std::unique_ptr<ReplayBus>>(replay)) << row.text;
      EXPECT_EQ(std::get<std::unique_ptr<ReplayBus>>(replay)->Open(7), Result::Success);
      continue;
    }
    ASSERT_TRUE(std::holds_alternative<TraceError>(replay)) << row.text;
    EXPECT_EQ(TraceErrorText("t.trace", std::get<TraceError>(replay)), row.refusal);
  }
}

// A night's trace, made as it is read: two meters in turn, replayed with each pair the other way round.
TEST(ReplayBusTest, ALongTraceIsReadAsItIsReplayed) {
  constexpr std::size_t kPairs = 100000;
  std::size_t made = 0;
  const std::string first = Line("Enter 703 sent \"\"", "0 Success", "L"), second = Line("Enter 707 sent \"\"", "0 Success", "V");
  ReplayBus bus("night.trace", [&, header = true]() mutable -> std::optional<std::string> {
    if (std::exchange(header, false)) return kHeader;
    if (made == 2 * kPairs) return std::nullopt;
    return ++made % 2 ? first : second;
  });
  for (std::size_t i = 0; i < kPairs; ++i) {
    ASSERT_EQ(bus.Read(707).bytes, "V");
    ASSERT_EQ(bus.Read(703).bytes, "L");
    ASSERT_EQ(made, 2 * i + 2);  // read no further than the pair at hand
  }
  EXPECT_THROW(bus.Read(703), core::Exception);
}

}  // namespace
