#pragma once
// The bytes of a bus trace line, as every back end that traces writes them.
#include <optional>
#include <string>
#include <string_view>

namespace hpib {

// 'sent "..."' / 'received "..."': printable ASCII as it is, the rest escaped (\r, \n, \t, \\,
// \", \xHH), so that one call stays one line whatever its bytes.
std::string BytesDetail(const char* direction, const std::string& bytes);

// The bytes between the quotes of BytesDetail.
std::string EscapedBytes(std::string_view bytes);
// The bytes that `escaped` stands for; nothing when it is not what EscapedBytes writes (an
// unknown escape, a bare quote, backslash or control character). Hex digits in either case.
std::optional<std::string> UnescapedBytes(std::string_view escaped);

}  // namespace hpib
