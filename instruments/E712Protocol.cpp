#include "instruments/E712Protocol.h"

#include "core/Convert.h"
#include "instruments/Numbers.h"

namespace instruments::e712 {
namespace {

constexpr int kFirstRangeByte = 0x2A;
constexpr int kAutoRangeByte = 0x20;

constexpr std::size_t kValueLength = 10;
constexpr std::size_t kLabelColumn = 10;  // character 11

}  // namespace

char ModeByte(int tag) { return static_cast<char>(tag & 0xFF); }

char RangeByte(int position) {
  return static_cast<char>(position == kAutoRangePosition ? kAutoRangeByte : kFirstRangeByte + position);
}

Mirror MirrorOf(const std::wstring& written) {
  const int byte = core::StrToInt(written);
  if (byte >= 0 && byte < static_cast<int>(kModes.size())) return {byte, std::nullopt};
  if (byte == kAutoRangeByte) return {std::nullopt, kAutoRangePosition};
  if (byte >= kFirstRangeByte && byte < kFirstRangeByte + kAutoRangePosition)
    return {std::nullopt, byte - kFirstRangeByte};
  return {};
}

Reading ParseReply(const std::wstring& reply) {
  std::wstring columns = reply;
  if (columns.size() <= kLabelColumn) columns.resize(kLabelColumn + 1, L' ');
  const std::wstring value = columns.substr(0, kValueLength);
  return {value, columns.substr(kLabelColumn, 1), ReadNumber(value, L'.')};
}

}  // namespace instruments::e712
