// The play screen and the flow of a game: what opening loads, the menu buttons, the states, the
// two endings with their pictures, and the score entry with the hall-of-fame notice.

#include <cstring>
#include <fstream>
#include <iterator>
#include <map>

#include "qz/qz.h"
#include "tests/game/GameFixture.h"

namespace gametest {
namespace {

class FlowTest : public GameFixture {
 protected:
  void TearDown() override {
    for (auto& entry : pictures)
      QZSurface::Release(entry.second);
    GameFixture::TearDown();
  }

  // A picture of the game folder, loaded as the game loads it (pure blue transparent).
  QZSurface* Picture(const std::string& file) {
    auto found = pictures.find(file);
    if (found != pictures.end()) return found->second;
    QZSurface* surface = QZLoadBitmap(file.c_str(), 16);
    EXPECT_NE(surface, nullptr) << file;
    if (surface != nullptr) SetColorKey(surface, 0, 0, 255);
    pictures[file] = surface;
    return surface;
  }

  // Which modal pictures were up, in order, and whether "hiscore.dat" existed when each first
  // showed: recorded from inside their loops.
  struct Shown {
    std::string picture;
    bool scoresSaved;
  };
  std::function<void()> RecordPictures(std::vector<Shown>& shown, const char* quitOn = nullptr) {
    auto lastScene = std::make_shared<QZSurface*>(nullptr);
    auto lastSample = std::make_shared<uint64_t>(0);
    return [this, &shown, quitOn, lastScene, lastSample] {
      QZSurface* scene = TheDirtyRects().Scene();
      // A dialog's scene may be allocated where the last dialog's was, so a scene at the same
      // address is looked at again when a sample of its pixels changed. The sample is cheap: a
      // full comparison at every message would slow the modal loops the ticker keeps pace with.
      uint64_t sample = 0;
      if (scene != nullptr) {
        const QZSurface& pixels = *scene;
        for (int i = 0; i < 256; ++i) {
          sample = sample * 1099511628211u +
                   pixels.PixelAt((i * 97) % pixels.Width(), (i * 61) % pixels.Height());
        }
      }
      const bool newScene = scene != *lastScene;
      if (!newScene && sample == *lastSample) return;
      *lastScene = scene;
      *lastSample = sample;
      std::string name = "other";
      for (const char* file :
           {"GameOverNMM.bmp", "GameOverOOT.bmp", "hallfamepop.bmp", "title\\HowToPlay.bmp"}) {
        if (scene != nullptr && Shows(scene, Picture(file), 0, 0)) name = file;
      }
      // On the same scene only a known picture is news; anything else is the same one redrawn.
      if (!newScene && name == "other") return;
      if (shown.empty() || shown.back().picture != name) {
        shown.push_back({name, GameFileExists("hiscore.dat")});
        if (quitOn != nullptr && name == quitOn) platform::Messages().PostQuit(0);
      }
    };
  }

  // A board without a pair and without a blow in the rows the end test looks at.
  void SetStuckBoard() {
    const std::string a = "rgrgrgrgrgrgrgrgrg";
    const std::string b = "ypypypypypypypypyp";
    SetBoard({a, b, a, b, a, b, a, b});
  }

  std::string HighScoreName(int i) const {
    const std::string bytes = ReadGameFile("hiscore.dat");
    if (bytes.size() < 4u + 260u * (static_cast<size_t>(i) + 1)) return "";
    return std::string(bytes.c_str() + 4 + 260 * i);
  }
  int32_t HighScore(int i) const {
    const std::string bytes = ReadGameFile("hiscore.dat");
    int32_t score = 0;
    if (bytes.size() >= 4u + 260u * (static_cast<size_t>(i) + 1)) {
      std::memcpy(&score, bytes.data() + 4 + 260 * i + 256, sizeof(score));
    }
    return score;
  }

