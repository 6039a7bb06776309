#include "shell/Shell.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "framework/FrameLoop.h"
#include "framework/MousePointer.h"
#include "framework/ScreenManager.h"
#include "framework/SurfaceRoutines.h"
#include "framework/Timer.h"
#include "platform/FileUpdates.h"
#include "platform/Files.h"
#include "platform/Language.h"
#include "platform/MessageBox.h"
#include "platform/Messages.h"
#include "platform/Profile.h"
#include "platform/Timer.h"
#include "platform/Video.h"

namespace {

constexpr int kDisplayWidth = 800;
constexpr int kDisplayHeight = 600;
constexpr int kLastUpdatesWaitMs = 5000;

struct ShellState {
  const ShellFlavour* flavour = nullptr;
  bool windowExists = false;
  bool shutDown = false;
  int appActive = 0;
  int fullScreen = 0;
  int mouseOffsetX = 0;
  int mouseOffsetY = 0;
  char launcherDir[kLauncherDirSize] = {};
  // The program's own setup.ini, named from the folder the program starts in.
  std::string setupFile = ".\\setup.ini";
  QZSurface* front = nullptr;
  QZSurface* back = nullptr;
};

ShellState shell;

platform::Video& Window() {
  return platform::GetVideo();
}

// The main window in the mode setup.ini asks for, centred on the screen.
bool CreateMainWindow(const ShellFlavour& flavour) {
  platform::Video& video = Window();
  int screenWidth = 0;
  int screenHeight = 0;
  video.ScreenSize(&screenWidth, &screenHeight);

  char nowindowText[32];
  platform::ReadProfileString("setup", "nowindow", "0", nowindowText, sizeof(nowindowText),
                              shell.setupFile.c_str());
  const int nowindow = std::atoi(nowindowText);

  platform::WindowDesc desc;
  desc.icon = flavour.windowIcon;
  if (shell.fullScreen != 0) {
    desc.mode = platform::WindowMode::kFullScreen;
    desc.x = 0;
    desc.y = 0;
    desc.width = screenWidth;
    desc.height = screenHeight;
    desc.title = flavour.windowText;
  } else {
    desc.x = screenWidth / 2 - 400;
    desc.y = screenHeight / 2 - 300;
    desc.width = kDisplayWidth;
    desc.height = kDisplayHeight;
    if (nowindow == 1) {
      // Only exactly 1 selects the borderless window; it has no window text and stays on top.
      desc.mode = platform::WindowMode::kBorderless;
      desc.topMost = true;
    } else {
      desc.mode = platform::WindowMode::kCaptioned;
      desc.title = flavour.windowText;
      // The launcher on a screen no larger than its picture keeps its window above the rest.
      desc.topMost =
          flavour.isLauncher && screenWidth == kDisplayWidth && screenHeight == kDisplayHeight;
    }
  }
  if (!video.CreateWindow(desc)) return false;
  shell.windowExists = true;
  return true;
}

void Shutdown() {
  const ShellFlavour& flavour = *shell.flavour;
  StopTimer();
  TheScreenManager().CloseAll();
  TheMousePointer().Free();
  if (flavour.releaseGame) flavour.releaseGame();
  QZAcquireMouse(0);
  QZFreeFont();
  QZFreeDirectInput();
  QZFreeDirectX();
  if (flavour.stopAudio) flavour.stopAudio();
  shell.appActive = 0;
  platform::Messages().PostQuit(0);
}

void OnMove() {
  if (!shell.windowExists) return;
  int x = 0;
  int y = 0;
  Window().ClientOrigin(&x, &y);
  QZSetWindowXY(x, y);
}

void OnSize(uintptr_t wParam, intptr_t lParam) {
  if (wParam == platform::SIZE_MAXIMIZED) {
    const int w = platform::UnsignedLowWord(static_cast<uintptr_t>(lParam));
    const int h = platform::UnsignedHighWord(static_cast<uintptr_t>(lParam));
    int frame = 0;
    int caption = 0;
    Window().BorderMetrics(&frame, &caption);
    // 399, not 400, as the picture has always been placed; the mouse offsets follow it.
    QZSetWindowXY(w / 2 - 399, h / 2 - 300);
    shell.mouseOffsetX = w / 2 - 399;
    shell.mouseOffsetY = h / 2 - 300 - frame - caption;
  } else if (wParam == platform::SIZE_RESTORED) {
    shell.mouseOffsetX = 0;
    shell.mouseOffsetY = 0;
  }
}

// Alt+Enter: the window goes full screen or back, and the choice is kept in setup.ini for the
// next start, as the program reads it there.
void ToggleFullScreen() {
  if (!shell.windowExists) return;
  const bool next = shell.fullScreen == 0;
  if (!Window().SetFullScreen(next)) return;
  shell.fullScreen = next ? 1 : 0;
  TheMousePointer().SetFullScreen(shell.fullScreen);
  platform::WriteProfileString("setup", "fullscreen", next ? "1" : "0", shell.setupFile.c_str());
}

// Frame-loop step 3 without spinning: while the window is inactive no frame runs, and the loop
// sleeps until the next tick instead of turning on the empty queue.
void IdleWhileInactive() {
  QZAcquireMouse(0);
  WaitForTime(GetTime() + 10);
}

// Each pass waits first (the game for its tick, the launcher for the display's refresh) and then
// takes the input that came meanwhile, so that a press shows in the frame right after it.
int FrameLoop() {
  const ShellFlavour& flavour = *shell.flavour;
  for (;;) {
    const bool active = shell.appActive != 0;
    if (active) {
      QZAcquireMouse(1);
      if (flavour.isLauncher) {
        Window().WaitForRefresh();
      } else {
        PaceFrame(100);
      }
    } else {
      IdleWhileInactive();
    }
    if (PumpMessages() == 1) {
      // A quit from elsewhere still takes the window, and with it the shutdown, down once.
      DestroyMainWindow();
      return 0;
    }
    // A window activated by this pump has its first frame after a wait like any other.
    if (!active || shell.appActive == 0) continue;
    // The buttons as the pump just left them, not as the timer last polled them: the position
    // the frame reads is as fresh.
    TheMousePointer().Poll();
    // The game shows the rate it asks for; the launcher the rate it reaches.
    if (!flavour.isLauncher) {
      ShowFrameRate(100.0f);
    } else if (GetShowFrameRate()) {
      ShowFrameRate(QZGetFPS());
    }
    if (TheScreenManager().Update(shell.appActive) == kFrameResultQuit) {
      if (flavour.isLauncher) platform::SleepMilliseconds(1500);
      DestroyMainWindow();
      return 0;
    }
  }
}

}  // namespace

