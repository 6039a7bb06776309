#pragma once
// Shared set-up of the launcher's tests: a temporary launcher folder holding the generated
// launcher pictures (linked from the staged install layout) and the games a test makes, the
// memory display with the shell's back buffer, the two screens in the screen manager, a recording
// starter in place of real programs and browsers, and the clock, keys, mouse and players reset.
// Dialogs run their real loop: the scripted ones below set up the input of each next frame and
// tick the timer once per frame, so no test waits on a clock.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "framework/Dialog.h"
#include "framework/DirtyRects.h"
#include "framework/FrameLoop.h"
#include "framework/Keyboard.h"
#include "framework/MousePointer.h"
#include "framework/ScreenManager.h"
#include "framework/Timer.h"
#include "launcher/HallOfFameDialog.h"
#include "launcher/MenuScreen.h"
#include "launcher/Players.h"
#include "launcher/PlayersDialog.h"
#include "launcher/TitleScreen.h"
#include "platform/Files.h"
#include "platform/Input.h"
#include "platform/Messages.h"
#include "platform/Process.h"
#include "platform/Utf8.h"
#include "platform/Video.h"
#include "qz/qz.h"
#include "tests/common/TempFolder.h"
#include "tests/framework/TestFiles.h"

namespace launcher_test {

constexpr uint32_t kLeft = 1;
constexpr int kFrameResultQuit = 7;

inline std::string StagedLauncher() {
  return std::string(ZEP_STAGE_DIR) + "/Hubbix";
}

// The 5-6-5 value of a colour, as the surfaces hold it.
inline uint16_t Pixel565(Rgb c) {
  return static_cast<uint16_t>(((c.r >> 3) << 11) | ((c.g >> 2) << 5) | (c.b >> 3));
}

// Puts the pointer at (x, y) with the buttons given and lets the timer poll them.
inline void Mouse(int x, int y, uint32_t buttons) {
  TheMousePointer().SetPosition(x, y);
  platform::Input().SetMouseButtons(buttons);
  TimerTick();
}

// A dialog whose run is scripted: after each frame's own handling the script sets up the input
// of the next frame, then the timer ticks once so the dialog's pacing moves on at once.
template <typename Base>
class Scripted : public Base {
 public:
  template <typename... Args>
  explicit Scripted(Args&&... args) : Base(std::forward<Args>(args)...) {}
  ~Scripted() override {
    if (answer != nullptr) *answer = this->Name();
  }
  int OnFrame(int x, int y, uint32_t buttons) override {
    ++frames;
    const int result = Base::OnFrame(x, y, buttons);
    if (script) script(frames);
    if (frames > 500) this->Finish("runaway");  // a failing test must still end
    TimerTick();
    return result;
  }
  std::function<void(int frame)> script;
  int frames = 0;
  // Receives the dialog's answer when it is destroyed.
  std::string* answer = nullptr;
};

// A script that presses at (x, y) after the first frame and releases there after the second.
inline std::function<void(int)> ClickScript(int x, int y) {
  return [x, y](int frame) {
    if (frame == 1) Mouse(x, y, kLeft);
    if (frame == 2) Mouse(x, y, 0);
  };
}

// Types the UTF-8 text as the desktop would: one character message each, which the message
// pump of the next frame takes into the key queue.
inline void PostText(const char* text) {
  uint32_t code = 0;
  for (size_t at = 0, step = 0; (step = platform::DecodeUtf8(text + at, 4, &code)) != 0; at += step)
    platform::Messages().Post(platform::WM_UNICHAR, code);
}

// A players-dialog script: types "kim" over the first player's name (seven backspaces, then the
// characters) and stores it with the enter button at (x, y).
inline std::function<void(int)> TypeKimAndEnterScript(int x, int y) {
  return [x, y](int frame) {
    if (frame == 1) {
      for (int i = 0; i < 7; ++i)
        PushKey(0x0E);
      PostText("kim");
    }
    if (frame == 2) Mouse(x, y, kLeft);
    if (frame == 3) Mouse(x, y, 0);
  };
}

// A hall-of-fame script: the upload button at (ux, uy) clicked after the first frame, then the back
// button at (bx, by).
inline std::function<void(int)> UploadThenBackScript(int ux, int uy, int bx, int by) {
  return [ux, uy, bx, by](int frame) {
    if (frame == 1) Mouse(ux, uy, kLeft);
    if (frame == 2) Mouse(ux, uy, 0);
    if (frame == 3) Mouse(bx, by, kLeft);
    if (frame == 4) Mouse(bx, by, 0);
  };
}

// The title page with its dialogs scripted by the test.
class TestTitleScreen : public TitleScreen {
 public:
  std::function<void(int)> pictureScript;
  std::function<void(int)> playersScript;
  std::function<void(int)> hallScript;
  int dialogsRun = 0;
  std::string lastAnswer;

 protected:
  Dialog* NewPictureDialog() override { return Make<Dialog>(pictureScript); }
  PlayersDialog* NewPlayersDialog() override { return Make<PlayersDialog>(playersScript); }
  HallOfFameDialog* NewHallOfFameDialog(const char* gameName) override {
    auto* dialog = new Scripted<HallOfFameDialog>(gameName);
    dialog->script = hallScript;
    dialog->answer = &lastAnswer;
    ++dialogsRun;
    return dialog;
  }

