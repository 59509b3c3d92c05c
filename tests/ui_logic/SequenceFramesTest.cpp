#include "ui/SequenceFrames.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The frames |ticks| timer ticks show, and whether the timer stopped (ticks after a stop
// are not run).
struct Played {
  std::vector<uint32_t> frames;
  bool stopped = false;
};

Played Play(CSequenceFrames& frames, int ticks) {
  Played played;
  for (int i = 0; i < ticks && !played.stopped; ++i) {
    const CSequenceFrames::Step step = frames.Next();
    if (step.show) played.frames.push_back(step.frame);
    played.stopped = step.stop;
  }
  return played;
}

TEST(SequenceFramesTest, FrameOrdersOfTheFourModes) {
  const struct {
    bool loop;
    bool roundTrip;
    std::vector<uint32_t> frames;
    bool stopped;
    uint32_t shownLast;
    bool forwardAfter;
  } cases[] = {
      {true, false, {0, 1, 2, 3, 0, 1, 2, 3, 0, 1}, false, 1, true},
      {true, true, {0, 1, 2, 3, 2, 1, 0, 1, 2, 3}, false, 3, true},
      {false, false, {0, 1, 2, 3}, true, 3, true},
      {false, true, {0, 1, 2, 3, 2, 1}, true, 1, true},
  };
  for (const auto& c : cases) {
    CSequenceFrames frames;
    frames.count = 4;
    frames.loop = c.loop;
    frames.roundTrip = c.roundTrip;
    const Played played = Play(frames, 10);
    EXPECT_EQ(played.frames, c.frames) << c.loop << c.roundTrip;
    EXPECT_EQ(played.stopped, c.stopped) << c.loop << c.roundTrip;
    EXPECT_EQ(played.frames.back(), c.shownLast);
    if (c.stopped) {
      EXPECT_EQ(frames.index, 0u);
      EXPECT_EQ(frames.forward, c.forwardAfter);
    }
  }
}

TEST(SequenceFramesTest, TheSkinsAnimationWrapsWithoutPause) {
  CSequenceFrames frames;
  frames.count = 60;
  const Played played = Play(frames, 121);
  ASSERT_EQ(played.frames.size(), 121u);
  for (size_t i = 0; i < played.frames.size(); ++i) EXPECT_EQ(played.frames[i], i % 60) << i;
}

TEST(SequenceFramesTest, TwoFramesBackAndForth) {
  CSequenceFrames frames;
  frames.count = 2;
  frames.roundTrip = true;
  EXPECT_EQ(Play(frames, 6).frames, (std::vector<uint32_t>{0, 1, 0, 1, 0, 1}));
}

TEST(SequenceFramesTest, NoFramesAnimateNothingAndOneFrameStandsStill) {
  for (bool roundTrip : {false, true}) {
    CSequenceFrames none;
    none.count = 0;
    none.roundTrip = roundTrip;
    const Played nothing = Play(none, 5);
    EXPECT_TRUE(nothing.frames.empty());
    EXPECT_FALSE(nothing.stopped);

    CSequenceFrames one;
    one.count = 1;
    one.roundTrip = roundTrip;
    const Played still = Play(one, 5);
    EXPECT_EQ(still.frames, (std::vector<uint32_t>{0}));
    EXPECT_TRUE(still.stopped);
    EXPECT_EQ(one.index, 0u);
  }
}

TEST(SequenceFramesTest, RestartBeginsAtFrameZero) {
  CSequenceFrames frames;
  frames.count = 5;
  Play(frames, 3);
  frames.Restart();
  EXPECT_EQ(Play(frames, 2).frames, (std::vector<uint32_t>{0, 1}));
}

}  // namespace

namespace {

TEST(FramePathTest, TheIntegerConversionGetsTheFrame) {
  const struct {
    const wchar_t* pattern;
    uint32_t frame;
    const wchar_t* path;
  } cases[] = {
      {L"res\\mainWnd\\installBtnAnimate\\%.3d.png", 7, L"res\\mainWnd\\installBtnAnimate\\007.png"},
      {L"res\\mainWnd\\installBtnAnimate\\%.3d.png", 59, L"res\\mainWnd\\installBtnAnimate\\059.png"},
      {L"a%03db.png", 5, L"a005b.png"},
      {L"%d%%.png", 12, L"12%.png"},
      {L"%s-%d.png", 3, L"%s-3.png"},
      {L"%d-%d.png", 3, L"3-%d.png"},
      {L"plain.png", 3, L"plain.png"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatFramePath(c.pattern, c.frame), c.path) << c.pattern;
  EXPECT_EQ(FormatFramePath(std::wstring(400, L'x') + L"%d", 1).size(), 259u);
}

TEST(FramePathTest, AttributeValues) {
  EXPECT_FALSE(SequenceFlag(L"false"));
  EXPECT_TRUE(SequenceFlag(L"False"));
  EXPECT_TRUE(SequenceFlag(L"true"));
  EXPECT_TRUE(SequenceFlag(L""));
  EXPECT_EQ(SequenceNumber(L"60"), 60);
  EXPECT_EQ(SequenceNumber(L"30ms"), 30);
  EXPECT_EQ(SequenceNumber(L"abc"), 0);
  EXPECT_EQ(SequenceNumber(L"-4"), -4);
}

}  // namespace
