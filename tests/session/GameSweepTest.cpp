// The game's part of the missing-file sweep: for each file it reads, missing or damaged, a
// scripted session on a copy of the staged layout: the sound and the music started as the shell
// starts them, the play screen opened, groups popped, a row blown by the right button and by a
// cloud, the rules shown and closed, a new game, a short game to its end with the score entered
// in the hall of fame, and "exit"; then the shell's shutdown. Each step's result is checked
// unless the damaged file is one that step needs.

#include <string>

#include "framework/HighScoreTable.h"
#include "framework/Timer.h"
#include "platform/Mci.h"
#include "qz/qz.h"
#include "shell/GameAudio.h"
#include "tests/game/GameFixture.h"
#include "tests/session/SweepCases.h"

namespace gametest {
namespace {

class GameSweep : public GameFixture, public ::testing::WithParamInterface<sweep::Case> {
 protected:
  void SetUp() override {
    linkInstall = true;
    GameFixture::SetUp();
    const std::filesystem::path launcher = install.Path() / "Hubbix";
    sweep::LinkLayout(launcher);
    WriteOptions("[setup]\nplayerid=0\nMusic=Y\nSFX=Y\n[Player1]\nname=Ann\nsend=Y\n");
    HighScoreTable table;
    table.Init(kHighScoreEntries);
    table.Insert("Bo:::N", 1);
    ASSERT_TRUE(table.Save(GamePath("hiscore.dat").c_str()));
    sweep::Apply(launcher, GetParam());
  }

  bool Damaged(std::initializer_list<const char*> files) const {
    return sweep::Hits(GetParam(), files);
  }

  int PopSome(int wanted) {
    int pops = 0;
    for (int attempt = 0; attempt < 2 * wanted && pops < wanted; ++attempt) {
      const int cell = PoppableCell();
      if (cell < 0) break;
      const int before = BalloonCount();
      ClickCell(cell % Game::kColumns, cell / Game::kColumns);
      if (BalloonCount() < before) ++pops;
    }
    return pops;
  }
};

TEST_P(GameSweep, PopBlowCloudHelpNewGameAndAShortGameToItsEnd) {
  const sweep::Case& c = GetParam();
  StartGameAudio(memory);
  SetEffectObserver(&RecordEffect, &effects);
  OpenAndStart();
  StopClock();

  EXPECT_GE(PopSome(3), 1);
  EXPECT_GT(game.GetScore(), 0);

  // A right click blows a row; so does the cloud beside row 2.
  MouseFrame(CellX(0), CellY(1), 2);
  MouseFrame(CellX(0), CellY(1), 0);
  EXPECT_GE(effects.Count("blow"), 1);
  ClickButton("Air2l");
  if (!Damaged({"Zeppolo/CloudAnimRight.bmp"})) {
    EXPECT_GE(effects.Count("blow"), 2);
  }

  // The rules, closed by a click on them.
  const Button* help = screen.Buttons()->Find("help");
  ASSERT_NE(help, nullptr);
  const int helpX = help->X() + help->Width() / 2;
  const int helpY = help->Y() + help->Height() / 2;
  MouseFrame(helpX, helpY, 0);
  MouseFrame(helpX, helpY, 1);
  MouseFrame(helpX, helpY, 0);
  // A picture that cannot be closed would hold the test for ever: after many frames the script
  // ends the program instead, which fails the step.
  auto click = ClickScript(400, 300);
  int pumped = 0;
  EXPECT_EQ(WithTicker([&] { return Frame(); },
                       [&] {
                         click();
                         if (++pumped == 2000) platform::Messages().PostQuit(0);
                       }),
            1);
  platform::Messages().Clear();
  if (!Damaged({"Zeppolo/help.bmp"})) {
    EXPECT_EQ(effects.Count("click"), 1);
  }
  EXPECT_EQ(game.GetState(), kStatePlaying);
  if (!Damaged({"Zeppolo/help.bmp"})) {
    EXPECT_EQ(IsClockRunning(), 1);  // the rules were closed and the game goes on
  }
  StopClock();

  EXPECT_EQ(ClickButton("newgame"), 1);
  if (!Damaged({"Zeppolo/newgame.bmp"})) {
    EXPECT_EQ(game.GetScore(), 0);
  }
  ASSERT_EQ(game.GetState(), kStatePlaying);
  StopClock();

  // A short game: a few pops, then the clock runs out and the score is entered.
  EXPECT_GE(PopSome(2), 1);
  SetClockSeconds(0);
  StartClock();
  ASSERT_TRUE(FramesUntil([&] { return game.Floaters()->Count() == 0; }, 2000));
  Frame();
  ASSERT_EQ(game.GetState(), kStateGameOver);
  const int32_t finalScore = game.GetScore();
  EXPECT_GT(finalScore, 1);
  // The game-over picture is clicked away as soon as it shows (the hall of fame's notice then
  // takes its second).
  int pressedAt = -1;
  const auto clickAway = [&] {
    TheMousePointer().SetPosition(400, 300);
    if (pressedAt < 0) {
      platform::Input().SetMouseButtons(1);
      pressedAt = memory->presents;
    } else if (memory->presents >= pressedAt + 2) {
      platform::Input().SetMouseButtons(0);
    }
  };
  EXPECT_EQ(WithTicker([&] { return Frame(); }, clickAway), 1);
  platform::Input().SetMouseButtons(0);
  EXPECT_EQ(game.GetState(), kStateIdle);
  if (!(c.file == "Zeppolo/hiscore.dat" && c.damage == sweep::Damage::kFolder)) {
    HighScoreTable table;
    table.Init(kHighScoreEntries);
    ASSERT_TRUE(table.Load(GamePath("hiscore.dat").c_str()));
    EXPECT_EQ(table.Score(0), finalScore);
    if (!Damaged({"options.ini"})) {
      EXPECT_STREQ(table.Name(0), "Ann:::Y");
    }
    if (!Damaged({"Zeppolo/hiscore.dat"})) {
      EXPECT_STREQ(table.Name(1), "Bo:::N");
    }
  }

  const int result = ClickButton("exit");
  if (!Damaged({"Zeppolo/exit.bmp"})) {
    EXPECT_EQ(result, kFrameResultQuit);
  }
  EXPECT_TRUE(starter.starts.empty());

  // The shell's shutdown, in the shell's order.
  ShutDownAsTheShellDoes();
  StopGameAudio();
}

INSTANTIATE_TEST_SUITE_P(EachFile, GameSweep,
                         ::testing::ValuesIn(sweep::Cases(sweep::Reader::kGame)), sweep::CaseName);

}  // namespace
}  // namespace gametest
