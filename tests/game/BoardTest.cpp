// The board and its moves through the play screen: a fresh board, clicks that pop or are
// refused, balloons rising into gaps, the clouds' blows and the end-of-play tests.

#include "tests/game/GameFixture.h"

namespace gametest {
namespace {

using BoardTest = GameFixture;

const platform::MemoryVideo* watchedDisplay = nullptr;
int presentsAtFirstWait = -1;

// The fixture's animation frame, noting how many presents the first one found.
void NotingWaiter(int rate) {
  if (presentsAtFirstWait < 0) presentsAtFirstWait = watchedDisplay->presents;
  StepWaiter(rate);
}

TEST_F(BoardTest, FreshBoardHasItsQuotaOfEachColourAndStarsAtTwelveTwentyFourThirtySix) {
  for (unsigned seed : {1u, 77u, 4242u}) {
    std::srand(seed);
    game.Release();
    if (!opened) {
      OpenAndStart();
    } else {
      game.NewGame();
    }
    ASSERT_EQ(game.Cells()->Count(), 252);
    EXPECT_EQ(game.CellWidth(), 32);
    EXPECT_EQ(game.CellHeight(), 40);
    int counts[kColourCount] = {};
    int stars = 0;
    for (int c = 0; c < 252; ++c) {
      const Balloon* balloon = game.BalloonAt(c);
      ASSERT_NE(balloon, nullptr);
      EXPECT_EQ(balloon->cell, c);
      EXPECT_EQ(balloon->shown, 1);
      EXPECT_EQ(balloon->X(), static_cast<float>(154 + 32 * (c % 18)));
      EXPECT_EQ(balloon->Y(), static_cast<float>(7 + 40 * (c / 18)));
      const int n = ++counts[balloon->colour];
      // The 12th, 24th and 36th of each colour in reading order, and no other.
      EXPECT_EQ(balloon->star == 1, n == 12 || n == 24 || n == 36) << "cell " << c;
      if (balloon->star == 1) ++stars;
    }
    EXPECT_EQ(stars, 15);
    for (int colour = 0; colour < kColourCount; ++colour) {
      EXPECT_GE(counts[colour], 48) << seed;
      EXPECT_LE(counts[colour], 51) << seed;
    }
  }
}

TEST_F(BoardTest, CellsEndAtTheBoardsRightAndBottomEdges) {
  OpenAndStart();
  EXPECT_EQ(game.CellAt(154, 7), 0);
  EXPECT_EQ(game.CellAt(729, 566), 251);
  EXPECT_EQ(game.CellAt(730, 300), -1);
  EXPECT_EQ(game.CellAt(300, 567), -1);
  EXPECT_EQ(game.CellAt(153, 300), -1);
  EXPECT_EQ(game.CellAt(300, 6), -1);
  EXPECT_EQ(game.CellAt(154 + 32 * 5 + 31, 7 + 40 * 3 + 39), 3 * 18 + 5);
}

TEST_F(BoardTest, ALoneBalloonIsRefusedWithTheNegativeSound) {
  OpenAndStart();
  SetBoard({"rgr", "yry"});
  game.SetLastGroupScore(900);
  ClickCell(1, 1);
  EXPECT_EQ(effects.Count("negative"), 1);
  EXPECT_EQ(BoardText(), (std::vector<std::string>{"rgr", "yry"}));
  EXPECT_EQ(game.GetScore(), 0);
  EXPECT_EQ(game.LastGroupScore(), 0);
}

TEST_F(BoardTest, MinGroupOfOneOrLessOrNegativeLetsSingleBalloonsPop) {
  for (const char* setting : {"1", "0", "abc", "-3"}) {
    WriteGameFile("setup.ini", std::string("[default]\nballoons=") + setting + "\n");
    if (!opened) {
      OpenAndStart();
    } else {
      game.NewGame();
      Frame();
    }
    SetBoard({"rgr", "yyy", "g"});
    ClickCell(1, 0);
    EXPECT_EQ(BoardText(), (std::vector<std::string>{"ryr", "y.y", "g"})) << setting;
    EXPECT_EQ(game.GetScore(), 100) << setting;
  }
}

TEST_F(BoardTest, AStraightLineOfFourPopsLeftToRightForOneToFourHundred) {
  OpenAndStart();
  // A red stays elsewhere, so no colour is cleared.
  SetBoard({"yyyyyyyyyyyyyyyyyy", "ggrrrrgggggggggggg", "yyyyyyyyyyyyyyyyyy", "r"});
  const uint32_t before = GetTime();
  ClickCell(2, 1);
  // Four pops 200 ms apart.
  EXPECT_GE(GetTime() - before, 600u);
  EXPECT_EQ(game.GetScore(), 1000);
  EXPECT_EQ(game.LastGroupScore(), 1000);
  EXPECT_EQ(effects.Count("pop1") + effects.Count("pop2") + effects.Count("pop3") +
                effects.Count("pop4") + effects.Count("pop5"),
            4);
  // The labels in popping order: from the clicked balloon rightwards, 100 to 400 in red.
  PtrArray<Floater>* floaters = game.Floaters();
  ASSERT_EQ(floaters->Count(), 4);
  for (int i = 0; i < 4; ++i) {
    const Floater* label = floaters->At(i);
    EXPECT_EQ(label->X(), static_cast<float>(154 + 32 * (2 + i)));
    EXPECT_EQ(label->Frame(0), game.ScoreLabels()->At(0 + 5 * (50 - i)));
  }
  // The yellow row below rose into the gap.
  EXPECT_EQ(BoardText(), (std::vector<std::string>{"yyyyyyyyyyyyyyyyyy", "ggyyyygggggggggggg",
                                                   "yy....yyyyyyyyyyyy", "r"}));
}

// The frame that sees the press shows the popped balloon at once; the animation's pacing comes
// after its pictures, not before the first one.
TEST_F(BoardTest, APopIsShownBeforeItsAnimationWaitsForTheNextFrame) {
  OpenAndStart();
  SetBoard({"rr", "y", "r"});
  Frame();
  watchedDisplay = memory;
  presentsAtFirstWait = -1;
  game.SetFrameWaiter(&NotingWaiter);
  const int before = memory->presents;
  MouseFrame(CellX(0), CellY(0), 1);
  EXPECT_EQ(presentsAtFirstWait, before + 1);
  EXPECT_EQ(BoardText(), (std::vector<std::string>{"y", "r"}));
}

TEST_F(BoardTest, GroupsAreCollectedDepthFirstLeftRightUpDownFromTheClickedBalloon) {
  OpenAndStart();
  SetBoard({"gggg", "grrg", "grgg", "rrgy"});
  PtrArray<Balloon> group;
  game.CollectGroup(1 * 18 + 2, group);
  ASSERT_EQ(group.Count(), 5);
  // Clicked (2,1), left (1,1), its down (1,2), its down (1,3), its left (0,3).
  const int expected[] = {1 * 18 + 2, 1 * 18 + 1, 2 * 18 + 1, 3 * 18 + 1, 3 * 18 + 0};
  for (int i = 0; i < 5; ++i)
    EXPECT_EQ(group.At(i)->cell, expected[i]) << i;
}

TEST_F(BoardTest, AfterPopsEveryColumnIsAnUnbrokenStackFromTheTop) {
  OpenAndStart();
  int pops = 0;
  for (int attempt = 0; attempt < 60 && pops < 8; ++attempt) {
    // The first cell of a group of at least two.
    for (int c = 0; c < 252; ++c) {
      if (game.BalloonAt(c) == nullptr) continue;
      PtrArray<Balloon> group;
      game.CollectGroup(c, group);
      if (group.Count() >= 2) {
        const int before = BalloonCount();
        ClickCell(c % 18, c / 18);
        EXPECT_EQ(BalloonCount(), before - group.Count());
        ++pops;
        break;
      }
    }
    for (int col = 0; col < 18; ++col) {
      bool gap = false;
      for (int row = 0; row < 14; ++row) {
        const bool occupied = game.BalloonAt(row * 18 + col) != nullptr;
        EXPECT_FALSE(gap && occupied) << "column " << col << " row " << row;
        if (!occupied) gap = true;
      }
    }
  }
  EXPECT_EQ(pops, 8);
}

TEST_F(BoardTest, BlowingAPackedRowPlaysBlowWaitsFiftyMillisecondsAndMovesNothing) {
  OpenAndStart();
  SetBoard({"rgrgrgrgrgrgrgrgrg", "..yryryryryryryryr"});
  const uint32_t before = GetTime();
  game.BlowRight(1);
  EXPECT_EQ(GetTime() - before, 50u);
  EXPECT_EQ(effects.Count("blow"), 1);
  EXPECT_EQ(BoardText(), (std::vector<std::string>{"rgrgrgrgrgrgrgrgrg", "..yryryryryryryryr"}));
}

TEST_F(BoardTest, ABlowPacksItsRowWhileMovedBalloonsRise) {
  OpenAndStart();
  SetBoard({"rgrg..rgrg.rgr.gr.", "yb.b..b.y...yb....", "gg"});
  const uint32_t before = GetTime();
  game.BlowRight(1);
  // Each balloon moved under an empty cell rose at once and the next shift filled its gap; the
  // rest ended packed against the right end.
  EXPECT_EQ(BoardText(),
            (std::vector<std::string>{"rgrgbbrgrgyrgrbgry", "................yb", "gg"}));
  EXPECT_EQ(effects.Count("blow"), 1);
  // 16 shifting passes and the one that found the row packed, 50 ms each, and one redraw
  // after the third of the five balloons that rose.
  EXPECT_EQ(GetTime() - before, 17u * 50u + 10u);

  SetBoard({"r.g.y", "ygr.b"});
  game.BlowLeft(1);
  EXPECT_EQ(BoardText(), (std::vector<std::string>{"r.gby", "ygr"}));
}

TEST_F(BoardTest, RightClicksBlowOddRowsRightAndEvenRowsLeftAndCloudsBlowTheirRow) {
  OpenAndStart();
  const std::string full0 = "rgrgrgrgrgrgrgrgrg";
  const std::string full1 = "ypypypypypypypypyp";
  SetBoard({full0, "y.y.y"});
  MouseFrame(CellX(0), CellY(1), 2);
  MouseFrame(CellX(0), CellY(1), 0);
  EXPECT_EQ(BoardText(), (std::vector<std::string>{full0, "...............yyy"}));
  SetBoard({full0, full1, "..b.b"});
  MouseFrame(CellX(17), CellY(2), 2);
  MouseFrame(CellX(17), CellY(2), 0);
  EXPECT_EQ(BoardText(), (std::vector<std::string>{full0, full1, "bb"}));
  EXPECT_EQ(effects.Count("blow"), 2);

  // The cloud right of row 2 blows it left; the one left of row 1 blows it right.
  SetBoard({full0, full1, "..b.b"});
  ClickButton("Air2l");
  EXPECT_EQ(BoardText(), (std::vector<std::string>{full0, full1, "bb"}));
  SetBoard({full0, "y.y.y"});
  ClickButton("Air1r");
  EXPECT_EQ(BoardText(), (std::vector<std::string>{full0, "...............yyy"}));
  EXPECT_EQ(effects.Count("blow"), 4);
}

TEST_F(BoardTest, NoMovesLeftLooksOnlyAtRowsZeroToSevenInTheirOwnDirection) {
  OpenAndStart();
  const std::string a = "rgrgrgrgrgrgrgrgrg";
  const std::string b = "ypypypypypypypypyp";
  // No pair anywhere, rows 0 to 8 full; only row 9 could be blown.
  SetBoard({a, b, a, b, a, b, a, b, a, "y.ypypypypypypypyp"});
  EXPECT_FALSE(game.HasPoppableGroup());
  EXPECT_TRUE(game.CanBlowLeft(9));
  EXPECT_TRUE(game.CanBlowRight(9));
  EXPECT_TRUE(game.NoMovesLeft());
  Frame();
  EXPECT_EQ(game.EndReason(), kEndNoMoves);
  EXPECT_EQ(game.GetState(), kStateGameOver);

  // Row 0 is looked at for a blow to the left only, row 1 to the right only.
  SetBoard({"rgrgrgrgrgrgrgrgr."});
  EXPECT_TRUE(game.CanBlowRight(0));
  EXPECT_TRUE(game.NoMovesLeft());
  SetBoard({".rgrgrgrgrgrgrgrgr"});
  EXPECT_FALSE(game.NoMovesLeft());
  SetBoard({a, ".ypypypypypypypypy"});
  EXPECT_TRUE(game.CanBlowLeft(1));
  EXPECT_TRUE(game.NoMovesLeft());
  SetBoard({a, "ypypypypypypypypy."});
  EXPECT_FALSE(game.NoMovesLeft());
  SetBoard({a, "ypypypypypypypypyy"});
  EXPECT_FALSE(game.NoMovesLeft());
}

TEST_F(BoardTest, AMissingPopPictureLetsTheBalloonSimplyDisappear) {
  std::filesystem::remove(GamePath("pop.bmp"));
  OpenAndStart();
  // The cells take the colour pictures' size.
  EXPECT_EQ(game.CellWidth(), 32);
  EXPECT_EQ(game.CellHeight(), 40);
  EXPECT_EQ(game.BalloonAt(0)->FrameCount(), 1);
  SetBoard({"rrg", "..r"});
  ClickCell(0, 0);
  EXPECT_EQ(BoardText(), (std::vector<std::string>{"..g", "..r"}));
  EXPECT_EQ(game.GetScore(), 300);
}

}  // namespace
}  // namespace gametest
