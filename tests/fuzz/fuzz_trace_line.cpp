// Any text given as a bus trace line: the parsers never crash; an operation line they accept,
// written out, reads back as the same line; a header likewise.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "hpib/trace/TraceLine.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  const auto header = hpib::ParseTraceHeader(line);
  if (const auto* accepted = std::get_if<hpib::TraceHeader>(&header)) {
    if (hpib::TraceHeaderLine(*accepted) != line) std::abort();
  }
  const auto parsed = hpib::ParseTraceLine(line);
  if (const auto* error = std::get_if<std::string>(&parsed)) {
    if (error->empty()) std::abort();
    return 0;
  }
  const std::string written = hpib::TraceLine(std::get<hpib::TraceRecord>(parsed));
  const auto again = hpib::ParseTraceLine(written);
  if (!std::holds_alternative<hpib::TraceRecord>(again) || hpib::TraceLine(std::get<hpib::TraceRecord>(again)) != written)
    std::abort();
  return 0;
}
