#pragma once
// The log's rows that its file would not take (a spreadsheet holding it, a read-only file), kept
// in the order they came until the file takes them again. No row may overtake them, so every row
// passes through here. Bounded in bytes: past the bound the owner moves them to a file of their
// own rather than let a night's outage eat the host's memory. Not locked: the owner locks.
#include <cstddef>
#include <deque>
#include <string>

namespace framework {

class HeldRows {
 public:
  explicit HeldRows(std::size_t boundBytes) : bound_(boundBytes) {}

  void Add(std::string row);
  bool Empty() const { return rows_.empty(); }
  std::size_t Count() const { return rows_.size(); }  // a row cut short counts as one
  bool Full() const { return bytes_ > bound_; }

  // The oldest rows, whole, joined: at most `most` bytes, unless the first alone is longer.
  std::string Next(std::size_t most) const;
  // `bytes` of Next's text reached the file: those rows go; of a row cut short, its rest stays.
  void Written(std::size_t bytes);
  // Every row, joined; none is held any more.
  std::string TakeAll();

 private:
  const std::size_t bound_;
  std::deque<std::string> rows_;
  std::size_t bytes_ = 0;
};

}  // namespace framework
