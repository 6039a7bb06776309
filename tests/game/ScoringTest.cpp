// Points, bonuses and labels, and what the play screen shows of them: the panel's numbers, the
// rising labels, the big balloon of a cleared colour, the timer gauge and its lightning.

#include <cstdio>

#include "tests/game/GameFixture.h"

namespace gametest {
namespace {

class ScoringTest : public GameFixture {
 protected:
  // Whether the presented picture shows the number right-aligned at rightX, y in the panel's
  // digits.
  bool PanelShows(int value, int rightX, int y) const {
    const Sprite* digits = screen.DigitSprite();
    char text[16];
    std::snprintf(text, sizeof(text), "%d", value);
    const int width = digits->Width() / 10;
    int x = rightX - static_cast<int>(std::strlen(text)) * width;
    for (const char* p = text; *p != '\0'; ++p, x += width) {
      if (!Shows(Presented(), digits->Frame(*p - '0'), x, y)) return false;
    }
    return true;
  }
  int LabelsShowing(const QZSurface* picture) const {
    int n = 0;
    for (int i = 0; i < game.Floaters()->Count(); ++i)
      if (game.Floaters()->At(i)->Frame(0) == picture) ++n;
    return n;
  }
  QZSurface* Picture(const char* name) const { return screen.FindImage(name)->Surface(); }
};

TEST_F(ScoringTest, APairScoresThreeHundredAndItsLabelsRiseFiftyPixelsASecond) {
  OpenAndStart();
  SetBoard({"gygygygygy", "rrgygygygy", "ygr"});
  ClickCell(0, 1);
  EXPECT_EQ(game.GetScore(), 300);
  EXPECT_EQ(game.LastGroupScore(), 300);
  ASSERT_EQ(game.Floaters()->Count(), 2);
  Floater* first = game.Floaters()->At(0);
  EXPECT_EQ(first->Frame(0), game.ScoreLabels()->At(0 + 5 * 50));                   // 100 in red
  EXPECT_EQ(game.Floaters()->At(1)->Frame(0), game.ScoreLabels()->At(0 + 5 * 49));  // 200
  EXPECT_EQ(first->Dy(), -50.0f);
  // A plain frame runs at 100 frames a second: half a pixel upwards.
  const float y = first->Y();
  Frame();
  EXPECT_FLOAT_EQ(first->Y(), y - 0.5f);
  // Each label goes in the first frame after its second is over.
  const uint32_t expires = game.Floaters()->At(1)->expiresAt;
  EXPECT_TRUE(FramesUntil([&] { return game.Floaters()->Count() == 0; }, 200));
  EXPECT_GT(GetTime(), expires);
  EXPECT_LE(GetTime(), expires + 20);
  Frame();
  EXPECT_EQ(game.FloatersBusy(), 0);
  EXPECT_TRUE(PanelShows(300, 77, 99));
  EXPECT_TRUE(PanelShows(300, 73, 153));
  EXPECT_TRUE(PanelShows(0, 77, 57));
}

TEST_F(ScoringTest, ALabelBornAtTheTopStaysAndOneReachingTheTopStopsThere) {
  OpenAndStart();
  SetBoard({"rrgygygygy", "gygygygygy", "r"});
  ClickCell(0, 0);
  ASSERT_EQ(game.Floaters()->Count(), 2);
  EXPECT_EQ(game.Floaters()->At(0)->Dy(), 0.0f);
  const float y = game.Floaters()->At(0)->Y();
  Frame();
  EXPECT_EQ(game.Floaters()->At(0)->Y(), y);

  // A label just under the top edge reaches it and stops.
  auto* label = new Floater(game.ScoreLabels()->At(0), 200.0f, 8.0f, -50.0f, GetTime() + 1000);
  game.Floaters()->Push(label);
  Frame();
  Frame();
  Frame();
  EXPECT_EQ(label->Y(), 7.0f);
  EXPECT_EQ(label->Dy(), 0.0f);
}

TEST_F(ScoringTest, ThreeStarsShowX2X4X6AndMultiplyTheGroupSevenFold) {
  OpenAndStart();
  SetBoard({"gygygygygy", "RrRrRygygy", ".......r"});
  ClickCell(0, 1);
  // 100 + 200 + 300 + 400 + 500 for the balloons, six times that again for three stars.
  EXPECT_EQ(game.GetScore(), 7 * 1500);
  EXPECT_EQ(game.LastGroupScore(), 7 * 1500);
  EXPECT_EQ(effects.Count("bonus"), 3);
  // While exactly one star has popped, the pop sound is "pop1".
  std::vector<std::string> pops;
  for (const std::string& name : effects.names)
    if (name.compare(0, 3, "pop") == 0) pops.push_back(name);
  ASSERT_EQ(pops.size(), 5u);
  EXPECT_EQ(pops[0], "pop1");
  EXPECT_EQ(pops[1], "pop1");
  PtrArray<Floater>* labels = game.Floaters();
  ASSERT_EQ(labels->Count(), 8);
  // In popping order: each multiplier before its star's own points.
  EXPECT_EQ(labels->At(0)->Frame(0), Picture("x2"));
  EXPECT_EQ(labels->At(0)->X(), 154.0f);
  EXPECT_LT(labels->At(0)->Y(), 47.0f);  // it rises
  EXPECT_EQ(labels->At(3)->Frame(0), Picture("x4"));
  EXPECT_EQ(labels->At(3)->X(), 154.0f + 64.0f);
  EXPECT_EQ(labels->At(6)->Frame(0), Picture("x6"));
  EXPECT_EQ(labels->At(6)->X(), 154.0f + 128.0f);
  EXPECT_EQ(labels->At(7)->Frame(0), game.ScoreLabels()->At(0 + 5 * 46));  // 500
  EXPECT_EQ(labels->At(6)->expiresAt - labels->At(7)->expiresAt, 1000u);
  Frame();
  EXPECT_TRUE(PanelShows(10500, 77, 99));
  EXPECT_TRUE(PanelShows(10500, 73, 153));

  // One star doubles again: (1 + 2) times the group's points.
  SetBoard({"gygygygygy", "rRygygygyg", "....r"});
  ClickCell(1, 1);
  EXPECT_EQ(game.LastGroupScore(), 900);
  EXPECT_EQ(game.GetScore(), 10500 + 900);
}

TEST_F(ScoringTest, ClearingAColourGivesAHundredThousandThirtySecondsAndTheBigBalloon) {
  OpenAndStart();
  StopClock();
  SetClockSeconds(190);
  SetBoard({"rrgygygygy", "gygygygygy"});
  ClickCell(0, 0);
  EXPECT_EQ(game.GetScore(), 300 + 100000);
  EXPECT_EQ(GetClockSeconds(), 220);
  EXPECT_EQ(effects.Count("allcolor"), 1);
  ASSERT_EQ(LabelsShowing(Picture("BigRed")), 1);
  Floater* big = nullptr;
  for (int i = 0; i < game.Floaters()->Count(); ++i)
    if (game.Floaters()->At(i)->Frame(0) == Picture("BigRed")) big = game.Floaters()->At(i);
  EXPECT_EQ(big->X(), 360.0f);
  EXPECT_EQ(big->Y(), 180.0f);
  const uint32_t expires = big->expiresAt;
  Frame();
  EXPECT_EQ(big->Y(), 180.0f);
  EXPECT_TRUE(Shows(Presented(), Picture("BigRed"), 360, 180));
  // More time than the game's length: the gauge stays full.
  EXPECT_EQ(screen.TimerSprite()->Current(), 0);
  EXPECT_TRUE(FramesUntil([&] { return LabelsShowing(Picture("BigRed")) == 0; }, 300));
  EXPECT_GT(GetTime(), expires);
  EXPECT_LE(GetTime(), expires + 20);
}

TEST_F(ScoringTest, ClearingTheBoardAddsHalfAMillionThenAThousandPerSecondLeft) {
  OpenAndStart();
  StopClock();
  // The last pair is also the last of its colour: 7 + 30 = 37 seconds are left to count.
  SetClockSeconds(7);
  SetBoard({"rr"});
  MouseFrame(CellX(0), CellY(0), 1);
  EXPECT_EQ(effects.Count("allpop"), 1);
  EXPECT_EQ(game.GetScore(), 300 + 100000 + 500000 + 37 * 1000);
  EXPECT_EQ(GetClockSeconds(), 0);
  EXPECT_EQ(game.GetState(), kStateCleared);
  EXPECT_EQ(game.EndReason(), kEndBoardCleared);
  EXPECT_EQ(IsClockRunning(), 0);
  // The congratulations, not the out-of-time ending.
  MouseFrame(CellX(0), CellY(0), 0);
  EXPECT_EQ(game.GetState(), kStateCleared);
  EXPECT_TRUE(Game::CongratulationsShown());
  EXPECT_EQ(effects.Count("thunder"), 0);
}

TEST_F(ScoringTest, TheBonusCountsDownVisiblyOneSecondAFrame) {
  OpenAndStart();
  StopClock();
  SetClockSeconds(5);
  const int32_t score = game.GetScore();
  const int presents = memory->presents;
  game.TimeBonus(1000, 5);
  EXPECT_EQ(GetClockSeconds(), 0);
  EXPECT_EQ(game.GetScore(), score + 5000);
  EXPECT_EQ(memory->presents - presents, 5);
}

// A setup.ini asking for a game of 68 years: the cleared colour keeps the clock at its largest
// count instead of wrapping round to an ended game, and the cleared board counts its bonus down
// in at most a thousand frames (not one frame a second, for ever), with the same points.
TEST_F(ScoringTest, AnAbsurdGameTimeNeitherWrapsTheClockNorHangsTheBonus) {
  WriteGameFile("setup.ini", "[default]\ngametime=2147483647\n");
  OpenAndStart();
  StopClock();
  EXPECT_EQ(GetClockSeconds(), INT32_MAX);
  SetBoard({"rr", "gg"});
  ClickCell(0, 0);
  EXPECT_EQ(effects.Count("allcolor"), 1);
  EXPECT_EQ(GetClockSeconds(), INT32_MAX);
  EXPECT_EQ(game.GetState(), kStatePlaying);

  const int presents = memory->presents;
  MouseFrame(CellX(0), CellY(0), 1);
  EXPECT_EQ(game.GetState(), kStateCleared);
  EXPECT_EQ(GetClockSeconds(), 0);
  EXPECT_LE(memory->presents - presents, 1000 + 50);
  const uint32_t expected = 2u * (300 + 100000) + 500000 + 1000u * static_cast<uint32_t>(INT32_MAX);
  EXPECT_EQ(game.GetScore(), static_cast<int32_t>(expected));
}

TEST_F(ScoringTest, TheGaugeMeasuresTheClockAgainstTheGameTime) {
  WriteGameFile("setup.ini", "[default]\ngametime=60\n");
  OpenAndStart();
  EXPECT_EQ(game.GameTime(), 60);
  StopClock();
  EXPECT_EQ(GetClockSeconds(), 60);
  Frame();
  EXPECT_EQ(screen.TimerSprite()->Current(), 0);
  EXPECT_TRUE(Shows(Presented(), screen.TimerSprite()->Frame(0), 2, 208));
  SetClockSeconds(30);
  Frame();
  EXPECT_EQ(screen.TimerSprite()->Current(), 18);
  SetClockSeconds(1);
  Frame();
  EXPECT_EQ(screen.TimerSprite()->Current(), 35);
  EXPECT_FALSE(Shows(Presented(), screen.LightningSprite()->Frame(0), 17, 264));
}

TEST_F(ScoringTest, AGameTimeOfZeroShowsTheEmptyGaugeAndTheLightning) {
  WriteGameFile("setup.ini", "[default]\ngametime=0\n");
  OpenOnly();
  Frame();
  Frame();
  EXPECT_EQ(GetClockSeconds(), 0);
  EXPECT_EQ(screen.TimerSprite()->Current(), 36);
  EXPECT_TRUE(Shows(Presented(), screen.LightningSprite()->Frame(0), 17, 264));
  // Out of time on its first playing frame.
  EXPECT_EQ(game.GetState(), kStateGameOver);
  EXPECT_EQ(game.EndReason(), kEndOutOfTime);
}

TEST_F(ScoringTest, ANegativeGameTimeCountsAsNoTime) {
  WriteGameFile("setup.ini", "[default]\ngametime=-40\n");
  OpenOnly();
  Frame();
  Frame();
  EXPECT_EQ(GetClockSeconds(), 0);
  EXPECT_EQ(screen.TimerSprite()->Current(), 36);
  EXPECT_EQ(game.GetState(), kStateGameOver);
}

TEST_F(ScoringTest, NumbersAreRightAlignedAndAMinusSignLeavesABlank) {
  OpenAndStart();
  Sprite* digits = screen.DigitSprite();
  const int width = digits->Width() / 10;
  ASSERT_GT(width, 0);
  QZSurface* target = CreateSurface(200, 60);
  FillColor(target, 0);
  Game::DrawNumber(digits, 150, 10, "-42", target);
  EXPECT_TRUE(Shows(target, digits->Frame(4), 150 - 2 * width, 10));
  EXPECT_TRUE(Shows(target, digits->Frame(2), 150 - width, 10));
  for (int y = 10; y < 10 + digits->Height(); ++y)
    for (int x = 150 - 3 * width; x < 150 - 2 * width; ++x)
      ASSERT_EQ(target->PixelAt(x, y), 0) << x << "," << y;
  QZSurface::Release(target);
}

TEST_F(ScoringTest, ThePanelShowsTheBestScoreOfTheHallOfFame) {
  HighScoreTable table;
  table.Init(20);
  table.Insert("Ann:::Y", 4711);
  ASSERT_TRUE(table.Save(GamePath("hiscore.dat").c_str()));
  OpenAndStart();
  Frame();
  Frame();
  EXPECT_TRUE(PanelShows(4711, 77, 57));
}

}  // namespace
}  // namespace gametest
