// Debug mode: the terminal, its log lines, the simulated instruments and their generator.
#include "terminal/DebugTerminal.h"

#include <gtest/gtest.h>

#include <thread>

#include "LayerFixtures.h"
#include "hpib/DebugBus.h"

namespace {

using namespace hpib;
using LineList = std::vector<std::wstring>;

class DebugTerminalTest : public testing_support::DebugModeTest {
 protected:
  // A read the way the base control makes it: 250 blanks, length 249.
  std::string Read(int address, std::uint16_t length = 249) {
    std::string buffer(250, ' ');
    EXPECT_EQ(HPIBEnter(address, buffer.data(), length), 0);
    return buffer;
  }
};

TEST_F(DebugTerminalTest, TheTerminalHasItsCaptionAndPlace) {
  EXPECT_TRUE(terminal->Visible());
  EXPECT_EQ(terminal->Caption(), L"HPIB driver debug terminal");
  EXPECT_FALSE(terminal->BorderIcons);
  EXPECT_EQ(terminal->GetBounds(), (toolkit::Bounds{0, 0, 320, 240}));
  EXPECT_EQ(terminal->DebugMemo.GetAlign(), toolkit::Align::Client);
  EXPECT_TRUE(terminal->DebugMemo.WordWrap());
  EXPECT_TRUE(Lines().empty());
}

TEST_F(DebugTerminalTest, DebugBranchesMakeNoRangeTests) {
  EXPECT_EQ(HPIBTrigger(70000), 0);
  EXPECT_EQ(HPIBTimeout(7, 100), 0);
  EXPECT_EQ(HPIBTimeout(-5, -1), 0);
  EXPECT_EQ(HPIBOutput(99999, "x", 1), 0);
  EXPECT_EQ(Lines()[0], L"Trigger address 70000");
  EXPECT_EQ(Lines()[1], L"Set timeout 100 for card 7");
  EXPECT_EQ(Lines()[2], L"Set timeout -1 for card -5");
  EXPECT_EQ(Lines()[3].substr(0, 17), L"Write to 99999: x");
}

TEST_F(DebugTerminalTest, TimeoutSecondsUseTheDecimalSeparatorGivenAtStart) {
  HPIBTimeout(7, 2.5);
  HPIBLoad(std::make_unique<DebugBus>(terminal.get(), L','));
  HPIBTimeout(7, 2.5);
  HPIBTimeout(7, 0.001);
  EXPECT_EQ(Lines(), (LineList{L"Set timeout 2.5 for card 7", L"Set timeout 2,5 for card 7", L"Set timeout 0,001 for card 7"}));
}

TEST_F(DebugTerminalTest, OpenAndCloseMoveTheCardFlag) {
  EXPECT_FALSE(HPIBIsOpen());
  HPIBOpenCard(7);
  EXPECT_TRUE(HPIBIsOpen());
  HPIBClose();
  EXPECT_FALSE(HPIBIsOpen());
}

TEST_F(DebugTerminalTest, ReadsAnswerEachInstrumentInItsShape) {
  EXPECT_EQ(Read(703), "2.0723E+1 D" + std::string(239, ' '));
  EXPECT_EQ(Read(717).substr(0, 33), " NRN+1.2305E+01,NXN+5.4324E-01   ");  // draws 0 below 9, then 4 below 5
  EXPECT_EQ(Read(705).substr(0, 48), "DEBUG DEBUG DEBUG DEBUG DEBUG DEBUG DEBUG DEBUG ");
  EXPECT_EQ(Lines(), (LineList{L"Read from 703: 2.0723E+1 D", L"Read from 717:  NRN+1.2305E+01,NXN+5.4324E-01",
                            L"Read from 705: DEBUG DEBUG DEBUG DEBUG DEBUG DEBUG DEBUG DEBUG"}));
}

TEST_F(DebugTerminalTest, AReadCopiesOneCharacterLessThanTheLengthAndLeavesTheLength) {
  EXPECT_EQ(Read(703, 11).substr(0, 11), "2.0723E+1  ") << "all but the final D";
  const std::string reply = "DEBUG DEBUG DEBUG DEBUG DEBUG DEBUG DEBUG DEBUG";
  struct Case {
    std::uint16_t length;
    std::size_t copied;
  } cases[] = {{0, 0}, {1, 0}, {2, 1}, {47, 46}, {48, 47}, {249, 47}};
  for (const auto& c : cases) {
    std::string buffer(250, ' ');
    std::uint16_t length = c.length;
    EXPECT_EQ(HPIBEnter(705, buffer.data(), length), 0);
    EXPECT_EQ(length, c.length);
    EXPECT_EQ(buffer, reply.substr(0, c.copied) + std::string(250 - c.copied, ' ')) << c.length;
  }
}

TEST_F(DebugTerminalTest, GeneratorGivesTheFirstDrawsOfAProcess) {
  RandomGenerator random;
  std::vector<std::uint32_t> draws;
  for (int i = 0; i < 6; ++i) draws.push_back(random.Draw(9));
  EXPECT_EQ(draws, (std::vector<std::uint32_t>{0, 0, 7, 1, 2, 6}));
}

TEST_F(DebugTerminalTest, ReadsShareOneGeneratorInDrawOrder) {
  // Draws below 9: 0, 0, 7, 1, 2, 6. The 717 reply draws below 9 first, then below 5.
  EXPECT_EQ(Read(707).substr(0, 12), "R +11350E-4 ");
  EXPECT_EQ(Read(705).substr(0, 5), "DEBUG");  // no draw
  EXPECT_EQ(Read(703).substr(0, 11), "2.0723E+1 D");
  EXPECT_EQ(Read(707).substr(0, 12), "R +11357E-4 ");
}

TEST_F(DebugTerminalTest, WritesEchoInAFieldOf59Characters) {
  const std::string bytes58(58, 'k');
  HPIBOutput(703, bytes58.data(), 58);
  const std::string bytes59(59, 'k');
  HPIBOutput(703, bytes59.data(), 59);
  HPIBOutput(707, "F5E", 3);
  HPIBOutput(707, "", 0);
  EXPECT_EQ(Lines(), (LineList{L"Write to 703: " + std::wstring(58, L'k') + L" ", L"Write to 703: " + std::wstring(59, L' '),
                            L"Write to 707: F5E" + std::wstring(56, L' '), L"Write to 707: " + std::wstring(59, L' ')}));
}

TEST_F(DebugTerminalTest, MoreThanFiftyLinesEmptyTheBoxBeforeTheNextLine) {
  for (int i = 1; i <= 51; ++i) terminal->Log(L"line " + std::to_wstring(i));
  EXPECT_EQ(Lines().size(), 51u);
  terminal->Log(L"next");
  EXPECT_EQ(Lines(), (LineList{L"next"}));
}

TEST_F(DebugTerminalTest, FiftyLinesAreNotYetTooMany) {
  for (int i = 1; i <= 50; ++i) terminal->Log(L"line");
  terminal->Log(L"fifty-first");
  EXPECT_EQ(Lines().size(), 51u);
  EXPECT_EQ(Lines().back(), L"fifty-first");
}

TEST_F(DebugTerminalTest, EachOperationIsOneLineWithControlCharactersShownAsPictures) {
  const std::string sent("F2E\0\r\nD\x7F", 8);
  HPIBOutput(707, sent.data(), static_cast<std::uint16_t>(sent.size()));
  HPIBOutput(707, "D0E", 3);
  const std::wstring shown = L"F2E\x2400\x240D\x240A" L"D\x2421";
  EXPECT_EQ(Lines(), (LineList{L"Write to 707: " + shown + std::wstring(59 - 8, L' '),
                               L"Write to 707: D0E" + std::wstring(56, L' ')}));
}

TEST_F(DebugTerminalTest, LinesFromOtherThreadsNeverWaitAndKeepTheirOrder) {
  terminal->Log(L"first");
  std::thread([this] {
    terminal->Log(L"second");
    terminal->Log(L"third");
  }).join();
  EXPECT_EQ(Lines(), (LineList{L"first"})) << "left for the terminal's thread";
  terminal->Log(L"fourth");
  EXPECT_EQ(Lines(), (LineList{L"first", L"second", L"third", L"fourth"}));
  std::thread([this] { terminal->Log(L"fifth"); }).join();
  platform.RunPosted();
  EXPECT_EQ(Lines().back(), L"fifth");
}

TEST_F(DebugTerminalTest, LinesLeftWaitingAreBoundedAndOnlyLinesNobodyCouldReadGo) {
  const auto logElsewhere = [this](std::size_t count) {
    std::thread([this, count] {
      for (std::size_t i = 1; i <= count; ++i) terminal->Log(L"line " + std::to_wstring(i));
    }).join();
    platform.RunPosted();
  };
  // As many as may wait: the box shows what it shows when they come one at a time.
  const std::size_t most = terminal::TDebugTerminal::kMostWaiting;
  logElsewhere(most);
  const auto here = toolkit::CreateForm<terminal::TDebugTerminal>();
  for (std::size_t i = 1; i <= most; ++i) here->Log(L"line " + std::to_wstring(i));
  EXPECT_EQ(here->DebugMemo.Lines(), Lines());

  // More: the oldest go, and none of them shows.
  terminal->DebugMemo.ClearLines();
  logElsewhere(most + 60);
  ASSERT_FALSE(Lines().empty());
  EXPECT_LE(Lines().size(), 51u);
  EXPECT_EQ(L"line " + std::to_wstring(most + 60), Lines().back());
  EXPECT_GT(std::stoul(Lines().front().substr(5)), 60u);
}

TEST_F(DebugTerminalTest, UnloadLetsGoOfTheTerminal) {
  HPIBUnload();
  EXPECT_EQ(HPIBTrigger(7), 0);
  EXPECT_TRUE(Lines().empty());
}

}  // namespace
