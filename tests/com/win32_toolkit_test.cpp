// The Win32 realization of the toolkit model, checked on the windows, menus, timers and message
// boxes it makes. Every wait is bounded by a real-time deadline.
#include "toolkit/win32/Win32Platform.h"
// The toolkit's headers come before the system's (see SystemHeaders.h).
#include "core/Exceptions.h"
#include "core/win32/Handles.h"
#include "hpib/DebugBus.h"
#include "hpib/HPIBDrv.h"
#include "terminal/DebugTerminal.h"
#include "toolkit/Form.h"
#include "toolkit/Timer.h"
#include "toolkit/Widgets.h"
#include "toolkit/win32/DeviceContextScopes.h"
#include "toolkit/win32/MenuPopup.h"
#include "toolkit/win32/SystemHeaders.h"
#include "window_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstdint>
#include <cwctype>
#include <functional>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace toolkit {
void PrintTo(const Bounds& b, std::ostream* os) {
  *os << "{" << b.Left << ", " << b.Top << ", " << b.Width << ", " << b.Height << "}";
}
}  // namespace toolkit

namespace {

using namespace toolkit;
using win32::WindowOf;
using window_support::ClassOf;
using window_support::Picture;
using window_support::PumpFor;
using window_support::PumpUntil;
using window_support::TextOf;

// ---------------------------------------------------------------------------------------------
// Reading windows

DWORD StyleOf(HWND window) { return static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)); }
DWORD ExStyleOf(HWND window) { return static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE)); }

// The window's place in its parent's client area (on the screen for a top-level window).
Bounds BoundsOf(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  if (HWND parent = GetAncestor(window, GA_PARENT); parent && parent != GetDesktopWindow())
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
  return Bounds{r.left, r.top, r.right - r.left, r.bottom - r.top};
}

Bounds ClientBoundsOf(HWND window) {
  RECT r;
  GetClientRect(window, &r);
  return Bounds{r.left, r.top, r.right, r.bottom};
}

LOGFONTW FontOf(HWND window) {
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)), sizeof font, &font);
  return font;
}

LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  return SendMessageW(window, message, wParam, lParam);
}

// ---------------------------------------------------------------------------------------------
// Modal loops of this thread, watched from a second one

// Calls `act` from a second thread on each visible top-level window of class `className` that
// the watched thread shows, until stopped or after a deadline. The watched thread's modal loop
// returns once `act` has closed its window.
class ModalWatcher {
 public:
  ModalWatcher(const wchar_t* className, std::function<void(HWND)> act)
      : thread_(GetCurrentThreadId()), className_(className), act_(std::move(act)), worker_([this] { Run(); }) {}
  ~ModalWatcher() { Stop(); }
  ModalWatcher(const ModalWatcher&) = delete;
  ModalWatcher& operator=(const ModalWatcher&) = delete;
  void Stop() {
    stop_ = true;
    if (worker_.joinable()) worker_.join();
  }

 private:
  struct Search {
    const std::wstring* className;
    HWND found;
  };
  static BOOL CALLBACK Visit(HWND window, LPARAM data) {
    auto& search = *reinterpret_cast<Search*>(data);
    if (IsWindowVisible(window) && ClassOf(window) == *search.className) {
      search.found = window;
      return FALSE;
    }
    return TRUE;
  }
  void Run() {
    const ULONGLONG end = GetTickCount64() + 10000;
    HWND last = nullptr;
    while (!stop_ && GetTickCount64() < end) {
      Search search{&className_, nullptr};
      EnumThreadWindows(thread_, Visit, reinterpret_cast<LPARAM>(&search));
      if (search.found && search.found != last) {
        last = search.found;
        act_(search.found);
      }
      Sleep(10);
    }
  }
  const DWORD thread_;
  const std::wstring className_;
  const std::function<void(HWND)> act_;
  std::atomic<bool> stop_{false};
  std::thread worker_;
};

// What a message box showed.
struct SeenBox {
  std::wstring caption;
  std::wstring text;
  HWND owner = nullptr;
  HICON icon = nullptr;
};

BOOL CALLBACK ReadBoxChild(HWND child, LPARAM data) {
  SeenBox& seen = *reinterpret_cast<SeenBox*>(data);
  if (ClassOf(child) != L"Static") return TRUE;
  if ((StyleOf(child) & SS_TYPEMASK) == SS_ICON)
    seen.icon = reinterpret_cast<HICON>(Send(child, STM_GETICON));
  else if (std::wstring text = TextOf(child); !text.empty())
    seen.text = text;
  return TRUE;
}

// Reads and closes every message box the test's thread shows while it lives.
class BoxCloser {
 public:
  BoxCloser()
      : watcher_(L"#32770", [this](HWND box) {
          SeenBox seen;
          seen.caption = TextOf(box);
          seen.owner = GetWindow(box, GW_OWNER);
          EnumChildWindows(box, ReadBoxChild, reinterpret_cast<LPARAM>(&seen));
          boxes_.push_back(seen);
          PostMessageW(box, WM_COMMAND, IDOK, 0);
        }) {}
  // The boxes seen, once no more can come.
  const std::vector<SeenBox>& Boxes() {
    watcher_.Stop();
    return boxes_;
  }

 private:
  std::vector<SeenBox> boxes_;  // written by the watcher only until Stop()
  ModalWatcher watcher_;
};

// ---------------------------------------------------------------------------------------------
// Fixtures

class Win32ToolkitTest : public ::testing::Test {
 protected:
  Win32ToolkitTest() : previous_(SetCurrentPlatform(&platform)) {}
  ~Win32ToolkitTest() override { SetCurrentPlatform(previous_); }

  win32::Win32Platform platform{GetModuleHandleW(nullptr)};

 private:
  Platform* previous_;
};

// The driver layer in debug mode, as the library starts it without a driver: the debug
// terminal is made and shown on the Win32 platform and logs the layer's lines.
class DebugTerminalTest : public Win32ToolkitTest {
 protected:
  void SetUp() override {
    terminal = toolkit::CreateForm<terminal::TDebugTerminal>();
    terminal->Show();
    hpib::HPIBLoad(std::make_unique<hpib::DebugBus>(terminal.get(), L'.'));
  }
  void TearDown() override {
    hpib::HPIBUnload();
    terminal.reset();
  }

  toolkit::FormPtr<terminal::TDebugTerminal> terminal;
};