  std::map<std::string, QZSurface*> pictures;
};

TEST_F(FlowTest, OpeningLoadsEverythingInItsOrderAndSetsTheFirstGameUpTwice) {
  OpenOnly();
  ButtonList* list = screen.Buttons();
  ASSERT_EQ(list->Count(), 32);
  for (int i = 0; i < 14; ++i) {
    EXPECT_EQ(std::string(list->At(i)->Name()), "Air" + std::to_string(i) + "r");
    EXPECT_EQ(list->At(i)->X(), 88);
    EXPECT_EQ(list->At(i)->Y(), 40 * i + 4);
    EXPECT_EQ(list->At(i)->ImageCount(), 3);
    EXPECT_EQ(std::string(list->At(14 + i)->Name()), "Air" + std::to_string(i) + "l");
    EXPECT_EQ(list->At(14 + i)->X(), 730);
  }
  const char* menu[] = {"newgame", "exit", "help", "menu"};
  const int menuX[] = {13, 12, 12, 13};
  const int menuY[] = {375, 525, 475, 425};
  for (int i = 0; i < 4; ++i) {
    EXPECT_STREQ(list->At(28 + i)->Name(), menu[i]);
    EXPECT_EQ(list->At(28 + i)->X(), menuX[i]);
    EXPECT_EQ(list->At(28 + i)->Y(), menuY[i]);
    EXPECT_EQ(list->At(28 + i)->ImageCount(), 2);
  }
  // A cloud's first picture is part of both the scene and the background.
  EXPECT_TRUE(Shows(TheDirtyRects().Background(), list->At(0)->Picture(0), 88, 4));
  EXPECT_TRUE(Shows(TheDirtyRects().Scene(), list->At(27)->Picture(0), 730, 40 * 13 + 4));

  PtrArray<Image>* images = screen.Images();
  ASSERT_EQ(images->Count(), 21);
  EXPECT_EQ(TheDirtyRects().Scene(), images->At(0)->Surface());
  EXPECT_EQ(TheDirtyRects().Background(), images->At(1)->Surface());
  const char* names[] = {"Red",     "Orange",     "Yellow",     "Purple",     "Green",
                         "RedStar", "OrangeStar", "YellowStar", "PurpleStar", "GreenStar",
                         "BigBlue", "BigRed",     "BigGreen",   "BigPurple",  "BigYellow",
                         "pop",     "x2",         "x4",         "x6"};
  for (int i = 0; i < 19; ++i) {
    EXPECT_STREQ(images->At(2 + i)->Name(), names[i]);
    EXPECT_NE(images->At(2 + i)->Surface(), nullptr) << names[i];
  }
  EXPECT_TRUE(Shows(screen.FindImage("Orange")->Surface(), Picture("blue.bmp"), 0, 0));

  EXPECT_EQ(screen.DigitSprite()->FrameCount(), 10);
  EXPECT_EQ(screen.TimerSprite()->FrameCount(), 37);
  EXPECT_EQ(screen.LightningSprite()->FrameCount(), 1);

  const char* sounds[] = {"pop1",    "pop2",     "pop3",  "pop4",   "pop5", "allcolor", "allpop",
                          "pushrow", "negative", "bhitb", "reveal", "blow", "bonus",    "thunder"};
  ASSERT_EQ(TheSoundBank().Count(), 14);
  for (int i = 0; i < 14; ++i) {
    EXPECT_STREQ(TheSoundBank().At(i)->name, sounds[i]);
    EXPECT_EQ(TheSoundBank().At(i)->id, 10 + i);
  }

  EXPECT_EQ(game.GetState(), kStateStarting);
  EXPECT_EQ(effects.Count("reveal"), 1);
  EXPECT_TRUE(effects.started.back());
  EXPECT_EQ(IsClockRunning(), 0);
  EXPECT_EQ(GetClockSeconds(), 200);
  EXPECT_EQ(TitleSeen(), "Player1");

  Frame();
  EXPECT_EQ(game.GetState(), kStatePlaying);
  EXPECT_EQ(effects.Count("reveal"), 2);
  EXPECT_EQ(IsClockRunning(), 1);
  EXPECT_EQ(game.MinGroup(), 2);
  EXPECT_EQ(game.GameTime(), 200);
  EXPECT_EQ(game.ColourClearSeconds(), 30);
  // The board, the clouds, the panel and the gauge are on screen once the redraw list has
  // brought the scene's changes into the buffer that is presented.
  Frame();
  Frame();
  const Balloon* corner = game.BalloonAt(0);
  EXPECT_TRUE(Shows(Presented(), corner->Frame(0), 154, 7));
  EXPECT_TRUE(Shows(Presented(), list->At(0)->Picture(0), 88, 4));
  EXPECT_TRUE(Shows(Presented(), screen.TimerSprite()->Frame(0), 2, 208));
  EXPECT_TRUE(Shows(Presented(), list->Find("exit")->Picture(0), 12, 525));

  screen.Close();
  opened = false;
  EXPECT_EQ(TheSoundBank().Count(), 0);
  EXPECT_EQ(screen.Buttons(), nullptr);
}

TEST_F(FlowTest, SettingsAndThePlayerComeFromTheFilesAtEveryNewGame) {
  WriteGameFile("setup.ini", "[Default]\nGameTime=60\nballoons=3\n");
  WriteOptions("[setup]\nplayerid=2\n[Player3]\nname=Am\xC3\xA9lie Zo\xC3\xA9\n");
  OpenAndStart();
  EXPECT_EQ(GetClockSeconds(), 60);
  EXPECT_EQ(game.MinGroup(), 3);
  EXPECT_EQ(game.GetPlayerIndex(), 2);
  EXPECT_EQ(TitleSeen(), "Am\xC3\xA9lie Zo\xC3\xA9");

  WriteOptions("[setup]\nplayerid=0\n");
  game.NewGame();
  EXPECT_EQ(TitleSeen(), "Player1");
}

TEST_F(FlowTest, NewGameDuringPlayAbandonsTheScore) {
  OpenAndStart();
  SetBoard({"rrgygygygy", "gygygygygy", "r"});
  ClickCell(0, 0);
  ASSERT_EQ(game.GetScore(), 300);
  const int reveals = effects.Count("reveal");
  EXPECT_EQ(ClickButton("newgame"), 1);
  // Set up twice in that frame, and playing again.
  EXPECT_EQ(effects.Count("reveal"), reveals + 2);
  EXPECT_EQ(game.GetState(), kStatePlaying);
  EXPECT_EQ(game.GetScore(), 0);
  EXPECT_EQ(game.LastGroupScore(), 0);
  EXPECT_EQ(BalloonCount(), 252);
  EXPECT_EQ(game.Floaters()->Count(), 0);
  EXPECT_FALSE(GameFileExists("hiscore.dat"));
}

TEST_F(FlowTest, MenuStartsTheLauncherFromItsFolderAndEndsTheGame) {
  OpenAndStart();
  EXPECT_EQ(ClickButton("menu"), 7);
  ASSERT_EQ(starter.starts.size(), 1u);
  EXPECT_EQ(starter.starts[0].file, launcherFolder() + "\\Hubbix.exe");
  EXPECT_EQ(starter.starts[0].argument, "Zeppolo");
  EXPECT_EQ(starter.starts[0].workingFolder, launcherFolder());
}

TEST_F(FlowTest, MenuWithoutALauncherFolderThatFitsStaysInTheGame) {
  OpenAndStart();
  const std::string real = launcherFolder();
  // 245 characters and "\Hubbix.exe" do not fit 256 with the terminator.
  launcherFolder() = "/" + std::string(244, 'x');
  EXPECT_NE(ClickButton("menu"), 7);
  launcherFolder() = "/" + std::string(243, 'x');
  EXPECT_EQ(ClickButton("menu"), 7);
  EXPECT_EQ(starter.starts.size(), 1u);
  launcherFolder() = "";
  EXPECT_NE(ClickButton("menu"), 7);
  EXPECT_EQ(starter.starts.size(), 1u);
  launcherFolder() = real;
}

TEST_F(FlowTest, ExitEndsTheGameWithoutTheLauncher) {
  OpenAndStart();
  EXPECT_EQ(ClickButton("exit"), 7);
  EXPECT_TRUE(starter.starts.empty());
}

TEST_F(FlowTest, HelpShowsTheRulesStopsTheClockAndAClickGoesBackToTheRunningGame) {
  OpenAndStart();
  const Button* help = screen.Buttons()->Find("help");
  const int x = help->X() + help->Width() / 2;
  const int y = help->Y() + help->Height() / 2;
  MouseFrame(x, y, 0);
  MouseFrame(x, y, 1);
  MouseFrame(x, y, 0);
  std::vector<Shown> shown;
  std::vector<int> clockRunning;
  auto record = RecordPictures(shown);
  auto click = ClickScript(400, 300);
  const int result = WithTicker([&] { return Frame(); },
                                [&] {
                                  record();
                                  clockRunning.push_back(IsClockRunning());
                                  click();
                                });
  EXPECT_EQ(result, 1);
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown.front().picture, "title\\HowToPlay.bmp");
  for (int running : clockRunning)
    EXPECT_EQ(running, 0);
  EXPECT_EQ(effects.Count("click"), 1);
  EXPECT_FALSE(effects.started.back());
  // The game goes on: clock running, the board back where the picture was.
  EXPECT_EQ(IsClockRunning(), 1);
  EXPECT_EQ(game.GetState(), kStatePlaying);
  Frame();
  Frame();
  EXPECT_TRUE(Shows(Presented(), game.BalloonAt(8 * 18 + 9)->Frame(0), 154 + 9 * 32, 7 + 8 * 40));
}

TEST_F(FlowTest, IdleBlinksNewGameEveryHalfSecond) {
  OpenAndStart();
  game.SetState(kStateIdle);
  const Button* newGame = screen.Buttons()->Find("newgame");
  std::vector<uint32_t> changes;
  int shift = newGame->PictureShift();
  for (int i = 0; i < 160; ++i) {
    Frame();
    if (newGame->PictureShift() != shift) {
      shift = newGame->PictureShift();
      changes.push_back(GetTime());
    }
  }
  ASSERT_GE(changes.size(), 3u);
  for (size_t i = 1; i < changes.size(); ++i)
    EXPECT_EQ(changes[i] - changes[i - 1], 510u);
  EXPECT_TRUE(Shows(Presented(), newGame->Picture(shift), 13, 375));
}

TEST_F(FlowTest, NoMovesLeftShowsItsPictureSilentlyAndAQualifyingScoreIsEnteredBeforeTheNotice) {
  OpenAndStart();
  SetStuckBoard();
  game.SetScore(4500);
  Frame();
  ASSERT_EQ(game.GetState(), kStateGameOver);
  std::vector<Shown> shown;
  const uint32_t before = GetTime();
  EXPECT_EQ(WithTicker([&] { return Frame(); }, RecordPictures(shown)), 1);
  EXPECT_GE(GetTime() - before, 3000u);
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].picture, "GameOverNMM.bmp");
  EXPECT_FALSE(shown[0].scoresSaved);
  EXPECT_EQ(shown[1].picture, "hallfamepop.bmp");
  EXPECT_TRUE(shown[1].scoresSaved);
  EXPECT_EQ(effects.Count("thunder"), 0);
  EXPECT_EQ(IsClockRunning(), 0);
  EXPECT_EQ(game.GetState(), kStateIdle);

  EXPECT_EQ(ReadGameFile("hiscore.dat").size(), 5204u);
  EXPECT_EQ(HighScoreName(0), "Player1:::Y");
  EXPECT_EQ(HighScore(0), 4500);
  EXPECT_EQ(HighScoreName(1), "");
}

