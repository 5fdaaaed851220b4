#include "hpib/sim/BenchFile.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <optional>
#include <set>

#include "hpib/sim/SiNumber.h"

namespace hpib::sim {

// The README shows this text as the example of a bench file.
static const char kBuiltInBenchText[] = R"(# The built-in bench: the three instruments at their usual addresses.

[7]
instrument = B7-40/5
dc_volts = 12.34
ac_volts = 230
ohms = 1.1357k
dc_amps = 25m
ac_amps = 10m
noise = 0.1%
seed = 7

[3]
instrument = E7-12
circuit = series
r = 12
l = 10m
noise = 0.1%
seed = 3

# Resonant at 100 MHz: a sweep from 85 MHz walks down into the dip of |Z| to 5 ohms.
[17]
instrument = HP4191A
circuit = series
r = 5
l = 100n
c = 25.3303p
noise = 0.1%
seed = 17
)";

namespace {

constexpr int kMaxPrimary = 30;

constexpr struct {
  Kind kind;
  const char* name;
} kKinds[] = {{Kind::Multimeter, "B7-40/5"}, {Kind::LcrMeter, "E7-12"}, {Kind::Analyzer, "HP4191A"}};

const char* KindName(Kind kind) {
  for (const auto& k : kKinds)
    if (k.kind == kind) return k.name;
  return "";
}

std::string Lower(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
  return lower;
}

std::string_view Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// Quoted for a message: short, and every byte that is not printable ASCII as "?".
std::string Quoted(std::string_view text) {
  constexpr std::size_t kShown = 24;
  std::string shown(text.substr(0, kShown));
  for (char& c : shown)
    if (c < 0x20 || c > 0x7E) c = '?';
  return "\"" + shown + (text.size() > kShown ? "...\"" : "\"");
}

// A setter answers nothing, or the kind of value the key needs.
using Setter = const char* (*)(InstrumentSetup&, std::string_view value);
// What the file holds for the key; nothing when the bench has the default.
using Getter = std::optional<std::string> (*)(const InstrumentSetup&);

const char* SetNumber(double& field, std::string_view value, double low, bool lowIncluded, double high,
                      const char* needs) {
  const std::optional<double> number = ParseSiNumber(value);
  if (!number || *number < low || (*number == low && !lowIncluded) || *number > high) return needs;
  field = *number;
  return nullptr;
}

const char* SetWhole(std::uint64_t& field, std::string_view value, std::uint64_t low, const char* needs) {
  std::uint64_t number = 0;
  const auto result = std::from_chars(value.data(), value.data() + value.size(), number);
  if (value.empty() || result.ec != std::errc() || result.ptr != value.data() + value.size() || number < low)
    return needs;
  field = number;
  return nullptr;
}

constexpr double kHuge = 1.7976931348623157e308;
const char* const kAnyNumber = "a number";
const char* const kNotNegative = "a number of at least 0";
const char* const kPositive = "a number above 0";
const char* const kFraction = "a number from 0 to 1";

const char* SetAny(double& field, std::string_view value) { return SetNumber(field, value, -kHuge, true, kHuge, kAnyNumber); }
const char* SetMagnitude(double& field, std::string_view value) {
  return SetNumber(field, value, 0, true, kHuge, kNotNegative);
}
const char* SetElement(std::optional<double>& field, std::string_view value, bool zeroAllowed) {
  double number = 0;
  if (const char* needs = SetNumber(number, value, 0, zeroAllowed, kHuge, zeroAllowed ? kNotNegative : kPositive))
    return needs;
  field = number;
  return nullptr;
}

std::optional<std::string> Number(double value) { return SiNumberText(value); }
std::optional<std::string> NonZero(double value) {
  return value == 0 ? std::nullopt : Number(value);
}
std::optional<std::string> Element(const std::optional<double>& value) {
  return value ? Number(*value) : std::nullopt;
}

enum class For { Any, Meter, Impedance };

struct Key {
  const char* name;
  For applies;
  Setter set;
  Getter get;
};

// In the order WriteBench writes them; "instrument" comes first in every section.
constexpr Key kKeys[] = {
    {"instrument", For::Any,
     [](InstrumentSetup& s, std::string_view v) -> const char* {
       for (const auto& k : kKinds)
         if (Lower(v) == Lower(k.name)) {
           s.kind = k.kind;
           return nullptr;
         }
       return "B7-40/5, E7-12 or HP4191A";
     },
     [](const InstrumentSetup& s) -> std::optional<std::string> { return KindName(s.kind); }},
    {"dc_volts", For::Meter, [](InstrumentSetup& s, std::string_view v) { return SetAny(s.meter.dcVolts, v); },
     [](const InstrumentSetup& s) { return NonZero(s.meter.dcVolts); }},
    {"ac_volts", For::Meter, [](InstrumentSetup& s, std::string_view v) { return SetMagnitude(s.meter.acVolts, v); },
     [](const InstrumentSetup& s) { return NonZero(s.meter.acVolts); }},
    {"ohms", For::Meter, [](InstrumentSetup& s, std::string_view v) { return SetMagnitude(s.meter.ohms, v); },
     [](const InstrumentSetup& s) { return NonZero(s.meter.ohms); }},
    {"dc_amps", For::Meter, [](InstrumentSetup& s, std::string_view v) { return SetAny(s.meter.dcAmps, v); },
     [](const InstrumentSetup& s) { return NonZero(s.meter.dcAmps); }},
    {"ac_amps", For::Meter, [](InstrumentSetup& s, std::string_view v) { return SetMagnitude(s.meter.acAmps, v); },
     [](const InstrumentSetup& s) { return NonZero(s.meter.acAmps); }},
    {"circuit", For::Impedance,
     [](InstrumentSetup& s, std::string_view v) -> const char* {
       const std::string word = Lower(v);
       if (word != "series" && word != "parallel") return "series or parallel";
       s.circuit.topology = word == "series" ? Topology::Series : Topology::Parallel;
       return nullptr;
     },
     [](const InstrumentSetup& s) -> std::optional<std::string> {
       return s.circuit.topology == Topology::Series ? "series" : "parallel";
     }},
    {"r", For::Impedance, [](InstrumentSetup& s, std::string_view v) { return SetElement(s.circuit.ohms, v, true); },
     [](const InstrumentSetup& s) { return Element(s.circuit.ohms); }},
    {"l", For::Impedance,
     [](InstrumentSetup& s, std::string_view v) { return SetElement(s.circuit.henries, v, false); },
     [](const InstrumentSetup& s) { return Element(s.circuit.henries); }},
    {"c", For::Impedance, [](InstrumentSetup& s, std::string_view v) { return SetElement(s.circuit.farads, v, false); },
     [](const InstrumentSetup& s) { return Element(s.circuit.farads); }},
    {"noise", For::Any, [](InstrumentSetup& s, std::string_view v) { return SetNumber(s.noise, v, 0, true, 1, kFraction); },
     [](const InstrumentSetup& s) { return NonZero(s.noise); }},
    {"seed", For::Any,
     [](InstrumentSetup& s, std::string_view v) { return SetWhole(s.seed, v, 0, "a whole number from 0 up"); },
     [](const InstrumentSetup& s) -> std::optional<std::string> { return std::to_string(s.seed); }},
    {"absent", For::Any,
     [](InstrumentSetup& s, std::string_view v) -> const char* {
       const std::string word = Lower(v);
       if (word != "yes" && word != "no") return "yes or no";
       s.faults.absent = word == "yes";
       return nullptr;
     },
     [](const InstrumentSetup& s) -> std::optional<std::string> {
       if (!s.faults.absent) return std::nullopt;
       return "yes";
     }},
    {"timeout_from_read", For::Any,
     [](InstrumentSetup& s, std::string_view v) -> const char* {
       std::uint64_t read = 0;
       if (const char* needs = SetWhole(read, v, 1, "a whole number from 1 up")) return needs;
       s.faults.timeoutFromRead = read;
       return nullptr;
     },
     [](const InstrumentSetup& s) -> std::optional<std::string> {
       if (!s.faults.timeoutFromRead) return std::nullopt;
       return std::to_string(*s.faults.timeoutFromRead);
     }},
    {"timeout_probability", For::Any,
     [](InstrumentSetup& s, std::string_view v) { return SetNumber(s.faults.timeoutProbability, v, 0, true, 1, kFraction); },
     [](const InstrumentSetup& s) { return NonZero(s.faults.timeoutProbability); }},
};

bool Applies(For applies, Kind kind) {
  return applies == For::Any || (applies == For::Meter) == (kind == Kind::Multimeter);
}

const Key* FindKey(const std::string& name) {
  for (const Key& key : kKeys)
    if (name == key.name) return &key;
  return nullptr;
}

// One section while it is read: where it began and which keys it has had.
struct Section {
  std::size_t line = 0;
  std::set<std::string> keys;
};

std::optional<BenchError> KeyLine(std::string_view line, std::size_t number, Section& section, InstrumentSetup& setup) {
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos)
    return BenchError{number, Quoted(line) + " is neither \"[address]\", \"key = value\" nor a comment"};
  const std::string name = Lower(Trimmed(line.substr(0, equals)));
  const std::string_view value = Trimmed(line.substr(equals + 1));
  const Key* key = FindKey(name);
  if (!key) return BenchError{number, "unknown key " + Quoted(name)};
  if (section.line == 0) return BenchError{number, "key " + Quoted(name) + " before the first section"};
  if (section.keys.empty() && key != &kKeys[0]) return BenchError{number, "the first key of a section must be \"instrument\""};
  if (!section.keys.insert(name).second) return BenchError{number, "key " + Quoted(name) + " is given twice"};
  if (!Applies(key->applies, setup.kind))
    return BenchError{number, "key " + Quoted(name) + " does not apply to the " + KindName(setup.kind)};
  if (const char* needs = key->set(setup, value))
    return BenchError{number, Quoted(name) + " needs " + needs + ", not " + Quoted(value)};
  return std::nullopt;
}