const char* LauncherDir() {
  return shell.launcherDir;
}

void SetTitle(const char* text) {
  if (!shell.flavour || !shell.windowExists) return;
  char title[512];
  std::snprintf(title, sizeof(title), "%s - %s", shell.flavour->windowText, text ? text : "");
  Window().SetTitle(title);
}

void DestroyMainWindow() {
  if (!shell.windowExists) return;
  // Windows sends WM_DESTROY while destroying the window; the shutdown runs from there.
  MainWndProc(platform::WM_DESTROY, 0, 0);
  shell.windowExists = false;
  Window().DestroyWindow();
}

intptr_t MainWndProc(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  TheScreenManager().OnMessage(message, wParam, lParam);
  switch (message) {
    case platform::WM_ACTIVATEAPP:
      shell.appActive = wParam != 0 ? 1 : 0;
      break;
    case platform::WM_ACTIVATE:
      if ((wParam & 0xFFFF) == platform::WA_INACTIVE) {
        QZAcquireMouse(0);
        shell.appActive = 0;
      } else if ((wParam & 0xFFFF) == platform::WA_ACTIVE) {
        QZAcquireMouse(1);
        shell.appActive = 1;
      }
      break;
    case platform::WM_MOVE:
      OnMove();
      break;
    case platform::WM_SIZE:
      OnSize(wParam, lParam);
      break;
    case platform::WM_PAINT:
      // No frame runs while inactive; an active window's next frame draws it whole anyway.
      if (!shell.appActive) QZRepaint();
      break;
    case platform::WM_MOUSEMOVE:
      if (shell.appActive) {
        TheMousePointer().SetPosition(
            platform::LowWord(static_cast<uintptr_t>(lParam)) - shell.mouseOffsetX,
            platform::HighWord(static_cast<uintptr_t>(lParam)) - shell.mouseOffsetY);
      }
      break;
    case platform::WM_KEYUP:
      if (wParam == platform::VK_ESCAPE) platform::Messages().Post(platform::WM_CLOSE);
      if (wParam == platform::VK_F1) SetShowFrameRate(1 - GetShowFrameRate());
      break;
    case platform::WM_SYSKEYDOWN:
      if (wParam == platform::VK_RETURN) ToggleFullScreen();
      break;
    case platform::WM_SYSCOMMAND:
      if (wParam == platform::SC_KEYMENU) return 0;  // Alt does not open the system menu
      break;
    case platform::WM_CLOSE:
      DestroyMainWindow();
      break;
    case platform::MM_MCINOTIFY:
      if (shell.flavour && shell.flavour->onMusicNotify) shell.flavour->onMusicNotify();
      break;
    case platform::WM_DESTROY:
      if (!shell.shutDown && shell.flavour) {
        shell.shutDown = true;
        Shutdown();
      }
      break;
    default:
      break;
  }
  return 0;
}

