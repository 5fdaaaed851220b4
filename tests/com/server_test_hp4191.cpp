// The HP 4191A control through COM in debug mode, with the thread's messages pumped as a host's
// message loop would: the measurement cycle at Port 17 with the debug terminal's log, the
// control words and commands written to Text, a refused mode with its error information, sweeps
// up and down with and without AutoStop, and the submenus of the context menu as Active goes
// off and on. Run in a process of its own, so that the log and the simulated readings start
// with the first test.
// Usage: server_hp4191_test <Windows path of Apparata.ocx> [GoogleTest options]

#include "control_fixture.h"

#include <ocidl.h>

#include <atomic>
#include <thread>

#include "Apparata_h.h"

namespace {

using namespace server_test;

// The analyzer's timer interval at its first speed: a reading this long after each trigger.
constexpr DWORD kIntervalMs = 1000;
// The terminal's line for a command: the text in a field of 59 characters.
std::wstring WriteLine(const std::wstring& command) {
  return L"Write to 717: " + command + std::wstring(59 - command.size(), L' ');
}

std::vector<std::wstring> TerminalLines() {
  return DebugTerminalLines().value_or(std::vector<std::wstring>{L"<no debug terminal>"});
}

// The terminal's lines that came since the last look. The terminal empties itself when it holds
// more than 50 lines; the tests of this program stay below that.
class TerminalTail {
 public:
  TerminalTail() : seen_(TerminalLines()) {}
  std::vector<std::wstring> New() {
    std::vector<std::wstring> lines = TerminalLines();
    std::size_t common = 0;
    // The box empties itself when full: then everything in it is new.
    if (lines.size() >= seen_.size() && std::equal(seen_.begin(), seen_.end(), lines.begin())) common = seen_.size();
    std::vector<std::wstring> fresh(lines.begin() + static_cast<std::ptrdiff_t>(common), lines.end());
    seen_ = std::move(lines);
    return fresh;
  }

 private:
  std::vector<std::wstring> seen_;
};

// Only the "Write to" lines: the commands that reached the bus.
std::vector<std::wstring> Writes(const std::vector<std::wstring>& lines) {
  std::vector<std::wstring> writes;
  for (const std::wstring& line : lines)
    if (line.rfind(L"Write to ", 0) == 0) writes.push_back(line);
  return writes;
}

class HP4191 : public ConnectedControl {
 protected:
  void SetUp() override { ASSERT_NO_FATAL_FAILURE(Create(L"Apparata.HP4191X", 17)); }