TEST_F(FlowTest, AClickClosesTheGameOverPictureAtOnce) {
  OpenAndStart();
  SetStuckBoard();
  Frame();
  ASSERT_EQ(game.GetState(), kStateGameOver);
  std::vector<Shown> shown;
  auto record = RecordPictures(shown);
  auto click = ClickScript(400, 300);
  const uint32_t before = GetTime();
  WithTicker([&] { return Frame(); },
             [&] {
               record();
               click();
             });
  EXPECT_LT(GetTime() - before, 2000u);
  // A score of 0 does not qualify: nothing written, no notice.
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].picture, "GameOverNMM.bmp");
  EXPECT_FALSE(GameFileExists("hiscore.dat"));
  EXPECT_EQ(game.GetState(), kStateIdle);
}

TEST_F(FlowTest, OutOfTimeWaitsForTheLastLabelThenThundersAndEntersTheScore) {
  // The longest fields there are, in UTF-8: an address one byte too long, which the game reads
  // without its last character rather than with half of it, and an e-mail of 63 bytes.
  const std::string address = std::string(62, 'a') + "\xC3\xA9";
  std::string email;
  for (int i = 0; i < 31; ++i)
    email += "\xC5\x82";
  email += "x";
  WriteOptions("[Player1]\nname=J\xC3\xBCrgen Wei\xC3\x9F\naddress=" + address +
               "\nemail=" + email + "\nsend=Y\n");
  OpenAndStart();
  SetBoard({"rrgygygygy", "gygygygygy", "r"});
  ClickCell(0, 0);
  SetClockSeconds(0);
  ASSERT_GT(game.Floaters()->Count(), 0);
  while (game.Floaters()->Count() > 0) {
    Frame();
    ASSERT_EQ(game.GetState(), kStatePlaying);
  }
  Frame();
  ASSERT_EQ(game.GetState(), kStateGameOver);
  EXPECT_EQ(game.EndReason(), kEndOutOfTime);

  std::vector<Shown> shown;
  EXPECT_EQ(WithTicker([&] { return Frame(); }, RecordPictures(shown)), 1);
  EXPECT_EQ(effects.Count("thunder"), 1);
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].picture, "GameOverOOT.bmp");
  EXPECT_EQ(shown[1].picture, "hallfamepop.bmp");
  EXPECT_EQ(HighScoreName(0),
            "J\xC3\xBCrgen Wei\xC3\x9F:" + std::string(62, 'a') + ":" + email + ":Y");
  EXPECT_EQ(HighScore(0), 300);
  EXPECT_EQ(game.GetState(), kStateIdle);
}

