#pragma once
// The bus trace's lines, written and read back; the format is described in docs/bus.md.
//
//   ApparataBusTrace 1 library "1.0.0" backend "simulated bench"
//   2026-12-08T14:03:10.120+01:00 1 Output 717 sent "A4EN" -> 0 Success received "" 0.250 ms
//     <a line of the back end's own, two blanks in>
//   2026-12-08T14:03:10.121+01:00 1 Enter 703 sent "" -> 4 HPIB timeout! received "" 3000.000 ms
//
// Bytes and texts are quoted as TraceBytes.h escapes them; a result is its code and the
// built-in English text of that code, or `exception "<text>"`.
#include <string>
#include <string_view>
#include <variant>

#include "hpib/trace/TraceRecord.h"

namespace hpib {

// The trace format's version that this library writes and reads.
constexpr unsigned kTraceVersion = 1;

std::string TraceHeaderLine(const TraceHeader& header);
std::string TraceLine(const TraceRecord& record);
// "<operation> <address or ->[ <seconds> s] sent "<bytes>"", the call as a line shows it.
std::string TraceCallText(const TraceCall& call);
// A back end's line under an operation: two blanks, then `text` with its control characters
// as blanks, so that it stays one line.
std::string TraceDetailLine(std::string_view text);
bool IsTraceDetail(std::string_view line);

// A line without its line end, or why it is not one: the text names the first thing wrong.
std::variant<TraceHeader, std::string> ParseTraceHeader(std::string_view line);
std::variant<TraceRecord, std::string> ParseTraceLine(std::string_view line);

}  // namespace hpib
