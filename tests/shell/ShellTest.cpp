// The shell run in-process on the memory video: start-up refusals, the window modes setup.ini
// selects, the window procedure's handling and the shutdown that runs once whichever way the
// program ends.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "framework/DirtyRects.h"
#include "framework/FrameLoop.h"
#include "framework/MousePointer.h"
#include "framework/Screen.h"
#include "framework/ScreenManager.h"
#include "framework/SurfaceRoutines.h"
#include "framework/Timer.h"
#include "platform/Files.h"
#include "platform/Input.h"
#include "platform/Messages.h"
#include "platform/Profile.h"
#include "platform/Video.h"
#include "shell/Shell.h"
#include "shell/WindowIcons.h"

namespace {

std::vector<std::string> events;

// Counts its frames and asks to end the program after a set number of them (0: never).
class CountingScreen : public Screen {
 public:
  explicit CountingScreen(const char* name) { SetName(name); }
  int Update(int active) override {
    ++frames;
    lastActive = active;
    if (onFrame) onFrame(frames);
    Flip();
    if (quitAfter != 0 && frames >= quitAfter) return 7;
    if (closeAfter != 0 && frames == closeAfter) platform::Messages().Post(platform::WM_CLOSE);
    return 1;
  }
  void Close() override {
    events.push_back("close " + std::string(Name()));
    Screen::Close();
  }
  int frames = 0;
  int lastActive = -1;
  int quitAfter = 0;
  int closeAfter = 0;
  std::function<void(int)> onFrame;
};

CountingScreen* screen = nullptr;

void AddScreens(ScreenManager& manager, const char*) {
  manager.AddScreen(screen);
  manager.Select("counting");
}
void StartAudio(QZWindow*) {
  events.push_back("start audio");
}
void ReleaseGame() {
  events.push_back("release game");
}
void StopAudio() {
  events.push_back("stop audio");
}

ShellFlavour GameFlavour() {
  return {"Zeppolo", false, true, &StartAudio, &AddScreens, &ReleaseGame, &StopAudio, nullptr};
}

class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/shelltestXXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    folder = tmpl;
    ASSERT_TRUE(platform::GetCurrentFolder(previous, sizeof(previous)));
    ASSERT_TRUE(platform::SetCurrentFolder(folder.c_str()));
    auto video = std::make_unique<platform::MemoryVideo>();
    memory = video.get();
    platform::SetVideo(std::move(video));
    platform::Messages().Clear();
    TheScreenManager().Clear();
    events.clear();
    ResetTimerState();
    ResetFrameLoop();
    counting = std::make_unique<CountingScreen>("counting");
    screen = counting.get();
  }
  void TearDown() override {
    platform::SetCurrentFolder(previous);
    platform::SetVideo(nullptr);
    platform::Messages().Clear();
    std::remove((folder + "/setup.ini").c_str());
    std::remove(folder.c_str());
  }
  void WriteSetup(const char* text) { std::ofstream(folder + "/setup.ini") << text; }

  std::string folder;
  char previous[4096];
  platform::MemoryVideo* memory = nullptr;
  std::unique_ptr<CountingScreen> counting;
};

TEST_F(ShellTest, GameRefusesAnEmptyCommandLineBeforeAnyWindow) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(RunShell(GameFlavour(), ""), 0);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("Game must be run from the Hubbix"), std::string::npos);
  EXPECT_EQ(memory->windowsCreated, 0);
}

TEST_F(ShellTest, CommandLineThatCannotHoldTheLauncherPathIsRefused) {
  const std::string fits(kMaxCommandLine, 'a');
  const std::string tooLong(kMaxCommandLine + 1, 'a');
  testing::internal::CaptureStderr();
  EXPECT_EQ(RunShell(GameFlavour(), tooLong.c_str()), 0);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("too long"), std::string::npos);
  EXPECT_EQ(memory->windowsCreated, 0);

  screen->quitAfter = 1;
  EXPECT_EQ(RunShell(GameFlavour(), fits.c_str()), 0);
  EXPECT_EQ(std::string(LauncherDir()), fits);
}