// A multimeter's front panel: red bold readings on black in sunken boxes on a grey panel,
// function buttons in a group, a range track bar with its legend below.
struct FrontPanel : Form {
  FrontPanel()
      : Form(nullptr, L"FrontPanel"),
        Top(Make<Panel>(L"Panel")),
        Display(Make<StaticText>(L"DisplayStaticText")),
        Unit(Make<StaticText>(L"LabelStaticText")),
        Range(Make<TrackBar>(L"RangeTrackBar")),
        RangeLabel(Make<Label>(L"RangeLabel")),
        Menu(Make<PopupMenu>(L"PopupMenu")),
        InternalTriggerItem(Make<MenuItem>(L"InternalTriggerItem", L"Internal Trigger")),
        ActiveItem(Make<MenuItem>(L"ActiveItem", L"Active")) {
    SetCaption(L"Front panel");
    SetBounds(40, 30, 240, 160);
    Top.SetParent(this);
    Top.SetBounds(0, 0, 200, 34);
    Top.SetBevelOuter(BevelKind::None);
    Display.SetParent(&Top);
    Display.SetBounds(4, 2, 155, 28);
    Display.SetBorder(BorderStyle::Sunken);
    Display.SetAlignment(Alignment::Center);
    Display.SetColor(clBlack);
    Display.SetFont(Font{L"Arial", -19, true, clRed, kCyrillicCharset});
    Display.SetCaption(L"+0.0000E+00");
    Unit.SetParent(&Top);
    Unit.SetBounds(164, 2, 30, 28);
    Unit.SetBorder(BorderStyle::Sunken);
    Unit.SetColor(clBlack);
    Unit.SetFont(Font{L"MS Sans Serif", -11, true, clRed, kCyrillicCharset});
    Unit.SetCaption(L"R Ohm");
    const wchar_t* captions[] = {L"U=", L"U~", L"R", L"I=", L"I~"};
    for (int i = 0; i < 5; ++i) {
      auto& button = Make<SpeedButton>(L"SpeedButton" + std::to_wstring(i + 1));
      button.SetParent(this);
      button.SetBounds(4 + 38 * i, 38, 38, 18);
      button.GroupIndex = 1;
      button.SetCaption(captions[i]);
      Buttons.push_back(&button);
    }
    Buttons[0]->SetDown(true);
    Range.SetParent(this);
    Range.SetBounds(0, 60, 200, 21);
    Range.SetRange(0, 6);
    Range.SetPosition(1);
    Range.ThumbLength = 12;
    RangeLabel.SetParent(this);
    RangeLabel.SetAutoSize(false);
    RangeLabel.SetBounds(0, 84, 200, 13);
    RangeLabel.SetCaption(L"  Max        <=   &Range   =>        Min  Auto");
    RangeLabel.SetFocusControl(&Range);
    ContextMenu = &Menu;
    Menu.Items().Add(InternalTriggerItem);
    Menu.Items().Add(ActiveItem);
    ActiveItem.SetChecked(true);
  }
  Panel& Top;
  StaticText& Display;
  StaticText& Unit;
  std::vector<SpeedButton*> Buttons;
  TrackBar& Range;
  Label& RangeLabel;
  PopupMenu& Menu;
  MenuItem& InternalTriggerItem;
  MenuItem& ActiveItem;
};

// ---------------------------------------------------------------------------------------------
// The platform

const wchar_t* const kClasses[] = {L"ApparataForm", L"ApparataPanel", L"ApparataBevel", L"ApparataGraphic",
                                   L"ApparataUtility"};

TEST(Win32PlatformTest, RegistersItsWindowClassesForItsLifetime) {
  const HINSTANCE module = GetModuleHandleW(nullptr);
  WNDCLASSEXW info{};
  info.cbSize = sizeof info;
  {
    win32::Win32Platform platform(module);
    for (const wchar_t* name : kClasses) EXPECT_TRUE(GetClassInfoExW(module, name, &info)) << name;
    // The module's class names are taken while it lives: a second platform cannot start.
    EXPECT_THROW(win32::Win32Platform second(module), std::system_error);
    for (const wchar_t* name : kClasses) EXPECT_TRUE(GetClassInfoExW(module, name, &info)) << name;
  }
  for (const wchar_t* name : kClasses) EXPECT_FALSE(GetClassInfoExW(module, name, &info)) << name;
}

// Sets the user's decimal separator for the life of the object, then puts the old one back.
class UserDecimalSeparator {
 public:
  explicit UserDecimalSeparator(const wchar_t* separator) {
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, previous_, 8);
    SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator);
  }
  ~UserDecimalSeparator() { SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, previous_); }
  UserDecimalSeparator(const UserDecimalSeparator&) = delete;
  UserDecimalSeparator& operator=(const UserDecimalSeparator&) = delete;

 private:
  wchar_t previous_[8] = {};
};

TEST(Win32PlatformTest, TheDecimalSeparatorIsTheUsersAsItWasWhenThePlatformWasMade) {
  std::optional<UserDecimalSeparator> atStart(std::in_place, L",");
  win32::Win32Platform platform(GetModuleHandleW(nullptr));
  atStart.reset();
  UserDecimalSeparator later(L".");
  EXPECT_EQ(platform.DecimalSeparator(), L',');
}

TEST_F(Win32ToolkitTest, MillisecondsIsTheSystemTickCount) {
  const ULONGLONG before = GetTickCount64();
  const std::uint64_t now = platform.Milliseconds();
  const ULONGLONG after = GetTickCount64();
  EXPECT_LE(before, now);
  EXPECT_GE(after, now);
}

// ---------------------------------------------------------------------------------------------
// Forms and the debug terminal

