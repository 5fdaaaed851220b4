// The simulated bench at the seam: each instrument's answers to the commands the controls send,
// for a known component, and the bus rules it shares with VisaBus.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ResultCodes.h"
#include "hpib/sim/BenchFile.h"
#include "hpib/sim/SimBus.h"

namespace {

using hpib::sim::SimBus;

// No scatter: every reading is exact.
constexpr char kBench[] = R"(
[7]
instrument = B7-40/5
dc_volts = 12.34
ohms = 1.1357k
ac_amps = 10m
[3]
instrument = e7-12
r = 12
l = 10m
[9]
instrument = E7-12
c = 1n
[17]
instrument = HP4191A
r = 5
l = 100n
c = 25.3303p
[18]
instrument = HP4191A
r = 150
[5]
instrument = B7-40/5
absent = yes
[6]
instrument = B7-40/5
timeout_from_read = 2
)";

SimBus Bus(std::vector<std::string>* trace = nullptr) {
  std::function<void(const std::string&)> sink;
  if (trace) sink = [trace](const std::string& line) { trace->push_back(line); };
  return SimBus(std::get<hpib::sim::Bench>(hpib::sim::ParseBench(kBench)), sink);
}

std::string ReadFrom(SimBus& bus, int address) {
  const hpib::Reply reply = bus.Read(address);
  EXPECT_EQ(reply.result, 0);
  return reply.bytes;
}

// Commands as the controls send them (the E7-12's as raw bytes), a trigger, the E7-12's
// request, a read. 1 kHz for the E7-12; the HP 4191A starts at 1 MHz.
struct Row {
  int address;
  std::vector<std::string> commands;
  std::string request;
  std::string reply;
};
const Row kRows[] = {
    {707, {}, "", "U +12340E-3"},  // power-on: DC volts, range 1
    {707, {"B0E"}, "", "U +01234E-2"},
    {707, {"B5E", "B7E"}, "", "U +12340E-3"},
    {707, {"F2E", "B3E"}, "", "R +11357E-4"},
    {707, {"F2E", "B4E"}, "", "R  OVERLOAD"},
    {707, {"F3E", "B7E"}, "", "I +10000E-6"},
    {707, {"F6E"}, "", "V +00000E-3"},
    {707, {"f2e", "D0E", "F4E", "B6E"}, "", "U +12340E-3"},
    {703, {}, "", "1.0000E-2 L"},
    {703, {}, "\x30", "1.9099E-1 D"},
    {703, {"\x02"}, "\x30", "1.2000E+1 R"},
    {703, {"\x01"}, "\x38", "-2.5330E-6C"},
    {703, {"\x03"}, "\x38", "-2.4439E-6C"},
    {703, {"\x03"}, "\x30", "2.9327E-3 G"},
    {703, {"\x2E", "44"}, "\x38", "1.0000E-2 L"},
    {709, {}, "\x38", "OVERLOAD  L"},  // 159 kilohms on the 10-kilohm range
    {709, {"\x20"}, "\x38", "-2.5330E+1L"},
    {709, {"\x01\x2A"}, "\x30", "0.0000E+0 D"},
    {717, {}, "", " NZN+6.2826E+03,NDN-8.9954E+01"},
    {717, {"A4EN", "FR85EN"}, "", " NRN+5.0000E+00,NXN-2.0513E+01"},
    {717, {"A8EN", "B3EN", "FR85.0000EN"}, "", " NCN+9.1280E-11,NDN+2.4375E-01"},
    {717, {"A7EN", "B4EN", "FR200EN"}, "", " NLN+7.5000E-08,NQN+1.8850E+01"},
    {717, {"FR1001EN"}, "", " O?N+9.9999E+99,O?N+9.9999E+99"},
    {717, {"a4en", "A9EN", "FR2,5EN", "R0T3EN"}, "", " NZN+6.2826E+03,NDN-8.9954E+01"},
    {718, {"A3EN"}, "", " NMN+5.0000E-01,NDN+0.0000E+00"},
    {718, {"B2EN"}, "", " NZN+1.5000E+02,NRN+0.0000E+00"},
};

TEST(SimBenchTest, EachInstrumentAnswersItsCommandsForItsComponent) {
  for (const Row& row : kRows) {
    SimBus bus = Bus();
    ASSERT_EQ(bus.Open(7), 0);
    const bool raw = row.address == 703 || row.address == 709;
    for (const std::string& command : row.commands) EXPECT_EQ(bus.Write(row.address, command, !raw), 0);
    EXPECT_EQ(bus.Trigger(row.address), 0);
    if (!row.request.empty()) bus.Write(row.address, row.request, false);
    EXPECT_EQ(ReadFrom(bus, row.address), row.reply) << row.address << " after " << testing::PrintToString(row.commands);
  }
}

TEST(SimBenchTest, AReadAnswersTheLastReadingUntilATriggerToItOrToTheWholeBus) {
  SimBus bus = Bus();
  bus.Open(7);
  bus.Write(707, "F2E", true);
  EXPECT_EQ(ReadFrom(bus, 707), "U +12340E-3");
  bus.Trigger(717);
  EXPECT_EQ(ReadFrom(bus, 707), "U +12340E-3");
  bus.Trigger(7);
  EXPECT_EQ(ReadFrom(bus, 707), "R +00114E-2");  // 1.1357 kilohms on the 1-megohm range
}

TEST(SimBenchTest, AddressingAndFaultsAnswerTheDriversResultCodes) {
  std::vector<std::string> trace;
  SimBus bus = Bus(&trace);
  EXPECT_EQ(bus.Trigger(707), 11);  // before Open
  EXPECT_EQ(bus.Open(8), 2);
  EXPECT_EQ(bus.Open(7), 0);
  EXPECT_EQ(bus.Timeout(7, 3.0), 0);
  EXPECT_EQ(bus.Reset(707), 8);
  EXPECT_EQ(bus.Write(7, "F2E", true), 8);
  EXPECT_EQ(bus.Clear(7), 0);
  EXPECT_EQ(bus.Read(705).result, 2);  // absent
  EXPECT_EQ(bus.Trigger(704), 2);               // nothing there
  EXPECT_EQ(bus.Read(706).result, 0);
  EXPECT_EQ(bus.Read(706).result, 4);  // from the second read on
  EXPECT_EQ(bus.Read(706).result, 4);
  EXPECT_EQ(bus.Close(), 0);
  EXPECT_EQ(bus.Local(707), 11);
  EXPECT_EQ(trace[4], "707 Reset -> 8 Improper HPIB addressing!");
  EXPECT_EQ(trace[3], "7 Timeout 3000 ms -> 0");
  EXPECT_EQ(trace[9], "706 Read received \"U +00000E-3\" -> 0");
  EXPECT_EQ(trace[10], "706 Read -> 4 HPIB timeout!");
  EXPECT_EQ(trace[12], "Close -> 0");
}

}  // namespace
