// The bus check names an instrument by its reply's shape: each instrument's replies, its
// overloads, the line end VISA keeps, and replies of no known shape.
#include "check/ReplyShape.h"

#include <gtest/gtest.h>

namespace {

TEST(ReplyShapeTest, EachInstrumentIsKnownByItsReplyAndAnythingElseByNone) {
  struct Case {
    std::string reply;
    const char* instrument;  // null: no known shape
    const char* reading;
  } cases[] = {
      {"U +12340E-3", "B7-40/5 multimeter", "DC volts"},
      {"V +23000E-2", "B7-40/5 multimeter", "AC volts"},
      {"R +11357E-4\r\n", "B7-40/5 multimeter", "ohms"},
      {"I -00250E-4", "B7-40/5 multimeter", "amperes"},
      {"UP+12340E-3", "B7-40/5 multimeter", "DC volts"},
      {"R  OVERLOAD", "B7-40/5 multimeter", "ohms, overload"},
      {"1.0000E-2 L", "E7-12 LCR meter", "inductance"},
      {"2.0723E+1 D\r\n", "E7-12 LCR meter", "dissipation factor"},
      {"-1.234E-12C", "E7-12 LCR meter", "capacitance"},
      {"1.2E+1    R", "E7-12 LCR meter", "resistance"},
      {"OVERLOAD  G", "E7-12 LCR meter", "conductance, overload"},
      {" NZN+6.2826E+03,NDN-8.9954E+01", "HP 4191A analyzer", "|Z| and phase in degrees"},
      {" NRN+1.2305E+01,NXN+5.4320E-01\n", "HP 4191A analyzer", "R and X"},
      {" NCN+2.5330E-11,NQN+3.1831E+00", "HP 4191A analyzer", "C and Q"},
      {" OYN+9.9999E+99,NRN+1.5708E+00", "HP 4191A analyzer", "|Y| and phase in radians, overflow"},
      {" O?N+9.9999E+99,O?N+9.9999E+99", "HP 4191A analyzer", "test frequency out of range"},
      {"", nullptr, nullptr},
      {"\r\n", nullptr, nullptr},
      {"DEBUG DEBUG DEBUG DEBUG DEBUG DEBUG DEBUG DEBUG", nullptr, nullptr},
      {"X +12340E-3", nullptr, nullptr},
      {"U +1234E-3", nullptr, nullptr},
      {"U +12340E-3 ", nullptr, nullptr},
      {"U +12340E+", nullptr, nullptr},
      {"U-+12340E-3", nullptr, nullptr},
      {"1.0000E-2 Q", nullptr, nullptr},
      {"1.0000E-2  L", nullptr, nullptr},
      {"1.0000 E-2L", nullptr, nullptr},
      {"OVERLOAD L", nullptr, nullptr},
      {" NZN+6.2826E+03,NXN-8.9954E+01", nullptr, nullptr},
      {" NZN+6.2826E+03;NDN-8.9954E+01", nullptr, nullptr},
      {" NZN+6.2826E+3,NDN-8.9954E+01 ", nullptr, nullptr},
      {" PZN+6.2826E+03,NDN-8.9954E+01", nullptr, nullptr},
      {"NZN+6.2826E+03,NDN-8.9954E+01", nullptr, nullptr},
  };
  for (const Case& c : cases) {
    const std::optional<check::ReplyShape> shape = check::RecogniseReply(c.reply);
    if (!c.instrument) {
      EXPECT_FALSE(shape) << '"' << c.reply << "\" taken for " << shape->instrument;
      continue;
    }
    ASSERT_TRUE(shape) << '"' << c.reply << '"';
    EXPECT_EQ(c.instrument, shape->instrument) << c.reply;
    EXPECT_EQ(c.reading, shape->reading) << c.reply;
  }
}

}  // namespace
