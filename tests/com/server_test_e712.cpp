// An E712X control in debug mode at Port 3, as a host and its user see it: the two requests of
// each measurement in the debug terminal, both values in Text, one OnData; a Text that is no
// integer; a measurement whose second request fails; the Mode submenu of the context menu.
// Usage: server_e712_test <Windows path of Apparata.ocx> [GoogleTest options]

#include "control_fixture.h"

#include <ocidl.h>

#include <regex>

#include "Apparata_h.h"

namespace {

using namespace server_test;

const std::wregex kSimulatedRead(L"Read from 703: 2\\.[0-8]723E\\+1 D");

std::vector<std::wstring> TerminalLines() { return DebugTerminalLines().value_or(std::vector<std::wstring>{}); }

// The terminal's lines from the last trigger on.
std::vector<std::wstring> LinesOfLastTrigger() {
  const std::vector<std::wstring> lines = TerminalLines();
  const auto trigger = std::find(lines.rbegin(), lines.rend(), L"Trigger address 703");
  return {trigger == lines.rend() ? lines.end() : std::prev(trigger.base()), lines.end()};
}

// What the control shows of a logged read: "D=" and characters 1 to 10 of the reply.
std::wstring Shown(const std::wstring& read) { return L"D=" + read.substr(15, 10); }

class E712 : public ConnectedControl {
 protected:
  void SetUp() override { ASSERT_NO_FATAL_FAILURE(Create(L"Apparata.E712X", 3)); }
};

TEST_F(E712, ATriggerAsksForBothValuesAndBringsOneOnDataWithBoth) {
  std::vector<std::wstring> texts;
  sink_.onEvent = [&](DISPID) { texts.push_back(Text()); };
  ASSERT_HR(S_OK, device_->Trigger());
  ASSERT_TRUE(PumpUntil([&] { return !sink_.events.empty(); }, 3000)) << "no OnData within 3 s";
  PumpFor(600);
  EXPECT_EQ(std::vector<DISPID>{3}, sink_.events);
  const std::vector<std::wstring> lines = LinesOfLastTrigger();
  ASSERT_EQ(5u, lines.size());
  EXPECT_EQ(L"Write bytes to 703", lines[1]);
  EXPECT_EQ(L"Write bytes to 703", lines[3]);
  EXPECT_TRUE(std::regex_match(lines[2], kSimulatedRead) && std::regex_match(lines[4], kSimulatedRead))
      << Narrow(lines[2]) << " / " << Narrow(lines[4]);
  EXPECT_EQ(std::vector<std::wstring>{Shown(lines[2]) + L"\r\n" + Shown(lines[4])}, texts) << "Text inside OnData";
}

TEST_F(E712, ATextThatIsNoIntegerFailsAndSendsNothing) {
  const std::vector<std::wstring> before = TerminalLines();
  EXPECT_HR(E_UNEXPECTED, device_->put_Text(unique_bstr(L"L+D").get()));
  com_ptr<IErrorInfo> error;
  ASSERT_HR(S_OK, GetErrorInfo(0, error.put()));
  unique_bstr description, source;
  EXPECT_HR(S_OK, error->GetDescription(description.put()));
  EXPECT_HR(S_OK, error->GetSource(source.put()));
  EXPECT_EQ(L"'L+D' is not a valid integer value", description.str());
  EXPECT_EQ(L"Apparata.E712X", source.str());
  EXPECT_EQ(before, TerminalLines());
}

// Runs `onShown` once, on this thread, when a display of the control next shows a simulated
// value: between the measurement's first read and its second request.
class ShownHook {
 public:
  explicit ShownHook(std::function<void()> onShown) : onShown_(std::move(onShown)) { current_ = this; }
  ShownHook(const ShownHook&) = delete;
  ShownHook& operator=(const ShownHook&) = delete;
  ~ShownHook() {
    UnhookWindowsHookEx(hook_);
    current_ = nullptr;
  }

 private:
  static LRESULT CALLBACK Proc(int code, WPARAM wParam, LPARAM lParam) {
    const auto& sent = *reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && current_ && current_->onShown_ && sent.message == WM_SETTEXT &&
        ClassOf(sent.hwnd) == L"Static" &&
        std::regex_search(reinterpret_cast<const wchar_t*>(sent.lParam), std::wregex(L"^2\\.[0-8]723E\\+1")))
      std::exchange(current_->onShown_, nullptr)();
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }
  inline static ShownHook* current_ = nullptr;
  std::function<void()> onShown_;
  const HHOOK hook_ = SetWindowsHookExW(WH_CALLWNDPROC, Proc, nullptr, GetCurrentThreadId());
};