TEST_F(FlowTest, AScoreBelowTheTwentiethWritesNothing) {
  HighScoreTable table;
  table.Init(20);
  for (int i = 0; i < 20; ++i)
    table.Insert("Someone:::Y", 1000 + i);
  ASSERT_TRUE(table.Save(GamePath("hiscore.dat").c_str()));
  const std::string saved = ReadGameFile("hiscore.dat");
  OpenAndStart();
  SetStuckBoard();
  game.SetScore(1000);
  Frame();
  std::vector<Shown> shown;
  WithTicker([&] { return Frame(); }, RecordPictures(shown));
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(ReadGameFile("hiscore.dat"), saved);
}

// Another copy of the game, or the launcher's "clear", changed the file while this game ran: the
// result goes into the file as it is at the end, not into the table read at the start.
TEST_F(FlowTest, TheResultEntersTheHallOfFameAsItIsWhenTheGameEnds) {
  // A hall of fame of one result, written as another program writes it.
  auto writeOnly = [this](const char* name, int32_t score) {
    HighScoreTable other;
    other.Init(20);
    other.Insert(name, score);
    EXPECT_TRUE(other.Save(GamePath("hiscore.dat").c_str()));
  };
  writeOnly("Old:::Y", 500);
  OpenAndStart();
  writeOnly("Other:::Y", 900);  // cleared in the launcher, then another copy's result
  SetStuckBoard();
  game.SetScore(700);
  Frame();
  std::vector<Shown> shown;
  WithTicker([&] { return Frame(); }, RecordPictures(shown));
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[1].picture, "hallfamepop.bmp");
  EXPECT_EQ(HighScoreName(0), "Other:::Y");
  EXPECT_EQ(HighScore(0), 900);
  EXPECT_EQ(HighScoreName(1), "Player1:::Y");
  EXPECT_EQ(HighScore(1), 700);
  EXPECT_EQ(HighScoreName(2), "");
  EXPECT_EQ(game.HighScores().TopScore(), 900);
}

