#include "platform/Process.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "platform/Environment.h"
#include "platform/Language.h"
#include "platform/Video.h"
#include "tests/common/TempFolder.h"

namespace {

using testing_support::TempFolder;

// A harmless program that reports, through a named pipe in the folder it runs in, that folder,
// its argument count and its first argument.
const char kReporter[] =
    "#!/bin/sh\n"
    "{ pwd; echo \"$#\"; printf '%s\\n' \"$1\"; } > report.fifo\n";

// Reports the activation token it was started with, "-" for none.
const char kTokenReporter[] =
    "#!/bin/sh\n"
    "printf '%s\\n' \"${XDG_ACTIVATION_TOKEN:--}\" > report.fifo\n";

class ProcessTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::SetProcessStarter(nullptr); }

  // Puts the reporter at name (relative to the folder) and a pipe in workFolder; opens the
  // pipe's reading end before anything runs so the program never waits for us.
  void Prepare(const std::string& name, const std::string& workFolder,
               const char* reporter = kReporter) {
    folder.Write(name, reporter);
    ASSERT_EQ(chmod((folder / name).c_str(), 0755), 0);
    ASSERT_EQ(mkfifo((folder / (workFolder + "/report.fifo")).c_str(), 0600), 0);
    reportFd = open((folder / (workFolder + "/report.fifo")).c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reportFd, 0);
  }

  // Everything the program wrote, once it closed the pipe. The poll limit only guards against
  // a hang when the program never runs; no result depends on time.
  std::string Report() {
    std::string text;
    for (;;) {
      pollfd p{reportFd, POLLIN, 0};
      if (poll(&p, 1, 20000) <= 0) {
        ADD_FAILURE() << "the program did not report";
        break;
      }
      char buffer[256];
      const ssize_t got = read(reportFd, buffer, sizeof buffer);
      if (got == 0) break;
      if (got < 0) {
        if (errno == EAGAIN || errno == EINTR) continue;
        break;
      }
      text.append(buffer, static_cast<size_t>(got));
    }
    return text;
  }

  void TearDown() override {
    if (reportFd >= 0) close(reportFd);
  }

  TempFolder folder;
  int reportFd = -1;
};

TEST_F(ProcessTest, StartsTheProgramInItsFolderWithOneArgument) {
  Prepare("Launcher/Zeppolo/Zeppolo", "Launcher/Zeppolo");
  const std::string gameFolder = folder / "Launcher\\Zeppolo";

  // The game's program file is named the Windows way; the real file has no suffix.
  ASSERT_TRUE(platform::GetProcessStarter().StartProgram(
      "Zeppolo.exe", folder / "Launcher with spaces", gameFolder));
  EXPECT_EQ(Report(),
            (folder / "Launcher/Zeppolo") + "\n1\n" + (folder / "Launcher with spaces") + "\n");

  // The program is not our child: nothing is left to reap.
  int status;
  EXPECT_EQ(waitpid(-1, &status, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
}

TEST_F(ProcessTest, PassesTheWindowsActivationTokenAndNeverAnInheritedOne) {
  // This process was itself started with a token, which served its own window already.
  ASSERT_EQ(setenv("XDG_ACTIVATION_TOKEN", "used-by-us", 1), 0);
  auto video = std::make_unique<platform::MemoryVideo>();
  platform::MemoryVideo* memory = video.get();
  platform::SetVideo(std::move(video));
  platform::ProcessStarter& starter = platform::GetProcessStarter();

  memory->activationToken = "for-the-game";
  Prepare("Game", ".", kTokenReporter);
  ASSERT_TRUE(starter.StartProgram("Game", "", folder.Path().string()));
  EXPECT_EQ(Report(), "for-the-game\n");

  // A desktop without tokens: the program starts without one.
  memory->activationToken.clear();
  close(reportFd);
  ASSERT_EQ(unlink((folder / "report.fifo").c_str()), 0);
  Prepare("Game", ".", kTokenReporter);
  ASSERT_TRUE(starter.StartProgram("Game", "", folder.Path().string()));
  EXPECT_EQ(Report(), "-\n");

  EXPECT_STREQ(getenv("XDG_ACTIVATION_TOKEN"), "used-by-us");
  unsetenv("XDG_ACTIVATION_TOKEN");
  platform::SetVideo(nullptr);
}

// The video sets a few variables for SDL once, before any thread runs, and never puts them back
// while SDL's threads may read the environment. The programs it starts get the player's own
// environment, and the language goes by the player's locale, not the one set for SDL.
TEST_F(ProcessTest, WhatIsSetForTheLibrariesStaysOutOfStartedProgramsAndTheLanguage) {
  const char kEnvironmentReporter[] =
      "#!/bin/sh\n"
      "printf '%s|%s\\n' \"${SDL_VIDEO_X11_WMCLASS:--}\" \"${LC_ALL:--}\" > report.fifo\n";
  unsetenv("SDL_VIDEO_X11_WMCLASS");
  ASSERT_EQ(setenv("LC_ALL", "de_DE.ISO-8859-1", 1), 0);
  platform::SetForLibraries("SDL_VIDEO_X11_WMCLASS", "com.example.Ours", true);
  platform::SetForLibraries("LC_ALL", "C.UTF-8", false);
  EXPECT_STREQ(getenv("LC_ALL"), "C.UTF-8");
  EXPECT_STREQ(platform::LocaleFromEnvironment().lcAll, "de_DE.ISO-8859-1");

  Prepare("Game", ".", kEnvironmentReporter);
  ASSERT_TRUE(platform::GetProcessStarter().StartProgram("Game", "", folder.Path().string()));
  EXPECT_EQ(Report(), "-|de_DE.ISO-8859-1\n");
}

TEST_F(ProcessTest, TakesAnAbsoluteWindowsPathAndAnyCase) {
  Prepare("Hubbix", ".");
  // As the game names the launcher: its folder, a backslash and the Windows file name.
  ASSERT_TRUE(platform::GetProcessStarter().StartProgram(folder.Path().string() + "\\HUBBIX.exe",
                                                         "", folder.Path().string()));
  EXPECT_EQ(Report(), folder.Path().string() + "\n0\n\n");
}

TEST_F(ProcessTest, FailsWhenNothingCanBeStarted) {
  folder.Write("NotAProgram", "just text");
  ASSERT_EQ(chmod((folder / "NotAProgram").c_str(), 0644), 0);
  {
    platform::ProcessStarter& starter = platform::GetProcessStarter();
    EXPECT_FALSE(starter.StartProgram("Missing.exe", "x", folder.Path().string()));
    EXPECT_FALSE(starter.StartProgram("NotAProgram", "x", folder.Path().string()));
    EXPECT_FALSE(starter.StartProgram("", "x", folder.Path().string()));
    folder.Write("Game/Game", kReporter);
    ASSERT_EQ(chmod((folder / "Game/Game").c_str(), 0755), 0);
    EXPECT_FALSE(starter.StartProgram("Game.exe", "x", folder / "NoSuchFolder"));
  }
}

TEST_F(ProcessTest, ATestStarterStandsInUntilRemoved) {
  platform::ProcessStarter& real = platform::GetProcessStarter();
  platform::RecordingProcessStarter recorder;
  platform::SetProcessStarter(&recorder);
  EXPECT_EQ(&platform::GetProcessStarter(), &recorder);
  platform::GetProcessStarter().OpenAddress("http://example.invalid/");
  ASSERT_EQ(recorder.addresses.size(), 1u);
  platform::SetProcessStarter(nullptr);
  EXPECT_EQ(&platform::GetProcessStarter(), &real);
}

}  // namespace