TEST_F(ShellTest, TheLauncherTakesALongCommandLineAsChoosingNoGame) {
  ShellFlavour launcher = GameFlavour();
  launcher.isLauncher = true;
  launcher.requiresCommandLine = false;
  launcher.addScreens = [](ScreenManager& manager, const char* commandLine) {
    AddScreens(manager, commandLine);
    events.push_back(std::string("screens for '") + commandLine + "'");
  };
  screen->quitAfter = 1;
  testing::internal::CaptureStderr();
  EXPECT_EQ(RunShell(launcher, std::string(kMaxCommandLine + 1, 'z').c_str()), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr().find("too long"), std::string::npos);
  EXPECT_EQ(memory->windowsCreated, 1);
  EXPECT_EQ(screen->frames, 1);
  EXPECT_STREQ(LauncherDir(), "");
  EXPECT_NE(std::find(events.begin(), events.end(), "screens for ''"), events.end());
}

TEST_F(ShellTest, LauncherRefusesADesktopThatIsNotHighColour) {
  memory->depth = 32;
  ShellFlavour launcher = GameFlavour();
  launcher.isLauncher = true;
  launcher.requiresCommandLine = false;
  testing::internal::CaptureStderr();
  EXPECT_EQ(RunShell(launcher, ""), 0);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("High Color (16 bit)"), std::string::npos);
  EXPECT_EQ(memory->windowsCreated, 0);
}

TEST_F(ShellTest, NoVideoShowsTheProbeMessageAndEndsWithZero) {
  memory->failStart = true;
  testing::internal::CaptureStderr();
  EXPECT_EQ(RunShell(GameFlavour(), "/opt/Hubbix"), 0);
  const std::string err = testing::internal::GetCapturedStderr();
  // What happened, in plain words, then the box the programs have always shown.
  EXPECT_NE(err.find("Zeppolo cannot start: no window can be shown: no video device\n"),
            std::string::npos)
      << err;
  EXPECT_NE(err.find("\nDirectX not installed. Program needs DirectX 7.0a or higher to run\n"),
            std::string::npos)
      << err;
  EXPECT_EQ(memory->windowsCreated, 0);
}

TEST_F(ShellTest, WindowFailureEndsWithOne) {
  memory->failCreate = true;
  EXPECT_EQ(RunShell(GameFlavour(), "/opt/Hubbix"), 1);
}

TEST_F(ShellTest, WithoutSetupTheWindowIsCaptionedAndCentred) {
  screen->quitAfter = 1;
  ASSERT_EQ(RunShell(GameFlavour(), "/opt/Hubbix"), 0);
  EXPECT_EQ(memory->window.mode, platform::WindowMode::kCaptioned);
  EXPECT_EQ(memory->window.title, "Zeppolo");
  EXPECT_EQ(memory->window.x, 1024 / 2 - 400);
  EXPECT_EQ(memory->window.y, 768 / 2 - 300);
  EXPECT_EQ(memory->window.width, 800);
  EXPECT_EQ(memory->window.height, 600);
  EXPECT_FALSE(memory->window.topMost);
}

TEST_F(ShellTest, TheWindowNamesItsDesktopEntryAndCarriesItsIcon) {
  ShellFlavour game = GameFlavour();
  game.appId = kGameAppId;
  game.windowIcon = &kZeppoloWindowIcon;
  screen->quitAfter = 1;
  ASSERT_EQ(RunShell(game, "/opt/Hubbix"), 0);
  EXPECT_EQ(memory->appId, "com.example.qorvexgames.Zeppolo");
  ASSERT_EQ(memory->window.icon, &kZeppoloWindowIcon);

  // Straight 0xAARRGGBB: a tile with see-through rounded corners, opaque inside, and each
  // program's own.
  for (const platform::WindowIcon* icon : {&kZeppoloWindowIcon, &kHubbixWindowIcon}) {
    ASSERT_EQ(icon->width, 64);
    ASSERT_EQ(icon->height, 64);
    EXPECT_EQ(icon->pixels[0] >> 24, 0u);
    EXPECT_EQ(icon->pixels[32 * 64 + 32] >> 24, 255u);
  }
  EXPECT_NE(kZeppoloWindowIcon.pixels[20 * 64 + 32], kHubbixWindowIcon.pixels[20 * 64 + 32]);
}