 private:
  template <typename T>
  T* Make(const std::function<void(int)>& script) {
    auto* dialog = new Scripted<T>();
    dialog->script = script;
    dialog->answer = &lastAnswer;
    ++dialogsRun;
    return dialog;
  }
};

// The pages with their information dialog scripted by the test.
class TestMenuScreen : public MenuScreen {
 public:
  explicit TestMenuScreen(TitleScreen& title) : MenuScreen(title) {}
  std::function<void(int)> helpScript;
  std::string helpAnswer;

 protected:
  Dialog* NewHelpDialog() override {
    auto* dialog = new Scripted<Dialog>();
    dialog->script = helpScript;
    dialog->answer = &helpAnswer;
    return dialog;
  }
};

class LauncherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(platform::GetCurrentFolder(previousFolder, sizeof(previousFolder)));
    ResetTimerState();
    ResetFrameLoop();
    ResetKeys();
    SetWindowProcedure(nullptr);
    platform::Input().SetMouseButtons(0);
    platform::Input().ReleaseAllKeys();
    TheMousePointer().SetPosition(0, 0);
    TheMousePointer().Poll();
    ThePlayerProfiles() = PlayerProfiles();

    auto video = std::make_unique<platform::MemoryVideo>();
    memory = video.get();
    platform::SetVideo(std::move(video));
    std::string reason;
    ASSERT_TRUE(memory->Start(&reason));
    ASSERT_TRUE(memory->CreateWindow(platform::WindowDesc()));
    ASSERT_NE(QZInitDirectX(memory, 800, 600), 0);
    QZGetDDInfo(&front, &back);
    platform::Messages().Clear();
    TheDirtyRects().Reset();
    platform::SetProcessStarter(&starter);

    ASSERT_FALSE(launcher.Path().empty());
    for (const auto& entry : std::filesystem::directory_iterator(StagedLauncher())) {
      if (entry.path().extension() == ".bmp") {
        std::filesystem::create_symlink(entry.path(), launcher.Path() / entry.path().filename());
      }
    }
    ASSERT_TRUE(platform::SetCurrentFolder(LauncherFolder().c_str()));

    ScreenManager& manager = TheScreenManager();
    manager.Clear();
    manager.SetSurfaces(QZGetLPDD(), back);
    manager.AddScreen(&menu);
    manager.AddScreen(&title);
  }

  void TearDown() override {
    TheScreenManager().CloseAll();
    TheScreenManager().Clear();
    platform::SetProcessStarter(nullptr);
    platform::SetCurrentFolder(previousFolder);
    TheDirtyRects().Reset();
    QZFreeDirectX();
    platform::SetVideo(nullptr);
    platform::Messages().Clear();
    platform::Input().SetMouseButtons(0);
    TheMousePointer().Poll();
    ResetTimerState();
    ResetFrameLoop();
    ResetKeys();
  }

  std::string LauncherFolder() const { return launcher.Path().string(); }
  std::string GameFolder(const std::string& name) const { return launcher / name; }

  // A game folder with its own button picture, one solid colour, and the generated title pictures.
  void AddGame(const std::string& name, Rgb colour = {200, 40, 40}) {
    const std::filesystem::path folder = launcher.Path() / name;
    std::filesystem::create_directory(folder);
    ASSERT_TRUE(WriteBitmap24((folder / "HubbixButton.bmp").string(), 250, 102,
                              [colour](int, int) { return colour; }));
    std::filesystem::create_directory_symlink(StagedLauncher() + "/Zeppolo/title",
                                              folder / "title");
  }
  // Distinct colours for games made in numbers.
  static Rgb GameColour(int k) {
    return {static_cast<uint8_t>(20 + 10 * k), static_cast<uint8_t>(200 - 7 * k), 60};
  }

  // Opens the pages as the shell does, and runs the first frame (which enables the slots that
  // hold games).
  void Start(const char* commandLine = "") {
    TheScreenManager().Select("Hubbix");
    if (commandLine[0] != '\0') menu.SelectByCommandLine(commandLine);
    Frame();
  }
  static int Frame() { return TheScreenManager().Update(1); }
  // Presses at (x, y) in one frame and releases there in the next; the second frame's result.
  static int Click(int x, int y) {
    Mouse(x, y, kLeft);
    const int first = Frame();
    if (first == kFrameResultQuit) return first;
    Mouse(x, y, 0);
    return Frame();
  }
  static const char* CurrentScreen() {
    Screen* screen = TheScreenManager().Current();
    return screen != nullptr ? screen->Name() : "";
  }
  static std::string CurrentFolder() {
    char folder[4096];
    return platform::GetCurrentFolder(folder, sizeof(folder)) ? folder : "";
  }
  static std::string Native(const std::string& windowsPath) {
    return platform::NativePath(windowsPath.c_str());
  }

  char previousFolder[4096] = {};
  platform::MemoryVideo* memory = nullptr;
  QZSurface* front = nullptr;
  QZSurface* back = nullptr;
  platform::RecordingProcessStarter starter;
  testing_support::TempFolder launcher;
  TestTitleScreen title;
  TestMenuScreen menu{title};
};

}  // namespace launcher_test
