// An E712X control in debug mode at Port 3, as a host and its user see it: the two requests of
// each measurement in the debug terminal, both values in Text, one OnData; a Text that is no
// integer; a measurement whose second request fails; the Mode submenu of the context menu.
// Usage: server_e712_test <Windows path of Apparata.ocx> [GoogleTest options]

#include "server_test_support.h"

#include <ocidl.h>

#include "Apparata_h.h"

namespace {

using namespace server_test;

const std::wstring kRead = L"Read from 703: ";

std::vector<std::wstring> TerminalLines() {
  return DebugTerminalLines().value_or(std::vector<std::wstring>{L"<no debug terminal>"});
}

// The terminal's lines from the last trigger on.
std::vector<std::wstring> LinesOfLastTrigger() {
  const std::vector<std::wstring> lines = TerminalLines();
  const auto last = std::find(lines.rbegin(), lines.rend(), L"Trigger address 703");
  return std::vector<std::wstring>(last == lines.rend() ? lines.end() : std::prev(last.base()), lines.end());
}

// What a logged read shows: characters 1 to 10 of the reply.
std::wstring ShownValue(const std::wstring& readLine) { return readLine.substr(kRead.size(), 10); }

// Whether the line logs a simulated reading of the meter, 2.d723E+1 D with d from 0 to 8.
bool IsSimulatedRead(const std::wstring& line) {
  return line.size() == kRead.size() + 11 && line.compare(0, kRead.size() + 2, kRead + L"2.") == 0 &&
         line[kRead.size() + 2] >= L'0' && line[kRead.size() + 2] <= L'8' &&
         line.compare(kRead.size() + 3, 8, L"723E+1 D") == 0;
}

class E712 : public RegisteredServer {
 protected:
  void SetUp() override {
    CLSID clsid{};
    ASSERT_HR(S_OK, CLSIDFromProgID(L"Apparata.E712X", &clsid));
    ASSERT_EQ(GuidText(CLSID_E712X), GuidText(clsid));
    ASSERT_HR(S_OK, CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IQXDevice, device_.put_void()));
    Ref<IConnectionPointContainer> container;
    ASSERT_HR(S_OK, device_.As(IID_IConnectionPointContainer, container));
    ASSERT_HR(S_OK, container->FindConnectionPoint(DIID_IQXDeviceEvents, point_.put()));
    DWORD cookie = 0;
    ASSERT_HR(S_OK, point_->Advise(&sink_, &cookie));
    ASSERT_HR(S_OK, device_->put_Port(3));
  }
  void TearDown() override {
    sink_.onEvent = nullptr;
    point_.reset();
    device_.reset();
  }
  std::wstring Text() {
    Bstr text;
    EXPECT_HR(S_OK, device_->get_Text(text.put()));
    return text.str();
  }
  HRESULT PutText(const std::wstring& text) { return device_->put_Text(Bstr(text).get()); }

  EventSink sink_{DIID_IQXDeviceEvents};
  Ref<IQXDevice> device_;
  Ref<IConnectionPoint> point_;
};

TEST_F(E712, ATriggerAsksForBothValuesAndBringsOneOnDataWithBoth) {
  std::vector<std::wstring> texts;
  sink_.onEvent = [&](DISPID dispid) {
    if (dispid == 3) texts.push_back(Text());
  };
  ASSERT_HR(S_OK, device_->Trigger());
  ASSERT_TRUE(PumpUntil([&] { return !sink_.events.empty(); }, 3000)) << "no OnData within 3 s";
  PumpFor(600);
  EXPECT_EQ(std::vector<DISPID>{3}, sink_.events);

  const std::vector<std::wstring> lines = LinesOfLastTrigger();
  ASSERT_EQ(5u, lines.size()) << Narrow(lines.back());
  EXPECT_EQ(L"Write bytes to 703", lines[1]);
  EXPECT_TRUE(IsSimulatedRead(lines[2])) << Narrow(lines[2]);
  EXPECT_EQ(L"Write bytes to 703", lines[3]);
  EXPECT_TRUE(IsSimulatedRead(lines[4])) << Narrow(lines[4]);
  const std::wstring shown = L"D=" + ShownValue(lines[2]) + L"\r\nD=" + ShownValue(lines[4]);
  EXPECT_EQ(std::vector<std::wstring>{shown}, texts) << "Text read inside OnData";
  EXPECT_EQ(shown, Text());
}

TEST_F(E712, TextTakesIntegersOnlyAndSendsADollarByteAsOneByte) {
  const std::vector<std::wstring> before = TerminalLines();
  EXPECT_HR(E_UNEXPECTED, PutText(L"L+D"));
  Ref<IErrorInfo> error;
  ASSERT_HR(S_OK, GetErrorInfo(0, error.put()));
  Bstr description, source;
  EXPECT_HR(S_OK, error->GetDescription(description.put()));
  EXPECT_HR(S_OK, error->GetSource(source.put()));
  EXPECT_EQ(L"'L+D' is not a valid integer value", description.str());
  EXPECT_EQ(L"Apparata.E712X", source.str());
  EXPECT_EQ(before, TerminalLines()) << "nothing sent";

  ASSERT_HR(S_OK, PutText(L"$2C"));
  ASSERT_HR(S_OK, PutText(L"44"));
  const std::vector<std::wstring> after = TerminalLines();
  ASSERT_GE(after.size(), 2u);
  EXPECT_EQ(L"Write bytes to 703", after[after.size() - 2]);
  EXPECT_EQ(L"Write to 703: 44" + std::wstring(57, L' '), after.back());
}

