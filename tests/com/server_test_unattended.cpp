// Unattended work under the user's settings Errors and Log, on the simulated bench: what a host,
// the person at the bench and the log file see when nobody is there to answer an error box.
// Both settings are read once per process, so each case sets the user's values, runs this
// program again as a child on one scenario and judges the log and the bus trace it leaves; the
// values go again whatever the child's fate. The parent keeps the server registered while its
// children run, and they leave the registration alone, since two of them run at once.
// Usage: server_unattended_test <Windows path of Apparata.ocx> [GoogleTest options]

#include "server_test_support.h"

#include <ocidl.h>

#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <future>
#include <numeric>

#include "Apparata_h.h"
#include "visa_support.h"

namespace {

using namespace server_test;
using core::win32::unique_handle;
using Record = std::vector<std::string>;

constexpr DISPID kOnData = 3;
constexpr int kWindowMs = 10000;  // over which a meter's pace is counted
// A multimeter that loses about a third of its replies, the same ones in every run.
const char kLossyBench[] = "[7]\ninstrument = B7-40/5\ndc_volts = 1\ntimeout_probability = 0.3\nseed = 11\n";
// The multimeter answers; the LCR meter is switched off.
const char kHalfBench[] = "[7]\ninstrument = B7-40/5\ndc_volts = 1\n[3]\ninstrument = E7-12\nabsent = yes\n";
// The analyzer losing about a third of its replies, the same ones in every run.
const char kLossyAnalyzerBench[] = "[17]\ninstrument = HP4191A\ntimeout_probability = 0.3\nseed = 7\n";
// Where the two children of TwoProcesses meet: the first to come waits, the second starts both.
const wchar_t kFirst[] = L"Local\\ApparataUnattendedFirst", kGo[] = L"Local\\ApparataUnattendedGo";

// The bench, the logs and the traces stay beside the program, for a look after a run.
std::wstring Beside(const wchar_t* name) { return FolderOf(OwnPath()) + L"\\unattended-" + name; }
const std::wstring kBench = Beside(L"bench.ini"), kLog = Beside(L"log.csv"), kTrace = Beside(L"trace.txt");

std::string FileText(const std::wstring& path) {
  std::ostringstream text;
  text << std::ifstream(std::filesystem::path(path), std::ios::binary).rdbuf();
  return text.str();
}

// The records of a text as RFC 4180 writes them, every one ended by CRLF; nothing when the text
// breaks the grammar anywhere, as a torn or interleaved row does. Written from the RFC, not from
// the library's writer; the project's machines have no Python to bring a reader of its own.
std::optional<std::vector<Record>> ParseCsv(const std::string& text) {
  std::vector<Record> records;
  for (std::size_t i = 0; i < text.size(); i += 2) {
    Record& record = records.emplace_back();
    for (;; ++i) {  // a field, then the comma or the CRLF after it
      std::string& field = record.emplace_back();
      if (text[i] == '"') {
        for (++i; i < text.size() && (text[i] != '"' || text.compare(i, 2, "\"\"") == 0); ++i)
          if ((field += text[i]).back() == '"') ++i;  // the first of a doubled quote stands for it
        if (i++ == text.size()) return std::nullopt;  // the quote never closes
      } else {
        for (; i < text.size() && text[i] != ',' && text[i] != '\r' && text[i] != '\n'; ++i) field += text[i];
        if (field.find('"') != std::string::npos) return std::nullopt;
      }
      if (text.compare(i, 2, "\r\n") == 0) break;
      if (i == text.size() || text[i] != ',') return std::nullopt;
    }
  }
  return records;
}

// A log's rows after its byte-order mark and header, each of 16 fields.
std::vector<Record> LogRows(const std::wstring& path) {
  const std::string text = FileText(path);
  EXPECT_EQ(0u, text.rfind("\xEF\xBB\xBF", 0)) << "no byte-order mark";
  std::vector<Record> rows = ParseCsv(text.substr(std::min<std::size_t>(3, text.size()))).value_or(std::vector<Record>{});
  const Record header = ParseCsv("time,control,port,kind,label1,value1,label2,value2,label3,value3,label4,value4,"
                                 "label5,value5,label6,value6\r\n")->front();
  EXPECT_EQ(header, rows.empty() ? Record{"<no log, or not CSV>"} : rows[0]);
  if (!rows.empty()) rows.erase(rows.begin());
  for (const Record& row : rows) EXPECT_EQ(16u, row.size()) << row[0];
  return rows;
}

// Milliseconds of a log's time, 2026-12-08T06:06:13.123+01:00 (the offset, the same all run,
// left out); -1 when it is none.
long long TimeMs(const std::string& time) {
  SYSTEMTIME t{};
  FILETIME file{};
  int hours = 0, minutes = 0;
  return time.size() == 29 &&
                 std::sscanf(time.c_str(), "%4hu-%2hu-%2huT%2hu:%2hu:%2hu.%3hu%*1[+-]%2d:%2d", &t.wYear, &t.wMonth,
                             &t.wDay, &t.wHour, &t.wMinute, &t.wSecond, &t.wMilliseconds, &hours, &minutes) == 9 &&
                 SystemTimeToFileTime(&t, &file)
             ? static_cast<long long>((ULONGLONG{file.dwHighDateTime} << 32 | file.dwLowDateTime) / 10000)
             : -1;
}

std::vector<long long> Times(const std::vector<Record>& rows, const char* control, const char* kind) {
  std::vector<long long> times;
  for (const Record& row : rows)
    if (row.size() > 3 && row[1] == control && row[3] == kind) times.push_back(TimeMs(row[0]));
  return times;
}

// ---- The parent: the user's values, the bench, the children, the judging ---------------------

// A fresh log and trace, the bench written, and the values: Bus names the bench unless given.
Settings Fresh(const char* bench, std::map<std::wstring, std::wstring> values) {
  DeleteFileW(kLog.c_str());
  DeleteFileW(kTrace.c_str());
  std::ofstream(std::filesystem::path(kBench), std::ios::binary) << bench;
  values.emplace(L"Bus", L"SIM:" + kBench);
  return Settings(values);
}

// This program on one scenario, its output into ours: its exit code, -2 when it overran.
int RunChild(const std::string& scenario, DWORD timeoutMs) {
  return RunProcess(Quoted(OwnPath()) + L" " + Quoted(ServerPath()) + L" --child=" + Widen(scenario), timeoutMs, true);
}

std::size_t TraceLines(const std::wstring& part) {
  const std::vector<std::wstring> lines = SplitLines(Widen(FileText(kTrace)));
  return std::count_if(lines.begin(), lines.end(), [&](const auto& line) { return line.find(part) != line.npos; });
}

class Unattended : public RegisteredServer {};

TEST_F(Unattended, LostRepliesGoToTheLogAndFreeRunningGoesOnWithoutABox) {
  {
    const Settings settings = Fresh(kLossyBench, {{L"Errors", L"Log"}, {L"Log", kLog}, {L"Trace", kTrace}});
    ASSERT_EQ(0, RunChild("FreeRunning:50", 120000));
  }
  const std::vector<Record> rows = LogRows(kLog);
  const std::size_t errors = Times(rows, "Apparata.B740X", "error").size();
  EXPECT_EQ(50u, Times(rows, "Apparata.B740X", "reading").size()) << "one row per OnData";
  EXPECT_EQ(0u, Times(rows, "", "notice").size() + Times(rows, "Apparata.B740X", "simulated").size()) << "the bench is no debug mode";
  EXPECT_EQ(TraceLines(L" Read -> 4 HPIB timeout!"), errors) << "one error row per lost reply in the trace";
  EXPECT_GT(errors, 0u);
  EXPECT_EQ("reading", rows.empty() ? "" : rows.back()[3]) << "readings after the last error";
  const std::string log = FileText(kLog);
  std::size_t head = 0;
  for (int row = 0; row < 8 && head != std::string::npos; ++row) head = log.find("\r\n", head + 1);
  std::printf("50 readings, %zu error rows, %zu lost replies in the trace, card opened %zu times; the log begins:\n%s\n",
              errors, TraceLines(L" Read -> 4 HPIB timeout!"), TraceLines(L" 7 Open -> 0"), log.substr(0, head).c_str());
}

TEST_F(Unattended, AnAbsentInstrumentBacksOffAndTheOneThereKeepsItsPace) {
  const auto run = [](const char* scenario) {
    const Settings settings = Fresh(kHalfBench, {{L"Errors", L"Log"}, {L"Log", kLog}});
    EXPECT_EQ(0, RunChild(scenario, 60000));
    return LogRows(kLog);
  };
  const auto readings = [](const std::vector<Record>& rows) {
    const std::vector<long long> times = Times(rows, "Apparata.B740X", "reading");
    return std::count_if(times.begin(), times.end(), [&](long long t) { return t - times.front() <= kWindowMs; });
  };
  const std::vector<Record> alone = run("Pace:0"), beside = run("Pace:1");
  EXPECT_GE(readings(beside), 0.8 * readings(alone));
  const std::vector<long long> failed = Times(beside, "Apparata.E712X", "error");
  ASSERT_GE(failed.size(), 5u) << "the absent one tries again";
  std::vector<long long> gaps;
  for (std::size_t i = 1; i < failed.size(); ++i) gaps.push_back(failed[i] - failed[i - 1]);
  for (std::size_t i = 1; i < gaps.size(); ++i) EXPECT_GE(gaps[i] * 5, gaps[i - 1] * 4) << "gap " << i << " shrank";
  EXPECT_GE(gaps.back(), 4 * gaps.front()) << "no backing off";
  std::printf("B7-40/5 readings in %d ms: alone %d, beside the absent E7-12 %d; the E7-12's gaps (ms):", kWindowMs,
              static_cast<int>(readings(alone)), static_cast<int>(readings(beside)));
  for (long long gap : gaps) std::printf(" %lld", gap);
  std::printf("\n");
}

TEST_F(Unattended, WithoutTheSettingALostReplyShowsItsBoxAndEndsFreeRunning) {
  const Settings settings = Fresh(kLossyBench, {});
  EXPECT_EQ(0, RunChild("BoxEndsFreeRunning", 60000));
}

TEST_F(Unattended, UnderTheSettingAMenuClickThatFailsStillShowsItsBox) {
  const Settings settings = Fresh(kHalfBench, {{L"Errors", L"Log"}});
  EXPECT_EQ(0, RunChild("MenuClick", 60000));
}

// The analyzer sweeping up from 995 MHz to its limit of 1000 with AutoStop while replies are
// lost: under Errors = Log the errors are rows among the readings and the sweep reaches the
// limit; under Log alone the first lost reply is one error row, its box, and the end.
TEST_F(Unattended, ASweepLosingRepliesReachesItsLimitUnderErrorsLogAndEndsAtTheFirstUnderLogAlone) {
  for (const bool errorsLog : {true, false}) {
    {
      const Settings settings = Fresh(kLossyAnalyzerBench, errorsLog ? std::map<std::wstring, std::wstring>{
                                                                           {L"Errors", L"Log"}, {L"Log", kLog}}
                                                                     : std::map<std::wstring, std::wstring>{{L"Log", kLog}});
      ASSERT_EQ(0, RunChild(errorsLog ? "Sweep:1" : "Sweep:0", 100000));
    }
    const std::vector<Record> rows = LogRows(kLog);
    ASSERT_FALSE(rows.empty());
    const std::size_t errors = Times(rows, "Apparata.HP4191X", "error").size();
    std::vector<std::string> frequencies;
    for (const Record& row : rows)
      if (row[3] == "reading" && (frequencies.empty() || frequencies.back() != row[9])) frequencies.push_back(row[9]);
    if (errorsLog) {
      EXPECT_GT(errors, 0u);
      EXPECT_EQ(frequencies, (std::vector<std::string>{"995", "996.0000", "997.0000", "998.0000", "999.0000",
                                                       "1000.0000"}));
      EXPECT_EQ("reading", rows.back()[3]);
    } else {
      EXPECT_EQ(1u, errors);
      EXPECT_EQ((std::vector<std::string>{"995", "996.0000"}), frequencies) << "the third reply is lost";
      EXPECT_EQ("error", rows.back()[3]);
      EXPECT_EQ("Critical HPIB driver error:\nHPIB timeout!", rows.back()[5]);
    }
    std::printf("Errors %s: %zu readings, %zu error rows, the last at %s MHz\n", errorsLog ? "Log" : "unset",
                Times(rows, "Apparata.HP4191X", "reading").size(), errors,
                frequencies.empty() ? "none" : frequencies.back().c_str());
  }
}

// Each control's rows without their time, in the order it wrote them: what a replay must repeat.
// A replay is a bus of its own, not debug mode: what debug mode simulated comes back as read.
std::map<std::string, std::vector<Record>> RowsByControl(const std::vector<Record>& rows) {
  std::map<std::string, std::vector<Record>> byControl;
  for (const Record& row : rows) {
    if (row[3] == "notice") continue;
    Record& kept = byControl[row[1]].emplace_back(row.begin() + 1, row.end());
    if (kept[2] == "simulated") kept[2] = "reading";
  }
  return byControl;
}

// Readings recorded with Trace, then played back from that trace with Bus = REPLAY: the same
// rows for each control, readings and errors alike: the analyzer sweeping on the bench while it
// loses replies, and the two meters running free at once (their operations interleave
// differently each run) in debug mode, over the tests' VISA and on the bench.
TEST_F(Unattended, ATraceRecordedOnEachBackEndReplaysToTheSameRows) {
  const std::wstring replayed = Beside(L"replayed.csv");
  const struct {
    const char* bench;
    std::wstring bus;
    const wchar_t* errors;
    const char* scenario;
    bool visa;
  } runs[] = {{kLossyAnalyzerBench, L"SIM:" + kBench, L"Log", "Sweep:1", false},
              {"", L"VISA", L"Box", "TwoMeters:8", false},
              {"", L"VISA", L"Box", "TwoMeters:8", true},
              {"", L"SIM", L"Box", "TwoMeters:8", false}};
  for (const auto& run : runs) {
    {
      std::optional<visa_support::InstalledFake> fake;
      if (run.visa) fake.emplace(L"7:U +12340E-3|3:2.0723E+1 D");
      const Settings settings = Fresh(run.bench, {{L"Bus", run.bus}, {L"Errors", run.errors}, {L"Log", kLog}, {L"Trace", kTrace}});
      ASSERT_EQ(0, RunChild(run.scenario, 100000));
    }
    DeleteFileW(replayed.c_str());
    {
      const Settings settings({{L"Bus", L"REPLAY:" + kTrace}, {L"Errors", run.errors}, {L"Log", replayed}});
      ASSERT_EQ(0, RunChild(run.scenario, 100000));
    }
    const auto recorded = RowsByControl(LogRows(kLog)), played = RowsByControl(LogRows(replayed));
    EXPECT_FALSE(recorded.empty());
    EXPECT_EQ(recorded, played) << run.scenario << " over " << Narrow(run.bus) << (run.visa ? " (the tests' VISA)" : "");
    std::printf("%s over %s: %zu rows recorded and replayed alike\n", run.scenario,
                run.visa ? "the tests' VISA" : Narrow(run.bus).c_str(), LogRows(replayed).size());
  }
  // A host that sends what the trace of the meters does not hold fails at once, the trace's
  // line named.
  const Settings settings({{L"Bus", L"REPLAY:" + kTrace}});
  EXPECT_EQ(0, RunChild("OtherCommand", 60000));
}

// A trace that cannot be replayed is refused when the first control is made: debug mode, its
// reason naming the file and the line, as the log's first row says. Which traces the reader
// refuses, and why, is the native replay suite's table; here, a file that is missing and one
// cut short on the disk.
TEST_F(Unattended, AnUnreadableTraceIsRefusedWithItsLineNamed) {
  const std::wstring trace = Beside(L"hostile.trace");
  const std::string path = Narrow(trace);
  const std::string header = "ApparataBusTrace 1 library \"1.0.0\" backend \"simulated bench, built in\"\r\n";
  const std::pair<std::optional<std::string>, std::string> cases[] = {
      {std::nullopt, "bus trace " + path + " cannot be opened"},
      {header + "2026-12-08T14:03:10.120+01:00 1 Open 7 sent \"\" -> 0 Success received \"\" 0.250 ms",
       "bus trace " + path + ", line 2: cut short: the line has no line end"},
  };
  for (const auto& [content, reason] : cases) {
    DeleteFileW(trace.c_str());
    if (content) std::ofstream(std::filesystem::path(trace), std::ios::binary) << *content;
    {
      const Settings settings = Fresh("", {{L"Bus", L"REPLAY:" + trace}, {L"Log", kLog}});
      ASSERT_EQ(0, RunChild("FreeRunning:1", 60000));
    }
    const std::vector<Record> rows = LogRows(kLog);
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ("notice", rows[0][3]);
    EXPECT_EQ(0u, rows[0][5].rfind("Debug mode: " + reason, 0)) << rows[0][5];
  }
}

// Ten controls each, started together, so that the two processes append in the same moments:
// every row whole, one header, whoever made the file.
TEST_F(Unattended, TwoProcessesAppendWholeRowsToOneLog) {
  const Settings settings = Fresh("", {{L"Bus", L"SIM"}, {L"Log", kLog}});
  const unique_handle first(CreateSemaphoreW(nullptr, 1, 1, kFirst)), go(CreateEventW(nullptr, TRUE, FALSE, kGo));
  std::future<int> other = std::async(std::launch::async, RunChild, "TenControls", 90000);
  EXPECT_EQ(0, RunChild("TenControls", 90000));
  EXPECT_EQ(0, other.get());
  const std::vector<Record> rows = LogRows(kLog);
  EXPECT_EQ(500u, Times(rows, "Apparata.B740X", "reading").size());
  EXPECT_EQ(500u, Times(rows, "Apparata.E712X", "reading").size());
  EXPECT_EQ(1000u, rows.size());
  for (const Record& row : rows) EXPECT_NE(-1, TimeMs(row[0])) << row[0];
  std::printf("%zu rows in the log\n", rows.size());
}

// The folder is missing all run long: the outage is said when it begins, and at the end, with
// nowhere to set the held rows aside, that they are lost.
TEST_F(Unattended, ALogThatCannotBeWrittenIsSaidWhenItBeginsAndMeasuringGoesOn) {
  const std::wstring unwritable = Beside(L"no-such-folder\\log.csv");
  {
    const Settings settings = Fresh("", {{L"Bus", L"SIM"}, {L"Log", unwritable}, {L"Trace", kTrace}});
    ASSERT_EQ(0, RunChild("FreeRunning:10", 60000));
  }
  EXPECT_EQ(1u, TraceLines(L"Log file \"" + unwritable + L"\" cannot be written (system error 3); its rows from "));
  EXPECT_EQ(1u, TraceLines(L"Log file \"" + unwritable + L"\" still cannot be written, nor \"" +
                           Beside(L"no-such-folder\\log.held-")));
  EXPECT_EQ(2u, TraceLines(L"Log file "));
}

// Debug mode (VISA named, none installed): every reading is marked, after the reason.
TEST_F(Unattended, InDebugModeTheLogSaysWhyFirstAndMarksEveryReadingSimulated) {
  {
    const Settings settings = Fresh("", {{L"Bus", L"VISA"}, {L"Log", kLog}, {L"Trace", kTrace}});
    ASSERT_EQ(0, RunChild("FreeRunning:5", 60000));
  }
  const std::wstring reason = L"Debug mode: VISA library " + visa_support::SystemFolder() + L"\\" +
                              visa_support::kVisaName + L" cannot be loaded (error 126)";
  const std::vector<Record> rows = LogRows(kLog);
  ASSERT_EQ(6u, rows.size());
  EXPECT_EQ((Record{rows[0][0], "", "", "notice", "", Narrow(reason), "", "", "", "", "", "", "", "", "", ""}), rows[0]);
  EXPECT_EQ(5u, Times(rows, "Apparata.B740X", "simulated").size());
  EXPECT_EQ(1u, TraceLines(L" " + reason));
}

// Another process holds the log (FILE_SHARE_READ only, as a spreadsheet that opened it) twice
// while the meter runs free: every reading has its row, in order, and each outage is said twice.
TEST_F(Unattended, RowsHeldWhileTheLogIsHeldElsewhereAreWrittenInOrderOnceItIsFree) {
  const Settings settings = Fresh("", {{L"Bus", L"SIM"}, {L"Log", kLog}, {L"Trace", kTrace}});
  std::future<int> child = std::async(std::launch::async, RunChild, "FreeRunning:40", 90000);
  // Counted as they stand, a row perhaps half written: lines, and notices among them.
  const auto written = [](const char* part) {
    const std::string text = FileText(kLog);
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
  };
  for (std::size_t outage = 1; outage <= 2; ++outage) {
    EXPECT_TRUE(PumpUntil([&] { return written(",notice,") == outage - 1 && written("\r\n") >= 3 * outage + 1; }, 20000))
        << "outage " << outage;
    unique_handle held;
    PumpUntil([&] {  // between two of the child's rows
      const HANDLE file = CreateFileW(kLog.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
      held.reset(file == INVALID_HANDLE_VALUE ? nullptr : file);
      return bool(held);
    }, 5000);
    ASSERT_TRUE(held) << "outage " << outage;
    PumpFor(2000);
  }
  ASSERT_EQ(0, child.get());
  const std::vector<Record> rows = LogRows(kLog);
  EXPECT_EQ(40u, Times(rows, "Apparata.B740X", "reading").size());
  const std::vector<long long> times = Times(rows, "Apparata.B740X", "reading");
  EXPECT_TRUE(std::is_sorted(times.begin(), times.end()));
  std::size_t notices = 0;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (rows[i][3] != "notice") continue;
    ++notices;
    const std::size_t held = std::strtoul(rows[i][5].c_str() + rows[i][5].find("and the ") + 8, nullptr, 10);
    // The held rows, then the row whose try found the file free again, then the notice.
    ASSERT_TRUE(held > 0 && held < i) << rows[i][5];
    const std::string since = rows[i - held - 1][0];
    EXPECT_EQ("Log file \"" + Narrow(kLog) + "\" can be written again; it could not from " + since +
                  " (system error 32), and the " + std::to_string(held) + " rows held meanwhile are written before this one",
              rows[i][5]);
    EXPECT_EQ(1u, TraceLines(L"Log file \"" + kLog + L"\" cannot be written (system error 32); its rows from " +
                             Widen(since) + L" on are held until it can be written again"));
    EXPECT_EQ(1u, TraceLines(Widen(rows[i][5])));
  }
  EXPECT_EQ(2u, notices);
}

// What the library makes of a file at the log's path that it did not write.
TEST_F(Unattended, OnlyALogIsAppendedToAnotherProgramsFileStaysAsItIs) {
  const std::string start = "\xEF\xBB\xBFtime,control,port,kind,label1,value1,label2,value2,label3,value3,label4,"
                            "value4,label5,value5,label6,value6\r\n";
  const std::string oldRow = "2026-01-01T00:00:00.000+00:00,,,notice,,old,,,,,,,,,,";
  const std::wstring side = Beside(L"log.apparata.csv");
  const struct {
    std::string before;
    bool aside;             // the rows go to the side file, the log stays as it was
    std::string logStart;   // else how the log begins after the run
    std::size_t rows;
  } cases[] = {
      {"a,b\r\n1,2", true, "", 4},
      {"\xEF\xBB\xBFtime,control", true, "", 4},
      {"", false, start, 3},
      {start + oldRow, false, start + oldRow + "\r\n", 4},
  };
  for (const auto& c : cases) {
    const Settings settings = Fresh("", {{L"Bus", L"SIM"}, {L"Log", kLog}});
    DeleteFileW(side.c_str());
    std::ofstream(std::filesystem::path(kLog), std::ios::binary) << c.before;
    ASSERT_EQ(0, RunChild("FreeRunning:3", 60000));
    const std::vector<Record> rows = LogRows(c.aside ? side : kLog);
    const std::string log = FileText(kLog);
    EXPECT_EQ(c.aside ? c.before : c.logStart, log.substr(0, c.aside ? std::string::npos : c.logStart.size()));
    ASSERT_EQ(c.rows, rows.size()) << c.before;
    if (c.aside) {
      EXPECT_EQ("Log file \"" + Narrow(kLog) + "\" is not a log of Apparata and stays as it is; the rows go to \"" +
                    Narrow(side) + "\"",
                rows[0][5]);
    }
    EXPECT_EQ(3u, Times(rows, "Apparata.B740X", "reading").size()) << c.before;
  }
  DeleteFileW(side.c_str());
}

// Errors values from the registry: expanded, not understood (said in the log), of another type;
// Log as a REG_EXPAND_SZ. How blanks and letter case are read is the native settings table's.
TEST_F(Unattended, OddSettingValuesAreReadOrSaidInTheLog) {
  SetEnvironmentVariableW(L"APPARATA_TEST_FOLDER", FolderOf(OwnPath()).c_str());
  SetEnvironmentVariableW(L"APPARATA_TEST_ERRORS", L"Log");
  const DWORD one = 1;
  const struct {
    DWORD type;
    std::wstring errors;
    const char* scenario;
    std::string notice;  // empty: none
  } cases[] = {
      {REG_EXPAND_SZ, L"%APPARATA_TEST_ERRORS%", "FreeRunning:3", ""},  // every setting's variables filled in
      {REG_SZ, L"Lag", "BoxEndsFreeRunning", "Errors setting \"Lag\" not understood; Box or Log expected"},
      {REG_DWORD, L"", "BoxEndsFreeRunning",
       "Errors setting of registry type 4 not understood; a text, Box or Log, expected"},
  };
  for (const auto& c : cases) {
    const Settings settings = Fresh(kLossyBench, {});
    const std::wstring log = L"%APPARATA_TEST_FOLDER%\\unattended-log.csv";
    RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Apparata", L"Log", REG_EXPAND_SZ, log.c_str(),
                    static_cast<DWORD>((log.size() + 1) * sizeof(wchar_t)));
    const void* value = c.type == REG_DWORD ? static_cast<const void*>(&one) : c.errors.c_str();
    RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Apparata", L"Errors", c.type, value,
                    c.type == REG_DWORD ? sizeof one : static_cast<DWORD>((c.errors.size() + 1) * sizeof(wchar_t)));
    ASSERT_EQ(0, RunChild(c.scenario, 60000)) << c.scenario;
    const std::vector<Record> rows = LogRows(kLog);
    const std::vector<long long> notices = Times(rows, "", "notice");
    ASSERT_EQ(c.notice.empty() ? 0u : 1u, notices.size()) << c.notice;
    if (!c.notice.empty()) {
      EXPECT_EQ(c.notice, rows[0][5]);
    }
  }
  SetEnvironmentVariableW(L"APPARATA_TEST_FOLDER", nullptr);
  SetEnvironmentVariableW(L"APPARATA_TEST_ERRORS", nullptr);
}

