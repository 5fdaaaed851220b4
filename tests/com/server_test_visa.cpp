// The VISA back end end to end: every control through COM over the fake VISA library that the
// tests build, installed in the prefix's system folder as a VISA installation would put it; and
// the simulated bench, of a file and built in. The mode is chosen once, when a process loads the
// library, so each case runs its scenario in a child process of this program, after this
// process has made the user's settings and installed (or removed) the fake or written the bench
// file; they go again whatever the child's fate.
// Usage: server_visa_test <Windows path of Apparata.ocx> [GoogleTest options]

#include "control_fixture.h"

#include <ocidl.h>

#include <cstring>

#include "Apparata_h.h"
#include "visa_support.h"

namespace {

using namespace server_test;
using namespace visa_support;
using Calls = std::vector<std::string>;

// One row per control class: the first reading of a process, as Text shows it, and the VISA
// calls of that measurement once the card is open, a read last.
struct ControlRow {
  const wchar_t* progId;
  long port;
  const wchar_t* text;
  Calls cycle;
};

const std::vector<ControlRow>& Controls() {
  static const std::vector<ControlRow> rows = {
      {L"Apparata.B740X", 7, L"R     kOm=+11350E-4",
       {"viOpen(GPIB0::7::INSTR)", "viSetAttribute(GPIB0::7::INSTR,VI_ATTR_TMO_VALUE,3000)",
        "viAssertTrigger(GPIB0::7::INSTR,0)", "viRead(GPIB0::7::INSTR,1024)"}},
      {L"Apparata.HP4191X", 17, L"R  Ohm=+1.2305E+01\r\nX  Ohm=+5.4320E-01\r\nF MHz=1.000000",
       {"viOpen(GPIB0::17::INSTR)", "viSetAttribute(GPIB0::17::INSTR,VI_ATTR_TMO_VALUE,3000)",
        "viAssertTrigger(GPIB0::17::INSTR,0)", "viRead(GPIB0::17::INSTR,1024)"}},
      // Two requests of one byte each, sent without END, each followed by its reply.
      {L"Apparata.E712X", 3, L"D=2.0723E+1 \r\nD=2.0723E+1 ",
       {"viOpen(GPIB0::3::INSTR)", "viSetAttribute(GPIB0::3::INSTR,VI_ATTR_TMO_VALUE,3000)",
        "viAssertTrigger(GPIB0::3::INSTR,0)", "viSetAttribute(GPIB0::3::INSTR,VI_ATTR_SEND_END_EN,0)",
        "viWrite(GPIB0::3::INSTR,\"8\")", "viRead(GPIB0::3::INSTR,1024)", "viWrite(GPIB0::3::INSTR,\"0\")",
        "viRead(GPIB0::3::INSTR,1024)"}},
  };
  return rows;
}

// A bench of known components without scatter, and what each control of Controls() shows of it
// (|Z| and phase of a series circuit at the HP 4191A's 1 MHz, L and D at the E7-12's 1 kHz).
const char kBench[] =
    "[7]\ninstrument = B7-40/5\ndc_volts = 12.34\n"
    "[3]\ninstrument = E7-12\nr = 12\nl = 10m\n"
    "[17]\ninstrument = HP4191A\nr = 5\nl = 100n\nc = 25.3303p\n";
const wchar_t* const kBenchTexts[] = {L"Udc V=+12340E-3", L"|Z|  Ohm=+6.2826E+03\r\nFi Deg=-8.9954E+01\r\nF MHz=1.000000",
                                      L"L=1.0000E-2 \r\nD=1.9099E-1 "};

// The board check of the library's load, and the opening of the card before the first step.
const Calls kLoadCalls = {"viOpenDefaultRM()", "viOpen(GPIB0::INTFC)", "viClose(RM)"};
const Calls kOpeningCalls = {"viOpenDefaultRM()", "viOpen(GPIB0::INTFC)", "viGpibSendIFC(GPIB0::INTFC)",
                             "viSetAttribute(GPIB0::INTFC,VI_ATTR_TMO_VALUE,3000)"};

Calls operator+(Calls first, const Calls& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

// A measurement's calls up to its first read, where a failing read ends it.
Calls UpToFirstRead(const Calls& cycle) {
  auto read =
      std::find_if(cycle.begin(), cycle.end(), [](const std::string& call) { return call.rfind("viRead", 0) == 0; });
  return Calls(cycle.begin(), read == cycle.end() ? read : read + 1);
}

constexpr std::int32_t kTimeoutStatus = static_cast<std::int32_t>(0xBFFF0015);

// ---- The parent: settings, the fake's installation, the child processes --------------------

// The user's Bus and Trace values while it lives; both removed again when it goes.
class UserSettings {
 public:
  UserSettings(const std::wstring& bus, const std::wstring& trace = {}) {
    Open([&](HKEY key) {
      Set(key, L"Bus", bus);
      if (!trace.empty()) Set(key, L"Trace", trace);
    });
  }
  // A Bus value that is a number, not a text.
  explicit UserSettings(DWORD bus) {
    Open([&](HKEY key) {
      RegSetValueExW(key, L"Bus", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&bus), sizeof bus);
    });
  }
  UserSettings(const UserSettings&) = delete;
  UserSettings& operator=(const UserSettings&) = delete;
  ~UserSettings() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
      RegDeleteValueW(key, L"Bus");
      RegDeleteValueW(key, L"Trace");
      RegCloseKey(key);
    }
    RegDeleteKeyW(HKEY_CURRENT_USER, kKey);  // only when nothing else lives there
  }

 private:
  static void Open(const std::function<void(HKEY)>& write) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
      return;
    write(key);
    RegCloseKey(key);
  }
  static void Set(HKEY key, const wchar_t* name, const std::wstring& value) {
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  }
  static constexpr const wchar_t* kKey = L"Software\\Apparata";
};

