// Play by keyboard through the play screen: the keys reach it as the window procedure hands them
// over, and the board must end up exactly as the same moves made with the mouse leave it.

#include "framework/HighScoreTable.h"
#include "framework/ScreenManager.h"
#include "tests/game/GameFixture.h"

namespace gametest {
namespace {

constexpr uint32_t kLeft = 0x25;
constexpr uint32_t kUp = 0x26;
constexpr uint32_t kRight = 0x27;
constexpr uint32_t kDown = 0x28;
constexpr uint32_t kSpace = 0x20;

// Every row full, with pairs side by side and the rows shifted against each other, so that
// pops and blows have something to do and the game does not end.
std::vector<std::string> PairsBoard() {
  const std::string cycle = "rrggbbyypp";
  std::vector<std::string> rows;
  for (int row = 0; row < Game::kRows; ++row) {
    std::string line;
    for (int col = 0; col < Game::kColumns; ++col)
      line += cycle[(col + 2 * row) % cycle.size()];
    rows.push_back(line);
  }
  // One balloon without a partner at the bottom.
  rows[13][8] = 'r';
  return rows;
}

class KeyboardTest : public GameFixture {
 protected:
  // A key pressed and released as the window procedure passes it on, then a frame.
  int Key(uint32_t virtualKey, intptr_t flags = 0) {
    screen.OnMessage(platform::WM_KEYDOWN, virtualKey, flags);
    screen.OnMessage(platform::WM_KEYUP, virtualKey, flags & ~platform::kKeyRepeated);
    return Frame();
  }
  // Arrows until the cursor stands on the cell (the first arrow shows it).
  void CursorTo(int col, int row) {
    if (!game.CursorShown()) Key(kLeft);
    while (game.CursorColumn() < col)
      Key(kRight);
    while (game.CursorColumn() > col)
      Key(kLeft);
    while (game.CursorRow() < row)
      Key(kDown);
    while (game.CursorRow() > row)
      Key(kUp);
  }
  void PopByKey(int col, int row) {
    CursorTo(col, row);
    Key(kSpace);
  }