TEST_F(ShellTest, OnlyNowindowOneSelectsTheBorderlessTopMostWindow) {
  screen->quitAfter = 1;
  WriteSetup("[setup]\nnowindow=2\n");
  ASSERT_EQ(RunShell(GameFlavour(), "/opt/Hubbix"), 0);
  EXPECT_EQ(memory->window.mode, platform::WindowMode::kCaptioned);

  screen->frames = 0;
  WriteSetup("[setup]\nnowindow=1\n");
  ASSERT_EQ(RunShell(GameFlavour(), "/opt/Hubbix"), 0);
  EXPECT_EQ(memory->window.mode, platform::WindowMode::kBorderless);
  EXPECT_TRUE(memory->window.title.empty());
  EXPECT_TRUE(memory->window.topMost);
}

TEST_F(ShellTest, AnyNonZeroFullscreenSelectsFullScreenOnTheWholeScreen) {
  screen->quitAfter = 1;
  WriteSetup("[SETUP]\nFullScreen=7\nnowindow=1\n");
  ASSERT_EQ(RunShell(GameFlavour(), "/opt/Hubbix"), 0);
  EXPECT_EQ(memory->window.mode, platform::WindowMode::kFullScreen);
  EXPECT_EQ(memory->window.width, 1024);
  EXPECT_EQ(memory->window.height, 768);
  EXPECT_EQ(memory->window.title, "Zeppolo");
}

TEST_F(ShellTest, LauncherOnAnExactly800By600ScreenIsTopMost) {
  memory->screenWidth = 800;
  memory->screenHeight = 600;
  screen->quitAfter = 1;
  ShellFlavour launcher = GameFlavour();
  launcher.isLauncher = true;
  launcher.requiresCommandLine = false;
  launcher.windowText = "QorvexGames Hubbix";
  ASSERT_EQ(RunShell(launcher, ""), 0);
  EXPECT_TRUE(memory->window.topMost);
  EXPECT_EQ(memory->window.title, "QorvexGames Hubbix");
  // Its frames wait for the display's refresh before they read their input.
  EXPECT_TRUE(memory->presentWait);
  EXPECT_EQ(memory->refreshWaits, 1);
}

TEST_F(ShellTest, FrameResultSevenShutsDownOnceInOrder) {
  screen->quitAfter = 3;
  ASSERT_EQ(RunShell(GameFlavour(), "/opt/Hubbix"), 0);
  EXPECT_EQ(screen->frames, 3);
  EXPECT_EQ(screen->lastActive, 1);
  const std::vector<std::string> expected = {"start audio", "close counting", "release game",
                                             "stop audio"};
  EXPECT_EQ(events, expected);
  EXPECT_FALSE(memory->windowOpen);
  EXPECT_FALSE(IsTimerRunning());
  EXPECT_GE(memory->presents, 3);
}

TEST_F(ShellTest, CloseMessageShutsDownOnceAndEndsWithZero) {
  screen->closeAfter = 2;
  ASSERT_EQ(RunShell(GameFlavour(), "/opt/Hubbix"), 0);
  EXPECT_EQ(screen->frames, 2);
  const std::vector<std::string> expected = {"start audio", "close counting", "release game",
                                             "stop audio"};
  EXPECT_EQ(events, expected);
  // A later destroy finds no window and does nothing.
  DestroyMainWindow();
  EXPECT_EQ(events.size(), expected.size());
}

TEST_F(ShellTest, EscapeReleasedClosesTheGame) {
  platform::Messages().Post(platform::WM_KEYUP, platform::VK_ESCAPE, 0);
  ASSERT_EQ(RunShell(GameFlavour(), "/opt/Hubbix"), 0);
  EXPECT_EQ(events.back(), "stop audio");
}

TEST_F(ShellTest, QuitFromElsewhereLeavesTheLoopWithZeroAfterTheShutdown) {
  platform::Messages().PostQuit(0);
  EXPECT_EQ(RunShell(GameFlavour(), "/opt/Hubbix"), 0);
  EXPECT_EQ(screen->frames, 0);
  EXPECT_EQ(events.back(), "stop audio");
  EXPECT_FALSE(memory->windowOpen);
}

