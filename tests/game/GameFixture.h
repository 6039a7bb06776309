#pragma once
// The play screen and its game run in a temporary copy of the installed game folder (pictures
// and sounds made by the generator), on a back buffer of our own, with the sound library on the
// memory output. Time moves only when the test ticks: plain frames take one tick each, the
// game's animation frames tick once per frame through the frame waiter, and the modal pictures
// run while a helper thread ticks.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "framework/ButtonList.h"
#include "framework/DirtyRects.h"
#include "framework/FrameLoop.h"
#include "framework/Image.h"
#include "framework/MousePointer.h"
#include "framework/SurfaceRoutines.h"
#include "framework/Timer.h"
#include "game/Game.h"
#include "game/GameSounds.h"
#include "game/PlayScreen.h"
#include "platform/AudioDevice.h"
#include "platform/Files.h"
#include "platform/Input.h"
#include "platform/Messages.h"
#include "platform/Process.h"
#include "platform/Video.h"
#include "qz/qz.h"
#include "tests/common/TempFolder.h"

namespace gametest {

constexpr const char* kColourLetters = "rypgb";
constexpr uint32_t kScriptMessage = 0x0400;

inline int CellX(int col) {
  return Game::kBoardX + 32 * col + 16;
}
inline int CellY(int row) {
  return Game::kBoardY + 40 * row + 20;
}

// One animation frame: one timer period, then the frame pacing, which then passes at once.
inline void StepWaiter(int rate) {
  TimerTick();
  WaitFrame(rate);
}

// Every effect the game asked for, in order.
struct EffectLog {
  std::vector<std::string> names;
  std::vector<bool> started;
  int Count(const std::string& name) const {
    int n = 0;
    for (const std::string& s : names)
      if (s == name) ++n;
    return n;
  }
};

inline void RecordEffect(const char* name, bool started, void* user) {
  auto* log = static_cast<EffectLog*>(user);
  log->names.push_back(name != nullptr ? name : "");
  log->started.push_back(started);
}

// What the window procedure runs on the user-interface thread for each message a modal
// picture's loop pumps (the helper ticker posts one now and then).
inline std::function<void()>& PumpScript() {
  static std::function<void()> script;
  return script;
}
// How many of the helper ticker's messages the modal loops have pumped.
inline std::atomic<uint32_t>& ScriptMessagesPumped() {
  static std::atomic<uint32_t> pumped{0};
  return pumped;
}
inline intptr_t ScriptProcedure(uint32_t message, uintptr_t, intptr_t) {
  if (message != kScriptMessage) return 0;
  ScriptMessagesPumped().fetch_add(1);
  if (PumpScript()) PumpScript()();
  return 0;
}

inline std::string& TitleSeen() {
  static std::string title;
  return title;
}
inline void RecordTitle(const char* text) {
  TitleSeen() = text != nullptr ? text : "";
}

class GameFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetTimerState();
    ResetFrameLoop();
    Game::ResetProcessStatics();
    TheDirtyRects().Reset();

    // The display on the memory video: what each flip presents can be read back.
    auto video = std::make_unique<platform::MemoryVideo>();
    memory = video.get();
    platform::SetVideo(std::move(video));
    platform::WindowDesc desc;
    ASSERT_TRUE(memory->CreateWindow(desc));
    ASSERT_EQ(QZInitDirectX(memory, 800, 600), 1);
    QZGetDDInfo(nullptr, &back);
    TheDirtyRects().SetBackBuffer(nullptr);
    platform::Messages().Clear();
    SetWindowProcedure(&ScriptProcedure);
    PumpScript() = nullptr;
    platform::Input().SetMouseButtons(0);
    TheMousePointer().SetPosition(0, 0);
    TheMousePointer().Poll();
    TitleSeen().clear();

    LayOutInstall();
    ASSERT_TRUE(platform::GetCurrentFolder(previousFolder, sizeof(previousFolder)));
    ASSERT_TRUE(platform::SetCurrentFolder(gameFolder.c_str()));

    platform::SetAudioOutputKind(platform::AudioOutputKind::kMemory);
    TheSoundBank().Init(nullptr, 200);
    SetEffectObserver(&RecordEffect, &effects);
    platform::SetProcessStarter(&starter);
    std::srand(1234);