// ---- The children: one scenario each, in a process that reads the settings afresh -------------

int g_count = 0;  // the number after the scenario's name

// One control as a host holds it: made, its sink connected, at its Port. The sink comes first:
// the control fires OnDestroy into it as it goes.
struct Panel {
  Panel(const wchar_t* progId, LONG port) {
    CLSID clsid{};
    com_ptr<IConnectionPointContainer> container;
    DWORD cookie = 0;
    made = SUCCEEDED(CLSIDFromProgID(progId, &clsid)) &&
           SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IQXDevice, device.put_void())) &&
           SUCCEEDED(device->QueryInterface(IID_IConnectionPointContainer, container.put_void())) &&
           SUCCEEDED(container->FindConnectionPoint(DIID_IQXDeviceEvents, point.put())) &&
           SUCCEEDED(point->Advise(&sink, &cookie)) && SUCCEEDED(device->put_Port(port));
  }
  long Readings() const { return static_cast<long>(std::count(sink.events.begin(), sink.events.end(), kOnData)); }
  // Free-running, ended from inside the OnData of reading `last`.
  HRESULT RunFree(long last) {
    if (!made) return E_POINTER;
    sink.onEvent = [this, last](DISPID dispid) {
      if (dispid == kOnData && Readings() == last) device->put_InternalTrigger(VARIANT_FALSE);
    };
    return device->put_InternalTrigger(VARIANT_TRUE);
  }
  EventSink sink{DIID_IQXDeviceEvents};
  com_ptr<IQXDevice> device;
  com_ptr<IConnectionPoint> point;
  bool made = false;
};