std::optional<int> Primary(std::string_view header) {
  if (header.size() < 3 || header.back() != ']') return std::nullopt;
  const std::string_view digits = Trimmed(header.substr(1, header.size() - 2));
  int primary = -1;
  const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), primary);
  if (digits.empty() || result.ec != std::errc() || result.ptr != digits.data() + digits.size() || primary < 0 ||
      primary > kMaxPrimary)
    return std::nullopt;
  return primary;
}

// An editor's UTF-16 (Windows' "Unicode") starts with its byte-order mark; without one, the
// high bytes of its ASCII characters are NULs, which no text of ours holds.
std::optional<BenchError> Utf16(std::string_view text) {
  const char* const save = "; save it as UTF-8 or ANSI";
  if (text.substr(0, 2) == "\xFF\xFE" || text.substr(0, 2) == "\xFE\xFF")
    return BenchError{0, std::string("the file is UTF-16 (its byte-order mark says so)") + save};
  if (text.find('\0') != std::string_view::npos)
    return BenchError{0, std::string("the file holds NUL bytes, as UTF-16 does") + save};
  return std::nullopt;
}

}  // namespace

std::variant<Bench, BenchError> ParseBench(std::string_view text) {
  if (auto error = Utf16(text)) return *error;
  constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
  if (text.substr(0, kUtf8Mark.size()) == kUtf8Mark) text.remove_prefix(kUtf8Mark.size());
  Bench bench;
  Section section;
  auto unnamed = [&]() -> std::optional<BenchError> {
    if (section.line != 0 && section.keys.empty())
      return BenchError{section.line, "section [" + std::to_string(bench.instruments.back().primary) + "] names no instrument"};
    return std::nullopt;
  };
  std::size_t number = 0;
  for (std::size_t start = 0; start <= text.size(); ++number) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    const std::string_view line = Trimmed(text.substr(start, end - start));
    start = end + 1;
    if (line.empty() || line[0] == '#' || line[0] == ';') continue;
    if (line[0] == '[') {
      if (auto error = unnamed()) return *error;
      const std::optional<int> primary = Primary(line);
      if (!primary) return BenchError{number + 1, "section " + Quoted(line) + " names no primary address from 0 to 30"};
      for (const InstrumentSetup& other : bench.instruments)
        if (other.primary == *primary)
          return BenchError{number + 1, "address " + std::to_string(*primary) + " has a section already"};
      bench.instruments.push_back({});
      bench.instruments.back().primary = *primary;
      section = {number + 1, {}};
      continue;
    }
    InstrumentSetup ignored;
    InstrumentSetup& setup = bench.instruments.empty() ? ignored : bench.instruments.back();
    if (auto error = KeyLine(line, number + 1, section, setup)) return *error;
  }
  if (auto error = unnamed()) return *error;
  return bench;
}

std::string WriteBench(const Bench& bench) {
  std::string text;
  for (const InstrumentSetup& setup : bench.instruments) {
    text += (text.empty() ? "[" : "\n[") + std::to_string(setup.primary) + "]\n";
    for (const Key& key : kKeys)
      if (Applies(key.applies, setup.kind))
        if (const std::optional<std::string> value = key.get(setup)) text += std::string(key.name) + " = " + *value + "\n";
  }
  return text;
}

Bench BuiltInBench() { return std::get<Bench>(ParseBench(kBuiltInBenchText)); }

std::string BenchErrorText(const std::string& file, const BenchError& error) {
  return file + (error.line == 0 ? "" : ", line " + std::to_string(error.line)) + ": " + error.text;
}

}  // namespace hpib::sim
