// The bench file: a good file becomes the bench it describes, a bad one is refused whole with
// the line and what is wrong.
#include "hpib/sim/BenchFile.h"

#include <gtest/gtest.h>

namespace {

using namespace std::string_view_literals;
using hpib::sim::Bench;
using hpib::sim::BenchError;
using hpib::sim::ParseBench;

TEST(BenchFileTest, AGoodFileBecomesItsBench) {
  const auto parsed = ParseBench(
      "; two instruments\r\n"
      "[ 3 ]\n"
      "  Instrument = e7-12 \n"
      "circuit = Parallel\n"
      "R = 1.5k\n"
      "c = 22n\n"
      "noise = 0.5%\n"
      "\n"
      "[30]\n"
      "instrument = B7-40/5\n"
      "dc_amps = -2.5m\n"
      "seed = 18446744073709551615\n"
      "timeout_from_read = 3\n"
      "timeout_probability = 0.25\n");
  ASSERT_TRUE(std::holds_alternative<Bench>(parsed)) << std::get<BenchError>(parsed).text;
  const Bench& bench = std::get<Bench>(parsed);
  ASSERT_EQ(bench.instruments.size(), 2u);
  const auto& lcr = bench.instruments[0];
  EXPECT_EQ(lcr.primary, 3);
  EXPECT_EQ(lcr.kind, hpib::sim::Kind::LcrMeter);
  EXPECT_EQ(lcr.circuit.topology, hpib::sim::Topology::Parallel);
  EXPECT_DOUBLE_EQ(*lcr.circuit.ohms, 1500.0);
  EXPECT_DOUBLE_EQ(*lcr.circuit.farads, 22e-9);
  EXPECT_FALSE(lcr.circuit.henries);
  EXPECT_DOUBLE_EQ(lcr.noise, 0.005);
  const auto& meter = bench.instruments[1];
  EXPECT_DOUBLE_EQ(meter.meter.dcAmps, -0.0025);
  EXPECT_EQ(meter.seed, 18446744073709551615u);
  EXPECT_EQ(meter.faults.timeoutFromRead, 3u);
  EXPECT_DOUBLE_EQ(meter.faults.timeoutProbability, 0.25);
  const auto written = ParseBench(hpib::sim::WriteBench(bench));
  EXPECT_TRUE(std::holds_alternative<Bench>(written) && std::get<Bench>(written) == bench) << hpib::sim::WriteBench(bench);
  const auto marked = ParseBench("\xEF\xBB\xBF" + hpib::sim::WriteBench(bench));
  EXPECT_TRUE(std::holds_alternative<Bench>(marked) && std::get<Bench>(marked) == bench) << "after a UTF-8 byte-order mark";
}

const struct {
  std::string_view text;
  BenchError error;
} kBadFiles[] = {
    {"[7]\ninstrument = B7-40/5\nfoo = 1\n", {3, "unknown key \"foo\""}},
    {"dc_volts = 1\n", {1, "key \"dc_volts\" before the first section"}},
    {"[7]\n\n# nothing\n", {1, "section [7] names no instrument"}},
    {"[7]\ninstrument = B7-40/5\n[3]\n", {3, "section [3] names no instrument"}},
    {"[7]\nnoise = 0\ninstrument = B7-40/5\n", {2, "the first key of a section must be \"instrument\""}},
    {"[31]\n", {1, "section \"[31]\" names no primary address from 0 to 30"}},
    {"[7]\ninstrument = E7-12\n[7]\n", {3, "address 7 has a section already"}},
    {"[7]\ninstrument = B7-40/5\nohms = 1k\nOHMS = 2k\n", {4, "key \"ohms\" is given twice"}},
    {"[7]\ninstrument = E7-12\nohms = 1k\n", {3, "key \"ohms\" does not apply to the E7-12"}},
    {"[7]\ninstrument = HP4191A\ndc_volts = 1\n", {3, "key \"dc_volts\" does not apply to the HP4191A"}},
    {"[7]\ninstrument = B7-40/6\n", {2, "\"instrument\" needs B7-40/5, E7-12 or HP4191A, not \"B7-40/6\""}},
    {"[7]\ninstrument = HP4191A\nl = 0\n", {3, "\"l\" needs a number above 0, not \"0\""}},
    {"[7]\ninstrument = HP4191A\nr = 5 ohm\n", {3, "\"r\" needs a number of at least 0, not \"5 ohm\""}},
    {"[7]\ninstrument = HP4191A\nnoise = 2\n", {3, "\"noise\" needs a number from 0 to 1, not \"2\""}},
    {"[7]\ninstrument = HP4191A\ntimeout_from_read = 0\n", {3, "\"timeout_from_read\" needs a whole number from 1 up, not \"0\""}},
    {"[7]\ninstrument = HP4191A\ncircuit = star\n", {3, "\"circuit\" needs series or parallel, not \"star\""}},
    {"[7]\ninstrument = HP4191A\nabsent\n", {3, "\"absent\" is neither \"[address]\", \"key = value\" nor a comment"}},
    {"\xEF\xBB\xBF[7]\ninstrument = B7-40/5\nfoo = 1\n", {3, "unknown key \"foo\""}},
    {"\xFF\xFE[\0" "7\0]\0"sv, {0, "the file is UTF-16 (its byte-order mark says so); save it as UTF-8 or ANSI"}},
    {"\xFE\xFF\0[\0" "7\0]"sv, {0, "the file is UTF-16 (its byte-order mark says so); save it as UTF-8 or ANSI"}},
    {"[\0" "7\0]\0"sv, {0, "the file holds NUL bytes, as UTF-16 does; save it as UTF-8 or ANSI"}},
};

TEST(BenchFileTest, ABadFileIsRefusedWholeWithItsLineAndWhatIsWrong) {
  for (const auto& bad : kBadFiles) {
    const auto parsed = ParseBench(bad.text);
    ASSERT_TRUE(std::holds_alternative<BenchError>(parsed)) << bad.text;
    EXPECT_EQ(std::get<BenchError>(parsed).line, bad.error.line) << bad.text;
    EXPECT_EQ(std::get<BenchError>(parsed).text, bad.error.text) << bad.text;
  }
  EXPECT_EQ(hpib::sim::BenchErrorText("bench.ini", {3, "unknown key \"foo\""}), "bench.ini, line 3: unknown key \"foo\"");
  EXPECT_EQ(hpib::sim::BenchErrorText("bench.ini", {0, "the file is UTF-16"}), "bench.ini: the file is UTF-16");
}

}  // namespace
