// Where program files are kept: in the program's folder when the player can write it, otherwise in
// the player's data folder, which mirrors the program tree and is read first.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "platform/Profile.h"
#include "tests/common/TempFolder.h"

namespace {

using testing_support::TempFolder;

// Keeps the environment variables the data folder is found from, and the program tree, as they
// were before the test.
class Environment {
 public:
  Environment() {
    for (const char* name : {"XDG_DATA_HOME", "HOME"}) {
      const char* value = getenv(name);
      saved.push_back({name, value != nullptr, value != nullptr ? value : ""});
    }
  }
  ~Environment() {
    for (const Saved& s : saved) {
      if (s.set) {
        setenv(s.name, s.value.c_str(), 1);
      } else {
        unsetenv(s.name);
      }
    }
    platform::SetProgramTreeFolder(nullptr);
  }

 private:
  struct Saved {
    const char* name;
    bool set;
    std::string value;
  };
  std::vector<Saved> saved;
};

TEST(PlayerCopyPath, MirrorsTheProgramTreeAndNothingElse) {
  const std::string data = "/home/ann/.local/share/hubbix";
  EXPECT_EQ(
      platform::PlayerCopyPath("/usr/lib/games/hubbix/options.ini", "/usr/lib/games/hubbix", data),
      data + "/options.ini");
  EXPECT_EQ(platform::PlayerCopyPath("/usr/lib/games/hubbix/Zeppolo/./hiscore.dat",
                                     "/usr/lib/games/hubbix", data),
            data + "/Zeppolo/hiscore.dat");
  // The game naming the launcher's file from its own folder.
  EXPECT_EQ(platform::PlayerCopyPath("/usr/lib/games/hubbix/Zeppolo/../options.ini",
                                     "/usr/lib/games/hubbix", data),
            data + "/options.ini");
  // Paths that leave the tree have no player's copy, however they are spelt.
  EXPECT_EQ(platform::PlayerCopyPath("/usr/lib/games/hubbix/Zeppolo/../../x",
                                     "/usr/lib/games/hubbix", data),
            "");
  EXPECT_EQ(
      platform::PlayerCopyPath("/usr/lib/games/hubbix2/options.ini", "/usr/lib/games/hubbix", data),
      "");
  EXPECT_EQ(platform::PlayerCopyPath("/etc/passwd", "/usr/lib/games/hubbix", data), "");
  EXPECT_EQ(platform::PlayerCopyPath("options.ini", "/usr/lib/games/hubbix", data), "");
  EXPECT_EQ(platform::PlayerCopyPath("/usr/lib/games/hubbix/x", "", data), "");
}

TEST(PlayerDataFolder, FollowsTheXdgRule) {
  Environment environment;
  setenv("HOME", "/home/ann", 1);
  setenv("XDG_DATA_HOME", "/data/ann/", 1);
  EXPECT_EQ(platform::PlayerDataFolder(), "/data/ann/hubbix");
  unsetenv("XDG_DATA_HOME");
  EXPECT_EQ(platform::PlayerDataFolder(), "/home/ann/.local/share/hubbix");
  // A relative or empty value is ignored, as if unset.
  setenv("XDG_DATA_HOME", "data", 1);
  EXPECT_EQ(platform::PlayerDataFolder(), "/home/ann/.local/share/hubbix");
  setenv("XDG_DATA_HOME", "", 1);
  EXPECT_EQ(platform::PlayerDataFolder(), "/home/ann/.local/share/hubbix");
}

// An installed program tree (launcher folder with its game) and a player's home beside it. The
// checks that need a tree the player cannot write run in a child process as an ordinary user,
// since the superuser may write anywhere; the child reports what it saw through its exit code.
class PlayerFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder.Write("tree/options.ini", "[setup]\nmusic=Y\n");
    folder.Write("tree/Zeppolo/setup.ini", "[setup]\nfullscreen=0\n");
    folder.Write("tree/Zeppolo/hiscore.dat", "installed");
    std::filesystem::create_directories(folder.Path() / "home");
    tree = folder / "tree";
    home = folder / "home";
    data = home + "/.local/share/hubbix";
    log = home + "/stderr.txt";
    chmod(home.c_str(), 0777);
    chmod(folder.Path().c_str(), 0755);
  }

  // Runs check in a child whose tree is read-only to it, in the game's folder, with HOME set and
  // XDG_DATA_HOME unset; its standard error goes to the log. The check's result is the exit code.
  int AsPlayer(const std::function<int()>& check, bool treeReadOnly = true) {
    if (treeReadOnly && geteuid() != 0) {
      chmod((folder / "tree/Zeppolo").c_str(), 0555);
      chmod(tree.c_str(), 0555);
    }
    const pid_t child = fork();
    if (child < 0) return -1;
    if (child == 0) {
      if (treeReadOnly && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(90);
      const int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
      if (fd < 0 || dup2(fd, 2) < 0) _exit(91);
      setenv("HOME", home.c_str(), 1);
      unsetenv("XDG_DATA_HOME");
      platform::SetProgramTreeFolder(tree.c_str());
      if (chdir((tree + "/Zeppolo").c_str()) != 0) _exit(92);
      _exit(check());
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -2;
    chmod(tree.c_str(), 0755);
    chmod((folder / "tree/Zeppolo").c_str(), 0755);
    return WEXITSTATUS(status);
  }

  std::string Log() const { return folder.Read("home/stderr.txt"); }

  static std::string ReadAll(const char* path) {
    std::vector<uint8_t> bytes;
    if (!platform::ReadWholeFile(path, bytes)) return "<unreadable>";
    return std::string(bytes.begin(), bytes.end());
  }

  TempFolder folder;
  std::string tree;
  std::string home;
  std::string data;
  std::string log;
};

TEST_F(PlayerFilesTest, AWritableTreeKeepsItsFilesInPlace) {
  Environment environment;
  EXPECT_EQ(AsPlayer(
                [] {
                  if (!platform::WriteFileAtomic("hiscore.dat", "mine", 4)) return 1;
                  if (ReadAll("hiscore.dat") != "mine") return 2;
                  return platform::WriteProfileString("setup", "sound", "N", "..\\options.ini") ? 0
                                                                                                : 3;
                },
                false),
            0);
  EXPECT_EQ(folder.Read("tree/Zeppolo/hiscore.dat"), "mine");
  EXPECT_EQ(folder.Read("tree/options.ini"), "[setup]\nmusic=Y\nsound=N\n");
  EXPECT_FALSE(folder.Exists("home/.local")) << "nothing goes to the player's folder";
}

TEST_F(PlayerFilesTest, AReadOnlyTreeWritesThePlayersCopyAndReadsItFirst) {
  Environment environment;
  EXPECT_EQ(AsPlayer([] {
              // Before anything is written, the installed files are read.
              if (ReadAll("hiscore.dat") != "installed") return 1;
              if (!platform::WriteFileAtomic("hiscore.dat", "mine", 4)) return 2;
              if (ReadAll("hiscore.dat") != "mine") return 3;
              // An INI write starts from the installed file and keeps what it holds.
              if (!platform::WriteProfileString("setup", "sound", "N", "..\\options.ini")) return 4;
              char value[8];
              platform::ReadProfileString("setup", "music", "", value, sizeof value,
                                          "..\\options.ini");
              if (std::string(value) != "Y") return 5;
              // The launcher's folder lists the game as a folder the programs may use.
              std::vector<platform::FolderEntry> entries;
              if (!platform::ListFolder("..", entries)) return 6;
              for (const platform::FolderEntry& entry : entries) {
                if (entry.name == "Zeppolo" && entry.attributes != platform::kAttributeFolder) {
                  return 7;
                }
              }
              return 0;
            }),
            0)
      << Log();
  EXPECT_EQ(folder.Read("tree/Zeppolo/hiscore.dat"), "installed");
  EXPECT_EQ(folder.Read("tree/options.ini"), "[setup]\nmusic=Y\n");
  EXPECT_EQ(folder.Read("home/.local/share/hubbix/Zeppolo/hiscore.dat"), "mine");
  EXPECT_EQ(folder.Read("home/.local/share/hubbix/options.ini"), "[setup]\nmusic=Y\nsound=N\n");
  EXPECT_EQ(Log(), "");
  // The XDG base folders are private to the player; the game's own folder is not.
  struct stat st;
  ASSERT_EQ(stat((home + "/.local").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  ASSERT_EQ(stat((data + "/Zeppolo").c_str(), &st), 0);
  EXPECT_NE(st.st_mode & 0077, 0u);
}

TEST_F(PlayerFilesTest, APlayersCopyShadowsTheInstalledFileWhateverItsCase) {
  Environment environment;
  folder.Write("home/.local/share/hubbix/Zeppolo/SETUP.INI", "[setup]\nfullscreen=1\n");
  chmod((home + "/.local").c_str(), 0777);
  chmod((home + "/.local/share").c_str(), 0777);
  chmod(data.c_str(), 0777);
  chmod((data + "/Zeppolo").c_str(), 0777);
  EXPECT_EQ(AsPlayer([] {
              return platform::ReadProfileInt("setup", "fullscreen", 0, ".\\setup.ini") == 1 &&
                             platform::FileExists(".\\Setup.ini")
                         ? 0
                         : 1;
            }),
            0);
}

TEST_F(PlayerFilesTest, APathLeavingTheTreeGetsNoPlayersCopy) {
  Environment environment;
  if (geteuid() != 0) chmod(folder.Path().c_str(), 0555);
  const int result =
      AsPlayer([] { return platform::WriteFileAtomic("..\\..\\x", "x", 1) ? 1 : 0; });
  chmod(folder.Path().c_str(), 0755);
  EXPECT_EQ(result, 0);
  EXPECT_FALSE(folder.Exists("x"));
  EXPECT_FALSE(folder.Exists("home/.local/share/x"));
  EXPECT_FALSE(folder.Exists("home/.local/share/hubbix/x"));
}

TEST_F(PlayerFilesTest, AFailedWriteKeepsTheOldFileAndSaysWhy) {
  Environment environment;
  // A folder where the player's hiscore.dat would go.
  std::filesystem::create_directories(data + "/Zeppolo/hiscore.dat");
  for (const std::string& f : {home + "/.local", home + "/.local/share", data, data + "/Zeppolo"})
    chmod(f.c_str(), 0777);
  EXPECT_EQ(AsPlayer([] { return platform::WriteFileAtomic("hiscore.dat", "mine", 4) ? 1 : 0; }),
            0);
  EXPECT_EQ(folder.Read("tree/Zeppolo/hiscore.dat"), "installed");
  const std::string line = Log();
  EXPECT_NE(line.find("cannot write " + data + "/Zeppolo/hiscore.dat: Is a directory\n"),
            std::string::npos)
      << line;
  EXPECT_EQ(std::count(line.begin(), line.end(), '\n'), 1);
}

TEST_F(PlayerFilesTest, AFileInTheWayOfThePlayersFolderFailsTheWrite) {
  Environment environment;
  folder.Write("home/.local/share/hubbix", "not a folder");
  chmod((home + "/.local").c_str(), 0777);
  chmod((home + "/.local/share").c_str(), 0777);
  EXPECT_EQ(AsPlayer([] {
              return platform::WriteProfileString("setup", "sound", "N", "..\\options.ini") ? 1 : 0;
            }),
            0);
  EXPECT_EQ(folder.Read("tree/options.ini"), "[setup]\nmusic=Y\n");
  EXPECT_EQ(folder.Read("home/.local/share/hubbix"), "not a folder");
  EXPECT_NE(Log().find("cannot write " + data + "/options.ini: Not a directory"), std::string::npos)
      << Log();
}

TEST(WriteFileAtomic, AFolderInTheWayIsReportedAndLeftAlone) {
  TempFolder folder;
  folder.Write("scores/keep", "x");
  testing::internal::CaptureStderr();
  EXPECT_FALSE(platform::WriteFileAtomic((folder / "scores").c_str(), "mine", 4));
  const std::string line = testing::internal::GetCapturedStderr();
  EXPECT_EQ(folder.Read("scores/keep"), "x");
  EXPECT_NE(line.find("cannot write " + (folder / "scores") + ": Is a directory"),
            std::string::npos)
      << line;
}

}  // namespace
