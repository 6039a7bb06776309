#pragma once
// The application shell both programs share: start-up checks, the main window, bring-up of the
// graphics library, the frame loop, the window procedure and the shutdown. What differs between
// the game and the launcher is described by a ShellFlavour.

#include <cstdint>

#include "platform/Video.h"
#include "qz/qz.h"

class ScreenManager;

struct ShellFlavour {
  // Window text of the captioned and full-screen windows, and the program name for SetTitle.
  const char* windowText;
  // The launcher checks the desktop's depth, makes an 800 x 600 screen's window top-most, does
  // not pace its frames, shows QZGetFPS and waits 1500 ms before closing on a frame result 7.
  bool isLauncher;
  // The game requires a command line (the launcher's folder).
  bool requiresCommandLine;

  // Start-up, after the timer: the sound bank, switches and music (game only).
  void (*startAudio)(QZWindow* window);
  // Adds the program's screens and selects the first one.
  void (*addScreens)(ScreenManager& manager, const char* commandLine);
  // Shutdown, after the mouse pointer is freed: the game releases its game data.
  void (*releaseGame)();
  // Shutdown, after the display is freed: the sound bank and the music.
  void (*stopAudio)();
  // MM_MCINOTIFY: the music has ended.
  void (*onMusicNotify)();

  // The program's desktop entry (its name without ".desktop"), which names the window to the
  // desktop: its X11 class and Wayland app id.
  const char* appId = nullptr;
  // The window's icon for X11 task bars; none leaves the desktop's own.
  const platform::WindowIcon* windowIcon = nullptr;
};

// The programs' desktop entries (dist/<id>.desktop), as their windows name them.
constexpr char kGameAppId[] = "com.example.qorvexgames.Zeppolo";
constexpr char kLauncherAppId[] = "com.example.qorvexgames.Hubbix";

// Runs the program to its end and returns the process's exit code.
int RunShell(const ShellFlavour& flavour, const char* commandLine);

// The command line the shell keeps: the launcher's folder, in the game.
const char* LauncherDir();

// Sets the window text to "<program> - <text>".
void SetTitle(const char* text);

// The shell's window procedure; exposed for tests.
intptr_t MainWndProc(uint32_t message, uintptr_t wParam, intptr_t lParam);

// Destroys the main window: the shutdown runs once, whichever way the program ends.
void DestroyMainWindow();

// The launcher's folder is kept in 256 characters, and the game builds the launcher's path from
// it in another 256: a command line is taken only when folder + "\\Hubbix.exe" fits.
constexpr int kLauncherDirSize = 256;
constexpr int kMaxCommandLine = kLauncherDirSize - 1 - 11;