// Runs `onRead` once, inside the bus step, when the debug terminal next logs a read.
class ReadHook {
 public:
  explicit ReadHook(std::function<void()> onRead)
      : edit_(FindWindowExW(FindOwnWindow(L"HPIB driver debug terminal"), nullptr, L"Edit", nullptr)),
        onRead_(std::move(onRead)) {
    current_ = this;
    original_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(edit_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Proc)));
  }
  ReadHook(const ReadHook&) = delete;
  ReadHook& operator=(const ReadHook&) = delete;
  ~ReadHook() {
    SetWindowLongPtrW(edit_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
    current_ = nullptr;
  }
  bool Hooked() const { return original_ != nullptr; }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = CallWindowProcW(current_->original_, window, message, wParam, lParam);
    if ((message == EM_REPLACESEL || message == WM_SETTEXT) && current_->onRead_ &&
        TerminalLines().back().compare(0, kRead.size(), kRead) == 0)
      std::exchange(current_->onRead_, nullptr)();
    return result;
  }
  inline static ReadHook* current_ = nullptr;
  HWND edit_;
  WNDPROC original_ = nullptr;
  std::function<void()> onRead_;
};

TEST_F(E712, AFailingSecondRequestKeepsTheFirstValueFiresNothingAndEndsFreeRunning) {
  DialogWatch dialogs;
  {
    // After the first read, 700 + Port no longer fits 32 bits: the second request fails.
    ReadHook hook([&] { EXPECT_HR(S_OK, device_->put_Port(2147483000)); });
    ASSERT_TRUE(hook.Hooked());
    ASSERT_HR(S_OK, device_->put_InternalTrigger(VARIANT_TRUE));
    ASSERT_TRUE(PumpUntil([&] { return !dialogs.texts.empty(); }, 3000)) << "no error box";
  }
  PumpFor(900);
  EXPECT_EQ(std::vector<std::wstring>{L"Integer overflow"}, dialogs.texts);
  const std::vector<std::wstring> lines = LinesOfLastTrigger();
  ASSERT_EQ(3u, lines.size()) << "no second request, no further trigger";
  EXPECT_EQ(L"Write bytes to 703", lines[1]);
  EXPECT_EQ(L"D=" + ShownValue(lines[2]) + L"\r\nD=+0.0000E+00", Text());
  EXPECT_EQ(std::vector<DISPID>{}, sink_.events);
  VARIANT_BOOL internalTrigger = VARIANT_FALSE;
  EXPECT_HR(S_OK, device_->get_InternalTrigger(&internalTrigger));
  EXPECT_EQ(VARIANT_TRUE, internalTrigger) << "the check mark stays";

  ASSERT_HR(S_OK, device_->put_Port(3));
  ASSERT_HR(S_OK, device_->Trigger());
  EXPECT_TRUE(PumpUntil([&] { return !sink_.events.empty(); }, 3000)) << "the next trigger measures again";
}

TEST_F(E712, TheModeSubmenuOffersRadioItemsAndSendsTheChosenByte) {
  Ref<IOleWindow> window;
  ASSERT_HR(S_OK, device_.As(IID_IOleWindow, window));
  HWND form = nullptr;
  ASSERT_HR(S_OK, window->GetWindow(&form));
  auto popUp = [form](std::function<void(HWND)> act) {
    WindowWatch menus(L"#32768", std::move(act));
    SendMessageW(form, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(form), MAKELPARAM(20, 20));
  };
  const std::size_t logged = TerminalLines().size();
  // Down to "Mode" past the base items, into the submenu at "L+D", down to "C+D".
  popUp([](HWND menu) {
    for (WPARAM key : {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_RETURN})
      PostMessageW(menu, WM_KEYDOWN, key, 0);
  });
  const std::vector<std::wstring> lines = TerminalLines();
  EXPECT_EQ(std::vector<std::wstring>{L"Write bytes to 703"},
            std::vector<std::wstring>(lines.begin() + static_cast<std::ptrdiff_t>(logged), lines.end()));

  std::vector<std::pair<UINT, UINT>> items;  // type and state of each mode item
  std::wstring caption;
  popUp([&](HWND menu) {
    const auto shown = reinterpret_cast<HMENU>(SendMessageW(menu, MN_GETHMENU, 0, 0));
    const int last = GetMenuItemCount(shown) - 1;
    wchar_t text[16] = {};
    GetMenuStringW(shown, static_cast<UINT>(last), text, 16, MF_BYPOSITION);
    caption = text;
    const HMENU modes = GetSubMenu(shown, last);
    for (int i = 0; i < GetMenuItemCount(modes); ++i) {
      MENUITEMINFOW info{};
      info.cbSize = sizeof info;
      info.fMask = MIIM_FTYPE | MIIM_STATE;
      GetMenuItemInfoW(modes, static_cast<UINT>(i), TRUE, &info);
      items.emplace_back(info.fType, info.fState);
    }
    PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
  });
  EXPECT_EQ(L"Mode", caption);
  const std::pair<UINT, UINT> radio{MFT_RADIOCHECK, 0}, checked{MFT_RADIOCHECK, MFS_CHECKED};
  EXPECT_EQ((std::vector<std::pair<UINT, UINT>>{radio, checked, radio, radio}), items);
}

}  // namespace

int main(int argc, char** argv) { return server_test::RunTests(argc, argv); }
