#pragma once
// Which instrument a reply comes from, by its shape alone: the B7-40/5's "U +12340E-3", the
// E7-12's "1.0000E-2 L", the HP 4191A's " NZN+6.2826E+03,NDN-8.9954E+01".
#include <optional>
#include <string>
#include <string_view>

namespace check {

struct ReplyShape {
  std::string instrument;  // "B7-40/5 multimeter"
  std::string reading;     // what the reply holds: "DC volts", "L, overload"
};

// Nothing for a reply of no known shape. The line end a VISA read keeps (CR, LF) does not count.
std::optional<ReplyShape> RecogniseReply(std::string_view reply);

}  // namespace check