// Closes and records every box; none may come up unless the scenario says so.
class Child : public ::testing::Test {
 protected:
  DialogWatch dialogs_;
};

TEST_F(Child, FreeRunning) {
  Panel meter(L"Apparata.B740X", 7);
  ASSERT_HR(S_OK, meter.RunFree(g_count));
  EXPECT_TRUE(PumpUntil([&] { return meter.Readings() >= g_count; }, 100000)) << meter.Readings() << " readings";
  PumpFor(1000);
  EXPECT_EQ(g_count, meter.Readings()) << "OnData after free-running ended";
  EXPECT_EQ(std::vector<std::wstring>{}, dialogs_.texts);
}

// The meter running free for the window, alone in its process or (Pace:1) beside the LCR meter.
TEST_F(Child, Pace) {
  Panel meter(L"Apparata.B740X", 7);
  std::optional<Panel> lcr;
  ASSERT_HR(S_OK, meter.RunFree(-1));
  if (g_count) {
    lcr.emplace(L"Apparata.E712X", 3);
    EXPECT_HR(E_UNEXPECTED, lcr->RunFree(-1)) << "a host's call fails as before";
  }
  PumpFor(kWindowMs + 1500);
  EXPECT_EQ(std::vector<std::wstring>{}, dialogs_.texts);
}

