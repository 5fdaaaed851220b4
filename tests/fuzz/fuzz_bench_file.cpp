// Any text given as a bench file: the parser never crashes; a bench it accepts, written out,
// reads back as the same bench; an error names a line of the text, or 0 for the whole file.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "hpib/sim/BenchFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto parsed = hpib::sim::ParseBench(text);
  if (const auto* error = std::get_if<hpib::sim::BenchError>(&parsed)) {
    const auto lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
    if (error->line > lines || error->text.empty()) std::abort();
    return 0;
  }
  const auto& bench = std::get<hpib::sim::Bench>(parsed);
  const auto again = hpib::sim::ParseBench(hpib::sim::WriteBench(bench));
  if (!std::holds_alternative<hpib::sim::Bench>(again) || !(std::get<hpib::sim::Bench>(again) == bench)) std::abort();
  return 0;
}
