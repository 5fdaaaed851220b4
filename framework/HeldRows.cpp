#include "framework/HeldRows.h"

#include <utility>

namespace framework {

void HeldRows::Add(std::string row) {
  bytes_ += row.size();
  rows_.push_back(std::move(row));
}

std::string HeldRows::Next(std::size_t most) const {
  std::string text;
  for (const std::string& row : rows_) {
    if (!text.empty() && text.size() + row.size() > most) break;
    text += row;
  }
  return text;
}

void HeldRows::Written(std::size_t bytes) {
  bytes_ -= bytes;
  while (bytes && bytes >= rows_.front().size()) {
    bytes -= rows_.front().size();
    rows_.pop_front();
  }
  if (bytes) rows_.front().erase(0, bytes);
}

std::string HeldRows::TakeAll() {
  std::string text = Next(bytes_);
  rows_.clear();
  bytes_ = 0;
  return text;
}

}  // namespace framework
