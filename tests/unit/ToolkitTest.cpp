// The component model's rules that the forms rely on.
#include <gtest/gtest.h>

#include "core/Exceptions.h"
#include "toolkit/Form.h"
#include "toolkit/Timer.h"
#include "toolkit/Widgets.h"
#include "toolkit/headless/HeadlessPlatform.h"

namespace {

using namespace toolkit;

class ToolkitTest : public ::testing::Test {
 protected:
  HeadlessPlatform platform;
};

struct Tracked : Component {
  Tracked(Component* owner, std::wstring name, std::vector<std::wstring>& log) : Component(owner, name), log_(log) {}
  ~Tracked() override { log_.push_back(Name()); }
  std::vector<std::wstring>& log_;
};

TEST_F(ToolkitTest, OwnersKeepComponentsInCreationOrderAndDestroyThem) {
  std::vector<std::wstring> destroyed;
  {
    Component root(nullptr, L"root");
    auto& a = root.Make<Tracked>(L"a", destroyed);
    auto& b = root.Make<Tracked>(L"b", destroyed);
    a.Make<Tracked>(L"a1", destroyed);
    EXPECT_EQ(root.Components(), (std::vector<Component*>{&a, &b}));
    EXPECT_EQ(b.Owner(), &root);
  }
  // Last made first; each component takes what it owns along after its own destructor.
  EXPECT_EQ(destroyed, (std::vector<std::wstring>{L"b", L"a", L"a1"}));
}

TEST_F(ToolkitTest, MenuClickRunsTheHandlerOnlyWhileEnabled) {
  Component root(nullptr);
  auto& item = root.Make<MenuItem>(L"Item", L"Item");
  int clicks = 0;
  item.OnClick = [&] { ++clicks; };
  item.Click();
  item.SetEnabled(false);
  item.Click();
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(item.Checked()) << "clicking does not toggle the check mark";
}

TEST_F(ToolkitTest, CheckingARadioItemClearsItsGroupUnderTheSameParent) {
  Component root(nullptr);
  auto& menu = root.Make<MenuItem>(L"Mode", L"Mode");
  auto& a = root.Make<MenuItem>(L"A", L"A");
  auto& b = root.Make<MenuItem>(L"B", L"B");
  auto& c = root.Make<MenuItem>(L"C", L"C");
  auto& other = root.Make<MenuItem>(L"O", L"O");
  for (auto* item : {&a, &b, &c}) {
    item->RadioItem = true;
    item->GroupIndex = 1;
    menu.Add(*item);
  }
  other.RadioItem = true;
  other.GroupIndex = 2;
  menu.Add(other);
  a.SetChecked(true);
  other.SetChecked(true);
  c.SetChecked(true);
  EXPECT_FALSE(a.Checked());
  EXPECT_FALSE(b.Checked());
  EXPECT_TRUE(c.Checked());
  EXPECT_TRUE(other.Checked());
  c.SetChecked(true);
  EXPECT_TRUE(c.Checked());
  EXPECT_EQ(menu.Items().size(), 4u);
  EXPECT_EQ(c.Parent(), &menu);
}

TEST_F(ToolkitTest, TimerTicksPeriodicallyAndReenablingKeepsTheInterval) {
  Component root(nullptr);
  auto& timer = root.Make<Timer>(L"Timer");
  timer.SetEnabled(false);
  timer.SetInterval(300);
  root.Realize();
  std::vector<std::uint64_t> ticks;
  timer.OnTimer = [&] { ticks.push_back(platform.Milliseconds()); };
  timer.SetEnabled(true);
  platform.Advance(200);
  timer.SetEnabled(true);
  platform.Advance(500);
  EXPECT_EQ(ticks, (std::vector<std::uint64_t>{300, 600}));
  timer.SetInterval(100);  // starts over
  platform.Advance(150);
  EXPECT_EQ(ticks.back(), 800u);
  timer.SetEnabled(false);
  platform.Advance(1000);
  EXPECT_EQ(ticks.size(), 3u);
}

TEST_F(ToolkitTest, FailuresInTicksGoToTheErrorBoxAndTheTimerGoesOn) {
  Component root(nullptr);
  auto& timer = root.Make<Timer>(L"Timer");
  timer.SetInterval(100);
  root.Realize();
  int ticks = 0;
  timer.OnTimer = [&] {
    if (++ticks == 1) throw core::Exception(L"first tick failed");
  };
  platform.Advance(200);
  EXPECT_EQ(ticks, 2);
  EXPECT_EQ(platform.errors, (std::vector<std::wstring>{L"first tick failed"}));
}

TEST_F(ToolkitTest, TrackBarClampsAndReportsOnlyRealChanges) {
  Component root(nullptr);
  auto& bar = root.Make<TrackBar>(L"Bar");
  bar.SetRange(0, 6);
  std::vector<int> changes;
  bar.OnChange = [&] { changes.push_back(bar.Position()); };
  bar.SetPosition(1);
  bar.SetPosition(1);
  bar.SetPosition(9);
  bar.SetPosition(-3);
  EXPECT_EQ(changes, (std::vector<int>{1, 6, 0}));
  bar.SetPosition(4);
  bar.SetRange(0, 2);
  EXPECT_EQ(bar.Position(), 2);
  EXPECT_EQ(changes.back(), 2);
}

TEST_F(ToolkitTest, SpeedButtonGroupsKeepOneDown) {
  Form form;
  auto& panel = form.Make<Panel>(L"Panel");
  std::vector<SpeedButton*> buttons;
  for (int i = 0; i < 3; ++i) {
    auto& b = form.Make<SpeedButton>(L"B" + std::to_wstring(i));
    b.SetParent(&panel);
    b.GroupIndex = 1;
    buttons.push_back(&b);
  }
  int clicks = 0;
  buttons[1]->OnClick = [&] { ++clicks; };
  buttons[0]->SetDown(true);
  buttons[1]->Click();
  EXPECT_FALSE(buttons[0]->Down());
  EXPECT_TRUE(buttons[1]->Down());
  buttons[1]->Click();
  EXPECT_TRUE(buttons[1]->Down()) << "without AllowAllUp the last one stays down";
  EXPECT_EQ(clicks, 2);
  buttons[1]->SetDown(false);
  EXPECT_TRUE(buttons[1]->Down());
  for (auto* b : buttons) b->AllowAllUp = true;
  buttons[1]->Click();
  EXPECT_FALSE(buttons[1]->Down());
  buttons[2]->SetEnabled(false);
  buttons[2]->Click();
  EXPECT_FALSE(buttons[2]->Down()) << "a disabled button ignores clicks";
}

TEST_F(ToolkitTest, EditReportsEveryTextChangeAndFiltersKeys) {
  Component root(nullptr);
  auto& edit = root.Make<Edit>(L"Edit");
  int changes = 0;
  edit.OnChange = [&] { ++changes; };
  edit.SetText(L"1.5");
  edit.SetText(L"1.5");
  edit.SetText(L"2");
  EXPECT_EQ(changes, 2);
  edit.OnKeyPress = [](wchar_t& key) {
    if (key == L'x') key = 0;
  };
  EXPECT_EQ(edit.KeyPress(L'x'), 0);
  EXPECT_EQ(edit.KeyPress(L'7'), L'7');
  std::vector<int> down;
  edit.OnKeyDown = [&](int& key) {
    down.push_back(key);
    if (key == 13) key = 0;
  };
  EXPECT_EQ(edit.KeyDown(13), 0);
  EXPECT_EQ(edit.KeyDown(37), 37);
  EXPECT_EQ(down, (std::vector<int>{13, 37}));
}

TEST_F(ToolkitTest, SpinEditAndGaugeClamp) {
  Component root(nullptr);
  auto& spin = root.Make<SpinEdit>(L"Spin");
  spin.SetLimits(1, 10);
  EXPECT_EQ(spin.Value(), 1);
  spin.SetValue(50);
  EXPECT_EQ(spin.Text(), L"10");
  spin.SetText(L"abc");
  EXPECT_EQ(spin.Value(), 1);
  spin.SetText(L"-4");
  EXPECT_EQ(spin.Value(), 1);
  auto& gauge = root.Make<Gauge>(L"Gauge");
  gauge.SetLimits(0, 100);
  gauge.SetProgress(150);
  EXPECT_EQ(gauge.Progress(), 100);
  gauge.SetProgress(-1);
  EXPECT_EQ(gauge.Progress(), 0);
}

TEST_F(ToolkitTest, ComboBoxRunsOnChangeOnlyForTheUsersChoice) {
  Component root(nullptr);
  auto& combo = root.Make<ComboBox>(L"Combo");
  combo.SetItems({L"slow", L"fast"});
  int changes = 0;
  combo.OnChange = [&] { ++changes; };
  combo.SetItemIndex(1);
  EXPECT_EQ(changes, 0);
  combo.UserSelect(0);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(combo.ItemIndex(), 0);
  combo.SetItemIndex(5);
  EXPECT_EQ(combo.ItemIndex(), -1);
}

TEST_F(ToolkitTest, FormShowRunsOnShowOnlyWhenItWasHiddenAndDestroyRunsOnce) {
  int shows = 0, destroys = 0;
  {
    FormPtr<Form> form = CreateForm<Form>();
    form->OnShow = [&] { ++shows; };
    form->OnDestroy = [&] { ++destroys; };
    form->Show();
    form->Show();
    form->Hide();
    form->Show();
    form->BeforeDestruction();
  }
  EXPECT_EQ(shows, 2);
  EXPECT_EQ(destroys, 1);
}

struct CountingPeer : Peer {
  explicit CountingPeer(int& syncs) : syncs_(syncs) {}
  void Sync() override { ++syncs_; }
  int& syncs_;
};

struct PeerPlatform : HeadlessPlatform {
  std::unique_ptr<Peer> CreatePeer(Component& c) override {
    if (dynamic_cast<StaticText*>(&c)) return std::make_unique<CountingPeer>(syncs);
    return HeadlessPlatform::CreatePeer(c);
  }
  int syncs = 0;
};

TEST(ToolkitPeerTest, PeersHearOfRealChangesOnly) {
  PeerPlatform platform;
  Form form;
  auto& text = form.Make<StaticText>(L"Text");
  EXPECT_EQ(platform.syncs, 0);
  form.Realize();
  EXPECT_EQ(platform.syncs, 1) << "the first sync mirrors the initial state";
  text.SetCaption(L"a");
  text.SetCaption(L"a");
  text.SetEnabled(true);
  text.SetEnabled(false);
  EXPECT_EQ(platform.syncs, 3);
}

}  // namespace