// Runs this program on one scenario, its output into ours; answers its exit code, -1 when it
// did not start, -2 when it had to be ended.
int RunScenario(const std::string& scenario, std::size_t row = 0) {
  return RunProcess(Quoted(OwnPath()) + L" " + Quoted(ServerPath()) + L" --scenario=" + Widen(scenario) + L":" +
                        std::to_wstring(row),
                    120000, true);
}

std::vector<std::string> FileLines(const std::wstring& path) {
  std::vector<std::string> lines;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return lines;
  std::string text;
  char chunk[4096];
  DWORD read = 0;
  while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0) text.append(chunk, read);
  CloseHandle(file);
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = text.find("\r\n", start);
    lines.push_back(text.substr(start, end - start));
    start = end == std::string::npos ? text.size() : end + 2;
  }
  return lines;
}

TEST(VisaBackEnd, EachControlMeasuresThroughVisaWithOneCallPerStep) {
  for (std::size_t row = 0; row < Controls().size(); ++row) {
    InstalledFake fake;
    ASSERT_TRUE(fake.ok) << "installing the fake";
    UserSettings settings(L"VISA");
    EXPECT_EQ(0, RunScenario("Cycle", row)) << Narrow(Controls()[row].progId);
  }
}

TEST(VisaBackEnd, AReadTimeoutShowsTheTimeoutMessageAndTheTraceHasEveryCall) {
  const std::wstring trace = TempFile(L"apparata-visa-trace.txt");
  for (std::size_t row = 0; row < Controls().size(); ++row) {
    DeleteFileW(trace.c_str());
    {
      InstalledFake fake;
      ASSERT_TRUE(fake.ok) << "installing the fake";
      UserSettings settings(L"VISA", trace);
      EXPECT_EQ(0, RunScenario("Timeout", row)) << Narrow(Controls()[row].progId);
    }
    const ControlRow& control = Controls()[row];
    const std::vector<std::string> lines = FileLines(trace);
    DeleteFileW(trace.c_str());
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ("ApparataBusTrace 1 library \"1.0.0\" backend \"VISA board GPIB0\"", lines[0]);
    // Each operation of the layer, then its VISA calls two blanks in: one line per call.
    Calls calls, operations;
    for (const std::string& line : lines) (line.rfind("  ", 0) == 0 ? calls : operations).push_back(line);
    ASSERT_EQ((kOpeningCalls + UpToFirstRead(control.cycle)).size() + 1, calls.size()) << "one line per call";
    const std::string ok = " -> 0x00000000 Operation completed successfully.";
    const std::string resource = "GPIB0::" + std::to_string(control.port) + "::INSTR";
    EXPECT_EQ((Calls{"  viRead " + resource + " received \"\" -> 0xBFFF0015 Timeout expired before operation completed.",
                     "  viClose RM" + ok}),
              Calls(calls.end() - 2, calls.end()));
    const std::string address = std::to_string(700 + control.port);
    ASSERT_GE(operations.size(), 3u);
    EXPECT_NE(std::string::npos, operations[operations.size() - 2].find(" Enter " + address + " sent \"\" -> 4 HPIB timeout! "))
        << operations[operations.size() - 2];
    EXPECT_NE(std::string::npos, operations.back().find(" Close - sent \"\" -> 0 Success ")) << operations.back();
  }
}

