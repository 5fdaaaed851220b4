// The bus trace's lines: each operation and result written and read back as it was, every byte
// value through the escaping, and lines that are not the format refused with the first thing wrong.
#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "RecordingEntryPoints.h"
#include "core/Exceptions.h"
#include "hpib/HPIBDrv.h"
#include "hpib/trace/TraceClock.h"
#include "hpib/trace/TraceLine.h"
#include "hpib/trace/TraceText.h"

namespace {

using namespace hpib;

TraceRecord Record(TraceOperation operation, std::optional<std::int32_t> address, Result result) {
  TraceRecord record;
  record.time = "2026-12-08T14:03:10.120+01:00";
  record.thread = 2;
  record.call.operation = operation;
  record.call.address = address;
  record.outcome.result = result;
  record.microseconds = 3001250;
  return record;
}

TEST(TraceLineTest, EveryOperationAndResultReadsBackAsWritten) {
  TraceRecord timeout = Record(TraceOperation::Timeout, 7, Result::Success);
  timeout.call.seconds = 0.1;
  TraceRecord output = Record(TraceOperation::Output, 717, Result::Timeout);
  output.call.sent = "A4EN";
  TraceRecord bytes = Record(TraceOperation::OutputBytes, -5, Result::Unnamed);
  bytes.call.sent = "\x2A";
  TraceRecord enter = Record(TraceOperation::Enter, 703, Result::Success);
  enter.received = "2.0723E+1 D\r\n";
  TraceRecord cut = Record(TraceOperation::Enter, 707, Result::Success);
  cut.received = std::string(249, 'x');
  cut.count = 300;
  TraceRecord thrown = Record(TraceOperation::Clear, 65536, Result::Success);
  thrown.outcome.exception = "Range check error";
  const struct {
    TraceRecord record;
    const char* line;
  } rows[] = {
      {Record(TraceOperation::Open, 7, Result::Success),
       "2026-12-08T14:03:10.120+01:00 2 Open 7 sent \"\" -> 0 Success received \"\" 3001.250 ms"},
      {Record(TraceOperation::Close, std::nullopt, Result::CannotCloseCard),
       "2026-12-08T14:03:10.120+01:00 2 Close - sent \"\" -> 12 Cannot close HPIB card! received \"\" 3001.250 ms"},
      {Record(TraceOperation::Reset, 7, Result::UnknownError),
       "2026-12-08T14:03:10.120+01:00 2 Reset 7 sent \"\" -> 1 Unknown HPIB error! received \"\" 3001.250 ms"},
      {timeout, "2026-12-08T14:03:10.120+01:00 2 Timeout 7 0.1 s sent \"\" -> 0 Success received \"\" 3001.250 ms"},
      {Record(TraceOperation::Local, 7, Result::InvalidHandle),
       "2026-12-08T14:03:10.120+01:00 2 Local 7 sent \"\" -> 13 Invalid handle for this HPIB ISC! received \"\" "
       "3001.250 ms"},
      {Record(TraceOperation::Trigger, 717, static_cast<Result>(14)),
       "2026-12-08T14:03:10.120+01:00 2 Trigger 717 sent \"\" -> 14 ????? received \"\" 3001.250 ms"},
      {output, "2026-12-08T14:03:10.120+01:00 2 Output 717 sent \"A4EN\" -> 4 HPIB timeout! received \"\" 3001.250 ms"},
      {bytes, "2026-12-08T14:03:10.120+01:00 2 OutputBytes -5 sent \"*\" -> 65535 ????? received \"\" 3001.250 ms"},
      {enter, "2026-12-08T14:03:10.120+01:00 2 Enter 703 sent \"\" -> 0 Success received \"2.0723E+1 D\\r\\n\" 3001.250 ms"},
      {cut, nullptr},
      {thrown,
       "2026-12-08T14:03:10.120+01:00 2 Clear 65536 sent \"\" -> exception \"Range check error\" received \"\" 3001.250 ms"},
  };
  for (const auto& row : rows) {
    const std::string line = TraceLine(row.record);
    if (row.line) {
      EXPECT_EQ(line, row.line);
    }
    const auto parsed = ParseTraceLine(line);
    ASSERT_TRUE(std::holds_alternative<TraceRecord>(parsed)) << line << ": " << std::get<std::string>(parsed);
    EXPECT_TRUE(std::get<TraceRecord>(parsed) == row.record) << line;
  }
  for (unsigned code = 0; code <= 0xFFFF; ++code) {
    const TraceRecord record = Record(TraceOperation::Trigger, 717, static_cast<Result>(code));
    const auto parsed = ParseTraceLine(TraceLine(record));
    ASSERT_TRUE(std::holds_alternative<TraceRecord>(parsed) && std::get<TraceRecord>(parsed) == record) << code;
  }
}

TEST(TraceLineTest, EveryByteValueSentAndReceivedReadsBack) {
  TraceRecord record = Record(TraceOperation::Enter, 703, Result::Success);
  for (int b = 0; b < 256; ++b) {
    record.call.sent = std::string(1, static_cast<char>(b)) + "x";
    record.received = "\"" + std::string(1, static_cast<char>(b));
    const std::string line = TraceLine(record);
    ASSERT_EQ(line.find_first_of("\r\n"), std::string::npos) << b;
    const auto parsed = ParseTraceLine(line);
    ASSERT_TRUE(std::holds_alternative<TraceRecord>(parsed) && std::get<TraceRecord>(parsed) == record) << line;
  }
  // An exception's text reads back as it was, but for a broken surrogate, which is U+FFFD as in
  // every file the library writes.
  const std::wstring text = L"\u041E\u0448\u0438\u0431\u043A\u0430 <\x7F\xFF";
  EXPECT_EQ(TraceTextOf(TraceTextBytes(text + L"\xD800>")), text + L"\xFFFD>");
}

TEST(TraceLineTest, LinesOfAnotherFormatAreRefusedWithTheFirstThingWrong) {
  const std::string ok = "2026-12-08T14:03:10.120+01:00 1 Open 7 sent \"\" -> 0 Success received \"\" 0.250 ms";
  const struct {
    std::string line;
    const char* error;
  } rows[] = {
      {"2026-12-08 14:03:10.120 viRead GPIB0::7::INSTR received \"\" -> 0x00000000 ok",
       "not an operation line: no time at its start"},
      {"2026-12-08T14:03:10.120+01:00 1 Read 7 sent \"\" -> 0 Success received \"\" 0.250 ms",
       "unknown operation \"Read\""},
      {"2026-12-08T14:03:10.120+01:00 1 Close 7 sent \"\" -> 0 Success received \"\" 0.250 ms",
       "Close has no address; every other operation has one"},
      {"2026-12-08T14:03:10.120+01:00 1 Open 7 sent \"\\q\" -> 0 Success received \"\" 0.250 ms", "bad bytes \"\\q\""},
      {"2026-12-08T14:03:10.120+01:00 1 Open 7 sent \"\" -> 4 Success received \"\" 0.250 ms",
       "\" HPIB timeout!\" expected at \" Success received \\\"\\\"\""},
      {"2026-12-08T14:03:10.120+01:00 1 Timeout 7 0.10 s sent \"\" -> 0 Success received \"\" 0.250 ms",
       "bad seconds \"0.10\""},
      {"2026-12-08T14:03:10.120+01:00 1 Open 2147483648 sent \"\" -> 0 Success received \"\" 0.250 ms",
       "bad address \"2147483648\""},
      {ok + " ", "text after the duration"},
      {ok.substr(0, ok.size() - 6), "bad duration \"0.\""},
  };
  for (const auto& row : rows) {
    const auto parsed = ParseTraceLine(row.line);
    ASSERT_TRUE(std::holds_alternative<std::string>(parsed)) << row.line;
    EXPECT_EQ(std::get<std::string>(parsed), row.error) << row.line;
  }
}

TEST(TraceLineTest, TheHeaderNamesFormatVersionLibraryAndBackEnd) {
  const TraceHeader header{kTraceVersion, "1.0.0", "VISA board \"GPIB0\""};
  const std::string line = TraceHeaderLine(header);
  EXPECT_EQ(line, "ApparataBusTrace 1 library \"1.0.0\" backend \"VISA board \\\"GPIB0\\\"\"");
  EXPECT_TRUE(std::get<TraceHeader>(ParseTraceHeader(line)) == header);
  EXPECT_EQ(std::get<std::string>(ParseTraceHeader("ApparataBusTrace 2 library \"9\" backend \"x\"")),
            "a bus trace of version 2; this library reads version 1");
  EXPECT_EQ(std::get<std::string>(ParseTraceHeader("2026-12-08 13:54:10.120 viOpenDefaultRM RM -> 0x00000000")),
            "not a bus trace: no header");
}

TEST(TraceLineTest, TheTimeCarriesTheOffsetOfItsInstant) {
  std::tm utc{};
  utc.tm_year = 126, utc.tm_yday = 341, utc.tm_mday = 8, utc.tm_mon = 11, utc.tm_hour = 23, utc.tm_min = 40;
  std::tm east = utc, west = utc;
  east.tm_yday += 1, east.tm_mday += 1, east.tm_hour = 1, east.tm_min = 10;  // +01:30, the next day
  west.tm_hour = 18;                                                        // -05:00
  EXPECT_EQ(LocalTimeStamp(east, utc, 120), "2026-12-09T01:10:00.120+01:30");
  EXPECT_EQ(LocalTimeStamp(west, utc, 7), "2026-12-08T18:40:00.007-05:00");
  EXPECT_EQ(LocalTimeStamp(utc, utc, 999), "2026-12-08T23:40:00.999+00:00");
}

// A back end's exception is written in its operation's line, then goes on to the caller.
TEST(TraceLineTest, TheLayerWritesABackEndsExceptionInTheOperationsLine) {
  testing_support::RecordingEntryPoints::Log driver;
  driver.missing = {"ClearHPIB"};
  std::vector<std::string> lines;
  HPIBLoad(std::make_unique<EntryPointBus>(std::make_unique<testing_support::RecordingEntryPoints>(driver)),
           {[&](const std::string& line) { lines.push_back(line); }, "HPIB_THK.DLL", "1.0.0",
            {[] { return std::string("2026-12-08T14:03:10.120+01:00"); }, [] { return std::int64_t{0}; }}});
  EXPECT_THROW(HPIBClear(703), core::Exception);
  EXPECT_THROW(HPIBTrigger(70000), core::ERangeError);
  HPIBUnload();
  const std::vector<std::string> expected{
      "ApparataBusTrace 1 library \"1.0.0\" backend \"HPIB_THK.DLL\"",
      "2026-12-08T14:03:10.120+01:00 1 Clear 703 sent \"\" -> exception \"Unable to obtain function <ClearHPIB>!\" "
      "received \"\" 0.000 ms",
      "  ClearHPIB missing",
      "2026-12-08T14:03:10.120+01:00 1 Trigger 70000 sent \"\" -> exception \"Range check error\" received \"\" 0.000 ms"};
  EXPECT_EQ(lines, expected);
}

}  // namespace