TEST_F(Child, BoxEndsFreeRunning) {
  Panel meter(L"Apparata.B740X", 7);
  ASSERT_HR(S_OK, meter.RunFree(-1));
  ASSERT_TRUE(PumpUntil([&] { return !dialogs_.texts.empty(); }, 30000)) << "no box";
  const long before = meter.Readings();
  PumpFor(2000);
  EXPECT_EQ(std::vector<std::wstring>{L"Critical HPIB driver error:\nHPIB timeout!"}, dialogs_.texts);
  EXPECT_EQ(before, meter.Readings()) << "free-running went on after the box";
  std::printf("box after %ld readings, none in the 2 s after it\n", before);
}

// The analyzer sweeping up to its limit with AutoStop; Sweep:1 under Errors = Log, where it
// must get there, Sweep:0 where the first lost reply's box ends it.
TEST_F(Child, Sweep) {
  Panel analyzer(L"Apparata.HP4191X", 17);
  ASSERT_TRUE(analyzer.made);
  for (const wchar_t* text : {L"AUTOSTOP ON", L"SCANUP", L"FR995EN"})
    ASSERT_HR(S_OK, analyzer.device->put_Text(unique_bstr(SysAllocString(text)).get()));
  ASSERT_HR(S_OK, analyzer.RunFree(-1));
  const auto running = [&] {
    VARIANT_BOOL on = VARIANT_FALSE;
    return SUCCEEDED(analyzer.device->get_InternalTrigger(&on)) && on;
  };
  if (g_count) {
    EXPECT_TRUE(PumpUntil([&] { return !running(); }, 90000)) << "the sweep never reached its limit";
    EXPECT_EQ(std::vector<std::wstring>{}, dialogs_.texts);
  } else {
    ASSERT_TRUE(PumpUntil([&] { return !dialogs_.texts.empty(); }, 30000)) << "no box";
    const long before = analyzer.Readings();
    PumpFor(2000);
    EXPECT_EQ(std::vector<std::wstring>{L"Critical HPIB driver error:\nHPIB timeout!"}, dialogs_.texts);
    EXPECT_EQ(before, analyzer.Readings()) << "free-running went on after the box";
  }
}