TEST_F(E712, AFailingSecondRequestKeepsTheFirstValueFiresNothingAndEndsFreeRunning) {
  DialogWatch dialogs;
  {
    // After the first read, 700 + Port no longer fits 32 bits: the second request fails.
    ShownHook hook([&] { EXPECT_HR(S_OK, device_->put_Port(2147483000)); });
    ASSERT_HR(S_OK, device_->put_InternalTrigger(VARIANT_TRUE));
    ASSERT_TRUE(PumpUntil([&] { return !dialogs.texts.empty(); }, 3000)) << "no error box";
  }
  PumpFor(900);
  EXPECT_EQ(std::vector<std::wstring>{L"Integer overflow"}, dialogs.texts);
  const std::vector<std::wstring> lines = LinesOfLastTrigger();
  ASSERT_EQ(3u, lines.size()) << "no second request, no further trigger";
  EXPECT_EQ(Shown(lines[2]) + L"\r\nD=+0.0000E+00", Text());
  EXPECT_EQ(std::vector<DISPID>{}, sink_.events);
  VARIANT_BOOL internalTrigger = VARIANT_FALSE;
  EXPECT_HR(S_OK, device_->get_InternalTrigger(&internalTrigger));
  EXPECT_EQ(VARIANT_TRUE, internalTrigger) << "the check mark stays";
}

// While it lives, runs `act` once, on the first context menu that this thread shows (not on
// its submenus), from a thread timer, which the menu's modal loop serves.
class MenuWatch {
 public:
  explicit MenuWatch(std::function<void(HWND)> act) : act_(std::move(act)) { current_ = this; }
  MenuWatch(const MenuWatch&) = delete;
  MenuWatch& operator=(const MenuWatch&) = delete;
  ~MenuWatch() {
    KillTimer(nullptr, timer_);
    current_ = nullptr;
  }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) { EnumThreadWindows(GetCurrentThreadId(), Visit, 0); }
  static BOOL CALLBACK Visit(HWND window, LPARAM) {
    if (!current_ || current_->acted_ || !IsWindowVisible(window) || ClassOf(window) != L"#32768") return TRUE;
    current_->acted_ = true;
    current_->act_(window);
    return FALSE;
  }
  inline static MenuWatch* current_ = nullptr;
  const std::function<void(HWND)> act_;
  const UINT_PTR timer_ = SetTimer(nullptr, 0, 20, Tick);
  bool acted_ = false;
};

TEST_F(E712, TheModeSubmenuOffersRadioItemsAndSendsTheChosenByte) {
  com_ptr<IOleWindow> window;
  ASSERT_HR(S_OK, device_->QueryInterface(IID_IOleWindow, window.put_void()));
  HWND form = nullptr;
  ASSERT_HR(S_OK, window->GetWindow(&form));
  auto popUp = [form](std::function<void(HWND)> act) {
    MenuWatch menus(std::move(act));
    SendMessageW(form, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(form), MAKELPARAM(20, 20));
  };
  // Down past the five base items to "Mode", into the submenu at "L+D", down to "C+D".
  popUp([](HWND menu) {
    for (WPARAM key : {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_RETURN})
      PostMessageW(menu, WM_KEYDOWN, key, 0);
  });
  EXPECT_EQ(L"Write bytes to 703", TerminalLines().back());
  std::vector<UINT> states;  // of the mode items, as radio items
  popUp([&](HWND menu) {
    const auto shown = reinterpret_cast<HMENU>(SendMessageW(menu, MN_GETHMENU, 0, 0));
    const HMENU modes = GetSubMenu(shown, GetMenuItemCount(shown) - 1);
    for (UINT i = 0; i < 4; ++i) {
      MENUITEMINFOW info{};
      info.cbSize = sizeof info;
      info.fMask = MIIM_FTYPE | MIIM_STATE;
      GetMenuItemInfoW(modes, i, TRUE, &info);
      states.push_back(info.fType == MFT_RADIOCHECK ? info.fState : 0xFFFF);
    }
    PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
  });
  EXPECT_EQ((std::vector<UINT>{0, MFS_CHECKED, 0, 0}), states);
}

}  // namespace

int main(int argc, char** argv) { return server_test::RunTests(argc, argv); }