TEST(VisaBackEnd, AMissingBoardMeansDebugModeWithItsReason) {
  InstalledFake fake;
  ASSERT_TRUE(fake.ok) << "installing the fake";
  UserSettings settings(L"VISA:GPIB1");
  EXPECT_EQ(0, RunScenario("MissingBoard"));
}

TEST(VisaBackEnd, AMissingLibraryMeansDebugModeWithItsReason) {
  ASSERT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((SystemFolder() + L"\\" + kVisaName).c_str()));
  UserSettings settings(L"VISA");
  EXPECT_EQ(0, RunScenario("MissingLibrary"));
}

TEST(VisaBackEnd, ASettingNotUnderstoodMeansDebugModeWithItsReason) {
  InstalledFake fake;
  {
    UserSettings settings(L"GPIB0");
    EXPECT_EQ(0, RunScenario("BadSetting"));
  }
  UserSettings settings(DWORD{1});
  EXPECT_EQ(0, RunScenario("BadSettingType"));
}

TEST(VisaBackEnd, TwoApartmentsWritingAtOnceSendEachWriteWhole) {
  const UserSettings settings(L"VISA");
  const InstalledFake fake;
  ASSERT_TRUE(fake.ok);
  EXPECT_EQ(0, RunScenario("TwoApartments"));
}

TEST(SimBackEnd, EachControlReadsItsInstrumentOnTheBenchOfAFile) {
  const BenchFile bench(kBench);
  const UserSettings settings(L"SIM:" + BenchFile::Path());
  for (std::size_t row = 0; row < Controls().size(); ++row)
    EXPECT_EQ(0, RunScenario("SimReading", row)) << Narrow(Controls()[row].progId);
}

TEST(SimBackEnd, AnAnalyzerSweepOfTheBuiltInBenchFindsItsResonance) {
  const UserSettings settings(L"SIM");
  EXPECT_EQ(0, RunScenario("SimSweep", 1));
}

TEST(SimBackEnd, AWrongBenchFileMeansDebugModeWithItsReason) {
  const BenchFile bench("[7]\ninstrument = B7-40/5\nvolts = 1\n");
  const UserSettings settings(L"SIM:" + BenchFile::Path());
  EXPECT_EQ(0, RunScenario("WrongBench"));
}

// Settings for the whole machine (HKLM) serve where the user has no value of that name; a value
// the user has wins, and each name is looked up on its own.
struct MachineRow {
  std::map<std::wstring, std::wstring> machine, user;
  const char* scenario;
};

TEST(MachineSettings, TheUsersValueWinsAndTheMachinesServesWhereTheUserHasNone) {
  const BenchFile bench(kBench);
  const std::wstring sim = L"SIM:" + BenchFile::Path();
  const MachineRow rows[] = {
      {{{L"Bus", sim}}, {}, "SimReading"},
      {{{L"Bus", L"GPIB0"}}, {{L"Bus", sim}}, "SimReading"},
      {{{L"Bus", sim}}, {{L"Bus", L"GPIB0"}}, "BadSetting"},
  };
  for (const MachineRow& row : rows) {
    const Settings machine(row.machine, HKEY_LOCAL_MACHINE);
    const Settings user(row.user);
    EXPECT_EQ(0, RunScenario(row.scenario)) << row.scenario << " with the machine's Bus " << Narrow(row.machine.at(L"Bus"));
  }
}

TEST(MachineSettings, TheMachinesTraceServesBesideTheUsersBus) {
  const BenchFile bench(kBench);
  const std::wstring trace = TempFile(L"apparata-machine-trace.txt");
  DeleteFileW(trace.c_str());
  {
    const Settings machine({{L"Trace", trace}}, HKEY_LOCAL_MACHINE);
    const Settings user({{L"Bus", L"SIM:" + BenchFile::Path()}});
    EXPECT_EQ(0, RunScenario("SimReading"));
  }
  const std::vector<std::string> lines = FileLines(trace);
  DeleteFileW(trace.c_str());
  const auto read = [](const std::string& line) { return line.find("707 Read received \"U +12340E-3\" -> 0") != std::string::npos; };
  EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), read)) << lines.size() << " lines, no reading of the meter";
}