// The two meters running free at once, `g_count` readings each.
TEST_F(Child, TwoMeters) {
  Panel meter(L"Apparata.B740X", 7), lcr(L"Apparata.E712X", 3);
  ASSERT_HR(S_OK, meter.RunFree(g_count));
  ASSERT_HR(S_OK, lcr.RunFree(g_count));
  EXPECT_TRUE(PumpUntil([&] { return meter.Readings() >= g_count && lcr.Readings() >= g_count; }, 60000));
  PumpFor(1000);
  EXPECT_EQ(std::vector<std::wstring>{}, dialogs_.texts);
}

// Over a replay of a trace that holds only what TwoMeters did, a command the meter never had:
// the host's call fails with the trace's line that was expected and what came instead.
TEST_F(Child, OtherCommand) {
  Panel meter(L"Apparata.B740X", 7);
  ASSERT_TRUE(meter.made);
  EXPECT_HR(E_UNEXPECTED, meter.device->put_Text(unique_bstr(SysAllocString(L"F9E")).get()));
  com_ptr<IErrorInfo> info;
  ASSERT_HR(S_OK, GetErrorInfo(0, info.put()));
  unique_bstr description;
  ASSERT_HR(S_OK, info->GetDescription(description.put()));
  const std::vector<std::wstring> lines = SplitLines(Widen(FileText(kTrace)));
  const auto expected = std::find_if(lines.begin(), lines.end(), [](const std::wstring& line) {
    return line.find(L" Trigger 707 sent ") != std::wstring::npos;
  });
  ASSERT_NE(lines.end(), expected);
  EXPECT_EQ(L"Replay of " + kTrace + L": line " + std::to_wstring(expected - lines.begin() + 1) +
                L" expected Trigger 707 sent \"\"; came Output 707 sent \"F9E\"",
            std::wstring(description.get()));
}