TEST_F(ShellTest, MaximisedWindowShiftsMousePositionsAndRestoringClearsTheShift) {
  std::vector<std::pair<int, int>> seen;
  screen->onFrame = [&seen](int frame) {
    seen.emplace_back(TheMousePointer().GetX(), TheMousePointer().GetY());
    auto& queue = platform::Messages();
    if (frame == 1) {
      queue.Post(platform::WM_SIZE, platform::SIZE_MAXIMIZED, platform::MakeLParam(1600, 1200));
      queue.Post(platform::WM_MOUSEMOVE, 0, platform::MakeLParam(900, 700));
    } else if (frame == 2) {
      queue.Post(platform::WM_SIZE, platform::SIZE_RESTORED, platform::MakeLParam(800, 600));
      queue.Post(platform::WM_MOUSEMOVE, 0, platform::MakeLParam(900, 700));
    }
  };
  screen->quitAfter = 3;
  ASSERT_EQ(RunShell(GameFlavour(), "/opt/Hubbix"), 0);
  ASSERT_EQ(seen.size(), 3u);
  // 1600 / 2 - 399 = 401; 1200 / 2 - 300 - frame 4 - caption 19 = 277.
  EXPECT_EQ(seen[1], std::make_pair(900 - 401, 700 - 277));
  EXPECT_EQ(seen[2], std::make_pair(900, 700));
  EXPECT_EQ(memory->lastOriginX, 401);  // the picture is presented where the shell centred it
}

TEST_F(ShellTest, InactiveWindowRunsNoFramesAndIgnoresMouseMoves) {
  uint32_t deactivatedAt = 0;
  uint32_t secondFrameAt = 0;
  std::thread reactivator;
  screen->onFrame = [&](int frame) {
    auto& queue = platform::Messages();
    if (frame == 1) {
      deactivatedAt = GetTime();
      queue.Post(platform::WM_ACTIVATE, platform::WA_INACTIVE, 0);
      queue.Post(platform::WM_MOUSEMOVE, 0, platform::MakeLParam(123, 45));
      // Another window holds the focus for 50 ms of timer time.
      reactivator = std::thread([deactivatedAt] {
        WaitForTime(deactivatedAt + 50);
        platform::Messages().Post(platform::WM_ACTIVATEAPP, 1, 0);
      });
    } else if (frame == 2) {
      secondFrameAt = GetTime();
      EXPECT_NE(TheMousePointer().GetX(), 123);
    }
  };
  screen->quitAfter = 2;
  ASSERT_EQ(RunShell(GameFlavour(), "/opt/Hubbix"), 0);
  reactivator.join();
  EXPECT_EQ(screen->frames, 2);
  EXPECT_GE(secondFrameAt, deactivatedAt + 50);
}

// Each pass waits for its tick first and then takes the input that came meanwhile, so a press
// is handled by the frame right after it: the pump and the frame that follows it share a tick.
TEST_F(ShellTest, AFrameRunsRightAfterThePumpThatTookItsInput) {
  std::vector<uint32_t> pumps;
  std::vector<std::pair<uint32_t, uint32_t>> frames;  // the frame's tick, the last pump's
  memory->onPump = [&pumps](platform::MessageQueue&) { pumps.push_back(GetTime()); };
  screen->onFrame = [&](int) { frames.push_back({GetTime(), pumps.back()}); };
  screen->quitAfter = 4;
  ASSERT_EQ(RunShell(GameFlavour(), "/opt/Hubbix"), 0);
  memory->onPump = nullptr;
  ASSERT_EQ(frames.size(), 4u);
  for (size_t i = 1; i < frames.size(); ++i) {
    EXPECT_EQ(frames[i].second, frames[i].first) << "frame " << i + 1;
    EXPECT_GE(frames[i].first, frames[i - 1].first + 10) << "frame " << i + 1;
  }
}

// The buttons a frame reads are those its pump set, as its mouse position is, not those of the
// timer's last poll before the pump.
TEST_F(ShellTest, AFrameReadsTheButtonsItsPumpSet) {
  uint32_t seen = 0;
  int pumpsLeft = -1;
  memory->onPump = [&pumpsLeft](platform::MessageQueue& queue) {
    if (pumpsLeft < 0 || pumpsLeft-- != 0) return;
    platform::Input().SetMouseButton(0, true);
    queue.Post(platform::WM_LBUTTONDOWN, 1, platform::MakeLParam(10, 10));
  };
  screen->onFrame = [&](int frame) {
    if (frame == 1) pumpsLeft = 0;
    if (frame == 2) TheMousePointer().GetState(nullptr, nullptr, &seen);
  };
  screen->quitAfter = 2;
  ASSERT_EQ(RunShell(GameFlavour(), "/opt/Hubbix"), 0);
  memory->onPump = nullptr;
  platform::Input().SetMouseButtons(0);
  EXPECT_EQ(seen, 1u);
}