// ---- The children: one scenario each, in a process that loaded the library afresh ---------

std::size_t g_row = 0;

class VisaScenario : public ConnectedControl {
 protected:
  void SetUp() override { ASSERT_NO_FATAL_FAILURE(Create(Control().progId, Control().port)); }
  static const ControlRow& Control() { return Controls()[g_row]; }

  // The fake's record since the last time; nothing when the fake is not loaded.
  static Calls TakeCalls() {
    HMODULE fake = GetModuleHandleW(kVisaName);
    auto take = fake ? Export<const char* (*)()>(fake, "FakeVisaTakeCalls") : nullptr;
    if (!take) return {"<no fake VISA library loaded>"};
    Calls calls;
    const std::string text = take();
    for (std::size_t start = 0; start < text.size();) {
      const std::size_t end = text.find('\n', start);
      calls.push_back(text.substr(start, end - start));
      start = end + 1;
    }
    return calls;
  }
  static void Fail(const char* function, std::int32_t status) {
    auto fail = Export<void (*)(const char*, std::int32_t)>(GetModuleHandleW(kVisaName), "FakeVisaFail");
    ASSERT_NE(nullptr, fail);
    fail(function, status);
  }
  // A debug-mode process: the terminal's first line, then a measurement on the simulation.
  void ExpectDebugMode(const std::wstring& reason) {
    const std::optional<std::vector<std::wstring>> lines = DebugTerminalLines();
    ASSERT_TRUE(lines.has_value()) << "no debug terminal";
    EXPECT_EQ((std::vector<std::wstring>{reason}), *lines);
    ASSERT_HR(S_OK, device_->Trigger());
    ASSERT_TRUE(PumpUntil([&] { return !sink_.events.empty(); }, 3000)) << "no OnData";
    EXPECT_EQ(Control().text, Text());
    EXPECT_EQ(L"Card #7 opened", DebugTerminalLines().value_or(std::vector<std::wstring>{L"", L""}).at(1));
  }
};

TEST_F(VisaScenario, Cycle) {
  EXPECT_EQ(kLoadCalls, TakeCalls());
  ASSERT_HR(S_OK, device_->Trigger());
  ASSERT_TRUE(PumpUntil([&] { return !sink_.events.empty(); }, 3000)) << "no OnData";
  EXPECT_EQ(std::vector<DISPID>{3}, sink_.events);
  EXPECT_EQ(Control().text, Text());
  EXPECT_EQ(kOpeningCalls + Control().cycle, TakeCalls());
  EXPECT_FALSE(DebugTerminalLines().has_value()) << "a debug terminal in VISA mode";
}

TEST_F(VisaScenario, Timeout) {
  DialogWatch dialogs;
  TakeCalls();
  Fail("viRead", kTimeoutStatus);
  ASSERT_HR(S_OK, device_->Trigger());
  ASSERT_TRUE(PumpUntil([&] { return !dialogs.texts.empty(); }, 3000)) << "no error box";
  EXPECT_EQ(std::vector<std::wstring>{L"Critical HPIB driver error:\nHPIB timeout!"}, dialogs.texts);
  EXPECT_TRUE(sink_.events.empty()) << "OnData without a reading";
  EXPECT_EQ(kOpeningCalls + UpToFirstRead(Control().cycle) + Calls{"viClose(RM)"}, TakeCalls());
}

TEST_F(VisaScenario, TwoApartments) {
  const std::wstring texts[2] = {L"D" + std::wstring(99, L'A'), L"D" + std::wstring(99, L'B')};
  TakeCalls();
  EXPECT_EQ((std::vector<HRESULT>{S_OK, S_OK}), WriteAtOnceFromTwoApartments(L"Apparata.B740X", 7, texts, 300));
  std::map<std::string, int> writes;
  for (const std::string& call : TakeCalls())
    if (call.rfind("viWrite(", 0) == 0) ++writes[call];
  EXPECT_EQ((std::map<std::string, int>{{"viWrite(GPIB0::7::INSTR,\"" + Narrow(texts[0]) + "\")", 300},
                                        {"viWrite(GPIB0::7::INSTR,\"" + Narrow(texts[1]) + "\")", 300}}),
            writes);
}

