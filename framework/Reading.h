#pragma once
// A reading as data: the label and value pairs that a panel shows, each value with the number
// the instrument's protocol read in it. Text, the log's row and the panel are made from the
// pairs, never from text parsed back.
#include <optional>
#include <string>
#include <vector>

namespace framework {

struct Pair {
  std::wstring label;  // the unit or quantity beside the value
  std::wstring value;  // the instrument's characters, blanks and all
  // None for an overload, for a value that is no number and for what the panel shows beside
  // the reading (a frequency, the sweep's limits).
  std::optional<double> number = std::nullopt;
};
using Pairs = std::vector<Pair>;

// What one measurement tick read, in the panel's order.
struct Reading {
  Pairs pairs;
  bool beep = false;  // the instrument flagged it: the panel beeps as it shows it
};

// Text's lines: "label=value" each, joined by CR LF; a pair without a label is its value alone.
std::wstring Lines(const Pairs& pairs);

}  // namespace framework