  HRESULT PutText(const wchar_t* text) {
    unique_bstr value(text);
    return device_->put_Text(value.get());
  }
  bool InternalTrigger() {
    VARIANT_BOOL flag = VARIANT_FALSE;
    EXPECT_HR(S_OK, device_->get_InternalTrigger(&flag));
    return flag != VARIANT_FALSE;
  }
  // The frequency line of Text.
  std::wstring Frequency() {
    const std::vector<std::wstring> lines = SplitLines(Text());
    return lines.size() > 2 ? lines[2] : L"<no frequency line>";
  }
  // Runs free until `readings` more OnData have come, then pumps one interval more.
  void RunReadings(std::size_t readings) {
    const std::size_t target = sink_.events.size() + readings;
    ASSERT_TRUE(PumpUntil([&] { return sink_.events.size() >= target; }, (readings + 2) * kIntervalMs))
        << sink_.events.size() << " events";
  }
};

TEST_F(HP4191, OneTriggerShowsBothDisplaysAndTheFrequencyAndTheTerminalLogsEveryBusStep) {
  std::vector<std::wstring> texts;
  sink_.onEvent = [&](DISPID dispid) {
    if (dispid == 3) texts.push_back(Text());
  };
  ASSERT_HR(S_OK, device_->Trigger());
  PumpFor(kIntervalMs - 200);
  EXPECT_TRUE(sink_.events.empty()) << "OnData before the interval";
  ASSERT_TRUE(PumpUntil([&] { return !sink_.events.empty(); }, 3000)) << "no OnData within 3 s";
  PumpFor(kIntervalMs + 200);
  EXPECT_EQ((std::vector<DISPID>{3}), sink_.events) << "exactly one OnData";

  // The first simulated reading of the process at 717 carries the digits 0 and 0.
  const std::wstring shown = L"R  Ohm=+1.2305E+01\r\nX  Ohm=+5.4320E-01\r\nF MHz=1.000000";
  EXPECT_EQ(std::vector<std::wstring>{shown}, texts) << "Text read inside OnData";
  EXPECT_EQ(shown, Text());
  EXPECT_EQ((std::vector<std::wstring>{L"Card #7 opened", L"Reset address 7", L"Set timeout 3 for card 7",
                                       L"Trigger address 717", L"Read from 717:  NRN+1.2305E+01,NXN+5.4320E-01"}),
            TerminalLines());
}

TEST_F(HP4191, ControlWordsStayInTheControlAndCommandsGoOutAsWritten) {
  TerminalTail terminal;
  EXPECT_HR(S_OK, PutText(L"extendedoutput on"));
  EXPECT_HR(S_OK, PutText(L"a3en"));
  EXPECT_HR(S_OK, PutText(L"FR12.5EN"));
  EXPECT_HR(S_OK, PutText(L"B2EN"));
  EXPECT_EQ((std::vector<std::wstring>{WriteLine(L"a3en"), WriteLine(L"FR12.5EN"), WriteLine(L"B2EN")}),
            terminal.New());
  EXPECT_EQ(L"R Ohm=+0.0000E+00\r\nX Ohm=+0.0000E+00\r\nF MHz=12.5\r\nMin=1\r\nMax=1000\r\nStep=1.0000", Text());
  EXPECT_HR(S_OK, PutText(L"EXTENDEDOUTPUT OFF"));
  EXPECT_EQ(L"R Ohm=+0.0000E+00\r\nX Ohm=+0.0000E+00\r\nF MHz=12.5", Text());

  EXPECT_HR(S_OK, device_->Clear());
  EXPECT_EQ((std::vector<std::wstring>{L"Cleared address 717", WriteLine(L"R0T3EN")}), terminal.New());
  EXPECT_EQ(L"F MHz=1.0", Frequency());
}

TEST_F(HP4191, AModeOutsideOneToEightFailsWithItsErrorInformationAndSendsNothing) {
  TerminalTail terminal;
  EXPECT_HR(E_UNEXPECTED, PutText(L"A9EN"));
  com_ptr<IErrorInfo> info;
  ASSERT_HR(S_OK, GetErrorInfo(0, info.put()));
  ASSERT_TRUE(info);
  unique_bstr description, source;
  GUID guid{};
  EXPECT_HR(S_OK, info->GetDescription(description.put()));
  EXPECT_HR(S_OK, info->GetSource(source.put()));
  EXPECT_HR(S_OK, info->GetGUID(&guid));
  EXPECT_EQ(L"Mode 9 is not one of the modes 1 to 8", description.str());
  EXPECT_EQ(L"Apparata.HP4191X", source.str());
  EXPECT_EQ(GuidText(IID_IQXDevice), GuidText(guid));
  EXPECT_EQ(std::vector<std::wstring>{}, terminal.New());
}

// The form's limits are 1 and 1000 MHz with a step of 1: a sweep from 999 up reaches 1000 in
// one step, one from 2 down reaches 1.
TEST_F(HP4191, AnUpSweepStopsAtItsLimitWithAutoStopAndMeasuresOnThereWithout) {
  EXPECT_HR(S_OK, PutText(L"FR999EN"));
  EXPECT_HR(S_OK, PutText(L"SCANUP"));
  TerminalTail terminal;
  ASSERT_HR(S_OK, device_->put_InternalTrigger(VARIANT_TRUE));
  RunReadings(3);
  EXPECT_EQ((std::vector<std::wstring>{WriteLine(L"FR1000.0000EN")}), Writes(terminal.New()));
  EXPECT_EQ(L"F MHz=1000.0000", Frequency());
  EXPECT_TRUE(InternalTrigger()) << "without AutoStop the control measures on at the limit";

  EXPECT_HR(S_OK, PutText(L"AutoStop On"));
  EXPECT_HR(S_OK, PutText(L"FR999EN"));
  terminal.New();
  ASSERT_TRUE(PumpUntil([&] { return !InternalTrigger(); }, 4 * kIntervalMs)) << "AutoStop did not stop";
  const std::size_t stopped = sink_.events.size();
  PumpFor(2 * kIntervalMs);
  EXPECT_EQ(stopped, sink_.events.size()) << "a reading after AutoStop";
  EXPECT_EQ((std::vector<std::wstring>{WriteLine(L"FR1000.0000EN")}), Writes(terminal.New()));
}

TEST_F(HP4191, ADownSweepTakesItsLowerLimitInclusively) {
  EXPECT_HR(S_OK, PutText(L"FR2EN"));
  EXPECT_HR(S_OK, PutText(L"scandown"));
  EXPECT_HR(S_OK, PutText(L"AUTOSTOP ON"));
  TerminalTail terminal;
  ASSERT_HR(S_OK, device_->put_InternalTrigger(VARIANT_TRUE));
  ASSERT_TRUE(PumpUntil([&] { return !InternalTrigger(); }, 4 * kIntervalMs)) << "AutoStop did not stop";
  EXPECT_EQ(2u, sink_.events.size());
  EXPECT_EQ((std::vector<std::wstring>{WriteLine(L"FR1.0000EN")}), Writes(terminal.New()));
  EXPECT_EQ(L"F MHz=1.0000", Frequency());

  EXPECT_HR(S_OK, PutText(L"AUTOSTOP OFF"));
  EXPECT_HR(S_OK, PutText(L"FR2EN"));
  terminal.New();
  ASSERT_HR(S_OK, device_->put_InternalTrigger(VARIANT_TRUE));
  RunReadings(3);
  EXPECT_TRUE(InternalTrigger());
  EXPECT_EQ((std::vector<std::wstring>{WriteLine(L"FR1.0000EN")}), Writes(terminal.New()));
  ASSERT_HR(S_OK, device_->put_InternalTrigger(VARIANT_FALSE));
  PumpFor(kIntervalMs + 200);
}

// ---------------------------------------------------------------------------------------------
// In a container, with its context menu

using AtlAxWinInitFn = BOOL(WINAPI*)();
using AtlAxGetControlFn = HRESULT(WINAPI*)(HWND, IUnknown**);

BOOL CALLBACK FindPopupMenu(HWND window, LPARAM data) {
  if (!IsWindowVisible(window) || ClassOf(window) != L"#32768") return TRUE;
  *reinterpret_cast<HWND*>(data) = window;
  return FALSE;
}

HWND VisiblePopupMenu(DWORD thread) {
  HWND found = nullptr;
  EnumThreadWindows(thread, FindPopupMenu, reinterpret_cast<LPARAM>(&found));
  return found;
}

// Shows the form's context menu with a right click and answers, while it is up, which of the
// submenus Mode, Angle and Scheme are enabled ("1") or greyed ("0"); then closes it unchosen.
std::string SubmenuStates(HWND form) {
  const DWORD thread = GetCurrentThreadId();
  std::string states = "<no menu>";
  std::thread watcher([&] {
    const ULONGLONG end = GetTickCount64() + 5000;
    for (; GetTickCount64() < end; Sleep(10)) {
      const HWND window = VisiblePopupMenu(thread);
      if (!window) continue;
      const auto menu = reinterpret_cast<HMENU>(SendMessageW(window, MN_GETHMENU, 0, 0));
      states.clear();
      for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[32] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_STATE | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = 32;
        GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
        const std::wstring caption = text;
        if (caption == L"Mode" || caption == L"Angle" || caption == L"Scheme")
          states += (info.fState & MFS_GRAYED) ? '0' : '1';
      }
      PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
      return;
    }
  });
  SendMessageW(form, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(form), MAKELPARAM(60, 50));
  watcher.join();
  return states;
}