TEST_F(DebugTerminalTest, TheDebugTerminalIsATopLevelWindowWithoutTitleBarButtons) {
  const HWND window = WindowOf(*terminal);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(FindWindowW(L"ApparataForm", L"HPIB driver debug terminal"), window);
  EXPECT_EQ(TextOf(window), L"HPIB driver debug terminal");
  EXPECT_EQ(GetAncestor(window, GA_PARENT), GetDesktopWindow());
  EXPECT_EQ(GetWindow(window, GW_OWNER), nullptr);
  EXPECT_EQ(BoundsOf(window), (Bounds{0, 0, 320, 240}));
  const DWORD style = StyleOf(window);
  EXPECT_EQ(style & (WS_CHILD | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0u) << std::hex << style;
  EXPECT_EQ(style & (WS_CAPTION | WS_THICKFRAME | WS_VISIBLE), DWORD{WS_CAPTION | WS_THICKFRAME | WS_VISIBLE})
      << std::hex << style;

  const HWND memo = WindowOf(terminal->DebugMemo);
  ASSERT_NE(memo, nullptr);
  EXPECT_EQ(GetParent(memo), window);
  EXPECT_EQ(ClassOf(memo), L"Edit");
  const DWORD memoStyle = StyleOf(memo);
  EXPECT_EQ(memoStyle & (ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VISIBLE),
            DWORD{ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VISIBLE})
      << std::hex << memoStyle;
  EXPECT_EQ(memoStyle & (ES_AUTOHSCROLL | WS_HSCROLL | WS_VSCROLL | ES_READONLY), 0u) << std::hex << memoStyle;
  EXPECT_EQ(BoundsOf(memo), ClientBoundsOf(window));

  EXPECT_EQ(hpib::HPIBOpenCard(7), hpib::Result::Success);
  EXPECT_EQ(hpib::HPIBTrigger(707), hpib::Result::Success);
  EXPECT_EQ(TextOf(memo), L"Card #7 opened\r\nTrigger address 707\r\n");
  EXPECT_EQ(terminal->DebugMemo.LineCount(), 2);

  terminal.reset();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(IsWindow(memo));
}

// How many lines DrawText breaks `text` into in the memo's formatting rectangle, with its font.
int WrappedLines(HWND memo, const std::wstring& text) {
  RECT format;
  Send(memo, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
  HDC dc = GetDC(memo);
  const auto font = reinterpret_cast<HFONT>(Send(memo, WM_GETFONT));
  int lines = 0;
  {
    win32::SelectedObject selected(dc, font);
    TEXTMETRICW metrics;
    GetTextMetricsW(dc, &metrics);
    RECT r{0, 0, format.right - format.left, 0};
    DrawTextW(dc, text.c_str(), -1, &r, DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX);
    lines = (r.bottom - r.top) / metrics.tmHeight;
  }
  ReleaseDC(memo, dc);
  return lines;
}

TEST_F(DebugTerminalTest, TheTerminalCountsAWrappedLogLineAsTheLinesItShows) {
  const HWND memo = WindowOf(terminal->DebugMemo);
  ASSERT_NE(memo, nullptr);
  const std::string command = "FUNC VOLT;RANGE 10;TRIG BUS;INIT;FETCH;DISP ON;BEEP OFF;*O";  // 58 bytes
  ASSERT_EQ(command.size(), 58u);
  EXPECT_EQ(hpib::HPIBOutput(707, command.data(), 58), hpib::Result::Success);
  const std::wstring logged = L"Write to 707: FUNC VOLT;RANGE 10;TRIG BUS;INIT;FETCH;DISP ON;BEEP OFF;*O ";
  ASSERT_EQ(terminal->DebugMemo.Lines(), std::vector<std::wstring>{logged});
  const int wrapped = WrappedLines(memo, logged);
  ASSERT_GT(wrapped, 1) << "the line is meant to be wider than the 320-pixel terminal";
  EXPECT_EQ(terminal->DebugMemo.LineCount(), wrapped);

  EXPECT_EQ(hpib::HPIBTrigger(707), hpib::Result::Success);
  EXPECT_EQ(hpib::HPIBClear(707), hpib::Result::Success);
  EXPECT_EQ(terminal->DebugMemo.LineCount(), wrapped + 2);
  EXPECT_EQ(TextOf(memo), logged + L"\r\nTrigger address 707\r\nCleared address 707\r\n");
}

TEST_F(DebugTerminalTest, TheTerminalEmptiesItselfOnceItsDisplayLinesPassTheLimit) {
  const std::string command(40, 'A');
  EXPECT_EQ(hpib::HPIBOutput(707, command.data(), 40), hpib::Result::Success);
  const int perLine = terminal->DebugMemo.LineCount();
  ASSERT_GT(perLine, 1) << "each line is meant to wrap";
  // Log until the box holds more than the limit; the next line then empties it first.
  int logged = 1;
  while (terminal->DebugMemo.LineCount() <= terminal::TDebugTerminal::kLineLimit) {
    EXPECT_EQ(hpib::HPIBOutput(707, command.data(), 40), hpib::Result::Success);
    ++logged;
    ASSERT_LT(logged, 100);
  }
  EXPECT_EQ(logged, terminal::TDebugTerminal::kLineLimit / perLine + 1);
  EXPECT_EQ(hpib::HPIBTrigger(7), hpib::Result::Success);
  EXPECT_EQ(terminal->DebugMemo.Lines(), std::vector<std::wstring>{L"Trigger address 7"});
  EXPECT_EQ(TextOf(WindowOf(terminal->DebugMemo)), L"Trigger address 7\r\n");
  EXPECT_EQ(terminal->DebugMemo.LineCount(), 1);
}

// Records the text-changing messages a window receives.
class MessageRecorder {
 public:
  explicit MessageRecorder(HWND window) : window_(window) {
    SetWindowSubclass(window_, Proc, kId, reinterpret_cast<DWORD_PTR>(this));
  }
  ~MessageRecorder() { RemoveWindowSubclass(window_, Proc, kId); }
  MessageRecorder(const MessageRecorder&) = delete;
  MessageRecorder& operator=(const MessageRecorder&) = delete;
  std::vector<UINT> messages;

 private:
  static constexpr UINT_PTR kId = 0x7E57;
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self) {
    if (message == WM_SETTEXT || message == EM_REPLACESEL)
      reinterpret_cast<MessageRecorder*>(self)->messages.push_back(message);
    return DefSubclassProc(window, message, wParam, lParam);
  }
  HWND window_;
};

TEST_F(Win32ToolkitTest, AMemoAppendsNewLinesAndSetsTheWholeTextOnlyForOtherChanges) {
  auto form = CreateForm<Form>();
  auto& memo = form->Make<Memo>(L"Memo");
  memo.SetParent(form.get());
  memo.SetBounds(0, 0, 300, 200);
  form->Realize();
  const HWND window = WindowOf(memo);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(memo.LineCount(), 0);

  MessageRecorder recorder(window);
  memo.Append(L"one");
  memo.Append(L"two");
  EXPECT_EQ(TextOf(window), L"one\r\ntwo\r\n");
  EXPECT_EQ(recorder.messages, (std::vector<UINT>{EM_REPLACESEL, EM_REPLACESEL}));
  EXPECT_EQ(memo.LineCount(), 2);
  memo.Append(L"");
  EXPECT_EQ(memo.LineCount(), 3) << "an empty line is a line";

  recorder.messages.clear();
  memo.ClearLines();
  EXPECT_EQ(TextOf(window), L"");
  EXPECT_EQ(recorder.messages, (std::vector<UINT>{WM_SETTEXT}));
  EXPECT_EQ(memo.LineCount(), 0);
  memo.Append(L"three");
  EXPECT_EQ(TextOf(window), L"three\r\n");
  EXPECT_EQ(memo.LineCount(), 1);
}

TEST_F(Win32ToolkitTest, AMemoFollowsReadOnlyAndWordWrap) {
  auto form = CreateForm<Form>();
  auto& memo = form->Make<Memo>(L"Memo");
  memo.SetParent(form.get());
  memo.SetBounds(4, 4, 100, 80);
  memo.Append(L"kept");
  form->Realize();
  memo.SetReadOnly(true);
  EXPECT_NE(StyleOf(WindowOf(memo)) & ES_READONLY, 0u);
  memo.SetReadOnly(false);
  EXPECT_EQ(StyleOf(WindowOf(memo)) & ES_READONLY, 0u);

  // Word wrap is fixed when an edit is made: the memo gets a new window, with its text and place.
  const HWND before = WindowOf(memo);
  memo.SetWordWrap(false);
  const HWND after = WindowOf(memo);
  EXPECT_NE(after, before);
  EXPECT_FALSE(IsWindow(before));
  EXPECT_NE(StyleOf(after) & ES_AUTOHSCROLL, 0u);
  EXPECT_EQ(TextOf(after), L"kept\r\n");
  EXPECT_EQ(GetParent(after), WindowOf(*form));
  EXPECT_EQ(BoundsOf(after), (Bounds{4, 4, 100, 80}));
}

TEST_F(Win32ToolkitTest, AlignedClientFillsTheClientAreaAsTheFormResizes) {
  auto form = CreateForm<Form>();
  auto& top = form->Make<Panel>(L"Top");
  auto& memo = form->Make<Memo>(L"Memo");
  memo.SetParent(form.get());
  memo.SetAlign(Align::Client);
  top.SetParent(form.get());
  top.SetBounds(0, 0, 50, 30);
  top.SetAlign(Align::Top);
  form->SetBounds(10, 10, 300, 200);
  form->Realize();
  const HWND window = WindowOf(*form);
  Bounds client = ClientBoundsOf(window);
  EXPECT_EQ(BoundsOf(WindowOf(top)), (Bounds{0, 0, client.Width, 30}));
  EXPECT_EQ(BoundsOf(WindowOf(memo)), (Bounds{0, 30, client.Width, client.Height - 30}));

  form->SetBounds(10, 10, 400, 260);
  client = ClientBoundsOf(window);
  EXPECT_EQ(BoundsOf(WindowOf(memo)), (Bounds{0, 30, client.Width, client.Height - 30}));

  // Sized by the user: the model follows, and so does the layout.
  SetWindowPos(window, nullptr, 20, 25, 350, 210, SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(form->GetBounds(), (Bounds{20, 25, 350, 210}));
  client = ClientBoundsOf(window);
  EXPECT_EQ(BoundsOf(WindowOf(memo)), (Bounds{0, 30, client.Width, client.Height - 30}));

  top.SetVisible(false);
  EXPECT_EQ(BoundsOf(WindowOf(memo)), (Bounds{0, 0, client.Width, client.Height}));
}

TEST_F(Win32ToolkitTest, AFormStylesFollowItsBorderIcons) {
  auto form = CreateForm<Form>();
  const DWORD style = StyleOf(WindowOf(*form));
  EXPECT_EQ(style & WS_OVERLAPPEDWINDOW, DWORD{WS_OVERLAPPEDWINDOW}) << std::hex << style;
  EXPECT_EQ(style & WS_VISIBLE, 0u) << "made hidden";
  form->Show();
  EXPECT_NE(StyleOf(WindowOf(*form)) & WS_VISIBLE, 0u);
}

TEST_F(Win32ToolkitTest, ClosingATopLevelFormHidesIt) {
  auto form = CreateForm<Form>();
  form->Show();
  const HWND window = WindowOf(*form);
  Send(window, WM_CLOSE);
  EXPECT_FALSE(form->Visible());
  EXPECT_TRUE(IsWindow(window));
  EXPECT_EQ(StyleOf(window) & WS_VISIBLE, 0u);
}

TEST_F(Win32ToolkitTest, AFormWithAParentWindowLivesInsideIt) {
  core::win32::unique_hwnd host(CreateWindowExW(0, L"Static", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300,
                                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
  ASSERT_NE(host.get(), nullptr);
  auto form = CreateForm<FrontPanel>();
  form->SetParentWindow(reinterpret_cast<std::uintptr_t>(host.get()));
  form->SetBounds(5, 6, 200, 100);
  form->Show();
  const HWND window = WindowOf(*form);
  EXPECT_EQ(GetParent(window), host.get());
  EXPECT_EQ(StyleOf(window) & (WS_CHILD | WS_CAPTION | WS_THICKFRAME | WS_SYSMENU), DWORD{WS_CHILD});
  EXPECT_EQ(BoundsOf(window), (Bounds{5, 6, 200, 100}));
  EXPECT_EQ(BoundsOf(WindowOf(form->Display)), (Bounds{4, 2, 155, 28}));

  form->SetParentWindow(0);
  EXPECT_EQ(GetAncestor(window, GA_PARENT), GetDesktopWindow());
  EXPECT_EQ(StyleOf(window) & (WS_CHILD | WS_OVERLAPPEDWINDOW), DWORD{WS_OVERLAPPEDWINDOW});

  // A host that destroys its window takes the form's window along; the form makes a new one
  // when it is next placed.
  form->SetParentWindow(reinterpret_cast<std::uintptr_t>(host.get()));
  host.reset();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(WindowOf(*form), nullptr);
  form->SetParentWindow(0);
  ASSERT_NE(WindowOf(*form), nullptr);
  EXPECT_EQ(GetAncestor(WindowOf(*form), GA_PARENT), GetDesktopWindow());
}

// ---------------------------------------------------------------------------------------------
// The front panel

TEST_F(Win32ToolkitTest, ThePanelMirrorsPlacesStylesAndTexts) {
  auto form = CreateForm<FrontPanel>();
  const HWND window = WindowOf(*form);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(ClassOf(window), L"ApparataForm");
  EXPECT_EQ(TextOf(window), L"Front panel");
  EXPECT_EQ(BoundsOf(window), (Bounds{40, 30, 240, 160}));

  const HWND top = WindowOf(form->Top);
  EXPECT_EQ(ClassOf(top), L"ApparataPanel");
  EXPECT_EQ(GetParent(top), window);
  EXPECT_EQ(BoundsOf(top), (Bounds{0, 0, 200, 34}));

  const HWND display = WindowOf(form->Display);
  EXPECT_EQ(ClassOf(display), L"Static");
  EXPECT_EQ(GetParent(display), top);
  EXPECT_EQ(BoundsOf(display), (Bounds{4, 2, 155, 28}));
  EXPECT_EQ(StyleOf(display) & SS_TYPEMASK, DWORD{SS_CENTER});
  EXPECT_NE(StyleOf(display) & SS_SUNKEN, 0u);
  EXPECT_NE(ExStyleOf(display) & WS_EX_STATICEDGE, 0u);
  EXPECT_EQ(TextOf(display), L"+0.0000E+00");

  const HWND unit = WindowOf(form->Unit);
  EXPECT_EQ(BoundsOf(unit), (Bounds{164, 2, 30, 28}));
  EXPECT_EQ(StyleOf(unit) & SS_TYPEMASK, DWORD{SS_LEFT});
  EXPECT_EQ(TextOf(unit), L"R Ohm");
  form->Unit.SetCaption(L"R     kOm");
  EXPECT_EQ(TextOf(unit), L"R     kOm");

  form->Display.SetAlignment(Alignment::Right);
  form->Display.SetBorder(BorderStyle::None);
  EXPECT_EQ(StyleOf(display) & SS_TYPEMASK, DWORD{SS_RIGHT});
  EXPECT_EQ(StyleOf(display) & SS_SUNKEN, 0u);
  EXPECT_EQ(ExStyleOf(display) & WS_EX_STATICEDGE, 0u);
  form->Display.SetBorder(BorderStyle::Single);
  EXPECT_NE(StyleOf(display) & WS_BORDER, 0u);

  int clicks = 0;
  form->Display.OnClick = [&] { ++clicks; };
  Send(display, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
  Send(display, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
  EXPECT_EQ(clicks, 1);
}

TEST_F(Win32ToolkitTest, DisplayFontsAreTheModelsAndMadeOncePerFont) {
  auto form = CreateForm<FrontPanel>();
  const LOGFONTW display = FontOf(WindowOf(form->Display));
  EXPECT_EQ(std::wstring(display.lfFaceName), L"Arial");
  EXPECT_EQ(display.lfHeight, -19);
  EXPECT_EQ(display.lfWeight, FW_BOLD);
  EXPECT_EQ(display.lfCharSet, 204);
  const LOGFONTW unit = FontOf(WindowOf(form->Unit));
  EXPECT_EQ(std::wstring(unit.lfFaceName), L"MS Sans Serif");
  EXPECT_EQ(unit.lfHeight, -11);
  EXPECT_EQ(unit.lfWeight, FW_BOLD);
  EXPECT_EQ(unit.lfCharSet, 204);
  const LOGFONTW button = FontOf(WindowOf(*form->Buttons[0]));
  EXPECT_EQ(std::wstring(button.lfFaceName), L"MS Sans Serif");
  EXPECT_EQ(button.lfWeight, FW_NORMAL);
  EXPECT_EQ(button.lfCharSet, DEFAULT_CHARSET);

  const auto fontOf = [](const Control& c) { return Send(WindowOf(c), WM_GETFONT); };
  EXPECT_EQ(fontOf(*form->Buttons[0]), fontOf(*form->Buttons[4]));
  EXPECT_NE(fontOf(form->Display), fontOf(form->Unit));
  form->Unit.SetFont(form->Display.GetFont());
  EXPECT_EQ(fontOf(form->Unit), fontOf(form->Display));
}

// What a parent's WM_CTLCOLORSTATIC answers for `child`: brush colour, text colour, background.
struct ControlColors {
  COLORREF brush, text, background;
};
ControlColors ControlColorsOf(HWND child) {
  core::win32::unique_memory_dc dc(CreateCompatibleDC(nullptr));
  const auto brush = reinterpret_cast<HBRUSH>(
      Send(GetParent(child), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.get()), reinterpret_cast<LPARAM>(child)));
  LOGBRUSH info{};
  GetObjectW(brush, sizeof info, &info);
  return ControlColors{info.lbColor, GetTextColor(dc.get()), GetBkColor(dc.get())};
}

TEST_F(Win32ToolkitTest, DisplaysAreRedOnBlackAndThePanelGrey) {
  auto form = CreateForm<FrontPanel>();
  const ControlColors display = ControlColorsOf(WindowOf(form->Display));
  EXPECT_EQ(display.brush, RGB(0, 0, 0));
  EXPECT_EQ(display.text, RGB(255, 0, 0));
  EXPECT_EQ(display.background, RGB(0, 0, 0));
  const ControlColors label = ControlColorsOf(WindowOf(form->RangeLabel));
  EXPECT_EQ(label.brush, GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(label.text, GetSysColor(COLOR_WINDOWTEXT));

  const Picture panel(WindowOf(form->Top));
  ASSERT_EQ(panel.width, 200);
  ASSERT_EQ(panel.height, 34);
  int grey = 0;
  for (int y = 0; y < panel.height; ++y)
    for (int x = 0; x < panel.width; ++x) grey += panel.At(x, y) == GetSysColor(COLOR_BTNFACE);
  EXPECT_EQ(grey, 200 * 34) << "a panel without bevel is all its colour";

  form->Top.SetBevelOuter(BevelKind::Raised);
  const Picture raised(WindowOf(form->Top));
  EXPECT_EQ(raised.At(0, 0), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(raised.At(199, 33), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(raised.At(100, 17), GetSysColor(COLOR_BTNFACE));
  form->Top.SetBevelOuter(BevelKind::Lowered);
  const Picture lowered(WindowOf(form->Top));
  EXPECT_EQ(lowered.At(0, 0), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(lowered.At(199, 33), GetSysColor(COLOR_BTNHIGHLIGHT));
}

// Rows of a picture with at least one pixel of pure red.
std::vector<bool> RedRows(const Picture& picture) {
  std::vector<bool> rows(static_cast<std::size_t>(picture.height), false);
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x)
      if (picture.At(x, y) == RGB(255, 0, 0)) rows[static_cast<std::size_t>(y)] = true;
  return rows;
}

TEST_F(Win32ToolkitTest, TheUnitBoxWrapsItsTextRedOnBlack) {
  auto form = CreateForm<FrontPanel>();
  form->Unit.SetCaption(L"R     kOm");
  const HWND unit = WindowOf(form->Unit);
  const Picture picture(unit);
  ASSERT_GT(picture.height, 0);
  int foreign = 0;
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x) {
      const COLORREF c = picture.At(x, y);
      foreign += GetGValue(c) != 0 || GetBValue(c) != 0;  // red text blended on black only
    }
  EXPECT_EQ(foreign, 0);

  core::win32::unique_memory_dc dc(CreateCompatibleDC(nullptr));
  TEXTMETRICW metrics;
  {
    win32::SelectedObject font(dc.get(), reinterpret_cast<HFONT>(Send(unit, WM_GETFONT)));
    GetTextMetricsW(dc.get(), &metrics);
  }
  ASSERT_GE(picture.height, 2 * metrics.tmHeight) << "the box is meant to hold two lines";
  const std::vector<bool> rows = RedRows(picture);
  const auto redIn = [&](int from, int to) {
    for (int y = from; y < to; ++y)
      if (rows[static_cast<std::size_t>(y)]) return true;
    return false;
  };
  EXPECT_TRUE(redIn(0, metrics.tmHeight)) << "the quantity letter on the first line";
  EXPECT_TRUE(redIn(metrics.tmHeight, 2 * metrics.tmHeight)) << "the unit on the second line";

  form->Unit.SetCaption(L"R");
  const std::vector<bool> single = RedRows(Picture(unit));
  int secondLine = 0;
  for (int y = metrics.tmHeight; y < picture.height; ++y) secondLine += single[static_cast<std::size_t>(y)];
  EXPECT_EQ(secondLine, 0) << "a short text stays on one line";
}

TEST_F(Win32ToolkitTest, SpeedButtonsShowTheGroupAndAClickReachesTheModel) {
  auto form = CreateForm<FrontPanel>();
  std::vector<SpeedButton*> clicked;
  for (SpeedButton* button : form->Buttons) button->OnClick = [&clicked, button] { clicked.push_back(button); };
  const auto checks = [&] {
    std::vector<LRESULT> states;
    for (SpeedButton* button : form->Buttons) states.push_back(Send(WindowOf(*button), BM_GETCHECK));
    return states;
  };
  for (int i = 0; i < 5; ++i) {
    const HWND button = WindowOf(*form->Buttons[static_cast<std::size_t>(i)]);
    EXPECT_EQ(ClassOf(button), L"Button");
    EXPECT_EQ(StyleOf(button) & (BS_TYPEMASK | BS_PUSHLIKE), DWORD{BS_CHECKBOX | BS_PUSHLIKE});
    EXPECT_EQ(BoundsOf(button), (Bounds{4 + 38 * i, 38, 38, 18}));
  }
  EXPECT_EQ(TextOf(WindowOf(*form->Buttons[1])), L"U~");
  EXPECT_EQ(checks(), (std::vector<LRESULT>{BST_CHECKED, 0, 0, 0, 0}));

  Send(WindowOf(*form->Buttons[2]), BM_CLICK);
  EXPECT_EQ(clicked, (std::vector<SpeedButton*>{form->Buttons[2]}));
  EXPECT_TRUE(form->Buttons[2]->Down());
  EXPECT_EQ(checks(), (std::vector<LRESULT>{0, 0, BST_CHECKED, 0, 0}));

  form->Buttons[3]->SetDown(true);
  EXPECT_EQ(clicked.size(), 1u) << "putting a button down from code is no click";
  EXPECT_EQ(checks(), (std::vector<LRESULT>{0, 0, 0, BST_CHECKED, 0}));

  // A click on the button that is down leaves it down: the window does not toggle on its own.
  Send(WindowOf(*form->Buttons[3]), BM_CLICK);
  EXPECT_EQ(clicked.size(), 2u);
  EXPECT_EQ(checks(), (std::vector<LRESULT>{0, 0, 0, BST_CHECKED, 0}));
}

TEST_F(Win32ToolkitTest, TheTrackBarMirrorsTheModelAndReportsTheUsersMove) {
  auto form = CreateForm<FrontPanel>();
  int changes = 0;
  form->Range.OnChange = [&] { ++changes; };
  const HWND track = WindowOf(form->Range);
  EXPECT_EQ(ClassOf(track), L"msctls_trackbar32");
  EXPECT_EQ(BoundsOf(track), (Bounds{0, 60, 200, 21}));
  const DWORD style = StyleOf(track);
  EXPECT_EQ(style & (TBS_AUTOTICKS | TBS_FIXEDLENGTH), DWORD{TBS_AUTOTICKS | TBS_FIXEDLENGTH}) << std::hex << style;
  EXPECT_EQ(style & (TBS_VERT | TBS_TOP | TBS_BOTH | TBS_NOTICKS), 0u) << "horizontal, ticks below: " << std::hex
                                                                       << style;
  EXPECT_EQ(Send(track, TBM_GETRANGEMIN), 0);
  EXPECT_EQ(Send(track, TBM_GETRANGEMAX), 6);
  EXPECT_EQ(Send(track, TBM_GETPOS), 1);
  EXPECT_EQ(Send(track, TBM_GETPAGESIZE), 1);
  EXPECT_EQ(Send(track, TBM_GETTHUMBLENGTH), 12);
  EXPECT_EQ(Send(track, TBM_GETNUMTICS), 7) << "a tick at every position";

  Send(track, WM_KEYDOWN, VK_RIGHT);
  Send(track, WM_KEYUP, VK_RIGHT);
  EXPECT_EQ(form->Range.Position(), 2);
  EXPECT_EQ(changes, 1);

  form->Range.Frequency = 2;
  form->Range.SetPosition(5);
  EXPECT_EQ(Send(track, TBM_GETPOS), 5);
  EXPECT_EQ(Send(track, TBM_GETNUMTICS), 4);
  EXPECT_EQ(changes, 2);
  form->Range.SetRange(0, 3);
  EXPECT_EQ(Send(track, TBM_GETRANGEMAX), 3);
  EXPECT_EQ(Send(track, TBM_GETPOS), 3);
  form->Range.TicksBelow = false;
  form->Range.SetPosition(0);
  EXPECT_NE(StyleOf(track) & TBS_TOP, 0u);
}

TEST_F(Win32ToolkitTest, TheLabelUnderlinesItsAcceleratorWhichFocusesTheTrackBar) {
  auto form = CreateForm<FrontPanel>();
  form->Show();
  const HWND label = WindowOf(form->RangeLabel);
  EXPECT_EQ(ClassOf(label), L"Static");
  EXPECT_EQ(TextOf(label), L"  Max        <=   &Range   =>        Min  Auto");
  EXPECT_EQ(StyleOf(label) & (SS_NOTIFY | SS_NOPREFIX), 0u);
  EXPECT_EQ(StyleOf(label) & SS_TYPEMASK, DWORD{SS_LEFTNOWORDWRAP});
  EXPECT_EQ(BoundsOf(label), (Bounds{0, 84, 200, 13}));

  const HWND track = WindowOf(form->Range);
  SetFocus(WindowOf(*form));
  EXPECT_NE(GetFocus(), track);
  Send(WindowOf(*form->Buttons[0]), WM_SYSCHAR, L'r');
  EXPECT_EQ(GetFocus(), track);
}

TEST_F(Win32ToolkitTest, AnAutoSizedLabelTakesTheSizeOfItsText) {
  auto form = CreateForm<Form>();
  auto& label = form->Make<Label>(L"Label");
  label.SetParent(form.get());
  label.SetBounds(7, 9, 500, 500);
  label.SetCaption(L"Range of the meter");
  form->Realize();
  const HWND window = WindowOf(label);
  core::win32::unique_memory_dc dc(CreateCompatibleDC(nullptr));
  win32::SelectedObject font(dc.get(), reinterpret_cast<HFONT>(Send(window, WM_GETFONT)));
  SIZE extent;
  GetTextExtentPoint32W(dc.get(), label.Caption().c_str(), static_cast<int>(label.Caption().size()), &extent);
  TEXTMETRICW metrics;
  GetTextMetricsW(dc.get(), &metrics);
  EXPECT_EQ(BoundsOf(window), (Bounds{7, 9, extent.cx, metrics.tmHeight}));
}

// ---------------------------------------------------------------------------------------------
// Edits, lists, gauges

TEST_F(Win32ToolkitTest, TypingPassesKeyPressAndTheTextBecomesTheModels) {
  auto form = CreateForm<Form>();
  auto& edit = form->Make<Edit>(L"Edit");
  edit.SetParent(form.get());
  edit.SetBounds(2, 3, 120, 21);
  int changes = 0;
  edit.OnChange = [&] { ++changes; };
  edit.OnKeyPress = [](wchar_t& key) {
    if (key == L'!') key = 0;
    else key = static_cast<wchar_t>(std::towupper(key));
  };
  form->Realize();
  const HWND window = WindowOf(edit);
  EXPECT_EQ(ClassOf(window), L"Edit");
  EXPECT_EQ(BoundsOf(window), (Bounds{2, 3, 120, 21}));
  EXPECT_NE(ExStyleOf(window) & WS_EX_CLIENTEDGE, 0u);

  Send(window, WM_CHAR, L'x', 1);
  EXPECT_EQ(TextOf(window), L"X");
  EXPECT_EQ(edit.Text(), L"X");
  EXPECT_EQ(changes, 1);
  Send(window, WM_CHAR, L'!', 1);
  EXPECT_EQ(TextOf(window), L"X");
  EXPECT_EQ(changes, 1);

  edit.SetText(L"12.5");
  EXPECT_EQ(TextOf(window), L"12.5");
  EXPECT_EQ(changes, 2) << "a text set from code changes once";
}

TEST_F(Win32ToolkitTest, AnExceptionInKeyPressShowsTheErrorAndSwallowsTheKey) {
  auto form = CreateForm<Form>();
  auto& edit = form->Make<Edit>(L"Edit");
  edit.SetParent(form.get());
  edit.OnKeyPress = [](wchar_t&) { throw core::Exception(L"'q' is not a valid integer value"); };
  form->Realize();
  BoxCloser closer;
  Send(WindowOf(edit), WM_CHAR, L'q', 1);
  const std::vector<SeenBox>& boxes = closer.Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, L"'q' is not a valid integer value");
  EXPECT_EQ(TextOf(WindowOf(edit)), L"");
  EXPECT_EQ(edit.Text(), L"");
}

TEST_F(Win32ToolkitTest, ASpinEditStepsByItsIncrementFromArrowsAndKeys) {
  auto form = CreateForm<Form>();
  auto& spin = form->Make<SpinEdit>(L"Spin");
  spin.SetParent(form.get());
  spin.SetBounds(0, 0, 80, 22);
  spin.SetLimits(0, 10);
  spin.SetValue(5);
  spin.Increment = 2;
  form->Realize();
  form->Show();
  const HWND window = WindowOf(spin);
  EXPECT_EQ(TextOf(window), L"5");
  Send(window, WM_KEYDOWN, VK_UP);
  EXPECT_EQ(spin.Value(), 7);
  EXPECT_EQ(TextOf(window), L"7");
  Send(window, WM_KEYDOWN, VK_DOWN);
  Send(window, WM_KEYDOWN, VK_DOWN);
  EXPECT_EQ(TextOf(window), L"3");

  const HWND arrows = FindWindowExW(window, nullptr, UPDOWN_CLASSW, nullptr);
  ASSERT_NE(arrows, nullptr);
  RECT client;
  GetClientRect(arrows, &client);
  EXPECT_EQ(BoundsOf(arrows).Left + client.right, ClientBoundsOf(window).Width) << "inside the right edge";
  Send(arrows, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(client.right / 2, 1));
  Send(arrows, WM_LBUTTONUP, 0, MAKELPARAM(client.right / 2, 1));
  EXPECT_EQ(TextOf(window), L"5");
  Send(arrows, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(client.right / 2, client.bottom - 2));
  Send(arrows, WM_LBUTTONUP, 0, MAKELPARAM(client.right / 2, client.bottom - 2));
  EXPECT_EQ(TextOf(window), L"3");
  for (int i = 0; i < 5; ++i) Send(window, WM_KEYDOWN, VK_UP);
  EXPECT_EQ(TextOf(window), L"10") << "kept within the limits";
}

TEST_F(Win32ToolkitTest, AComboBoxMirrorsItsItemsAndReportsTheUsersChoice) {
  auto form = CreateForm<Form>();
  auto& combo = form->Make<ComboBox>(L"Combo");
  combo.SetParent(form.get());
  combo.SetBounds(0, 0, 100, 21);
  combo.SetItems({L"1 kHz", L"10 kHz", L"100 kHz"});
  combo.SetItemIndex(1);
  int changes = 0;
  combo.OnChange = [&] { ++changes; };
  form->Realize();
  const HWND window = WindowOf(combo);
  EXPECT_EQ(ClassOf(window), L"ComboBox");
  EXPECT_EQ(StyleOf(window) & 3u, DWORD{CBS_DROPDOWNLIST});
  EXPECT_EQ(Send(window, CB_GETCOUNT), 3);
  EXPECT_EQ(Send(window, CB_GETCURSEL), 1);
  EXPECT_EQ(TextOf(window), L"10 kHz");

  Send(window, WM_KEYDOWN, VK_DOWN);
  EXPECT_EQ(combo.ItemIndex(), 2);
  EXPECT_EQ(changes, 1);
  combo.SetItemIndex(0);
  EXPECT_EQ(Send(window, CB_GETCURSEL), 0);
  EXPECT_EQ(changes, 1) << "a choice made from code runs no event";
  combo.SetItems({L"x", L"y"});
  EXPECT_EQ(Send(window, CB_GETCOUNT), 2);
  EXPECT_EQ(TextOf(window), L"x");
}

TEST_F(Win32ToolkitTest, AGaugeMirrorsItsLimitsAndProgress) {
  auto form = CreateForm<Form>();
  auto& gauge = form->Make<Gauge>(L"Gauge");
  gauge.SetParent(form.get());
  gauge.SetBounds(0, 0, 100, 16);
  gauge.SetLimits(10, 60);
  gauge.SetProgress(25);
  form->Realize();
  const HWND window = WindowOf(gauge);
  EXPECT_EQ(ClassOf(window), L"msctls_progress32");
  EXPECT_EQ(Send(window, PBM_GETRANGE, TRUE), 10);
  EXPECT_EQ(Send(window, PBM_GETRANGE, FALSE), 60);
  EXPECT_EQ(Send(window, PBM_GETPOS), 25);
  gauge.SetProgress(99);
  EXPECT_EQ(Send(window, PBM_GETPOS), 60);
}

// ---------------------------------------------------------------------------------------------
// State common to all controls, and the life of windows

TEST_F(Win32ToolkitTest, EnabledVisibleBoundsAndParentFollowTheModel) {
  auto form = CreateForm<FrontPanel>();
  const HWND unit = WindowOf(form->Unit);
  form->Unit.SetEnabled(false);
  EXPECT_FALSE(IsWindowEnabled(unit));
  form->Unit.SetEnabled(true);
  EXPECT_TRUE(IsWindowEnabled(unit));
  form->Unit.SetVisible(false);
  EXPECT_EQ(StyleOf(unit) & WS_VISIBLE, 0u);
  form->Unit.SetVisible(true);
  EXPECT_NE(StyleOf(unit) & WS_VISIBLE, 0u);
  form->Unit.SetBounds(100, 3, 40, 20);
  EXPECT_EQ(BoundsOf(unit), (Bounds{100, 3, 40, 20}));
  form->Unit.SetParent(form.get());
  EXPECT_EQ(GetParent(unit), WindowOf(*form));
  EXPECT_EQ(BoundsOf(unit), (Bounds{100, 3, 40, 20}));
}

TEST_F(Win32ToolkitTest, ControlsRealizedBeforeTheirParentMoveIntoItsWindowAndOutliveIt) {
  auto form = CreateForm<Form>();
  auto& text = form->Make<StaticText>(L"Text");
  text.SetCaption(L"early");
  text.SetBounds(1, 2, 30, 10);
  form->Realize();
  ASSERT_NE(WindowOf(text), nullptr);
  {
    Component holder(nullptr);
    auto& panel = holder.Make<Panel>(L"Panel");
    panel.SetParent(form.get());
    text.SetParent(&panel);
    EXPECT_NE(GetParent(WindowOf(text)), WindowOf(*form)) << "the panel has no window yet";
    holder.Realize();
    EXPECT_EQ(GetParent(WindowOf(text)), WindowOf(panel));
    EXPECT_EQ(BoundsOf(WindowOf(text)), (Bounds{1, 2, 30, 10}));
  }
  const HWND window = WindowOf(text);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(IsWindow(window)) << "the panel's window went without the text's";
  text.SetParent(form.get());
  EXPECT_EQ(GetParent(window), WindowOf(*form));
  EXPECT_EQ(TextOf(window), L"early");
}

TEST_F(Win32ToolkitTest, WindowsLiveFromRealizingToDestruction) {
  FormPtr<FrontPanel> form(new FrontPanel);
  EXPECT_EQ(WindowOf(*form), nullptr);
  EXPECT_EQ(WindowOf(form->Display), nullptr);
  form->Realize();
  std::vector<HWND> windows{WindowOf(*form), WindowOf(form->Top), WindowOf(form->Display), WindowOf(form->Range),
                            WindowOf(form->RangeLabel)};
  for (HWND window : windows) EXPECT_TRUE(IsWindow(window));
  form.reset();
  for (HWND window : windows) EXPECT_FALSE(IsWindow(window));
}

// ---------------------------------------------------------------------------------------------
// Painting

TEST_F(Win32ToolkitTest, AGraphicControlPaintsThroughOnPaint) {
  auto form = CreateForm<Form>();
  auto& graphic = form->Make<GraphicControl>(L"Graphic");
  graphic.SetParent(form.get());
  graphic.SetBounds(10, 10, 20, 20);
  graphic.SetColor(clWhite);
  int paints = 0;
  graphic.OnPaint = [&] { ++paints; };
  form->SetBounds(0, 0, 100, 100);
  form->Realize();
  form->Show();
  const HWND window = WindowOf(graphic);
  EXPECT_EQ(ClassOf(window), L"ApparataGraphic");
  UpdateWindow(window);
  EXPECT_EQ(paints, 1);
  UpdateWindow(window);
  EXPECT_EQ(paints, 1) << "nothing to paint";
  graphic.Invalidate();
  UpdateWindow(window);
  EXPECT_EQ(paints, 2);
  const Picture picture(window);
  EXPECT_EQ(picture.At(0, 0), RGB(255, 255, 255));
  EXPECT_EQ(picture.At(19, 19), RGB(255, 255, 255));
}

TEST_F(Win32ToolkitTest, BevelsFramesAndPanelCaptionsPaintAsTheModelSays) {
  auto form = CreateForm<Form>();
  auto& bevel = form->Make<Bevel>(L"Bevel");
  auto& frame = form->Make<Frame>(L"Frame");
  auto& panel = form->Make<Panel>(L"Captioned");
  bevel.SetParent(form.get());
  bevel.SetBounds(0, 0, 20, 10);
  frame.SetParent(form.get());
  frame.SetBounds(0, 20, 30, 30);
  frame.SetColor(clWhite);
  panel.SetParent(form.get());
  panel.SetBounds(40, 0, 60, 30);
  panel.SetBevelOuter(BevelKind::None);
  panel.SetColor(clBlack);
  panel.SetFont(Font{L"MS Sans Serif", -11, true, clRed, kDefaultCharset});
  panel.SetCaption(L"W");
  form->Realize();

  const HWND bevelWindow = WindowOf(bevel);
  EXPECT_EQ(ClassOf(bevelWindow), L"ApparataBevel");
  EXPECT_EQ(Send(bevelWindow, WM_NCHITTEST, 0, MAKELPARAM(5, 5)), HTTRANSPARENT) << "clicks go through";
  const Picture box(bevelWindow);
  EXPECT_EQ(box.At(0, 0), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(box.At(19, 9), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(box.At(10, 5), RGB(0, 0, 0)) << "the inside is not painted";
  bevel.SetShape(Bevel::Shape::Frame, BevelKind::Lowered);
  const Picture etched(bevelWindow);
  EXPECT_EQ(etched.At(0, 0), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(etched.At(1, 1), GetSysColor(COLOR_BTNHIGHLIGHT));
  bevel.SetShape(Bevel::Shape::TopLine, BevelKind::Lowered);
  const Picture line(bevelWindow);
  EXPECT_EQ(line.At(10, 0), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(line.At(10, 1), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(line.At(10, 9), RGB(0, 0, 0));

  const HWND frameWindow = WindowOf(frame);
  EXPECT_EQ(ClassOf(frameWindow), L"ApparataPanel");
  const Picture white(frameWindow);
  EXPECT_EQ(white.At(0, 0), RGB(255, 255, 255));
  EXPECT_EQ(white.At(29, 29), RGB(255, 255, 255));

  const std::vector<bool> rows = RedRows(Picture(WindowOf(panel)));
  int first = -1, last = -1;
  for (int y = 0; y < 30; ++y)
    if (rows[static_cast<std::size_t>(y)]) {
      if (first < 0) first = y;
      last = y;
    }
  ASSERT_GE(first, 0) << "the caption is drawn in the font's colour";
  EXPECT_LE(std::abs(first - (29 - last)), 1) << "centred: rows " << first << " to " << last;
}

// ---------------------------------------------------------------------------------------------
// Timers

TEST_F(Win32ToolkitTest, ATimerTicksWhileMessagesArePumpedAndStopsWhenDisabled) {
  Component owner(nullptr);
  auto& timer = owner.Make<Timer>(L"Timer");
  timer.SetInterval(20);
  int ticks = 0;
  timer.OnTimer = [&] {
    if (++ticks == 3) timer.SetEnabled(false);
  };
  owner.Realize();
  EXPECT_TRUE(PumpUntil([&] { return ticks >= 3; }, 5000)) << ticks;
  PumpFor(150);
  EXPECT_EQ(ticks, 3);
  timer.SetEnabled(true);
  EXPECT_TRUE(PumpUntil([&] { return ticks >= 4; }, 5000)) << ticks;
}

TEST_F(Win32ToolkitTest, TheSameStateLeavesATimerRunningAndANewIntervalStartsItOver) {
  Component owner(nullptr);
  auto& timer = owner.Make<Timer>(L"Timer");
  timer.SetInterval(400);
  ULONGLONG tick = 0;
  timer.OnTimer = [&] {
    tick = GetTickCount64();
    timer.SetEnabled(false);
  };
  owner.Realize();
  PumpFor(200);
  const ULONGLONG resynced = GetTickCount64();
  timer.GetPeer()->Sync();
  ASSERT_TRUE(PumpUntil([&] { return tick != 0; }, 5000));
  EXPECT_LT(tick - resynced, 400u) << "the resync started the interval over";

  tick = 0;
  timer.SetEnabled(true);
  PumpFor(200);
  const ULONGLONG changed = GetTickCount64();
  timer.SetInterval(300);
  ASSERT_TRUE(PumpUntil([&] { return tick != 0; }, 5000));
  EXPECT_GE(tick - changed, 290u) << "a new interval starts when it is set";
}

TEST_F(Win32ToolkitTest, AnExceptionInATickShowsTheErrorBoxAndTheTimerGoesOn) {
  Component owner(nullptr);
  auto& timer = owner.Make<Timer>(L"Timer");
  timer.SetInterval(10);
  int ticks = 0;
  timer.OnTimer = [&] {
    timer.SetEnabled(false);
    if (++ticks == 1) throw std::runtime_error("tick failed");
  };
  owner.Realize();
  BoxCloser closer;
  ASSERT_TRUE(PumpUntil([&] { return ticks == 1 && !timer.Enabled(); }, 5000));
  timer.SetEnabled(true);
  ASSERT_TRUE(PumpUntil([&] { return ticks == 2; }, 5000)) << ticks;
  const std::vector<SeenBox>& boxes = closer.Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, L"tick failed");
}

// ---------------------------------------------------------------------------------------------
// Error boxes and context menus

TEST_F(Win32ToolkitTest, AnExceptionInAClickShowsAModalStopBoxOwnedByTheActiveWindow) {
  auto form = CreateForm<FrontPanel>();
  form->Show();
  ASSERT_EQ(GetActiveWindow(), WindowOf(*form));
  bool fail = true;
  int clicks = 0;
  form->Buttons[1]->OnClick = [&] {
    ++clicks;
    if (fail) throw hpib::EHardwareError(L"Critical HPIB driver error:\nTimeout");
  };
  {
    BoxCloser closer;
    Send(WindowOf(*form->Buttons[1]), BM_CLICK);
    const std::vector<SeenBox>& boxes = closer.Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, L"Critical HPIB driver error:\nTimeout");
    EXPECT_EQ(boxes[0].caption, L"win32_toolkit_test");
    EXPECT_EQ(boxes[0].owner, WindowOf(*form));
    EXPECT_EQ(boxes[0].icon, LoadIconW(nullptr, reinterpret_cast<const wchar_t*>(IDI_HAND)));
  }
  EXPECT_EQ(clicks, 1);
  fail = false;
  Send(WindowOf(*form->Buttons[1]), BM_CLICK);
  EXPECT_EQ(clicks, 2) << "the form goes on after the error";
  EXPECT_TRUE(form->Buttons[1]->Down());
}

struct MenuInfo {
  UINT type = 0, state = 0, id = 0;
  HMENU submenu = nullptr;
  std::wstring text;
};

MenuInfo MenuInfoAt(HMENU menu, UINT position) {
  wchar_t text[64] = {};
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
  info.dwTypeData = text;
  info.cch = 64;
  GetMenuItemInfoW(menu, position, TRUE, &info);
  return MenuInfo{info.fType, info.fState, info.wID, info.hSubMenu, text};
}

TEST_F(Win32ToolkitTest, TheContextMenuIsBuiltFromTheModel) {
  Component owner(nullptr);
  auto& menu = owner.Make<PopupMenu>(L"Menu");
  auto& trigger = owner.Make<MenuItem>(L"TriggerItem", L"Trigger");
  auto& active = owner.Make<MenuItem>(L"ActiveItem", L"Active");
  auto& line = owner.Make<MenuItem>(L"N1", L"-");
  auto& mode = owner.Make<MenuItem>(L"ModeItem", L"Mode");
  auto& fast = owner.Make<MenuItem>(L"FastItem", L"Fast");
  auto& slow = owner.Make<MenuItem>(L"SlowItem", L"Slow");
  auto& clear = owner.Make<MenuItem>(L"ClearItem", L"Clear");
  for (MenuItem* item : {&trigger, &active, &line, &mode, &clear}) menu.Items().Add(*item);
  for (MenuItem* item : {&fast, &slow}) {
    item->RadioItem = true;
    item->GroupIndex = 1;
    mode.Add(*item);
  }
  active.SetChecked(true);
  slow.SetChecked(true);
  clear.SetEnabled(false);

  const win32::MenuPopup popup(menu);
  const HMENU handle = popup.Handle();
  ASSERT_EQ(GetMenuItemCount(handle), 5);
  const MenuInfo first = MenuInfoAt(handle, 0);
  EXPECT_EQ(first.text, L"Trigger");
  EXPECT_EQ(first.type, UINT{MFT_STRING});
  EXPECT_EQ(first.state, 0u);
  EXPECT_EQ(popup.ItemOf(first.id), &trigger);
  const MenuInfo second = MenuInfoAt(handle, 1);
  EXPECT_EQ(second.text, L"Active");
  EXPECT_EQ(second.state, UINT{MFS_CHECKED});
  EXPECT_EQ(popup.ItemOf(second.id), &active);
  EXPECT_EQ(MenuInfoAt(handle, 2).type, UINT{MFT_SEPARATOR});
  const MenuInfo sub = MenuInfoAt(handle, 3);
  EXPECT_EQ(sub.text, L"Mode");
  ASSERT_NE(sub.submenu, nullptr);
  ASSERT_EQ(GetMenuItemCount(sub.submenu), 2);
  const MenuInfo fastInfo = MenuInfoAt(sub.submenu, 0), slowInfo = MenuInfoAt(sub.submenu, 1);
  EXPECT_EQ(fastInfo.type, UINT{MFT_RADIOCHECK});
  EXPECT_EQ(fastInfo.state, 0u);
  EXPECT_EQ(slowInfo.type, UINT{MFT_RADIOCHECK});
  EXPECT_EQ(slowInfo.state, UINT{MFS_CHECKED});
  EXPECT_EQ(popup.ItemOf(slowInfo.id), &slow);
  const MenuInfo last = MenuInfoAt(handle, 4);
  EXPECT_EQ(last.text, L"Clear");
  EXPECT_EQ(last.state, UINT{MFS_GRAYED});
  EXPECT_EQ(popup.ItemOf(0), nullptr) << "a cancelled menu chooses nothing";
}

// Chooses the `down`-th item of the next popup menu the test's thread shows, with the keyboard.
class MenuChooser {
 public:
  explicit MenuChooser(int down)
      : watcher_(L"#32768", [this, down](HWND menu) {
          ++menus_;
          for (int i = 0; i < down; ++i) PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
          PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
        }) {}
  int Menus() {
    watcher_.Stop();
    return menus_;
  }

 private:
  std::atomic<int> menus_{0};
  ModalWatcher watcher_;
};

TEST_F(Win32ToolkitTest, ARightClickAnywhereOnTheFormShowsItsMenuAndClicksTheChosenItem) {
  auto form = CreateForm<FrontPanel>();
  form->Show();
  std::vector<std::wstring> clicked;
  form->InternalTriggerItem.OnClick = [&] { clicked.push_back(L"Internal Trigger"); };
  form->ActiveItem.OnClick = [&] {
    clicked.push_back(L"Active");
    form->ActiveItem.SetChecked(!form->ActiveItem.Checked());
  };
  {
    MenuChooser chooser(2);
    const HWND display = WindowOf(form->Display);
    Send(display, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(display), MAKELPARAM(60, 50));
    EXPECT_EQ(chooser.Menus(), 1);
  }
  EXPECT_EQ(clicked, std::vector<std::wstring>{L"Active"});
  EXPECT_FALSE(form->ActiveItem.Checked());
  {
    MenuChooser chooser(1);
    const HWND window = WindowOf(*form);
    Send(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window), MAKELPARAM(60, 50));
    EXPECT_EQ(chooser.Menus(), 1);
  }
  EXPECT_EQ(clicked, (std::vector<std::wstring>{L"Active", L"Internal Trigger"}));
}

}  // namespace
