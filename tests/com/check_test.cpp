// The bus check, apparata_check.exe as built, under Wine: its whole output (time stamps masked)
// and exit code over the tests' VISA library, with listeners scripted at 3, 7 and 17 (each
// instrument's reply shape), at 5 (a reply of no known shape) and a silent one at 9, and over
// bench files. Each case makes the user's settings, installs (or not) the fake, runs the program
// with its output in a file and undoes it all.
// Usage: check_test <Windows path of apparata_check.exe> <Windows path of Apparata.ocx> [GoogleTest options]
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>

#include "server_test_support.h"
#include "visa_support.h"

namespace {

using namespace visa_support;
using server_test::Settings;
using Values = std::map<std::wstring, std::wstring>;

std::wstring g_check;

const char* const kArchitecture = sizeof(void*) == 8 ? "64-bit" : "32-bit";

// Each instrument's reply shape at its usual address, one of no known shape, one that never
// replies, and a meter at 13 that the resource search does not find.
const wchar_t kListeners[] =
    L"3:2.0723E+1 D|5:HELLO \"5\"|7:U +12340E-3|9|!13:U +00012E-3|17: NZN+6.2826E+03,NDN-8.9954E+01";

std::string ReadWhole(const std::wstring& path) {
  std::ifstream file(std::filesystem::path(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

// CR LF as LF, the trace's time stamps as "<time>" and its durations as "<ms>".
std::string Masked(const std::string& text) {
  const std::string lines = std::regex_replace(text, std::regex("\r\n"), "\n");
  const std::string timed =
      std::regex_replace(lines, std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}[+-]\d\d:\d\d )"), "<time> ");
  return std::regex_replace(timed, std::regex(R"( \d+\.\d{3} ms\n)"), " <ms> ms\n");
}

struct CheckRun {
  int exitCode = -1;
  std::string output;  // the standard output, masked
};

CheckRun RunCheck(const std::wstring& arguments) {
  const std::wstring outputPath = TempFile(L"apparata-check-output.txt");
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  const HANDLE output =
      CreateFileW(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
  CheckRun run;
  run.exitCode = server_test::RunProcess(L"\"" + g_check + L"\" " + arguments, 60000, false, output);
  CloseHandle(output);
  run.output = Masked(ReadWhole(outputPath));
  DeleteFileW(outputPath.c_str());
  return run;
}

// The check with the fake installed and its listeners scripted, `bus` as the user's setting.
CheckRun RunOverVisa(const wchar_t* bus, const std::wstring& arguments) {
  const InstalledFake fake(kListeners);
  EXPECT_TRUE(fake.ok) << "installing the fake";
  const Settings settings(Values{{L"Bus", bus}});
  return RunCheck(arguments);
}

// A log that is not there, in a folder that takes one; the setting names it through %TEMP%.
const std::wstring kNewLog = TempFile(L"apparata-check-night.csv");

// `expected` with <arch>, <visa> (the library's path), <bench> (the bench file's) and <temp>
// (the temporary folder) filled in.
std::string Expected(std::string expected) {
  const std::pair<const char*, std::string> fields[] = {
      {"<arch>", kArchitecture},
      {"<visa>", server_test::Narrow(SystemFolder() + L"\\" + kVisaName)},
      {"<bench>", server_test::Narrow(BenchFile::Path())},
      {"<temp>", server_test::Narrow(TempFile(L""))},
      {"<ocx>", server_test::Narrow(server_test::ServerPath())}};
  for (const auto& [field, value] : fields)
    for (std::size_t at; (at = expected.find(field)) != std::string::npos;)
      expected.replace(at, std::strlen(field), value);
  return expected;
}

const char kHead[] =
    "Apparata bus check, <arch>\n"
    "Library for <arch> hosts: not registered\n"
    "Run it while no host measures: each probe takes a reply that a running host may be waiting for.\n";

const char kVisaSurvey[] =
    "VISA library: <visa>\n"
    "  made by: Apparata tests\n"
    "  implementation version: 1.2.0\n"
    "  VISA specification: 5.8.0\n"
    "  GPIB boards: GPIB0::INTFC\n";

TEST(CheckOverVisa, EveryAddressNamedAnswers) {
  const CheckRun run = RunOverVisa(L"VISA", L"17 3 13 7 5");
  EXPECT_EQ(0, run.exitCode);
  EXPECT_EQ(Expected(std::string(kHead) + "Setting Bus (HKEY_CURRENT_USER\\Software\\Apparata): \"VISA\"\n" +
                     kVisaSurvey +
                     "  instruments on GPIB0: GPIB0::3::INSTR, GPIB0::5::INSTR, GPIB0::7::INSTR, GPIB0::9::INSTR, "
                     "GPIB0::17::INSTR\n"
                     "Back end: VISA, board GPIB0 (the board check opens GPIB0::INTFC)\n"
                     "3: E7-12 LCR meter? reply \"2.0723E+1 D\" (dissipation factor)\n"
                     "5: no known shape, reply \"HELLO \\\"5\\\"\"\n"
                     "7: B7-40/5 multimeter? reply \"U +12340E-3\" (DC volts)\n"
                     "13: B7-40/5 multimeter? reply \"U +00012E-3\" (DC volts); not found by the VISA search\n"
                     "17: HP 4191A analyzer? reply \" NZN+6.2826E+03,NDN-8.9954E+01\" (|Z| and phase in degrees)\n"),
            run.output);
}

// Trace lines of VISA calls that succeed, under the operation they belong to.
std::string Succeeded(std::initializer_list<const char*> calls) {
  std::string lines;
  for (const char* call : calls) lines += std::string("  ") + call + " -> 0x00000000 Operation completed successfully.\n";
  return lines;
}

// A trace line of the layer's operation, by the check's one thread.
std::string Operation(const std::string& text) { return "<time> 1 " + text + " <ms> ms\n"; }

TEST(CheckOverVisa, ASilentAddressNamedFailsTheRunAndTheTraceShowsEveryCall) {
  const std::wstring report = TempFile(L"apparata-check-report.txt");
  const CheckRun run = RunOverVisa(L"VISA", L"12 9 --trace --report \"" + report + L"\"");
  EXPECT_EQ(1, run.exitCode);
  EXPECT_EQ(Expected(std::string(kHead) + "Setting Bus (HKEY_CURRENT_USER\\Software\\Apparata): \"VISA\"\n" +
                     "VISA library: <visa>\n" +
                     Succeeded({"viOpenDefaultRM RM", "viGetAttribute RM VI_ATTR_RSRC_MANF_NAME",
                                "viGetAttribute RM VI_ATTR_RSRC_IMPL_VERSION",
                                "viGetAttribute RM VI_ATTR_RSRC_SPEC_VERSION",
                                "viFindRsrc GPIB?*INTFC found \"GPIB0::INTFC\" count=1", "viClose GPIB?*INTFC",
                                "viFindRsrc GPIB0::?*INSTR found \"GPIB0::3::INSTR\" count=5",
                                "viFindNext GPIB0::?*INSTR found \"GPIB0::5::INSTR\"",
                                "viFindNext GPIB0::?*INSTR found \"GPIB0::7::INSTR\"",
                                "viFindNext GPIB0::?*INSTR found \"GPIB0::9::INSTR\"",
                                "viFindNext GPIB0::?*INSTR found \"GPIB0::17::INSTR\"", "viClose GPIB0::?*INSTR",
                                "viClose RM"}) +
                     std::string(kVisaSurvey).substr(std::strlen("VISA library: <visa>\n")) +
                     "  instruments on GPIB0: GPIB0::3::INSTR, GPIB0::5::INSTR, GPIB0::7::INSTR, GPIB0::9::INSTR, "
                     "GPIB0::17::INSTR\n"
                     "Back end: VISA, board GPIB0 (the board check opens GPIB0::INTFC)\n"
                     "ApparataBusTrace 1 library \"1.0.0\" backend \"VISA board GPIB0\"\n" +
                     Operation("Open 7 sent \"\" -> 0 Success received \"\"") +
                     Succeeded({"viOpenDefaultRM RM", "viOpen GPIB0::INTFC"}) +
                     Operation("Reset 7 sent \"\" -> 0 Success received \"\"") + Succeeded({"viGpibSendIFC GPIB0::INTFC"}) +
                     Operation("Timeout 7 1 s sent \"\" -> 0 Success received \"\"") +
                     Succeeded({"viSetAttribute GPIB0::INTFC VI_ATTR_TMO_VALUE=1000"}) +
                     Operation("Trigger 709 sent \"\" -> 0 Success received \"\"") +
                     Succeeded({"viOpen GPIB0::9::INSTR", "viSetAttribute GPIB0::9::INSTR VI_ATTR_TMO_VALUE=1000",
                                "viAssertTrigger GPIB0::9::INSTR VI_TRIG_PROT_DEFAULT"}) +
                     Operation("Enter 709 sent \"\" -> 4 HPIB timeout! received \"\"") +
                     "  viRead GPIB0::9::INSTR received \"\" -> 0xBFFF0015 Timeout expired before operation completed.\n"
                     "9: takes the trigger, but no reply to the read: HPIB timeout! (result 4)\n" +
                     Operation("Trigger 712 sent \"\" -> 2 Invalid HPIB select code or device address! received \"\"") +
                     Succeeded({"viOpen GPIB0::12::INSTR", "viSetAttribute GPIB0::12::INSTR VI_ATTR_TMO_VALUE=1000"}) +
                     "  viAssertTrigger GPIB0::12::INSTR VI_TRIG_PROT_DEFAULT -> 0xBFFF005F Unknown status.\n"
                     "12: nothing answers the trigger: Invalid HPIB select code or device address! (result 2); not "
                     "found by the VISA search\n" +
                     Operation("Close - sent \"\" -> 0 Success received \"\"") + Succeeded({"viClose RM"})),
            run.output);
  EXPECT_EQ(run.output, Masked(ReadWhole(report))) << "the report is the output";
  DeleteFileW(report.c_str());
}

TEST(CheckOverVisa, NoBoardOrNoLibraryIsDebugModeWithTheTerminalsReason) {
  const CheckRun noBoard = RunOverVisa(L"VISA:GPIB1", L"");
  EXPECT_EQ(3, noBoard.exitCode);
  EXPECT_EQ(Expected(std::string(kHead) + "Setting Bus (HKEY_CURRENT_USER\\Software\\Apparata): \"VISA:GPIB1\"\n" +
                     kVisaSurvey +
                     "  instruments on GPIB1: none found\n"
                     "Debug mode: VISA board GPIB1::INTFC cannot be opened: Insufficient location information or "
                     "resource not present. (0xBFFF0011)\n"
                     "No bus: the simulated answers of debug mode are not instruments.\n"),
            noBoard.output);
  const Settings settings(Values{{L"Bus", L"VISA"}});
  const CheckRun run = RunCheck(L"7");
  EXPECT_EQ(3, run.exitCode);
  EXPECT_EQ(Expected(std::string(kHead) + "Setting Bus (HKEY_CURRENT_USER\\Software\\Apparata): \"VISA\"\n" +
                     "Debug mode: VISA library <visa> cannot be loaded (error 126)\n"
                     "No bus: the simulated answers of debug mode are not instruments.\n"),
            run.output);
}

// The three instruments without scatter, the first readings known from their components.
const char kThreeInstruments[] =
    "[7]\ninstrument = B7-40/5\ndc_volts = 12.34\n"
    "[3]\ninstrument = E7-12\nr = 12\nl = 10m\n"
    "[17]\ninstrument = HP4191A\nr = 5\nl = 100n\nc = 25.3303p\n";

TEST(CheckOverBench, TheBenchsInstrumentsAnswerAndNothingElseIsThere) {
  const BenchFile bench(kThreeInstruments);
  const Settings settings(Values{{L"Bus", L"SIM:" + BenchFile::Path()},
                                 {L"Trace", L"C:\\lab\\trace.txt"},
                                 {L"Errors", L"log"}});
  const std::wstring log = L"%TEMP%\\apparata-check-night.csv";
  RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Apparata", L"Log", REG_EXPAND_SZ, log.c_str(),
                  static_cast<DWORD>((log.size() + 1) * sizeof(wchar_t)));
  const CheckRun run = RunCheck(L"");
  EXPECT_EQ(0, run.exitCode);
  EXPECT_EQ(Expected(std::string(kHead) +
                     "Setting Bus (HKEY_CURRENT_USER\\Software\\Apparata): \"SIM:<bench>\"\n"
                     "Setting Trace (HKEY_CURRENT_USER\\Software\\Apparata): \"C:\\lab\\trace.txt\"\n"
                     "Setting Errors (HKEY_CURRENT_USER\\Software\\Apparata): \"log\", read as Log\n"
                     "Setting Log (HKEY_CURRENT_USER\\Software\\Apparata): \"%TEMP%\\apparata-check-night.csv\", "
                     "expanded \"<temp>apparata-check-night.csv\": no such file yet; its folder takes a new one\n"
                     "Back end: the simulated bench, of the file <bench>\n"
                     "  7: B7-40/5\n"
                     "  3: E7-12\n"
                     "  17: HP4191A\n"
                     "3: E7-12 LCR meter? reply \"1.0000E-2 L\" (inductance)\n"
                     "7: B7-40/5 multimeter? reply \"U +12340E-3\" (DC volts)\n"
                     "17: HP 4191A analyzer? reply \" NZN+6.2826E+03,NDN-8.9954E+01\" (|Z| and phase in degrees)\n"
                     "Nothing at 1, 2, 4-6, 8-16, 18-30: no instrument of the bench there\n"),
            run.output);
  WIN32_FIND_DATAW left;
  EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFileW((kNewLog + L"*").c_str(), &left)) << "the log's check leaves no file";
}

TEST(CheckOverBench, AnAbsentInstrumentAndALostReplyFailTheRun) {
  // With a log that can be written (the bench file itself) and one whose folder is missing.
  struct Case {
    const char* fault;
    const char* finding;
    std::wstring log;
    const char* logLine;
  } cases[] = {
      {"absent = yes", "7: nothing answers the trigger: Invalid HPIB select code or device address! (result 2)",
       BenchFile::Path(), "\"<bench>\": the file can be written"},
      {"timeout_from_read = 1", "7: takes the trigger, but no reply to the read: HPIB timeout! (result 4)",
       TempFile(L"missing\\night.csv"),
       "\"<temp>missing\\night.csv\": no such file, and none can be made there: Path not found. (error 3)"},
  };
  for (const Case& c : cases) {
    const BenchFile bench(std::string("[7]\ninstrument = B7-40/5\n") + c.fault + "\n");
    const Settings settings(Values{{L"Bus", L"SIM:" + BenchFile::Path()}, {L"Log", c.log}});
    const CheckRun run = RunCheck(L"7");
    EXPECT_EQ(1, run.exitCode) << c.fault;
    EXPECT_EQ(Expected(std::string(kHead) + "Setting Bus (HKEY_CURRENT_USER\\Software\\Apparata): \"SIM:<bench>\"\n" +
                       "Setting Log (HKEY_CURRENT_USER\\Software\\Apparata): " + c.logLine + "\n" +
                       "Back end: the simulated bench, of the file <bench>\n"
                       "  7: B7-40/5, " + c.fault + "\n" + c.finding + "\n"),
              run.output);
  }
}

// Over a replay the check names the trace and its instruments, and asks nothing: the trace
// answers only what it recorded. The bench file's place serves for the trace.
TEST(CheckOverReplay, TheTraceAndItsInstrumentsAreNamedAndNothingIsProbed) {
  const BenchFile trace(
      "ApparataBusTrace 1 library \"1.0.0\" backend \"simulated bench, built in\"\r\n"
      "2026-12-08T14:03:10.120+01:00 1 Trigger 717 sent \"\" -> 0 Success received \"\" 0.250 ms\r\n"
      "  717 Trigger -> 0\r\n"
      "2026-12-08T14:03:10.121+01:00 1 Output 707 sent \"F5E\" -> 0 Success received \"\" 0.250 ms\r\n");
  const Settings settings(Values{{L"Bus", L"REPLAY:" + BenchFile::Path()}});
  const CheckRun run = RunCheck(L"7");
  EXPECT_EQ(0, run.exitCode);
  EXPECT_EQ(Expected(std::string(kHead) +
                     "Setting Bus (HKEY_CURRENT_USER\\Software\\Apparata): \"REPLAY:<bench>\"\n"
                     "Back end: the replay of the bus trace <bench>\n"
                     "  instruments in the trace: 7, 17\n"
                     "A replay answers only what its trace recorded: nothing is probed.\n"),
            run.output);
}

TEST(CheckArguments, AnythingButAddressesAndTheOptionsIsRefused) {
  for (const wchar_t* wrong : {L"0", L"31", L"7x", L"--report", L"--verbose"})
    EXPECT_EQ(2, RunCheck(wrong).exitCode) << server_test::Narrow(wrong);
  const CheckRun option = RunCheck(L"--report --trace 7");
  EXPECT_EQ(2, option.exitCode);
  EXPECT_EQ("apparata_check: --report needs a file name, not the option --trace\n",
            option.output.substr(0, option.output.find('\n') + 1));
}

TEST(CheckArguments, AReportNeverWritesOverAFile) {
  const BenchFile bench(kThreeInstruments);
  const CheckRun run = RunCheck(L"7 --report \"" + BenchFile::Path() + L"\"");
  EXPECT_EQ(2, run.exitCode);
  EXPECT_EQ(Expected("apparata_check: the report <bench> exists already and is left as it is: name a new file\n"),
            run.output);
  EXPECT_EQ(kThreeInstruments, ReadWhole(BenchFile::Path()));
}

// The library registered for the machine and again for the user, as a per-user setup leaves it
// beside a machine-wide installation: the user's copy wins, and the check says so.
TEST(CheckVersion, NamesTheLibraryAndAUsersCopyThatShadowsTheMachines) {
  const HMODULE server = LoadLibraryW(server_test::ServerPath().c_str());
  ASSERT_TRUE(server);
  using InstallFn = HRESULT(STDAPICALLTYPE*)(BOOL, PCWSTR);
  EXPECT_HR(S_OK, server_test::Export<server_test::DllFunctionFn>(server, "DllRegisterServer")());
  EXPECT_HR(S_OK, server_test::Export<InstallFn>(server, "DllInstall")(TRUE, L"user"));
  FreeLibrary(server);
  const CheckRun run = RunCheck(L"--version");
  EXPECT_TRUE(server_test::Unregistered(server_test::ServerPath()));
  EXPECT_EQ(0, run.exitCode);
  EXPECT_EQ(Expected("apparata_check 1.0.0, <arch>\n"
                     "Library for <arch> hosts: <ocx>, version 1.0.0.0 (registered for this user)\n"
                     "  it shadows the machine's registration, <ocx>, version 1.0.0.0: remove the user's copy before "
                     "a machine-wide installation reaches this user\n"),
            run.output);
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s <Windows path of apparata_check.exe> <Windows path of Apparata.ocx> [GoogleTest options]\n",
                 argv[0]);
    return 2;
  }
  g_check = server_test::Widen(argv[1]);
  std::replace(g_check.begin(), g_check.end(), L'/', L'\\');
  server_test::ServerPath() = server_test::Widen(argv[2]);
  std::replace(server_test::ServerPath().begin(), server_test::ServerPath().end(), L'/', L'\\');
  // From no registration, whatever a suite before this one left: the check's first lines say it.
  if (!server_test::Unregistered(server_test::ServerPath())) return 2;
  return RUN_ALL_TESTS();
}
