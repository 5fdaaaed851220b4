#pragma once
// A bus trace read line by line, as a replay of it needs it: the header first, then each
// operation line with its number in the file, the back end's indented lines passed over.
// Nothing is kept but the line at hand, so that a night's trace of a million lines costs no
// more memory than one.
#include <cstddef>
#include <functional>
#include <istream>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "hpib/trace/TraceRecord.h"

namespace hpib {

// The trace's next line with its line end ("\n" or "\r\n"), the last one without it when the
// file was cut in its middle; none at the end.
using TraceLineSource = std::function<std::optional<std::string>()>;

// The lines of `stream`, read as they are asked for.
TraceLineSource StreamLines(std::shared_ptr<std::istream> stream);

// Why a trace cannot be replayed, and at which line (1-based; 0: the file as a whole).
struct TraceError {
  std::size_t line = 0;
  std::string text;
};

// "<file>, line <n>: <text>" ("<file>: <text>" for the whole file), the reason shown when a
// trace is refused.
std::string TraceErrorText(const std::string& file, const TraceError& error);

struct NumberedRecord {
  std::size_t line = 0;
  TraceRecord record;
};

class TraceReader {
 public:
  // Reads the header at once: Error() tells when it is missing or of another format.
  explicit TraceReader(TraceLineSource lines);

  // The next operation line; none at the end of the trace, or after the first line that is
  // wrong, which Error() then names.
  std::optional<NumberedRecord> Next();
  const std::optional<TraceError>& Error() const { return error_; }
  const TraceHeader& Header() const { return header_; }
  std::size_t LinesRead() const { return line_; }

 private:
  // The next line without its line end, counted; none at the end or at a line cut short.
  std::optional<std::string> Line();

  TraceLineSource lines_;
  std::size_t line_ = 0;
  TraceHeader header_;
  std::optional<TraceError> error_;
};

// The first thing wrong with a whole trace, read through once; nothing when it can be replayed.
std::optional<TraceError> CheckTrace(TraceLineSource lines);

// The primary addresses of the instruments a trace's operations went to, rising, each once.
std::vector<unsigned> TraceAddresses(TraceLineSource lines);

}  // namespace hpib