  static int CellLeft(int col) { return Game::kBoardX + 32 * col; }
  static int CellTop(int row) { return Game::kBoardY + 40 * row; }
  // Whether the last picture shown has the cursor's frame around the cell.
  bool FrameShownAt(int col, int row) const {
    const QZSurface* shown = Presented();
    const uint16_t dark = static_cast<uint16_t>(MakeColor(nullptr, 16, 24, 64));
    const uint16_t light = static_cast<uint16_t>(MakeColor(nullptr, 255, 255, 255));
    const int x = CellLeft(col), y = CellTop(row);
    return shown->PixelAt(x, y) == dark && shown->PixelAt(x + 31, y + 39) == dark &&
           shown->PixelAt(x + 1, y + 20) == light && shown->PixelAt(x + 16, y + 38) == light &&
           shown->PixelAt(x + 3, y + 3) == dark;
  }
  // Whether the last picture shown has the scene's own pixels over the cell.
  bool CellAsInScene(int col, int row) const {
    const QZSurface* shown = Presented();
    const QZSurface* scene = TheDirtyRects().Scene();
    for (int y = CellTop(row); y < CellTop(row) + 40; ++y)
      for (int x = CellLeft(col); x < CellLeft(col) + 32; ++x)
        if (shown->PixelAt(x, y) != scene->PixelAt(x, y)) return false;
    return true;
  }
};

TEST_F(KeyboardTest, KeysLeaveTheBoardAsTheSameMovesWithTheMouse) {
  OpenAndStart();
  SetBoard(PairsBoard());
  const size_t startEffects = effects.names.size();
  // With the mouse: a refused single, pops at both far corners and in the middle, a blow each
  // way from the clouds.
  ClickCell(8, 13);
  ClickCell(0, 0);
  ClickCell(17, 13);
  ClickCell(8, 6);
  ClickButton("Air0r");
  ClickCell(9, 0);
  ClickButton("Air5l");
  ClickCell(0, 5);
  const std::vector<std::string> byMouse = BoardText();
  const int32_t mouseScore = game.GetScore();
  const size_t mouseEffects = effects.names.size();
  const int mouseBlows = effects.Count("blow");
  const int mouseRefusals = effects.Count("negative");
  ASSERT_NE(byMouse, PairsBoard());
  ASSERT_GT(mouseBlows, 1);
  ASSERT_GT(mouseRefusals, 0);

  SetBoard(PairsBoard());
  game.SetScore(0);
  PopByKey(8, 13);
  PopByKey(0, 0);
  PopByKey(17, 13);
  PopByKey(8, 6);
  CursorTo(4, 0);
  Key(kRight, platform::kKeyControlHeld);
  PopByKey(9, 0);
  CursorTo(3, 5);
  Key(kLeft, platform::kKeyControlHeld);
  PopByKey(0, 5);
  EXPECT_EQ(BoardText(), byMouse);
  EXPECT_EQ(game.GetScore(), mouseScore);
  EXPECT_EQ(effects.names.size() - mouseEffects, mouseEffects - startEffects);
  EXPECT_EQ(effects.Count("blow"), 2 * mouseBlows);
  EXPECT_EQ(effects.Count("negative"), 2 * mouseRefusals);
  EXPECT_EQ(game.GetState(), kStatePlaying);
}

TEST_F(KeyboardTest, TheCursorAppearsWithAnArrowAndStopsAtTheEdges) {
  OpenAndStart();
  EXPECT_FALSE(game.CursorShown());
  // Space, Enter and a blow before any arrow aim at nothing.
  const std::vector<std::string> before = BoardText();
  Key(kSpace);
  Key(platform::VK_RETURN);
  Key(kRight, platform::kKeyControlHeld);
  EXPECT_EQ(BoardText(), before);
  EXPECT_EQ(effects.Count("blow"), 0);
  EXPECT_FALSE(game.CursorShown());

  Key(kDown);
  ASSERT_TRUE(game.CursorShown());
  EXPECT_EQ(game.CursorColumn(), 0);
  EXPECT_EQ(game.CursorRow(), 0);
  EXPECT_TRUE(FrameShownAt(0, 0));
  Key(kLeft);
  Key(kUp);
  EXPECT_EQ(game.CursorColumn(), 0);
  EXPECT_EQ(game.CursorRow(), 0);
  for (int i = 0; i < Game::kColumns + 3; ++i)
    Key(kRight, i > 0 ? platform::kKeyRepeated : 0);  // a held arrow walks on
  for (int i = 0; i < Game::kRows + 3; ++i)
    Key(kDown);
  EXPECT_EQ(game.CursorColumn(), Game::kColumns - 1);
  EXPECT_EQ(game.CursorRow(), Game::kRows - 1);
  Frame();
  EXPECT_TRUE(FrameShownAt(17, 13));
  // The frame left behind at the top left is gone, restored from the scene.
  EXPECT_FALSE(FrameShownAt(0, 0));
  EXPECT_TRUE(CellAsInScene(0, 0));
  Key(kUp, platform::kKeyControlHeld);  // Ctrl with up or down does nothing
  EXPECT_EQ(game.CursorRow(), Game::kRows - 1);
}

TEST_F(KeyboardTest, MovingTheMouseHidesTheCursorAndItsFrame) {
  OpenAndStart();
  MouseFrame(500, 300, 0);
  CursorTo(3, 2);
  Frame();
  EXPECT_TRUE(FrameShownAt(3, 2));
  // The same position again is no move.
  MouseFrame(500, 300, 0);
  EXPECT_TRUE(game.CursorShown());
  MouseFrame(501, 300, 0);
  EXPECT_FALSE(game.CursorShown());
  Frame();
  EXPECT_FALSE(FrameShownAt(3, 2));
  EXPECT_TRUE(CellAsInScene(3, 2));
  // Space now pops nothing; the next arrow brings the cursor back where it was.
  const int balloons = BalloonCount();
  Key(kSpace);
  EXPECT_EQ(BalloonCount(), balloons);
  Key(kRight);
  EXPECT_EQ(game.CursorColumn(), 3);
  EXPECT_EQ(game.CursorRow(), 2);
}

// The frame is drawn over its cell only, so the rest of the picture is still known not to have
// changed since the last flip.
TEST_F(KeyboardTest, TheCursorDrawsOverItsCellOnly) {
  OpenAndStart();
  CursorTo(3, 2);
  Frame();
  back->ClearTouched();
  game.DrawCursor(back);
  const platform::Rect cell{CellLeft(3), CellTop(2), CellLeft(3) + 32, CellTop(2) + 40};
  ASSERT_FALSE(back->Touched().empty()) << "the cursor drew nothing";
  for (const platform::Rect& drawn : back->Touched()) {
    EXPECT_TRUE(drawn.left >= cell.left && drawn.top >= cell.top && drawn.right <= cell.right &&
                drawn.bottom <= cell.bottom);
  }
  Frame();
  EXPECT_TRUE(FrameShownAt(3, 2));
}

TEST_F(KeyboardTest, SpaceOnAnEmptyOrPoppedCellDoesNothingAndHoldingItPopsOnce) {
  OpenAndStart();
  SetBoard({"rrg", "ggy", "yyb"});
  PopByKey(0, 0);
  EXPECT_EQ(BoardText(), (std::vector<std::string>{"ggg", "yyy", "..b"}));
  EXPECT_EQ(game.LastGroupScore(), 300);
  // A held Space repeats without popping again.
  screen.OnMessage(platform::WM_KEYDOWN, kSpace, 0);
  Frame();
  EXPECT_EQ(BoardText(), (std::vector<std::string>{"yyy", "..b"}));
  screen.OnMessage(platform::WM_KEYDOWN, kSpace, platform::kKeyRepeated);
  Frame();
  screen.OnMessage(platform::WM_KEYUP, kSpace, 0);
  EXPECT_EQ(BoardText(), (std::vector<std::string>{"yyy", "..b"}));
  // Enter pops as Space does; the cell the pop emptied is then empty.
  Key(platform::VK_RETURN);
  EXPECT_EQ(BoardText(), (std::vector<std::string>{"..b"}));
  const size_t effectsBefore = effects.names.size();
  Key(kSpace);
  EXPECT_EQ(BoardText(), (std::vector<std::string>{"..b"}));
  EXPECT_EQ(effects.names.size(), effectsBefore);
  EXPECT_EQ(game.LastGroupScore(), 0);
  // A far empty cell likewise.
  CursorTo(17, 13);
  Key(kSpace);
  EXPECT_EQ(BoardText(), (std::vector<std::string>{"..b"}));
  // Alt+Enter belongs to the window, not the board.
  SetBoard({"rr"});
  CursorTo(0, 0);
  Key(platform::VK_RETURN, platform::kKeyAltHeld);
  EXPECT_EQ(BoardText(), (std::vector<std::string>{"rr"}));
}

TEST_F(KeyboardTest, BlowsGoOnlyWhereTheRowHasACloudThatBlowsThatWay) {
  OpenAndStart();
  // The top row full, with one pair so that the game goes on.
  const std::string top = "rrbyprgbyprgbyprgb";
  SetBoard({top, "y.b.p"});
  CursorTo(1, 1);
  Key(kRight, platform::kKeyControlHeld);
  EXPECT_EQ(BoardText(), (std::vector<std::string>{top, "...............ybp"}));
  EXPECT_EQ(effects.Count("blow"), 1);
  // With the row's left cloud switched off, Ctrl+Left is refused without a sound.
  screen.Buttons()->Find("Air1l")->SetEnabled(0);
  Key(kLeft, platform::kKeyControlHeld);
  EXPECT_EQ(BoardText(), (std::vector<std::string>{top, "...............ybp"}));
  EXPECT_EQ(effects.Count("blow"), 1);
  // The other way is still allowed (and blows an already packed row, as the cloud does).
  Key(kRight, platform::kKeyControlHeld);
  EXPECT_EQ(effects.Count("blow"), 2);
  screen.Buttons()->Find("Air1l")->SetEnabled(1);
  Key(kLeft, platform::kKeyControlHeld);
  EXPECT_EQ(BoardText(), (std::vector<std::string>{top, "ybp"}));
  EXPECT_EQ(effects.Count("blow"), 3);
  // Outside play a blow is not kept for later.
  game.SetState(kStateIdle);
  Key(kLeft, platform::kKeyControlHeld);
  game.SetState(kStatePlaying);
  Frame();
  EXPECT_EQ(effects.Count("blow"), 3);
}

TEST_F(KeyboardTest, LettersPressTheMenuButtonsOncePerPress) {
  OpenAndStart();
  SetBoard({"rr"});
  const int reveals = effects.Count("reveal");
  Key('N');
  EXPECT_EQ(effects.Count("reveal"), reveals + 2);
  EXPECT_EQ(BalloonCount(), 252);
  // A held N or Ctrl+N starts nothing more.
  Key('N', platform::kKeyRepeated);
  Key('N', platform::kKeyControlHeld);
  EXPECT_EQ(effects.Count("reveal"), reveals + 2);

  // H shows the rules; keys pressed while they are up are theirs: the N is not kept.
  screen.OnMessage(platform::WM_KEYDOWN, 'H', 0);
  bool pressed = false;
  auto click = ClickScript(400, 300);
  const int result = WithTicker([&] { return Frame(); },
                                [&] {
                                  if (!pressed) screen.OnMessage(platform::WM_KEYDOWN, 'N', 0);
                                  pressed = true;
                                  click();
                                });
  EXPECT_EQ(result, 1);
  EXPECT_EQ(effects.Count("click"), 1);
  Frame();
  EXPECT_EQ(effects.Count("reveal"), reveals + 2);
  EXPECT_EQ(game.GetState(), kStatePlaying);

  EXPECT_EQ(Key('M'), 7);
  ASSERT_EQ(starter.starts.size(), 1u);
  EXPECT_EQ(starter.starts[0].argument, "Zeppolo");
}

TEST_F(KeyboardTest, ControllerButtonsPlayAsTheirKeys) {
  OpenAndStart();
  SetBoard(PairsBoard());
  PopByKey(0, 0);
  CursorTo(4, 0);
  Key(kRight, platform::kKeyControlHeld);
  CursorTo(3, 5);
  Key(kLeft, platform::kKeyControlHeld);
  PopByKey(8, 6);
  const std::vector<std::string> byKeys = BoardText();
  const int32_t keysScore = game.GetScore();
  ASSERT_NE(byKeys, PairsBoard());

  SetBoard(PairsBoard());
  game.SetScore(0);
  CursorTo(0, 0);
  Key(platform::VK_GAMEPAD_A);
  CursorTo(4, 0);
  Key(platform::VK_GAMEPAD_RIGHT_SHOULDER);
  CursorTo(3, 5);
  Key(platform::VK_GAMEPAD_LEFT_SHOULDER);
  CursorTo(8, 6);
  Key(platform::VK_GAMEPAD_A);
  EXPECT_EQ(BoardText(), byKeys);
  EXPECT_EQ(game.GetScore(), keysScore);

  // Start is "New Game", Back is "Menu".
  const int reveals = effects.Count("reveal");
  Key(platform::VK_GAMEPAD_MENU);
  EXPECT_EQ(effects.Count("reveal"), reveals + 2);
  EXPECT_EQ(Key(platform::VK_GAMEPAD_VIEW), 7);
  ASSERT_EQ(starter.starts.size(), 1u);
  EXPECT_EQ(starter.starts[0].argument, "Zeppolo");
}

TEST_F(KeyboardTest, EnterSpaceOrAClosePicturesAsAClickDoes) {
  OpenAndStart();
  // A key for the picture up at each turn of its loop, as a player would press to go on.
  std::vector<uint32_t> keys;
  const auto pressing = [&keys](uint32_t key) {
    return [&keys, key] {
      keys.push_back(key);
      TheScreenManager().OnMessage(platform::WM_KEYDOWN, key, 0);
    };
  };
  screen.OnMessage(platform::WM_KEYDOWN, platform::VK_GAMEPAD_Y, 0);  // the rules
  EXPECT_EQ(WithTicker([&] { return Frame(); }, pressing(platform::VK_RETURN)), 1);
  EXPECT_FALSE(keys.empty());
  EXPECT_EQ(effects.Count("click"), 1);
  EXPECT_EQ(game.GetState(), kStatePlaying);
  EXPECT_EQ(IsClockRunning(), 1);

  // The game-over picture (2 s) and the hall-of-fame notice (1 s) go at the first key.
  const std::string a = "rgrgrgrgrgrgrgrgrg";
  const std::string b = "ypypypypypypypypyp";
  SetBoard({a, b, a, b, a, b, a, b});
  game.SetScore(600);
  Frame();
  ASSERT_EQ(game.GetState(), kStateGameOver);
  const uint32_t before = GetTime();
  EXPECT_EQ(WithTicker([&] { return Frame(); }, pressing(platform::VK_SPACE)), 1);
  EXPECT_LT(GetTime() - before, 500u);
  EXPECT_EQ(game.GetState(), kStateIdle);
  HighScoreTable table;
  table.Init(20);
  table.Load(GamePath("hiscore.dat").c_str());
  EXPECT_EQ(table.Score(0), 600);
}

TEST_F(KeyboardTest, KeysGoOnFromTheCongratulationsAndTheScoreIsEnteredFirst) {
  OpenAndStart();
  // The cursor first: with the clock at 0 only the pop's own frame may pass.
  CursorTo(0, 0);
  StopClock();
  SetClockSeconds(0);
  SetBoard({"rr"});
  Key(kSpace);
  ASSERT_EQ(game.GetState(), kStateCleared);
  Frame();
  ASSERT_TRUE(Game::CongratulationsShown());
  EXPECT_EQ(WithTicker([&] { return Key(platform::VK_GAMEPAD_A); }), 1);
  EXPECT_FALSE(Game::CongratulationsShown());
  EXPECT_EQ(game.GetState(), kStateIdle);

  // A new game asked for by key while the congratulations show does not lose their score.
  Key('N');
  Frame();
  CursorTo(0, 0);
  StopClock();
  SetClockSeconds(0);
  SetBoard({"yy"});
  Key(kSpace);
  ASSERT_EQ(game.GetState(), kStateCleared);
  EXPECT_EQ(WithTicker([&] { return Key(platform::VK_GAMEPAD_MENU); }), 1);
  EXPECT_FALSE(Game::CongratulationsShown());
  EXPECT_EQ(game.GetState(), kStatePlaying);
  HighScoreTable table;
  table.Init(20);
  table.Load(GamePath("hiscore.dat").c_str());
  EXPECT_EQ(table.Score(0), 300 + 100000 + 500000 + 30 * 1000);
  EXPECT_EQ(table.Score(1), 300 + 100000 + 500000 + 30 * 1000);
}

}  // namespace
}  // namespace gametest