TEST_F(FlowTest, QuitDuringTheNoticeEndsTheProgramWithTheScoreAlreadySaved) {
  OpenAndStart();
  SetStuckBoard();
  game.SetScore(700);
  Frame();
  std::vector<Shown> shown;
  EXPECT_EQ(WithTicker([&] { return Frame(); }, RecordPictures(shown, "hallfamepop.bmp")), 7);
  EXPECT_EQ(HighScore(0), 700);
}

TEST_F(FlowTest, QuitDuringTheGameOverPictureEntersNoScore) {
  OpenAndStart();
  SetStuckBoard();
  game.SetScore(700);
  Frame();
  std::vector<Shown> shown;
  EXPECT_EQ(WithTicker([&] { return Frame(); }, RecordPictures(shown, "GameOverNMM.bmp")), 7);
  EXPECT_FALSE(GameFileExists("hiscore.dat"));
}

TEST_F(FlowTest, ClearedBoardBlinksTheCongratulationsUntilAMouseButton) {
  OpenAndStart();
  StopClock();
  SetClockSeconds(0);
  SetBoard({"rr"});
  MouseFrame(CellX(0), CellY(0), 1);
  ASSERT_EQ(game.GetState(), kStateCleared);
  MouseFrame(CellX(0), CellY(0), 0);
  ASSERT_TRUE(Game::CongratulationsShown());
  EXPECT_TRUE(Shows(Presented(), Picture("congrats1.bmp"), 264, 56));
  EXPECT_TRUE(Shows(Presented(), Picture("congrats4.bmp"), 326, 419));
  // The big balloon of the cleared colour is drawn over them until it goes.
  ASSERT_TRUE(FramesUntil([&] { return game.FloatersBusy() == 0; }, 300));
  // The middle picture alternates twice a second while no button is down.
  std::vector<uint32_t> changes;
  bool second = Shows(Presented(), Picture("congrats3.bmp"), 154, 124);
  for (int i = 0; i < 120; ++i) {
    Frame();
    const bool nowSecond = Shows(Presented(), Picture("congrats3.bmp"), 154, 124);
    if (!nowSecond) {
      EXPECT_TRUE(Shows(Presented(), Picture("congrats2.bmp"), 154, 124));
    }
    if (nowSecond != second) changes.push_back(GetTime());
    second = nowSecond;
  }
  ASSERT_GE(changes.size(), 2u);
  for (size_t i = 1; i < changes.size(); ++i)
    EXPECT_EQ(changes[i] - changes[i - 1], 510u);
  EXPECT_EQ(game.GetState(), kStateCleared);
  EXPECT_FALSE(GameFileExists("hiscore.dat"));

  // Any button ends it: the score goes into the hall of fame with its notice.
  std::vector<Shown> shown;
  EXPECT_EQ(WithTicker([&] { return MouseFrame(400, 300, 2); }, RecordPictures(shown)), 1);
  EXPECT_FALSE(Game::CongratulationsShown());
  EXPECT_EQ(game.GetState(), kStateIdle);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].picture, "hallfamepop.bmp");
  EXPECT_EQ(HighScore(0), 300 + 100000 + 500000 + 30 * 1000);
}

}  // namespace
}  // namespace gametest
