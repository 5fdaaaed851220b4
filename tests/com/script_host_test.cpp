// Runs the script host on small scripts and holds it to what script writers rely on: Echo's
// output, Quit's exit code, Sleep, error reports with their position, the timeout, the command
// line, and the controls' events reaching the handlers named after them (these need the
// library registered).
// Usage: script_host_test <path of apparata_scripthost.exe> [GoogleTest options]

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/win32/ComResource.h"
#include "core/win32/Utf8.h"
#include "server_test_support.h"
#include "visa_support.h"

namespace {

using core::win32::scope_exit;

std::wstring g_hostPath;
std::wstring g_directory;

// The host's path as CTest gives it: a Unix path is reached through Wine's drive Z:.
std::wstring WindowsPath(const std::string& path) {
  std::wstring result(path.begin(), path.end());
  for (wchar_t& c : result) {
    if (c == L'/') c = L'\\';
  }
  return !path.empty() && path[0] == '/' ? L"Z:" + result : result;
}

std::string Narrow(const std::wstring& text) { return core::win32::ToUtf8(text); }

struct Outcome {
  DWORD exitCode = 0xFFFFFFFF;
  std::string out;
  std::string err;
  ULONGLONG milliseconds = 0;
};

std::string ReadAll(const std::wstring& path) {
  std::ifstream file(path.c_str(), std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

HANDLE CreateInheritable(const std::wstring& path) {
  SECURITY_ATTRIBUTES security{sizeof security, nullptr, TRUE};
  return CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &security, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                     nullptr);
}

// Runs the host with `arguments` (each quoted), its output in files; fails the test when it
// does not end within a minute.
Outcome RunHost(const std::vector<std::wstring>& arguments) {
  Outcome outcome;
  // Files of their own for every run: in the 64-bit build, a process that Wine starts during
  // the first run inherits that run's handles and holds them a while longer.
  static int run = 0;
  ++run;
  const std::wstring outPath = g_directory + L"\\out" + std::to_wstring(run) + L".txt";
  const std::wstring errPath = g_directory + L"\\err" + std::to_wstring(run) + L".txt";
  const HANDLE out = CreateInheritable(outPath);
  const HANDLE err = CreateInheritable(errPath);
  {
    scope_exit closeFiles([&] {
      CloseHandle(out);
      CloseHandle(err);
    });
    EXPECT_NE(out, INVALID_HANDLE_VALUE) << GetLastError();
    EXPECT_NE(err, INVALID_HANDLE_VALUE) << GetLastError();
    std::wstring commandLine = L"\"" + g_hostPath + L"\"";
    for (const std::wstring& argument : arguments) commandLine += L" \"" + argument + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    const ULONGLONG start = GetTickCount64();
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
      ADD_FAILURE() << "CreateProcess failed with " << GetLastError() << ": " << Narrow(commandLine);
      return outcome;
    }
    scope_exit closeProcess([&] {
      CloseHandle(process.hThread);
      CloseHandle(process.hProcess);
    });
    if (WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0) {
      TerminateProcess(process.hProcess, 99);
      WaitForSingleObject(process.hProcess, 5000);
      ADD_FAILURE() << "the host ran longer than a minute: " << Narrow(commandLine);
    }
    outcome.milliseconds = GetTickCount64() - start;
    GetExitCodeProcess(process.hProcess, &outcome.exitCode);
  }
  outcome.out = ReadAll(outPath);
  outcome.err = ReadAll(errPath);
  return outcome;
}

// Writes `text` (UTF-8, with its byte order mark) as a script in the test's folder.
std::wstring WriteScript(const std::string& text) {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::string name = test->name();
  const std::wstring path = g_directory + L"\\" + std::wstring(name.begin(), name.end()) + L".vbs";
  std::ofstream file(path.c_str(), std::ios::binary);
  file << "\xEF\xBB\xBF" << text;
  return path;
}

// What a run must show: its exit code and all it wrote on either stream.
struct Expected {
  DWORD exitCode;
  std::string out;
  std::string err;
};

// Runs the host with `arguments` and holds the run to `expected`; answers the outcome for the
// test's own checks.
Outcome ExpectRun(const std::vector<std::wstring>& arguments, const Expected& expected) {
  const Outcome outcome = RunHost(arguments);
  EXPECT_EQ(outcome.exitCode, expected.exitCode);
  EXPECT_EQ(outcome.out, expected.out);
  EXPECT_EQ(outcome.err, expected.err);
  return outcome;
}

TEST(ScriptHost, EchoWritesItsArgumentsSeparatedByBlanksOneLineEach) {
  const std::wstring script = WriteScript(
      "Host.Echo \"text\", 42, True\r\n"
      "host.echo\r\n"
      "Host.Echo \"Gr\xC3\xBC\xC3\x9F" "e\"\r\n"
      "Host.Quit 0\r\n");
  ExpectRun({script, L"--timeout", L"20"}, {0, "text 42 True\r\n\r\nGr\xC3\xBC\xC3\x9F" "e\r\n", ""});
}

TEST(ScriptHost, QuitEndsTheScriptWithItsCode) {
  const std::wstring script = WriteScript(
      "Host.Echo \"before\"\r\n"
      "Host.Quit 7\r\n"
      "Host.Echo \"after\"\r\n");
  ExpectRun({script, L"--timeout", L"20"}, {7, "before\r\n", ""});
}

TEST(ScriptHost, QuitWithoutCodeEndsWithZero) {
  const std::wstring script = WriteScript("Host.Quit\r\nHost.Echo \"after\"\r\n");
  ExpectRun({script, L"--timeout", L"20"}, {0, "", ""});
}

// A script that goes on past Quit (On Error Resume Next) cannot change how the run ended.
TEST(ScriptHost, FirstQuitWins) {
  const std::wstring script = WriteScript(
      "On Error Resume Next\r\n"
      "Host.Quit 4\r\n"
      "Host.Echo \"after\"\r\n"
      "Host.Quit 0\r\n");
  ExpectRun({script, L"--timeout", L"20"}, {4, "", ""});
}

TEST(ScriptHost, SleepWaitsTheGivenTime) {
  const std::wstring script = WriteScript(
      "Dim started\r\n"
      "started = Timer\r\n"
      "Host.Sleep 400\r\n"
      "Host.Echo Timer - started >= 0.39, Timer - started < 5\r\n"
      "Host.Quit 0\r\n");
  ExpectRun({script, L"--timeout", L"20"}, {0, "True True\r\n", ""});
}

TEST(ScriptHost, ScriptErrorIsReportedWithItsPositionAndFailsTheRun) {
  const std::wstring script = WriteScript(
      "Host.Echo \"first\"\r\n"
      "  Err.Raise 5001, \"Checker\", \"custom failure\"\r\n"
      "Host.Echo \"not reached\"\r\n"
      "Host.Quit 0\r\n");
  ExpectRun({script, L"--timeout", L"20"},
            {1, "first\r\n", Narrow(script) + "(2, 3) Checker: custom failure (0x800A1389)\r\n"});
}

TEST(ScriptHost, HandledErrorIsNoFailure) {
  const std::wstring script = WriteScript(
      "On Error Resume Next\r\n"
      "Err.Raise 5\r\n"
      "Host.Quit Err.Number\r\n");
  ExpectRun({script, L"--timeout", L"20"}, {5, "", ""});
}

TEST(ScriptHost, TimeoutEndsTheRunWithTwo) {
  const std::wstring script = WriteScript("Host.Echo \"waiting\"\r\n");
  const Outcome outcome =
      ExpectRun({script, L"--timeout", L"1"}, {2, "waiting\r\n", "apparata_scripthost: timed out after 1 s\r\n"});
  EXPECT_GE(outcome.milliseconds, 1000u);
}

TEST(ScriptHost, TimeoutEndsASleepAndTheScript) {
  const std::wstring script = WriteScript("Host.Sleep 60000\r\nHost.Echo \"after\"\r\n");
  const Outcome outcome =
      ExpectRun({script, L"--timeout", L"1"}, {2, "", "apparata_scripthost: timed out after 1 s\r\n"});
  EXPECT_LT(outcome.milliseconds, 30000u);
}

TEST(ScriptHost, CommandLineMistakesAreReported) {
  const std::wstring script = WriteScript("Host.Quit 0\r\n");
  const struct {
    std::vector<std::wstring> arguments;
    std::string message;
  } cases[] = {
      {{}, "usage: apparata_scripthost script.vbs [Name=ProgID ...] [--timeout seconds]"},
      {{L"--timeout", L"5"}, "usage: apparata_scripthost script.vbs [Name=ProgID ...] [--timeout seconds]"},
      {{script, L"--timeout"}, "--timeout needs a number of seconds from 1 to 86400"},
      {{script, L"--timeout", L"0"}, "--timeout needs a number of seconds from 1 to 86400"},
      {{script, L"--timeout", L"5s"}, "--timeout needs a number of seconds from 1 to 86400"},
      {{script, L"1X=Apparata.B740X"}, "'1X=Apparata.B740X' is not Name=ProgID"},
      {{script, L"Meter"}, "'Meter' is not Name=ProgID"},
      {{script, L"Meter="}, "'Meter=' is not Name=ProgID"},
      {{script, L"host=Apparata.B740X"}, "the name host is taken"},
      {{script, L"A=Apparata.B740X", L"a=Apparata.B740X"}, "the name a is taken"},
      {{g_directory + L"\\missing.vbs"}, "cannot read " + Narrow(g_directory) + "\\missing.vbs"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    ExpectRun(c.arguments, {1, "", "apparata_scripthost: " + c.message + "\r\n"});
  }
}

TEST(ScriptHost, UnknownProgIdIsReported) {
  const std::wstring script = WriteScript("Host.Quit 0\r\n");
  const Outcome outcome = RunHost({script, L"X=Apparata.NoSuchControl"});
  EXPECT_EQ(outcome.exitCode, 1u);
  // The system's text for CO_E_CLASSSTRING may follow the code; Wine has none.
  const std::string prefix = "apparata_scripthost: cannot create Apparata.NoSuchControl: 0x800401F3";
  EXPECT_EQ(outcome.err.substr(0, prefix.size()), prefix) << outcome.err;
  EXPECT_EQ(outcome.err.find("\r\n"), outcome.err.size() - 2) << outcome.err;
  EXPECT_EQ(outcome.out, "");
}

// The host binds the controls' events to the script's handlers by name.

TEST(ScriptHostEvents, EachItemsEventsReachItsOwnHandlers) {
  const std::wstring script = WriteScript(
      "Dim readingsOfA, readingsOfB\r\n"
      "readingsOfA = 0\r\n"
      "readingsOfB = 0\r\n"
      "Sub A_OnData()\r\n"
      "  readingsOfA = readingsOfA + 1\r\n"
      "End Sub\r\n"
      "Sub b_ondata()\r\n"
      "  readingsOfB = readingsOfB + 1\r\n"
      "End Sub\r\n"
      "A.Port = 7\r\n"
      "B.Port = 7\r\n"
      "A.Trigger\r\n"
      "Host.Sleep 1000\r\n"
      "Host.Echo readingsOfA, readingsOfB\r\n"
      "B.Trigger\r\n"
      "Host.Sleep 1000\r\n"
      "Host.Echo readingsOfA, readingsOfB\r\n"
      "Host.Quit 0\r\n");
  ExpectRun({script, L"A=Apparata.B740X", L"B=Apparata.B740X", L"--timeout", L"20"}, {0, "1 0\r\n1 1\r\n", ""});
}

TEST(ScriptHostEvents, ErrorInAHandlerEndsTheRun) {
  const std::wstring script = WriteScript(
      "Sub Meter_OnData()\r\n"
      "  Err.Raise 5002, \"Handler\", \"failed in OnData\"\r\n"
      "End Sub\r\n"
      "Meter.Port = 7\r\n"
      "Meter.Trigger\r\n"
      "Host.Sleep 10000\r\n"
      "Host.Echo \"not reached\"\r\n");
  const Outcome outcome = ExpectRun({script, L"Meter=Apparata.B740X", L"--timeout", L"20"},
                                    {1, "", Narrow(script) + "(2, 3) Handler: failed in OnData (0x800A138A)\r\n"});
  EXPECT_LT(outcome.milliseconds, 8000u);
}

TEST(ScriptHostEvents, QuitInAHandlerEndsTheMainCodesSleep) {
  const std::wstring script = WriteScript(
      "Sub Meter_OnData()\r\n"
      "  Host.Echo \"reading\"\r\n"
      "  Host.Quit 6\r\n"
      "End Sub\r\n"
      "Meter.Port = 7\r\n"
      "Meter.InternalTrigger = True\r\n"
      "Host.Sleep 10000\r\n"
      "Host.Echo \"not reached\"\r\n");
  const Outcome outcome = ExpectRun({script, L"Meter=Apparata.B740X", L"--timeout", L"20"}, {6, "reading\r\n", ""});
  EXPECT_LT(outcome.milliseconds, 8000u);
}

// A control's error box holds the script's thread in the box's own loop: the timeout still ends
// the run, and says what the box says.
TEST(ScriptHostEvents, TimeoutEndsTheRunWithAnErrorBoxUp) {
  const visa_support::BenchFile bench("[7]\ninstrument = B7-40/5\ntimeout_from_read = 1\n");
  const server_test::Settings settings({{L"Bus", L"SIM:" + visa_support::BenchFile::Path()}});
  const std::wstring script = WriteScript("Meter.Port = 7\r\nMeter.Trigger\r\nHost.Sleep 60000\r\n");
  const Outcome outcome = ExpectRun(
      {script, L"Meter=Apparata.B740X", L"--timeout", L"2"},
      {2, "", "apparata_scripthost: timed out after 2 s with a box up: Critical HPIB driver error: HPIB timeout!\r\n"});
  EXPECT_LT(outcome.milliseconds, 30000u);
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: script_host_test <path of apparata_scripthost.exe> [GoogleTest options]\n");
    return 2;
  }
  g_hostPath = WindowsPath(argv[1]);
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  g_directory = std::wstring(temp) + L"script_host_test." + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(g_directory.c_str(), nullptr);
  const int result = RUN_ALL_TESTS();
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW((g_directory + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      DeleteFileW((g_directory + L"\\" + found.cFileName).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(g_directory.c_str());
  return result;
}
