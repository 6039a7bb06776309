// A whole game session, scripted, for the sanitizer build to watch for leaks and memory errors:
// the play screen opens on a seeded board; groups are popped, rows blown by the right button and
// by a cloud, a colour is cleared, the time runs out, the score is entered in the hall of fame;
// then "exit" ends the game and the shell's shutdown runs, in the shell's order.

#include <string>

#include "framework/HighScoreTable.h"
#include "framework/Timer.h"
#include "platform/Mci.h"
#include "qz/qz.h"
#include "tests/game/GameFixture.h"

namespace gametest {
namespace {

class GameSession : public GameFixture {};

TEST_F(GameSession, PopsBlowsAClearedColourOutOfTimeAndTheScoreEntry) {
  WriteOptions("[setup]\nplayerid=0\nMusic=Y\nSFX=Y\n[Player1]\nname=Ann\nsend=Y\n");
  OpenAndStart();
  StopClock();  // the clock runs out when the script says so

  // Pops on the board the seed dealt.
  int pops = 0;
  for (int attempt = 0; attempt < 12 && pops < 6; ++attempt) {
    const int cell = PoppableCell();
    if (cell < 0) break;
    const int before = BalloonCount();
    ClickCell(cell % Game::kColumns, cell / Game::kColumns);
    if (BalloonCount() < before) ++pops;
  }
  EXPECT_GE(pops, 3);
  const int32_t afterPops = game.GetScore();
  EXPECT_GT(afterPops, 0);

  // Blows: a right click on a row, then the cloud beside row 2.
  MouseFrame(CellX(0), CellY(1), 2);
  MouseFrame(CellX(0), CellY(1), 0);
  ClickButton("Air2l");
  EXPECT_GE(effects.Count("blow"), 2);

  // A colour cleared: the last reds go in one group.
  SetBoard({"rrgygygygy", "gygygygygy", "pbpbpbpbpb"});
  ClickCell(0, 0);
  EXPECT_EQ(effects.Count("allcolor"), 1);
  EXPECT_GE(game.GetScore(), afterPops + 100000 + 300);

  // Out of time: the labels rise out, the game ends, the score is entered.
  SetClockSeconds(0);
  StartClock();
  ASSERT_TRUE(FramesUntil([&] { return game.Floaters()->Count() == 0; }, 2000));
  Frame();
  ASSERT_EQ(game.GetState(), kStateGameOver);
  EXPECT_EQ(game.EndReason(), kEndOutOfTime);
  const int32_t finalScore = game.GetScore();
  EXPECT_EQ(WithTicker([&] { return Frame(); }), 1);
  EXPECT_EQ(game.GetState(), kStateIdle);
  EXPECT_EQ(effects.Count("thunder"), 1);
  HighScoreTable table;
  table.Init(kHighScoreEntries);
  ASSERT_TRUE(table.Load(GamePath("hiscore.dat").c_str()));
  EXPECT_STREQ(table.Name(0), "Ann:::Y");
  EXPECT_EQ(table.Score(0), finalScore);

  // "exit" ends the game; the shell then shuts down in this order.
  EXPECT_EQ(ClickButton("exit"), 7);
  EXPECT_TRUE(starter.starts.empty());
  ShutDownAsTheShellDoes();
  TheSoundBank().Shutdown();
  platform::MciSendString("close music", nullptr, 0, nullptr);
}

}  // namespace
}  // namespace gametest
