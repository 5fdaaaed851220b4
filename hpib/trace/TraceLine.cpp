#include "hpib/trace/TraceLine.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "hpib/HPIBMessages.h"
#include "hpib/TraceBytes.h"

namespace hpib {
namespace {

constexpr std::string_view kMagic = "ApparataBusTrace";

struct OperationName {
  TraceOperation operation;
  const char* name;
};
constexpr OperationName kOperations[] = {
    {TraceOperation::Open, "Open"},       {TraceOperation::Close, "Close"},     {TraceOperation::Reset, "Reset"},
    {TraceOperation::Timeout, "Timeout"}, {TraceOperation::Clear, "Clear"},     {TraceOperation::Local, "Local"},
    {TraceOperation::Trigger, "Trigger"}, {TraceOperation::Output, "Output"},   {TraceOperation::OutputBytes, "OutputBytes"},
    {TraceOperation::Enter, "Enter"}};

const char* NameOf(TraceOperation operation) {
  for (const auto& row : kOperations)
    if (row.operation == operation) return row.name;
  return "?";
}

// The built-in text, never a translation: a trace reads the same on every system.
std::string ResultName(Result result) {
  const auto code = static_cast<std::uint16_t>(result);
  if (code == 0) return "Success";
  if (code > 13) return "?????";
  const std::wstring_view text = kResultMessages[code - 1].text;
  return std::string(text.begin(), text.end());
}

std::string Quoted(std::string_view bytes) { return "\"" + EscapedBytes(bytes) + "\""; }

// The shortest of 15 to 17 significant digits that reads back as the same number.
std::string Seconds(double seconds) {
  char text[40];
  for (int digits = 15; digits <= 17; ++digits) {
    std::snprintf(text, sizeof text, "%.*g", digits, seconds);
    if (std::strtod(text, nullptr) == seconds) break;
  }
  return text;
}

std::string Milliseconds(std::int64_t microseconds) {
  char text[40];
  std::snprintf(text, sizeof text, "%lld.%03lld", static_cast<long long>(microseconds / 1000),
                static_cast<long long>(microseconds % 1000));
  return text;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A line read left to right; each step either takes what it expects or leaves the reader failed
// with the first thing wrong.
class Reader {
 public:
  explicit Reader(std::string_view line) : rest_(line) {}

  bool Failed() const { return !error_.empty(); }
  const std::string& Error() const { return error_; }
  void Fail(std::string what) {
    if (error_.empty()) error_ = std::move(what);
  }
  bool AtEnd() const { return rest_.empty(); }

  void Literal(std::string_view text) {
    if (Failed()) return;
    if (rest_.substr(0, text.size()) != text) return Fail("\"" + std::string(text) + "\" expected at \"" + Shown() + "\"");
    rest_.remove_prefix(text.size());
  }
  bool Peek(std::string_view text) const { return !Failed() && rest_.substr(0, text.size()) == text; }

  // Up to the next blank or the end.
  std::string_view Word() {
    if (Failed()) return {};
    const std::size_t end = std::min(rest_.find(' '), rest_.size());
    const std::string_view word = rest_.substr(0, end);
    rest_.remove_prefix(end);
    if (word.empty()) Fail("a word expected at \"" + Shown() + "\"");
    return word;
  }

  std::uint64_t Unsigned(const char* what, std::uint64_t limit) {
    const std::string_view word = Word();
    std::uint64_t value = 0;
    for (char c : word) {
      if (!IsDigit(c) || value > (limit - (c - '0')) / 10) {
        Fail(std::string("bad ") + what + " \"" + std::string(word) + "\"");
        return 0;
      }
      value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (word.size() > 1 && word[0] == '0') Fail(std::string("bad ") + what + " \"" + std::string(word) + "\"");
    return value;
  }

  std::string Bytes() {
    Literal("\"");
    if (Failed()) return {};
    std::size_t end = 0;
    while (end < rest_.size() && rest_[end] != '"') end += rest_[end] == '\\' ? 2 : 1;
    if (end >= rest_.size()) {
      Fail("no closing quote");
      return {};
    }
    const std::optional<std::string> bytes = UnescapedBytes(rest_.substr(0, end));
    if (!bytes) Fail("bad bytes \"" + std::string(rest_.substr(0, end)) + "\"");
    rest_.remove_prefix(end + 1);
    return bytes.value_or("");
  }

 private:
  std::string Shown() const { return EscapedBytes(rest_.substr(0, 20)); }

  std::string_view rest_;
  std::string error_;
};

bool IsTime(std::string_view t) {
  constexpr std::string_view kShape = "dddd-dd-ddTdd:dd:dd.ddd+dd:dd";
  if (t.size() != kShape.size()) return false;
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (kShape[i] == 'd' ? !IsDigit(t[i]) : kShape[i] == '+' ? t[i] != '+' && t[i] != '-' : t[i] != kShape[i])
      return false;
  }
  return true;
}

std::optional<std::int32_t> Address(Reader& in) {
  const bool negative = in.Peek("-") && !in.Peek("- ");
  if (negative) in.Literal("-");
  const std::uint64_t magnitude =
      in.Unsigned("address", negative ? std::uint64_t{1} << 31 : std::numeric_limits<std::int32_t>::max());
  return static_cast<std::int32_t>(negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude));
}

double SecondsOf(Reader& in) {
  const std::string word(in.Word());
  char* end = nullptr;
  const double seconds = std::strtod(word.c_str(), &end);
  if (in.Failed() || word.empty() || *end != '\0' || Seconds(seconds) != word) in.Fail("bad seconds \"" + word + "\"");
  return seconds;
}

TraceOutcome Outcome(Reader& in) {
  TraceOutcome outcome;
  if (in.Peek("exception ")) {
    in.Literal("exception ");
    outcome.exception = in.Bytes();
    return outcome;
  }
  outcome.result = static_cast<Result>(in.Unsigned("result code", 0xFFFF));
  if (!in.Failed()) in.Literal(" " + ResultName(outcome.result));
  return outcome;
}

std::int64_t Duration(Reader& in) {
  const std::string_view word = in.Word();
  const std::size_t dot = word.find('.');
  if (in.Failed() || dot == std::string_view::npos || word.size() - dot != 4) {
    in.Fail("bad duration \"" + std::string(word) + "\"");
    return 0;
  }
  Reader whole(word.substr(0, dot)), fraction(word.substr(dot + 1));
  const std::uint64_t ms = whole.Unsigned("duration", std::numeric_limits<std::int64_t>::max() / 1000 - 1);
  std::int64_t us = 0;
  for (char c : word.substr(dot + 1)) {
    if (!IsDigit(c)) fraction.Fail("bad");
    us = us * 10 + (c - '0');
  }
  if (whole.Failed() || fraction.Failed()) in.Fail("bad duration \"" + std::string(word) + "\"");
  return static_cast<std::int64_t>(ms) * 1000 + us;
}

}  // namespace

std::string TraceHeaderLine(const TraceHeader& header) {
  return std::string(kMagic) + " " + std::to_string(header.version) + " library " + Quoted(header.library) +
         " backend " + Quoted(header.backEnd);
}

std::string TraceCallText(const TraceCall& call) {
  std::string text = NameOf(call.operation);
  text += " " + (call.address ? std::to_string(*call.address) : std::string("-"));
  if (call.operation == TraceOperation::Timeout) text += " " + Seconds(call.seconds) + " s";
  return text + " sent " + Quoted(call.sent);
}

std::string TraceLine(const TraceRecord& record) {
  std::string line = record.time + " " + std::to_string(record.thread) + " " + TraceCallText(record.call) + " -> ";
  if (record.outcome.exception) line += "exception " + Quoted(*record.outcome.exception);
  else line += std::to_string(static_cast<std::uint16_t>(record.outcome.result)) + " " + ResultName(record.outcome.result);
  line += " received " + Quoted(record.received);
  if (record.count) line += " of " + std::to_string(*record.count);
  return line + " " + Milliseconds(record.microseconds) + " ms";
}

std::string TraceDetailLine(std::string_view text) {
  std::string line = "  ";
  for (char c : text) line += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? ' ' : c;
  return line;
}

bool IsTraceDetail(std::string_view line) { return line.substr(0, 2) == "  "; }

std::variant<TraceHeader, std::string> ParseTraceHeader(std::string_view line) {
  Reader in(line);
  TraceHeader header;
  if (line.substr(0, kMagic.size() + 1) != std::string(kMagic) + " ") return std::string("not a bus trace: no header");
  in.Literal(std::string(kMagic) + " ");
  header.version = static_cast<unsigned>(in.Unsigned("version", 0xFFFFFFFFu));
  if (!in.Failed() && header.version != kTraceVersion)
    return "a bus trace of version " + std::to_string(header.version) + "; this library reads version " +
           std::to_string(kTraceVersion);
  in.Literal(" library ");
  header.library = in.Bytes();
  in.Literal(" backend ");
  header.backEnd = in.Bytes();
  if (!in.Failed() && !in.AtEnd()) in.Fail("text after the header");
  if (in.Failed()) return in.Error();
  return header;
}

std::variant<TraceRecord, std::string> ParseTraceLine(std::string_view line) {
  Reader in(line);
  TraceRecord record;
  record.time = std::string(in.Word());
  if (!in.Failed() && !IsTime(record.time)) return "not an operation line: no time at its start";
  in.Literal(" ");
  record.thread = static_cast<unsigned>(in.Unsigned("thread", 0xFFFFFFFFu));
  in.Literal(" ");
  const std::string_view name = in.Word();
  const OperationName* found = nullptr;
  for (const auto& row : kOperations)
    if (name == row.name) found = &row;
  if (!in.Failed() && !found) return "unknown operation \"" + EscapedBytes(name) + "\"";
  if (found) record.call.operation = found->operation;
  in.Literal(" ");
  if (in.Peek("- ")) in.Literal("-");
  else record.call.address = Address(in);
  if (!in.Failed() && (record.call.operation == TraceOperation::Close) != !record.call.address)
    in.Fail("Close has no address; every other operation has one");
  if (record.call.operation == TraceOperation::Timeout) {
    in.Literal(" ");
    record.call.seconds = SecondsOf(in);
    in.Literal(" s");
  }
  in.Literal(" sent ");
  record.call.sent = in.Bytes();
  in.Literal(" -> ");
  record.outcome = Outcome(in);
  in.Literal(" received ");
  record.received = in.Bytes();
  if (in.Peek(" of ")) {
    in.Literal(" of ");
    record.count = static_cast<std::size_t>(in.Unsigned("count", 0xFFFFFFFFu));
  }
  in.Literal(" ");
  record.microseconds = Duration(in);
  in.Literal(" ms");
  if (!in.Failed() && !in.AtEnd()) in.Fail("text after the duration");
  if (in.Failed()) return in.Error();
  return record;
}

}  // namespace hpib