TEST_F(VisaScenario, SimReading) {
  ASSERT_HR(S_OK, device_->Trigger());
  ASSERT_TRUE(PumpUntil([&] { return !sink_.events.empty(); }, 3000)) << "no OnData";
  EXPECT_EQ(kBenchTexts[g_row], Text());
  EXPECT_FALSE(DebugTerminalLines().has_value()) << "a debug terminal with the simulated bench";
}

// From 96 MHz up in steps of 1 MHz, one reading a second, across the series circuit's resonance
// at 100 MHz (5 ohm, 100 nH, 25.3303 pF): |Z| is least there, and no more than the resistance.
TEST_F(VisaScenario, SimSweep) {
  std::vector<std::pair<double, double>> readings;  // MHz, |Z|
  sink_.onEvent = [&](DISPID) {
    const std::wstring text = Text();
    readings.emplace_back(std::stod(text.substr(text.rfind(L'=') + 1)), std::stod(text.substr(text.find(L'=') + 1)));
  };
  for (const wchar_t* command : {L"FR96EN", L"SCANUP", L"AUTOSTOP ON"}) {
    unique_bstr value(command);
    ASSERT_HR(S_OK, device_->put_Text(value.get()));
  }
  ASSERT_HR(S_OK, device_->put_InternalTrigger(VARIANT_TRUE));
  ASSERT_TRUE(PumpUntil([&] { return readings.size() >= 9; }, 15000)) << readings.size() << " readings";
  ASSERT_HR(S_OK, device_->put_InternalTrigger(VARIANT_FALSE));
  const auto least = std::min_element(readings.begin(), readings.end(),
                                      [](const auto& a, const auto& b) { return a.second < b.second; });
  EXPECT_NEAR(100.0, least->first, 1.0);
  EXPECT_NEAR(5.0, least->second, 0.1);
  for (std::size_t i = 1; i < readings.size(); ++i) EXPECT_EQ(readings[i - 1].first + 1.0, readings[i].first);
}

TEST_F(VisaScenario, WrongBench) {
  ExpectDebugMode(L"Debug mode: bench file " + BenchFile::Path() + L", line 3: unknown key \"volts\"");
}

TEST_F(VisaScenario, MissingBoard) {
  ExpectDebugMode(
      L"Debug mode: VISA board GPIB1::INTFC cannot be opened: Insufficient location information or resource not "
      L"present. (0xBFFF0011)");
}

TEST_F(VisaScenario, MissingLibrary) {
  ExpectDebugMode(L"Debug mode: VISA library " + SystemFolder() + L"\\" + kVisaName + L" cannot be loaded (error 126)");
}

TEST_F(VisaScenario, BadSetting) {
  ExpectDebugMode(
      L"Debug mode: Bus setting \"GPIB0\" not understood; VISA, VISA:GPIB<n>, SIM, SIM:<bench file> or "
      L"REPLAY:<trace file> expected");
}

TEST_F(VisaScenario, BadSettingType) {
  ExpectDebugMode(L"Debug mode: Bus setting of registry type 4 not understood; a text, VISA, VISA:GPIB<n>, SIM, "
                  L"SIM:<bench file> or REPLAY:<trace file>, expected");
}

}  // namespace

// "--scenario=<name>:<row>" makes this run a child's scenario; without it, the parent's cases.
int main(int argc, char** argv) {
  std::vector<char*> arguments;
  std::string scenario;
  for (int i = 0; i < argc; ++i) {
    if (std::strncmp(argv[i], "--scenario=", 11) == 0) {
      scenario = argv[i] + 11;
      continue;
    }
    arguments.push_back(argv[i]);
  }
  const std::size_t colon = scenario.find(':');
  if (colon != std::string::npos) {
    g_row = std::stoul(scenario.substr(colon + 1));
    scenario.erase(colon);
  }
  ::testing::GTEST_FLAG(filter) = scenario.empty() ? "VisaBackEnd.*:SimBackEnd.*" : "VisaScenario." + scenario;
  int count = static_cast<int>(arguments.size());
  return server_test::RunTests(count, arguments.data());
}