class HP4191Hosted : public RegisteredServer {
 protected:
  static void SetUpTestSuite() {
    RegisteredServer::SetUpTestSuite();
    if (HasFatalFailure()) return;
    const HMODULE atl = LoadLibraryW(L"atl.dll");
    ASSERT_NE(nullptr, atl) << "atl.dll: " << GetLastError();
    getControl_ = Export<AtlAxGetControlFn>(atl, "AtlAxGetControl");
    const auto init = Export<AtlAxWinInitFn>(atl, "AtlAxWinInit");
    ASSERT_TRUE(init && getControl_);
    ASSERT_TRUE(init());
  }

  void SetUp() override {
    top_ = CreateWindowExW(0, L"Static", L"container", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, 400,
                           300, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, top_);
    const HWND host = CreateWindowExW(0, L"AtlAxWin", L"Apparata.HP4191X", WS_CHILD | WS_VISIBLE, 10, 10, 208, 227,
                                      top_, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, host);
    com_ptr<IUnknown> control;
    ASSERT_HR(S_OK, getControl_(host, control.put()));
    ASSERT_HR(S_OK, control->QueryInterface(IID_IQXDevice, device_.put_void()));
    com_ptr<IOleWindow> window;
    ASSERT_HR(S_OK, control->QueryInterface(IID_IOleWindow, window.put_void()));
    ASSERT_HR(S_OK, window->GetWindow(&form_));
    ASSERT_HR(S_OK, device_->put_Port(17));
  }
  void TearDown() override {
    device_.reset();
    DestroyWindow(top_);
  }