namespace {

// The checks before anything starts: the launcher's display depth, the game's command line (the
// launcher's folder, which it keeps). False when the program is to end; the player has been told.
bool AcceptCommandLine(const ShellFlavour& flavour, const char* commandLine) {
  if (flavour.isLauncher && Window().DesktopDepth() != 15 && Window().DesktopDepth() != 16) {
    platform::ShowMessageBox(
        platform::Tr("QorvexGames need the display set to High Color (16 bit)."), "",
        platform::MB_ICONERROR);
    return false;
  }
  if (flavour.requiresCommandLine && commandLine[0] == '\0') {
    platform::ShowMessageBox(platform::Tr("Game must be run from the Hubbix"),
                             platform::Tr("ERROR"), platform::MB_OK);
    return false;
  }
  if (std::strlen(commandLine) > static_cast<size_t>(kMaxCommandLine) &&
      !flavour.requiresCommandLine) {
    // The launcher's command line only chooses a game's page, and no game's name is this long:
    // it chooses none and the pages open.
    commandLine = "";
  } else if (std::strlen(commandLine) > static_cast<size_t>(kMaxCommandLine)) {
    char text[160];
    std::snprintf(text, sizeof(text),
                  platform::Tr("The command line is too long: at most %d characters are accepted."),
                  kMaxCommandLine);
    platform::ShowMessageBox(text, platform::Tr("ERROR"), platform::MB_OK);
    return false;
  }
  std::snprintf(shell.launcherDir, sizeof(shell.launcherDir), "%s", commandLine);
  return true;
}

// The video system, or the message the programs have always shown when there is none.
bool StartVideo(const ShellFlavour& flavour) {
  platform::Video& video = Window();
  std::string reason;
  if (flavour.appId != nullptr) video.SetAppId(flavour.appId);
  if (video.Start(&reason)) return true;
  // The box's text is the one the programs have always shown; the line before it says what
  // really happened.
  std::fprintf(stderr, platform::Tr("%s cannot start: no window can be shown: %s"),
               flavour.windowText,
               reason.empty() ? platform::Tr("the video system did not start") : reason.c_str());
  std::fputc('\n', stderr);
  platform::ShowMessageBox(
      platform::Tr("DirectX not installed. Program needs DirectX 7.0a or higher to run"), "",
      platform::MB_ICONERROR);
  return false;
}

// setup.ini's choice of full screen, from the folder the program starts in.
void ReadWindowChoice() {
  // Named absolutely, so that a later change of the current folder (the launcher's title page
  // enters a game's folder) cannot send this program's choices to another program's file.
  char startFolder[4096];
  if (platform::GetCurrentFolder(startFolder, sizeof(startFolder))) {
    shell.setupFile = std::string(startFolder) + "/setup.ini";
  }
  char fullScreenText[256];
  platform::ReadProfileString("setup", "fullscreen", "0", fullScreenText, sizeof(fullScreenText),
                              shell.setupFile.c_str());
  shell.fullScreen = std::atoi(fullScreenText);
}

// The window and the graphics library's display over it, cleared to black.
bool OpenWindowAndDisplay(const ShellFlavour& flavour) {
  platform::Video& video = Window();
  SetWindowProcedure(&MainWndProc);
  if (!CreateMainWindow(flavour)) return false;
  // The launcher's frames are paced by the display's refresh where it has one; the game's by
  // its own 10 ms tick.
  video.SetPresentWait(flavour.isLauncher);

  QZDebugEnable(0);
  if (shell.fullScreen != 0) {
    if (!QZInitDirectX(&video, kDisplayWidth, kDisplayHeight, 16)) return false;
  } else if (!QZInitDirectX(&video, kDisplayWidth, kDisplayHeight)) {
    QZPrintError();
    return false;
  }
  QZSetViewport(0, 0, kDisplayWidth, kDisplayHeight);
  QZGetDDInfo(&shell.front, &shell.back);
  FillColor(shell.back, 0);
  QZSetInstance(nullptr);
  QZInitMouse();
  return true;
}

// Every pace, time-out and the game clock hang on the timer; without it the program could not
// run, so it says so instead of freezing at the second frame.
bool StartTheTimer() {
  if (StartTimer() == 0) return true;
  platform::ShowMessageBox(platform::Tr("Unable to use timers on this system"),
                           platform::Tr("ERROR"), platform::MB_ICONERROR);
  DestroyMainWindow();
  return false;
}

// The pointer is never drawn (the desktop's own shows), but follows the mouse for the buttons.
void SetUpPointer() {
  MousePointer& pointer = TheMousePointer();
  pointer.Init(nullptr);
  pointer.SelectPicture(0);
  pointer.Hide();
  pointer.SetFullScreen(shell.fullScreen != 0);
  int cursorX = 0;
  int cursorY = 0;
  Window().CursorPosition(&cursorX, &cursorY);
  pointer.SetPosition(cursorX, cursorY);
  QZAcquireMouse(1);
}

void AddScreens(const ShellFlavour& flavour) {
  ScreenManager& manager = TheScreenManager();
  manager.SetSurfaces(QZGetLPDD(), shell.back);
  flavour.addScreens(manager, shell.launcherDir);
  QZInitKeyboard();
}

}  // namespace

int RunShell(const ShellFlavour& flavour, const char* commandLine) {
  shell = ShellState();
  shell.flavour = &flavour;
  if (!AcceptCommandLine(flavour, commandLine != nullptr ? commandLine : "")) return 0;
  if (!StartVideo(flavour)) return 0;
  QZSetInstance(nullptr);
  ReadWindowChoice();
  if (!OpenWindowAndDisplay(flavour)) return 1;
  if (!StartTheTimer()) return 1;
  if (flavour.startAudio) flavour.startAudio(&Window());
  SetUpPointer();
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  QZInitFont(&Window());
  AddScreens(flavour);

  const int exitCode = FrameLoop();
  // The window is gone: what still waits for another copy's lock, or for its file to be readable,
  // has a last few seconds, with no frozen window to show for them.
  platform::TheFileUpdates().Finish(kLastUpdatesWaitMs);
  return exitCode;
}
