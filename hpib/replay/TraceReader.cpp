#include "hpib/replay/TraceReader.h"

#include <set>

#include "hpib/BusAddress.h"
#include "hpib/trace/TraceLine.h"

namespace hpib {

TraceLineSource StreamLines(std::shared_ptr<std::istream> stream) {
  return [stream]() -> std::optional<std::string> {
    std::string line;
    if (!std::getline(*stream, line)) return std::nullopt;
    // getline stops at the end of the stream when the line has no line end of its own.
    if (!stream->eof()) line += '\n';
    return line;
  };
}

std::string TraceErrorText(const std::string& file, const TraceError& error) {
  if (error.line == 0) return file + ": " + error.text;
  return file + ", line " + std::to_string(error.line) + ": " + error.text;
}

TraceReader::TraceReader(TraceLineSource lines) : lines_(std::move(lines)) {
  const std::optional<std::string> first = Line();
  if (error_) return;
  if (!first) {
    error_ = TraceError{0, "empty: not a bus trace"};
    return;
  }
  auto header = ParseTraceHeader(*first);
  if (auto* why = std::get_if<std::string>(&header)) error_ = TraceError{1, *why};
  else header_ = std::get<TraceHeader>(header);
}

std::optional<std::string> TraceReader::Line() {
  std::optional<std::string> line = lines_();
  if (!line) return std::nullopt;
  ++line_;
  if (line->empty() || line->back() != '\n') {
    error_ = TraceError{line_, "cut short: the line has no line end"};
    return std::nullopt;
  }
  line->pop_back();
  if (!line->empty() && line->back() == '\r') line->pop_back();
  return line;
}

std::optional<NumberedRecord> TraceReader::Next() {
  while (!error_) {
    const std::optional<std::string> line = Line();
    if (!line) return std::nullopt;
    // A trace left set across runs holds each process's header where it began.
    if (IsTraceDetail(*line) || std::holds_alternative<TraceHeader>(ParseTraceHeader(*line))) continue;
    auto parsed = ParseTraceLine(*line);
    if (auto* why = std::get_if<std::string>(&parsed)) {
      error_ = TraceError{line_, *why};
      return std::nullopt;
    }
    return NumberedRecord{line_, std::move(std::get<TraceRecord>(parsed))};
  }
  return std::nullopt;
}

std::optional<TraceError> CheckTrace(TraceLineSource lines) {
  TraceReader reader(std::move(lines));
  while (reader.Next()) {
  }
  return reader.Error();
}

std::vector<unsigned> TraceAddresses(TraceLineSource lines) {
  TraceReader reader(std::move(lines));
  std::set<unsigned> primaries;
  while (const std::optional<NumberedRecord> next = reader.Next())
    if (const std::optional<std::int32_t> address = next->record.call.address;
        address && *address / 100 == HPIBSelectCode && *address % 100 != 0)
      primaries.insert(static_cast<unsigned>(*address % 100));
  return {primaries.begin(), primaries.end()};
}

}  // namespace hpib