// No frame runs while another window is active, so a window that lost its picture then (a new
// size, uncovered) is given the picture last presented by the window procedure.
TEST_F(ShellTest, AWindowThatLosesItsPictureWhileInactiveIsGivenItAgain) {
  int pumps = -1;
  int presentsBeforeFrameTwo = 0;
  std::vector<platform::PixelRect> lastBeforeFrameTwo;
  memory->onPump = [&pumps](platform::MessageQueue& queue) {
    if (pumps < 0) return;
    ++pumps;
    if (pumps == 1) queue.Post(platform::WM_PAINT);  // handled after the deactivation
    if (pumps == 5) queue.Post(platform::WM_ACTIVATEAPP, 1, 0);
  };
  screen->onFrame = [&](int frame) {
    if (frame == 1) {
      platform::Messages().Post(platform::WM_ACTIVATE, platform::WA_INACTIVE, 0);
      pumps = 0;
    }
    if (frame == 2) {
      presentsBeforeFrameTwo = memory->presents;
      lastBeforeFrameTwo = memory->lastChanged;
    }
  };
  screen->quitAfter = 2;
  ASSERT_EQ(RunShell(GameFlavour(), "/opt/Hubbix"), 0);
  memory->onPump = nullptr;
  // Frame one's flip, then the repaint, whole.
  EXPECT_EQ(presentsBeforeFrameTwo, 2);
  ASSERT_EQ(lastBeforeFrameTwo.size(), 1u);
  EXPECT_EQ(lastBeforeFrameTwo[0].width * lastBeforeFrameTwo[0].height, 800 * 600);
}

TEST_F(ShellTest, F1ShowsTheRequestedRateAtTheTopRight) {
  screen->onFrame = [](int frame) {
    if (frame == 1) platform::Messages().Post(platform::WM_KEYUP, platform::VK_F1, 0);
  };
  screen->quitAfter = 3;
  ASSERT_EQ(RunShell(GameFlavour(), "/opt/Hubbix"), 0);
  EXPECT_EQ(GetShowFrameRate(), 1);
  EXPECT_EQ(GetFrameRate(), 100.0f);
  // The text "100.00" was drawn at (580, 0): some pixel of that box is lit.
  ASSERT_TRUE(memory->lastPicture);
  bool lit = false;
  for (int y = 0; y < 10; ++y) {
    for (int x = 580; x < 640; ++x)
      lit = lit || memory->lastPicture->PixelAt(x, y) != 0;
  }
  EXPECT_TRUE(lit);
}

TEST_F(ShellTest, F1AgainHidesTheRateAndRestoresItsCorner) {
  constexpr uint16_t kGreen = 0x07E0;
  QZSurface* scene = CreateSurface(800, 600);
  ASSERT_NE(scene, nullptr);
  FillColor(scene, kGreen);
  bool litBeforeHiding = false;
  screen->onFrame = [&](int frame) {
    if (frame == 1) {
      TheDirtyRects().SetScene(scene);
      platform::Messages().Post(platform::WM_KEYUP, platform::VK_F1, 0);
    }
    if (frame == 2) {
      QZSurface* back = nullptr;
      QZGetDDInfo(nullptr, &back);
      for (int x = 580; x < 640; ++x)
        litBeforeHiding = litBeforeHiding || back->PixelAt(x, 2) == 0xFFFF;
      platform::Messages().Post(platform::WM_KEYUP, platform::VK_F1, 0);
    }
  };
  screen->quitAfter = 3;
  ASSERT_EQ(RunShell(GameFlavour(), "/opt/Hubbix"), 0);
  TheDirtyRects().Reset();
  QZSurface::Release(scene);
  EXPECT_TRUE(litBeforeHiding);
  EXPECT_EQ(GetShowFrameRate(), 0);
  ASSERT_TRUE(memory->lastPicture);
  int notScene = 0;
  for (int y = 0; y < 9; ++y) {
    for (int x = 580; x < 800; ++x)
      notScene += memory->lastPicture->PixelAt(x, y) != kGreen ? 1 : 0;
  }
  EXPECT_EQ(notScene, 0);
}

std::string ReadSetup(const char* key) {
  char value[32];
  platform::ReadProfileString("setup", key, "missing", value, sizeof(value), ".\\setup.ini");
  return value;
}