void CALLBACK EndMenuNow(HWND, UINT, UINT_PTR, DWORD) { EndMenu(); }

TEST_F(Child, MenuClick) {
  Panel lcr(L"Apparata.E712X", 3);
  ASSERT_TRUE(lcr.made);
  EXPECT_HR(E_UNEXPECTED, lcr.device->Trigger()) << "a host's call fails as before";
  com_ptr<IOleWindow> window;
  HWND form = nullptr;
  ASSERT_HR(S_OK, lcr.device->QueryInterface(IID_IOleWindow, window.put_void()));
  ASSERT_HR(S_OK, window->GetWindow(&form));
  // Keys waiting in the queue, which the menu's own loop reads: down to the fifth item, Trigger,
  // past the separator, and chosen. A menu they miss closes at the bound.
  for (WPARAM key : {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}) PostMessageW(form, WM_KEYDOWN, key, 0);
  const UINT_PTR bound = SetTimer(nullptr, 0, 5000, EndMenuNow);
  SendMessageW(form, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(form), MAKELPARAM(20, 20));
  KillTimer(nullptr, bound);
  PumpUntil([&] { return !dialogs_.texts.empty(); }, 3000);
  EXPECT_EQ(std::vector<std::wstring>{L"Critical HPIB driver error:\nInvalid HPIB select code or device address!"},
            dialogs_.texts);
}