    game.SetFrameWaiter(&StepWaiter);
    game.SetTitleSetter(&RecordTitle);
    screen.SetLauncherDirSource(&LauncherFolder);
  }

  void TearDown() override {
    if (opened) screen.Close();
    game.Release();
    Game::ResetProcessStatics();
    SetEffectObserver(nullptr, nullptr);
    TheSoundBank().Shutdown();
    platform::SetProcessStarter(nullptr);
    platform::SetCurrentFolder(previousFolder);
    TheDirtyRects().Reset();
    platform::Messages().Clear();
    SetWindowProcedure(nullptr);
    PumpScript() = nullptr;
    QZFreeDirectX();
    platform::SetVideo(nullptr);
    platform::Input().SetMouseButtons(0);
    TheMousePointer().Poll();
    ResetTimerState();
    ResetFrameLoop();
  }

  // The game's folder inside a launcher folder, with every picture and sound of the staged
  // install; no settings, options or high scores unless a test writes them.
  void LayOutInstall() {
    namespace fs = std::filesystem;
    const fs::path stage = fs::path(ZEP_STAGE_DIR) / "Hubbix" / "Zeppolo";
    const fs::path target = install.Path() / "Hubbix" / "Zeppolo";
    fs::create_directories(target / "sounds");
    fs::create_directories(target / "title");
    const auto place = [this](const fs::path& from, const fs::path& to) {
      if (linkInstall) {
        fs::create_symlink(from, to);
      } else {
        fs::copy_file(from, to);
      }
    };
    for (const auto& entry : fs::directory_iterator(stage)) {
      if (entry.path().extension() == ".bmp") place(entry.path(), target / entry.path().filename());
    }
    for (const auto& entry : fs::directory_iterator(stage / "sounds")) {
      if (entry.path().extension() == ".wav") {
        place(entry.path(), target / "sounds" / entry.path().filename());
      }
    }
    place(stage / "title" / "HowToPlay.bmp", target / "title" / "HowToPlay.bmp");
    gameFolder = target.string();
    launcherFolder() = (install.Path() / "Hubbix").string();
  }

  static std::string& launcherFolder() {
    static std::string folder;
    return folder;
  }
  static const char* LauncherFolder() { return launcherFolder().c_str(); }

  std::string GamePath(const std::string& name) const { return gameFolder + "/" + name; }
  void WriteGameFile(const std::string& name, const std::string& text) const {
    install.Write("Hubbix/Zeppolo/" + name, text);
  }
  void WriteOptions(const std::string& text) const { install.Write("Hubbix/options.ini", text); }
  bool GameFileExists(const std::string& name) const {
    return install.Exists("Hubbix/Zeppolo/" + name);
  }
  std::string ReadGameFile(const std::string& name) const {
    return install.Read("Hubbix/Zeppolo/" + name);
  }

  // Opens the play screen (the first game is set up) and runs the first frame, which sets the
  // game up once more and starts it.
  void OpenAndStart() {
    OpenOnly();
    Frame();
    ASSERT_EQ(game.GetState(), kStatePlaying);
  }
  void OpenOnly() {
    ASSERT_EQ(screen.Open(QZGetLPDD(), back), 1);
    opened = true;
  }

  // One frame as the shell runs it: the next timer period, the pacing, the screen's frame.
  int Frame() {
    TimerTick();
    WaitFrame(100);
    return screen.Update(1);
  }
  // Frames until the condition holds, at most limit of them; true when it held.
  bool FramesUntil(const std::function<bool()>& condition, int limit) {
    for (int i = 0; i < limit; ++i) {
      if (condition()) return true;
      Frame();
    }
    return condition();
  }
  // The pointer at (x, y) with these buttons down, then a frame (whose tick polls them).
  int MouseFrame(int x, int y, uint32_t buttons) {
    TheMousePointer().SetPosition(x, y);
    platform::Input().SetMouseButtons(buttons);
    return Frame();
  }
  // A left click on a cell: pressed in one frame, released in the next.
  void ClickCell(int col, int row) {
    MouseFrame(CellX(col), CellY(row), 1);
    MouseFrame(CellX(col), CellY(row), 0);
  }
  // A click on a button of the screen: over it, pressed, released (the release clicks), and the
  // frame after it, whose Update acts on the click.
  int ClickButton(const char* name) {
    const Button* button = screen.Buttons()->Find(name);
    EXPECT_NE(button, nullptr) << name;
    if (button == nullptr) return -1;
    const int x = button->X() + button->Width() / 2;
    const int y = button->Y() + button->Height() / 2;
    MouseFrame(x, y, 0);
    MouseFrame(x, y, 1);
    MouseFrame(x, y, 0);
    return WithTicker([&] { return Frame(); });
  }

  // Runs the operation while a helper thread keeps the timer ticking (for the modal pictures,
  // which pace their own frames). The ticker goes in step with the modal loops: after each tick
  // it posts a message and waits until a loop has pumped it and then presented its frame, so a
  // modal picture sees about one tick per frame; outside them it ticks only now and then. It
  // must not post again before the present: the pump reads messages until none is left, and a
  // ticker quicker than the frame would keep one loop pumping while the game's time runs on.
  // The script, when given, runs on this thread for each of those messages pumped.
  template <typename Operation>
  auto WithTicker(Operation operation, std::function<void()> script = nullptr)
      -> decltype(operation()) {
    PumpScript() = std::move(script);
    std::atomic<bool> stop{false};
    std::thread ticker([&] {
      constexpr int kPatience = 20000;
      const auto waitForChange = [&](auto read, auto seen) {
        for (int spins = 0; spins < kPatience && !stop.load(); ++spins) {
          if (read() != seen) return true;
          std::this_thread::yield();
        }
        return false;
      };
      while (!stop.load()) {
        const uint32_t pumped = ScriptMessagesPumped().load();
        const int presented = memory->presents.load();
        TimerTick();
        platform::Messages().Post(kScriptMessage);
        if (waitForChange([] { return ScriptMessagesPumped().load(); }, pumped))
          waitForChange([&] { return memory->presents.load(); }, presented);
      }
    });
    struct Joiner {
      std::atomic<bool>& stop;
      std::thread& thread;
      ~Joiner() {
        stop.store(true);
        thread.join();
        PumpScript() = nullptr;
        platform::Messages().Clear();
      }
    } joiner{stop, ticker};
    return operation();
  }

  // A script that clicks at (x, y) in a modal picture: pressed in one of its frames, held for
  // two presented frames, then released (each of its frames waits for a tick, which polls the
  // buttons, so the picture sees the press and then the release).
  std::function<void()> ClickScript(int x, int y) {
    auto stage = std::make_shared<int>(0);
    auto pressedAt = std::make_shared<int>(0);
    platform::MemoryVideo* video = memory;
    return [=] {
      if (*stage == 0) {
        TheMousePointer().SetPosition(x, y);
        platform::Input().SetMouseButtons(1);
        *pressedAt = video->presents;
        *stage = 1;
      } else if (*stage == 1) {
        // The press counts from the first timer poll that saw it: released earlier, a frame
        // could go by without it and the click would be lost.
        uint32_t seen = 0;
        TheMousePointer().GetState(nullptr, nullptr, &seen);
        if ((seen & 1) == 0) {
          *pressedAt = video->presents;
        } else if (video->presents >= *pressedAt + 2) {
          platform::Input().SetMouseButtons(0);
          *stage = 2;
        }
      }
    };
  }

  // The shell's shutdown of the play screen and the graphics library, in the shell's order; the
  // caller then stops the sound the way its start-up began it.
  void ShutDownAsTheShellDoes() {
    StopTimer();
    screen.Close();
    opened = false;
    TheMousePointer().Free();
    game.Release();
    QZAcquireMouse(0);
    QZFreeFont();
    QZFreeDirectInput();
    QZFreeDirectX();
  }

  // A cell of the board whose balloon has a neighbour of its colour, or -1.
  int PoppableCell() const {
    for (int row = 0; row < Game::kRows; ++row) {
      for (int col = 0; col < Game::kColumns; ++col) {
        const Balloon* here = game.BalloonAt(row * Game::kColumns + col);
        if (here == nullptr) continue;
        const Balloon* right =
            col + 1 < Game::kColumns ? game.BalloonAt(row * Game::kColumns + col + 1) : nullptr;
        const Balloon* below =
            row + 1 < Game::kRows ? game.BalloonAt((row + 1) * Game::kColumns + col) : nullptr;
        if ((right != nullptr && right->colour == here->colour) ||
            (below != nullptr && below->colour == here->colour)) {
          return row * Game::kColumns + col;
        }
      }
    }
    return -1;
  }

  // Lays a board out: one text per row from the top, one letter per column ("rypgb" for the
  // colours 0 to 4, upper case for a star, '.' for an empty cell); missing rows and columns are
  // empty.
  void SetBoard(const std::vector<std::string>& rowsText) {
    PtrArray<Balloon>* cells = game.Cells();
    ASSERT_NE(cells, nullptr);
    ASSERT_EQ(cells->Count(), Game::kColumns * Game::kRows);
    for (int c = 0; c < cells->Count(); ++c) {
      delete cells->At(c);
      cells->Set(c, nullptr);
    }
    static const char* const kPlain[] = {"Red", "Yellow", "Purple", "Green", "Orange"};
    static const char* const kStar[] = {"RedStar", "YellowStar", "PurpleStar", "GreenStar",
                                        "OrangeStar"};
    for (int row = 0; row < static_cast<int>(rowsText.size()) && row < Game::kRows; ++row) {
      for (int col = 0; col < static_cast<int>(rowsText[row].size()) && col < Game::kColumns;
           ++col) {
        const char letter = rowsText[row][col];
        if (letter == '.') continue;
        const bool star = letter >= 'A' && letter <= 'Z';
        const char lower = star ? static_cast<char>(letter - 'A' + 'a') : letter;
        const char* found = std::strchr(kColourLetters, lower);
        ASSERT_NE(found, nullptr) << letter;
        const int colour = static_cast<int>(found - kColourLetters);
        auto* balloon = new Balloon(star ? 1 : 0);
        balloon->AddSharedFrame(screen.FindImage(star ? kStar[colour] : kPlain[colour])->Surface());
        balloon->AddSharedFrame(screen.FindImage("pop")->Surface());
        balloon->colour = colour;
        const int cell = row * Game::kColumns + col;
        balloon->cell = cell;
        balloon->shown = 1;
        balloon->SetPositionF(static_cast<float>(Game::kBoardX + 32 * col),
                              static_cast<float>(Game::kBoardY + 40 * row));
        cells->Set(cell, balloon);
      }
    }
    game.SetBoardDirty(1);
  }

  // The board in the same notation, empty cells at the ends of rows and empty rows at the
  // bottom left out.
  std::vector<std::string> BoardText() const {
    std::vector<std::string> rowsText;
    for (int row = 0; row < Game::kRows; ++row) {
      std::string line;
      for (int col = 0; col < Game::kColumns; ++col) {
        const Balloon* balloon = game.BalloonAt(row * Game::kColumns + col);
        if (balloon == nullptr) {
          line += '.';
        } else {
          char letter = kColourLetters[balloon->colour];
          if (balloon->star == 1) letter = static_cast<char>(letter - 'a' + 'A');
          line += letter;
        }
      }
      line.erase(line.find_last_not_of('.') + 1);
      rowsText.push_back(line);
    }
    while (!rowsText.empty() && rowsText.back().empty())
      rowsText.pop_back();
    return rowsText;
  }

  int BalloonCount() const {
    int n = 0;
    for (int c = 0; c < Game::kColumns * Game::kRows; ++c)
      if (game.BalloonAt(c) != nullptr) ++n;
    return n;
  }

  // Whether the surface shows the picture at (x, y), its transparent pixels aside.
  static bool Shows(const QZSurface* surface, const QZSurface* picture, int x, int y) {
    if (surface == nullptr || picture == nullptr) return false;
    int opaque = 0;
    for (int py = 0; py < picture->Height(); ++py) {
      for (int px = 0; px < picture->Width(); ++px) {
        const uint16_t value = picture->PixelAt(px, py);
        if (picture->HasColorKey() && value == picture->ColorKey()) continue;
        if (x + px < 0 || y + py < 0 || x + px >= surface->Width() || y + py >= surface->Height()) {
          continue;
        }
        if (surface->PixelAt(x + px, y + py) != value) return false;
        ++opaque;
      }
    }
    return opaque > 0;
  }

  testing_support::TempFolder install;
  // Links to the staged files instead of copies, for tests that run many sessions and replace a
  // file rather than write into it.
  bool linkInstall = false;
  std::string gameFolder;
  char previousFolder[4096] = {};
  platform::MemoryVideo* memory = nullptr;
  QZSurface* back = nullptr;
  Game game;
  PlayScreen screen{"balloon", game};
  bool opened = false;
  // The picture the last flip presented.
  const QZSurface* Presented() const { return memory->lastPicture.get(); }
  EffectLog effects;
  platform::RecordingProcessStarter starter;
};

}  // namespace gametest
