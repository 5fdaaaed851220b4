#pragma once
// The bench file: plain text, one section per instrument under its primary address on select
// code 7, "key = value" lines, comments from "#" or ";" at a line's start, blank lines
// anywhere; keys and words in any case, numbers with the suffixes of SiNumber.h. UTF-8 with a
// byte-order mark, as editors save it, reads as without; UTF-16 is refused.
//
//   [17]                     the instrument at 717
//   instrument = HP4191A     first in its section: B7-40/5, E7-12 or HP4191A
//   circuit = series         the impedance instruments: series or parallel (series if not given),
//   r = 5                    and the elements there are: r in ohms, l in henries, c in farads
//   l = 100n
//   c = 25.3303p
//   dc_volts = 12.34         the multimeter: dc_volts, ac_volts, ohms, dc_amps, ac_amps (0 if not given)
//   noise = 0.1%             every instrument: relative standard deviation of a reading (0 to 1),
//   seed = 17                its generator's seed (0 if not given),
//   absent = yes             nothing answers at the address,
//   timeout_from_read = 5    no reply from the 5th read on,
//   timeout_probability = 1% no reply to a read with that chance.
#include <cstddef>
#include <string>
#include <string_view>
#include <variant>

#include "hpib/sim/Bench.h"

namespace hpib::sim {

struct BenchError {
  std::size_t line;  // 1-based; 0: the file as a whole
  std::string text;  // what is wrong, as 'unknown key "foo"'
};

// The whole bench, or the first thing wrong with the text: a bad text yields no bench at all.
std::variant<Bench, BenchError> ParseBench(std::string_view text);

// The bench as a file that ParseBench reads back as the same bench.
std::string WriteBench(const Bench& bench);

// The three instruments at their usual addresses, a little noise, each with its own seed: the
// multimeter at 7 with a source of every quantity, the E7-12 at 3 on an inductor with its
// winding's resistance, the HP 4191A at 17 on a series circuit resonant at 100 MHz.
Bench BuiltInBench();

// "<file>, line <n>: <text>" ("<file>: <text>" for the whole file), the reason shown when a
// bench file is refused.
std::string BenchErrorText(const std::string& file, const BenchError& error);

}  // namespace hpib::sim