  inline static AtlAxGetControlFn getControl_ = nullptr;
  HWND top_ = nullptr;
  HWND form_ = nullptr;
  com_ptr<IQXDevice> device_;
};

TEST_F(HP4191Hosted, ActiveOffGreysTheSubmenusAndOnEnablesThemByTheMode) {
  EXPECT_EQ("111", SubmenuStates(form_)) << "as the form has them at first";
  unique_bstr scheme(L"A7EN");
  EXPECT_HR(S_OK, device_->put_Text(scheme.get()));
  EXPECT_EQ("101", SubmenuStates(form_));

  EXPECT_HR(S_OK, device_->put_Active(VARIANT_FALSE));
  EXPECT_EQ("000", SubmenuStates(form_));
  TerminalTail terminal;
  unique_bstr angle(L"A2EN");
  EXPECT_HR(S_OK, device_->put_Text(angle.get()));
  EXPECT_EQ(std::vector<std::wstring>{}, terminal.New()) << "nothing is sent while inactive";
  unique_bstr text;
  EXPECT_HR(S_OK, device_->get_Text(text.put()));
  EXPECT_EQ(L"R Ohm=+0.0000E+00\r\nX Ohm=+0.0000E+00\r\nF MHz=1.000000", text.str());

  EXPECT_HR(S_OK, device_->put_Active(VARIANT_TRUE));
  EXPECT_EQ("110", SubmenuStates(form_)) << "mode 2 has an angle";
}

TEST_F(HP4191Hosted, TheLettersAAndBAreCentredInTheirLabels) {
  for (const wchar_t* letter : {L"A", L"B"}) {
    HWND label = nullptr;  // on one of the form's panels
    for (HWND panel = nullptr; !label && (panel = FindWindowExW(form_, panel, L"ApparataPanel", nullptr));)
      label = FindWindowExW(panel, nullptr, L"Static", letter);
    ASSERT_NE(nullptr, label) << Narrow(letter);
    const window_support::Picture picture(label);
    int left = picture.width, right = picture.width;  // the blank columns on either side of the letter
    for (int x = 0; x < picture.width; ++x)
      for (int y = 0; y < picture.height; ++y)
        if (picture.At(x, y) != RGB(0xC0, 0xC0, 0xC0)) left = std::min(left, x), right = picture.width - 1 - x;
    EXPECT_TRUE(left < picture.width && left - right <= 1 && right - left <= 1)
        << Narrow(letter) << ": " << left << " blank columns left, " << right << " right";
  }
}

// A container's loop shows the active object each key first.
TEST_F(HP4191Hosted, AltSFocusesTheStepEditAndOtherKeysArePassedOn) {
  com_ptr<IOleInPlaceActiveObject> active;
  ASSERT_HR(S_OK, device_->QueryInterface(IID_IOleInPlaceActiveObject, active.put_void()));
  for (const auto& [key, taken] : {std::pair{'Q', S_FALSE}, std::pair{'S', S_OK}}) {
    MSG message{form_, WM_SYSKEYDOWN, static_cast<WPARAM>(key), 1 << 29, 0, {}};
    EXPECT_HR(taken, active->TranslateAccelerator(&message)) << key;
  }
  EXPECT_EQ(L"1.0000", TextOf(GetFocus())) << "the step edit has the focus";

  // From the sweep panel's From edit, Alt and the letter as the window itself receives them.
  struct Search {
    HWND from = nullptr;
    static BOOL CALLBACK Next(HWND window, LPARAM self) {
      if (ClassOf(window) == L"Static" && TextOf(window) == L"&From") reinterpret_cast<Search*>(self)->from = window;
      return TRUE;
    }
  } search;
  EnumChildWindows(form_, Search::Next, reinterpret_cast<LPARAM>(&search));
  ASSERT_NE(nullptr, search.from);
  const HWND sweepEdit = FindWindowExW(GetParent(search.from), nullptr, L"Edit", nullptr);
  ASSERT_NE(nullptr, sweepEdit);
  SetFocus(sweepEdit);
  ASSERT_EQ(sweepEdit, GetFocus());
  SendMessageW(sweepEdit, WM_SYSCHAR, L's', 1 << 29);
  EXPECT_EQ(L"1.0000", TextOf(GetFocus())) << "the step edit has the focus";
}

}  // namespace

int main(int argc, char** argv) { return server_test::RunTests(argc, argv); }
