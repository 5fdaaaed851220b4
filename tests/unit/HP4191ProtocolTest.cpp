// The analyzer's commands, control words and reply positions, by tables.
#include "instruments/HP4191Protocol.h"

#include <gtest/gtest.h>

#include "core/Exceptions.h"

namespace {

using namespace instruments::hp4191;

const std::wstring kBlanks(250, L' ');
constexpr std::nullopt_t none = std::nullopt;

TEST(HP4191ProtocolTest, RepliesAreReadByPosition) {
  struct Case {
    std::wstring reply;
    const wchar_t *labelA, *valueA, *labelB, *valueB;
    bool beep;
    std::optional<double> numberA, numberB;
  } cases[] = {
      {L" NRN+1.2345E+01,NXN+5.4321E-01" + kBlanks, L"R  Ohm", L"+1.2345E+01", L"X  Ohm", L"+5.4321E-01", false,
       12.345, 0.54321},
      {L"  NRN+1.2345E+01,NXN+5.4321E-01", L"R  Ohm", L"+1.2345E+01", L"X  Ohm", L"+5.4321E-01", false,
       12.345, 0.54321},
      {L"   NRN+1.2345E+01,NXN+5.4321E-01", L"?   ???", L"N+1.2345E+0", L"?  ???", L"N+5.4321E-0", false, none, none},
      {L" NZN+1.0000E+02,NDN-4.5000E+01", L"|Z|  Ohm", L"+1.0000E+02", L"Fi Deg", L"-4.5000E+01", false, 100, -45},
      {L" NLN+1.0000E-06,NDN+2.0000E-03", L"L     H", L"+1.0000E-06", L"D", L"+2.0000E-03", false, 1e-6, 2e-3},
      {L" NCN+1.0000E-12,NRN+3.0000E+00", L"C     F", L"+1.0000E-12", L"R Ohm", L"+3.0000E+00", false, 1e-12, 3},
      {L" NMN+9.0000E-01,NRN+1.0000E+00", L"|\u0413|", L"+9.0000E-01", L"Fi Rad", L"+1.0000E+00", false, 0.9, 1},
      {L" NYN+1.0000E-02,NRN+1.0000E+00", L"|Y|     Sm", L"+1.0000E-02", L"Fi Rad", L"+1.0000E+00", false, 0.01, 1},
      {L" NGN+1.0000E-02,NBN+2.0000E-02", L"G     Sm", L"+1.0000E-02", L"B     Sm", L"+2.0000E-02", false, 0.01, 0.02},
      {L" NXN+1.0000E-01,NYN+2.0000E-01", L"\u0413x", L"+1.0000E-01", L"\u0413y", L"+2.0000E-01", false, 0.1, 0.2},
      {L" NCN+1.0000E-12,NGN+1.0000E-03", L"C     F", L"+1.0000E-12", L"G     Sm", L"+1.0000E-03", false, 1e-12, 1e-3},
      {L" NLN+1.0000E-06,NQN+5.0000E+01", L"L     H", L"+1.0000E-06", L"Q", L"+5.0000E+01", false, 1e-6, 50},
      {L" ORN+9.9999E+99,NXN+0.0000E+00", L"R  Ohm", L"+9.9999E+99", L"X  Ohm", L"+0.0000E+00", true, none, 0},
      {L" NRN+1.0000E+00,OXN+0.0000E+00", L"R  Ohm", L"+1.0000E+00", L"X  Ohm", L"+0.0000E+00", true, 1, none},
      {L" NrN+1,NxN+2", L"?   ???", L"+1,NxN+2", L"?  ???", L"", false, none, none},
      {L" NRN+1.2", L"R  Ohm", L"+1.2", L"?  ???", L"", false, 1.2, none},
      {L" NR", L"R  Ohm", L"", L"?  ???", L"", false, none, none},
      {L" ", L"?   ???", L"", L"?  ???", L"", false, none, none},
      {L"", L"?   ???", L"", L"?  ???", L"", false, none, none},
  };
  for (const auto& c : cases) {
    const Reading r = ParseReply(c.reply);
    const std::string reply(c.reply.begin(), c.reply.begin() + std::min<std::size_t>(c.reply.size(), 32));
    EXPECT_EQ(r.labelA, c.labelA) << reply;
    EXPECT_EQ(r.valueA, c.valueA) << reply;
    EXPECT_EQ(r.labelB, c.labelB) << reply;
    EXPECT_EQ(r.valueB, c.valueB) << reply;
    EXPECT_EQ(r.beep, c.beep) << reply;
    EXPECT_EQ(r.numberA, c.numberA) << reply;
    EXPECT_EQ(r.numberB, c.numberB) << reply;
  }
}

TEST(HP4191ProtocolTest, UnitLabelsByFunctionLetter) {
  const std::pair<wchar_t, const wchar_t*> a[] = {
      {L'Z', L"|Z|  Ohm"}, {L'Y', L"|Y|     Sm"}, {L'M', L"|\u0413|"}, {L'R', L"R  Ohm"}, {L'G', L"G     Sm"},
      {L'X', L"\u0413x"},  {L'L', L"L     H"},    {L'C', L"C     F"},   {L'B', L"?   ???"}, {L'z', L"?   ???"},
      {L' ', L"?   ???"}};
  for (const auto& [letter, label] : a) EXPECT_EQ(LabelA(letter), label) << char(letter);
  struct {
    wchar_t b, a;
    const wchar_t* label;
  } b[] = {{L'B', L'R', L"B     Sm"}, {L'D', L'M', L"Fi Deg"}, {L'D', L'Y', L"Fi Deg"}, {L'D', L'Z', L"Fi Deg"},
           {L'D', L'L', L"D"},        {L'D', L'C', L"D"},      {L'G', L'C', L"G     Sm"}, {L'Q', L'L', L"Q"},
           {L'R', L'M', L"Fi Rad"},   {L'R', L'Z', L"Fi Rad"}, {L'R', L'C', L"R Ohm"},  {L'R', L'G', L"R Ohm"},
           {L'X', L'R', L"X  Ohm"},   {L'Y', L'X', L"\u0413y"}, {L'Z', L'Z', L"?  ???"}, {L'd', L'Z', L"?  ???"}};
  for (const auto& c : b) EXPECT_EQ(LabelB(c.b, c.a), c.label) << char(c.b) << char(c.a);
}

TEST(HP4191ProtocolTest, ControlWordsAreFoundAnywhereFirstOfTheListWins) {
  struct Case {
    const wchar_t* text;
    std::optional<ControlWord> word;
    bool on;
  } cases[] = {
      {L"extendedoutput on", ControlWord::ExtendedOutput, true},
      {L"EXTENDEDOUTPUT OFF", ControlWord::ExtendedOutput, false},
      {L"EXTENDEDOUTPUT", ControlWord::ExtendedOutput, false},
      {L"AutoStop On", ControlWord::AutoStop, true},
      {L"AUTOSTOP OFF", ControlWord::AutoStop, false},
      {L"xSCANUPx", ControlWord::ScanUp, false},
      {L"ScanDown", ControlWord::ScanDown, false},
      {L"SCANOFF", ControlWord::ScanOff, false},
      {L"SCANOFF AUTOSTOP ON", ControlWord::AutoStop, true},
      {L"SCANDOWN SCANUP", ControlWord::ScanUp, false},
      {L"A1EN", std::nullopt, false},
      {L"SCAN UP", std::nullopt, false},
      {L"", std::nullopt, false},
  };
  for (const auto& c : cases) {
    const auto found = FindControlWord(UpperCase(c.text));
    ASSERT_EQ(found.has_value(), c.word.has_value()) << c.text;
    if (!found) continue;
    EXPECT_EQ(found->word, *c.word) << c.text;
    EXPECT_EQ(found->on, c.on) << c.text;
  }
}

TEST(HP4191ProtocolTest, ModeAngleAndSchemeCommandsAreRead) {
  for (int mode = 1; mode <= 8; ++mode) EXPECT_EQ(ModeIndex(L"A" + std::to_wstring(mode) + L"EN"), mode - 1);
  EXPECT_EQ(ModeIndex(L"A3"), 2);
  const struct {
    const wchar_t* text;
    const wchar_t* message;
  } bad[] = {{L"A9EN", L"Mode 9 is not one of the modes 1 to 8"},
             {L"A0EN", L"Mode 0 is not one of the modes 1 to 8"},
             {L"AXEN", L"'X' is not a valid integer value"},
             {L"A EN", L"' ' is not a valid integer value"},
             {L"A", L"'' is not a valid integer value"}};
  for (const auto& c : bad) {
    try {
      ModeIndex(c.text);
      ADD_FAILURE() << "accepted";
    } catch (const core::Exception& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
  }
  const std::pair<const wchar_t*, std::optional<int>> angles[] = {
      {L"B1EN", 0}, {L"B2EN", 1}, {L"B3EN", 1}, {L"BXEN", 1}, {L"B", std::nullopt}};
  for (const auto& [text, index] : angles) EXPECT_EQ(AngleIndex(text), index) << text;
  const std::pair<const wchar_t*, std::optional<int>> schemes[] = {
      {L"B1EN", 0}, {L"B2EN", 1}, {L"B3EN", 2}, {L"B4EN", 3}, {L"B5EN", std::nullopt},
      {L"B0EN", std::nullopt}, {L"BQEN", std::nullopt}, {L"B", std::nullopt}};
  for (const auto& [text, index] : schemes) EXPECT_EQ(SchemeIndex(text), index) << text;
  EXPECT_EQ(ModeCommand(3), L"A3EN");
  EXPECT_EQ(AngleSchemeCommand(2), L"B2EN");
  EXPECT_EQ(FrequencyCommand(L"2.0000"), L"FR2.0000EN");
}

TEST(HP4191ProtocolTest, FrequencyTextRunsFromAfterTheFirstFRToTheFirstENAfterIt) {
  const std::pair<const wchar_t*, std::optional<std::wstring>> cases[] = {
      {L"FR12.5EN", L"12.5"},  {L"FR2.0000EN", L"2.0000"}, {L"FR1EN", L"1"},     {L"FREN", L""},
      {L"FR5", L""},           {L"FR", L""},               {L"XFR5EN", L"5"},    {L"A1ENFR5EN", L"5"},
      {L"A1FR5EN", L"5"},      {L"FR5ENFR6EN", L"5"},      {L"FRENEN", L""},     {L"FR5E", L""},
      {L"FR1ENEN", L"1"},      {L"A1EN", std::nullopt},    {L"F R1EN", std::nullopt}};
  for (const auto& [text, frequency] : cases) EXPECT_EQ(FrequencyText(text), frequency) << text;
}

TEST(HP4191ProtocolTest, FrequenciesHaveFourDecimalsAndTenSignificantDigits) {
  const std::pair<double, const wchar_t*> cases[] = {
      {2, L"2.0000"},
      {12.5, L"12.5000"},
      {1.1 + 0.1, L"1.2000"},
      {0.3 - 0.1, L"0.2000"},
      {1000, L"1000.0000"},
      {0, L"0.0000"},
      {-2, L"-2.0000"},
      {-0.00004, L"0.0000"},
      {0.00005, L"0.0001"},
      {0.03125, L"0.0313"},
      {-0.03125, L"-0.0313"},
      {12.34565, L"12.3457"},
      {999.99995, L"1000.0000"},
      {1234567.891, L"1234567.8910"},
      {123456789.12345, L"123456789.1000"},
      {9999999999.4, L"9999999999.0000"},
      {9999999999.5, L"1E10"},
      {12345678901.0, L"1.23456789E10"},
      {-12345678901.0, L"-1.23456789E10"},
      {1e20, L"1E20"},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(FormatFrequency(value), text) << value;
}

}  // namespace