TEST_F(Child, TenControls) {
  std::deque<Panel> panels;
  for (int i = 0; i < 10; ++i) i % 2 ? panels.emplace_back(L"Apparata.E712X", 3) : panels.emplace_back(L"Apparata.B740X", 7);
  const unique_handle first(OpenSemaphoreW(SYNCHRONIZE, FALSE, kFirst)), go(OpenEventW(EVENT_ALL_ACCESS, FALSE, kGo));
  ASSERT_TRUE(first && go);
  if (WaitForSingleObject(first.get(), 0) == WAIT_OBJECT_0)
    EXPECT_TRUE(PumpUntil([&] { return WaitForSingleObject(go.get(), 0) == WAIT_OBJECT_0; }, 30000)) << "alone";
  else
    SetEvent(go.get());
  for (Panel& panel : panels) ASSERT_HR(S_OK, panel.RunFree(50));
  const auto readings = [&] {
    return std::accumulate(panels.begin(), panels.end(), 0L, [](long sum, const Panel& p) { return sum + p.Readings(); });
  };
  EXPECT_TRUE(PumpUntil([&] { return readings() == 500; }, 60000)) << readings() << " readings";
  PumpFor(500);
  EXPECT_EQ(500, readings());
  EXPECT_EQ(std::vector<std::wstring>{}, dialogs_.texts);
}

}  // namespace

// "--child=<scenario>[:<number>]" runs one child's scenario; without it, the parent's cases.
int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--child=", 8) != 0) continue;
    const std::string scenario = argv[i] + 8;
    g_count = std::atoi(scenario.c_str() + std::min(scenario.size(), scenario.find(':') + 1));
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::GTEST_FLAG(filter) = "Child." + scenario.substr(0, scenario.find(':'));
    if (FAILED(OleInitialize(nullptr))) return 2;
    const int result = RUN_ALL_TESTS();
    OleUninitialize();
    return result;
  }
  ::testing::GTEST_FLAG(filter) = "Unattended.*";  // a --gtest_filter given still counts
  return server_test::RunTests(argc, argv);
}