TEST_F(ShellTest, AltEnterSwitchesFullScreenBothWaysAndTheNextStartOpensTheSameWay) {
  WriteSetup("[setup]\nfullscreen=0\nnowindow=0\n");
  std::vector<bool> modes;
  std::vector<std::string> written;
  screen->onFrame = [&](int frame) {
    modes.push_back(memory->IsFullScreen());
    written.push_back(ReadSetup("fullscreen"));
    if (frame <= 2) platform::Messages().Post(platform::WM_SYSKEYDOWN, platform::VK_RETURN, 0);
    // Enter without Alt is the program's own key, not a switch.
    if (frame == 3) platform::Messages().Post(platform::WM_KEYDOWN, platform::VK_RETURN, 0);
  };
  screen->quitAfter = 4;
  ASSERT_EQ(RunShell(GameFlavour(), "/opt/Hubbix"), 0);
  EXPECT_EQ(modes, (std::vector<bool>{false, true, false, false}));
  EXPECT_EQ(written, (std::vector<std::string>{"0", "1", "0", "0"}));
  EXPECT_EQ(memory->fullScreenSwitches, 2);
  EXPECT_EQ(ReadSetup("nowindow"), "0");  // the rest of the file stays

  // Switched to full screen and ended there: the next start is full screen.
  screen->onFrame = [](int frame) {
    if (frame == 1) platform::Messages().Post(platform::WM_SYSKEYDOWN, platform::VK_RETURN, 0);
  };
  // A new process: the quit message the last one left behind is gone with it.
  platform::Messages().Clear();
  screen->frames = 0;
  screen->quitAfter = 2;
  ASSERT_EQ(RunShell(GameFlavour(), "/opt/Hubbix"), 0);
  EXPECT_EQ(ReadSetup("fullscreen"), "1");
  platform::Messages().Clear();
  screen->onFrame = nullptr;
  screen->frames = 0;
  screen->quitAfter = 1;
  ASSERT_EQ(RunShell(GameFlavour(), "/opt/Hubbix"), 0);
  EXPECT_EQ(memory->window.mode, platform::WindowMode::kFullScreen);
  EXPECT_EQ(memory->windowsCreated, 3);
}

// The launcher's title page makes the game's folder the current one; Alt+Enter there is still
// the launcher's choice, kept in the launcher's own setup.ini.
TEST_F(ShellTest, AltEnterOnTheLaunchersGamePageWritesTheLaunchersSetup) {
  WriteSetup("[setup]\nfullscreen=0\n");
  const std::string gameFolder = folder + "/Zeppolo";
  std::filesystem::create_directory(gameFolder);
  std::ofstream(gameFolder + "/setup.ini") << "[setup]\nfullscreen=0\n";
  ShellFlavour launcher = GameFlavour();
  launcher.isLauncher = true;
  launcher.requiresCommandLine = false;
  screen->onFrame = [&](int frame) {
    if (frame == 1) {
      ASSERT_TRUE(platform::SetCurrentFolder("Zeppolo"));
      platform::Messages().Post(platform::WM_SYSKEYDOWN, platform::VK_RETURN, 0);
    }
  };
  screen->closeAfter = 3;  // without the launcher's pause before it ends
  ASSERT_EQ(RunShell(launcher, ""), 0);
  EXPECT_TRUE(memory->IsFullScreen());
  EXPECT_EQ(ReadSetup("fullscreen"), "0");  // the game's, in the current folder
  ASSERT_TRUE(platform::SetCurrentFolder(folder.c_str()));
  EXPECT_EQ(ReadSetup("fullscreen"), "1");
  std::filesystem::remove_all(gameFolder);
}

TEST_F(ShellTest, RefusedSwitchKeepsTheWindowAndWritesNothing) {
  memory->failFullScreen = true;
  screen->onFrame = [](int frame) {
    if (frame == 1) platform::Messages().Post(platform::WM_SYSKEYDOWN, platform::VK_RETURN, 0);
  };
  screen->quitAfter = 3;
  ASSERT_EQ(RunShell(GameFlavour(), "/opt/Hubbix"), 0);
  EXPECT_FALSE(memory->IsFullScreen());
  EXPECT_EQ(ReadSetup("fullscreen"), "missing");
}

}  // namespace
