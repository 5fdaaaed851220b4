// The pure parts of unattended work: the log's rows, the back-off after errors, the Errors setting.
#include <gtest/gtest.h>

#include <climits>
#include <tuple>

#include "framework/ErrorsSetting.h"
#include "framework/HeldRows.h"
#include "framework/ReadingLog.h"
#include "framework/Unattended.h"

namespace {

using namespace framework;

const std::string kT = "2026-03-29T01:59:59.250+01:00";

TEST(ReadingLogTest, TimesCarryMillisecondsAndTheSignedOffset) {
  const std::pair<LocalTime, const char*> cases[] = {
      {{2026, 3, 29, 1, 59, 59, 250, 60}, "2026-03-29T01:59:59.250+01:00"},
      {{2026, 1, 5, 9, 3, 7, 5, -330}, "2026-01-05T09:03:07.005-05:30"},
      {{2025, 12, 31, 23, 59, 59, 999, 0}, "2025-12-31T23:59:59.999+00:00"},
      {{2026, 7, 1, 0, 0, 0, 42, -210}, "2026-07-01T00:00:00.042-03:30"},
      {{2026, 2, 28, 12, 0, 1, 99, -30}, "2026-02-28T12:00:01.099-00:30"},
  };
  for (const auto& [time, text] : cases) EXPECT_EQ(text, Iso8601(time));
  EXPECT_EQ("time,control,port,kind,label1,value1,label2,value2,label3,value3,label4,value4,label5,value5,"
            "label6,value6\r\n",
            LogHeader());
  EXPECT_EQ("\xEF\xBB\xBF", std::string(kByteOrderMark));
}

TEST(ReadingLogTest, EachLineIsALabelAndAValueQuotedOnlyWhenNeeded) {
  const std::tuple<const wchar_t*, std::int32_t, Pairs, const char*> cases[] = {  // row after the time
      {L"Apparata.E712X", 17, {{L"L", L"+0.0000E+00"}, {L"D", L"+0.0000E+00"}},
       "Apparata.E712X,17,reading,L,+0.0000E+00,D,+0.0000E+00,,,,,,,,\r\n"},
      {L"Apparata.HP4191X", 5,
       {{L"R Ohm", L"+1.2345E+01"}, {L"X Ohm", L"+5.4321E-01"}, {L"F MHz", L"1.000000"}, {L"Min", L"1"},
        {L"Max", L"1000"}, {L"Step", L"1.0000"}},
       "Apparata.HP4191X,5,reading,R Ohm,+1.2345E+01,X Ohm,+5.4321E-01,F MHz,1.000000,Min,1,Max,1000,Step,1.0000\r\n"},
      {L"Apparata.HP4191X", 0, {{L"|\u0413|", L"+9.0000E-01"}, {L"Fi Rad", L"+1.0000E+00"}, {L"F MHz", L"1.000000"}},
       "Apparata.HP4191X,0,reading,|\xD0\x93|,+9.0000E-01,Fi Rad,+1.0000E+00,F MHz,1.000000,,,,,,\r\n"},
      {L"B", 2, {}, "B,2,reading,,,,,,,,,,,,\r\n"},
      {L"B", 2,
       {{L"a,b", L"1"}, {L"q", L"say \"hi\""}, {L"", L"no label"}, {L"k", L"v=w"}, {L"cr", L"1\r2"}, {L"lf", L"1\n2"}},
       "B,2,reading,\"a,b\",1,q,\"say \"\"hi\"\"\",,no label,k,v=w,cr,\"1\r2\",lf,\"1\n2\"\r\n"},
      {L"B", 2, {{L"", L"x"}, {L"y", L""}, {}, {L"4", L"4"}, {L"5", L"5"}, {L"6", L"6"}, {L"7", L"7"}, {L"", L"8"}},
       "B,2,reading,,x,y,,,,4,4,5,5,6,\"6\r\n7=7\r\n8\"\r\n"},
      {L"B", 2, {{L"\U0001F600", std::wstring(1, wchar_t(0xD83D)) + L"x" + wchar_t(0xDE00)}},
       "B,2,reading,\xF0\x9F\x98\x80,\xEF\xBF\xBDx\xEF\xBF\xBD,,,,,,,,,,\r\n"},
  };
  for (const auto& [progId, port, pairs, row] : cases) EXPECT_EQ(kT + "," + row, ReadingRow(kT, progId, port, pairs));
}

TEST(ReadingLogTest, AnErrorIsItsMessageInTheFirstValue) {
  const std::pair<const wchar_t*, const char*> cases[] = {
      {L"Critical HPIB driver error:\nHPIB timeout!", "\"Critical HPIB driver error:\nHPIB timeout!\""},
      {L"Bench file \"a.ini\", line 3", "\"Bench file \"\"a.ini\"\", line 3\""},
      {L"Port=3 refused", "Port=3 refused"},
  };
  for (const auto& [message, field] : cases)
    EXPECT_EQ(kT + ",Apparata.E712X,7,error,," + field + ",,,,,,,,,,\r\n", ErrorRow(kT, L"Apparata.E712X", 7, message));
}

TEST(ReadingLogTest, SimulatedReadingsAndNoticesSayTheirKind) {
  const std::pair<std::string, const char*> cases[] = {
      {SimulatedRow(kT, L"Apparata.B740X", 7, {{L"U", L"+1.000"}, {L"", L"x"}}),
       "Apparata.B740X,7,simulated,U,+1.000,,x,,,,,,,,"},
      {NoticeRow(kT, L"Debug mode: VISA library visa32.dll not found"),
       ",,notice,,Debug mode: VISA library visa32.dll not found,,,,,,,,,,"},
      {NoticeRow(kT, L"Log file \"a,b.csv\""), ",,notice,,\"Log file \"\"a,b.csv\"\"\",,,,,,,,,,"},
  };
  for (const auto& [row, after] : cases) {
    EXPECT_EQ(kT + "," + after + "\r\n", row);
    EXPECT_EQ(kT, RowTime(row));
  }
}

TEST(ReadingLogTest, OnlyAFileThatBeginsAsALogIsAppendedTo) {
  const std::string log = std::string(kByteOrderMark) + LogHeader();
  const std::pair<std::string, LogStart> cases[] = {
      {"", LogStart::Empty},
      {log, LogStart::Log},
      {log + "2026", LogStart::Log},
      {log.substr(0, log.size() - 1), LogStart::Foreign},
      {log.substr(3), LogStart::Foreign},
      {"a,b\r\n1,2\r\n", LogStart::Foreign},
      {std::string("\0\0\0\0", 4), LogStart::Foreign},
  };
  for (const auto& [first, kind] : cases) EXPECT_EQ(kind, KindOfStart(first)) << first;
}

TEST(HeldRowsTest, RowsLeaveInOrderWholeOrTheRestOfOneCutShort) {
  HeldRows held(10);
  for (const char* row : {"aaaa", "bbb", "cc"}) held.Add(row);
  EXPECT_FALSE(held.Full());
  EXPECT_EQ("aaaabbb", held.Next(8));
  EXPECT_EQ("aaaa", held.Next(2)) << "the first row whole, however small the room";
  held.Written(5);
  EXPECT_EQ(2u, held.Count());
  EXPECT_EQ("bbcc", held.Next(100));
  held.Add("dddddddd");
  EXPECT_TRUE(held.Full()) << "12 bytes over a bound of 10";
  EXPECT_EQ("bbccdddddddd", held.TakeAll());
  EXPECT_TRUE(held.Empty());
  EXPECT_FALSE(held.Full());
}

TEST(ReadingLogTest, EveryRowHasSixteenFieldsWhateverTheText) {
  const Pairs eight{{L"a", L"1"}, {L"b", L"2"}, {L"c", L"3"}, {L"d", L"4"},
                    {L"e", L"5"}, {L"f", L"6"}, {L"g", L"7"}, {L"h", L"8"}};
  for (const Pairs& pairs : {Pairs{}, eight, Pairs{{L",", L","}, {L"\"", L"\""}, {}, {L"", L","}}}) {
    int commas = 0;  // outside quotes, where a CSV reader splits the row
    bool quoted = false;
    for (char c : ReadingRow(kT, L"C,\"", 1, pairs)) {
      if (c == '"') quoted = !quoted;
      if (c == ',' && !quoted) ++commas;
    }
    EXPECT_EQ(15, commas) << pairs.size();
  }
}

TEST(RetryDelayTest, DoublesFromTheSecondFailureUpToAMinuteNeverBelowTheInterval) {
  const unsigned cases[][3] = {  // interval, failures in a row, delay
      {300, 0, 300},       {300, 1, 300},           {300, 2, 600},           {300, 3, 1200},     {300, 8, 38400},
      {300, 9, 60000},     {300, 33, 60000},        {300, UINT_MAX, 60000},  {1, 16, 32768},     {1, 17, 60000},
      {1, 33, 60000},      {59999, 2, 60000},       {59999, 33, 60000},      {60000, 5, 60000},  {90000, 0, 90000},
      {90000, 2, 90000},   {90000, UINT_MAX, 90000}, {UINT_MAX, 3, UINT_MAX}, {0, UINT_MAX, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(c[2], RetryDelayMs(c[0], c[1])) << c[0] << " " << c[1];
}

TEST(ErrorsSettingTest, BoxOrLogInAnyCaseAnythingElseKeepsTheBoxAndSaysWhy) {
  using H = ErrorHandling;
  const std::tuple<std::optional<std::wstring>, H, const wchar_t*> cases[] = {
      {std::nullopt, H::Box, L""}, {L"", H::Box, L""}, {L"Box", H::Box, L""}, {L"bOX", H::Box, L""},
      {L"Log", H::Log, L""},      {L"log", H::Log, L""}, {L"LOG", H::Log, L""},
      {L" Log", H::Log, L""},     {L" LOG ", H::Log, L""}, {L"log\t", H::Log, L""}, {L"\t box ", H::Box, L""},
      {L" \t ", H::Box, L""},
      {L"Lag", H::Box, L"Errors setting \"Lag\" not understood; Box or Log expected"},
      {L" L og ", H::Box, L"Errors setting \" L og \" not understood; Box or Log expected"},
      {L"Log\n", H::Box, L"Errors setting \"Log\n\" not understood; Box or Log expected"},
      {L"Logs", H::Box, L"Errors setting \"Logs\" not understood; Box or Log expected"},
      {L"L\u00F6g", H::Box, L"Errors setting \"L\u00F6g\" not understood; Box or Log expected"},
  };
  for (const auto& [value, handling, problem] : cases) {
    const ErrorsSetting setting = ParseErrorsSetting(value);
    EXPECT_EQ(handling, setting.handling) << value.value_or(L"<none>");
    EXPECT_EQ(problem, setting.problem);
  }
}

TEST(ErrorsSettingTest, ATextSettingLosesTheBlanksAroundIt) {
  const std::pair<std::optional<std::wstring>, std::optional<std::wstring>> cases[] = {
      {std::nullopt, std::nullopt},  {L"", std::nullopt},        {L" \t", std::nullopt},
      {L"a", L"a"},                  {L"\t C:\\a b.csv  ", L"C:\\a b.csv"}, {L" x \r", L"x \r"},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(text, SettingText(value)) << value.value_or(L"<none>");
}

}  // namespace
