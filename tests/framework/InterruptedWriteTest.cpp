// A program stopped while it writes "hiscore.dat" or "options.ini" never leaves a damaged or empty
// file: up to the rename the old file is whole, and the new one lies complete beside it. Checked
// in-process at the moment between the temporary file and the rename, and with a real child
// process that is killed (SIGKILL) at that moment.

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "framework/HighScoreTable.h"
#include "framework/PlayerProfiles.h"
#include "platform/Files.h"
#include "platform/Profile.h"
#include "tests/common/TempFolder.h"

namespace {

namespace fs = std::filesystem;
using testing_support::TempFolder;

// Set by the parent test for the child run: the folder to write in.
constexpr const char* kChildFolderVariable = "ZEP_INTERRUPTED_WRITE_FOLDER";
// Which file the child writes: "hiscore" or "options".
constexpr const char* kChildFileVariable = "ZEP_INTERRUPTED_WRITE_FILE";

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// What the hook saw between the temporary file and the rename, once per write.
struct Moment {
  std::string targetThen;
  std::string tempPath;
  std::string tempThen;
};
std::string target;
std::vector<Moment> moments;

bool Observe(const char* tempPath) {
  moments.push_back({ReadFile(target), tempPath, ReadFile(tempPath)});
  return true;
}

// Each write found the file as the one before left it, and its temporary file held exactly
// what the file then became; the last one is the file now.
void ExpectEachWriteWholeUntilItsRename(const std::string& before, const std::string& after) {
  std::string expected = before;
  for (const Moment& m : moments) {
    EXPECT_EQ(m.targetThen, expected);
    EXPECT_NE(m.tempPath, target);
    EXPECT_FALSE(fs::exists(m.tempPath));
    expected = m.tempThen;
  }
  EXPECT_EQ(expected, after);
}

class InterruptedWriteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    moments.clear();
    ASSERT_TRUE(platform::GetCurrentFolder(saved, sizeof saved));
    ASSERT_TRUE(platform::SetCurrentFolder(folder.Path().c_str()));
  }
  void TearDown() override {
    platform::SetBeforeRenameHook(nullptr);
    platform::SetCurrentFolder(saved);
  }

  TempFolder folder;
  char saved[4096] = {};
};

TEST_F(InterruptedWriteTest, UpToTheRenameTheOldHighScoresAreWholeAndTheNewOnesComplete) {
  HighScoreTable table;
  table.Init(kHighScoreEntries);
  table.Insert("Ann:::Y", 500);
  ASSERT_TRUE(table.Save("hiscore.dat"));
  const std::string before = folder.Read("hiscore.dat");

  table.Insert("Bea:::N", 900);
  target = folder / "hiscore.dat";
  platform::SetBeforeRenameHook(&Observe);
  ASSERT_TRUE(table.Save("hiscore.dat"));
  const std::string after = folder.Read("hiscore.dat");

  ASSERT_EQ(moments.size(), 1u);
  ExpectEachWriteWholeUntilItsRename(before, after);
  EXPECT_EQ(after.size(), 5204u);
  EXPECT_NE(after, before);
  EXPECT_EQ(folder.EntryCount(), 1u);
}

TEST_F(InterruptedWriteTest, UpToTheRenameTheOldOptionsAreWholeAndTheNewOnesComplete) {
  PlayerProfiles profiles;
  profiles.SetPath("options.ini");
  profiles.ResetAll();
  ASSERT_TRUE(platform::WriteProfileString("setup", "Music", "Y", "options.ini"));
  const std::string before = folder.Read("options.ini");

  target = folder / "options.ini";
  platform::SetBeforeRenameHook(&Observe);
  PlayerRecord record = profiles.Player(2);
  std::snprintf(record.name, sizeof record.name, "%s", "Carla");
  profiles.WritePlayer(2, record);
  ASSERT_TRUE(platform::WriteProfileString("setup", "Music", "N", "options.ini"));
  const std::string after = folder.Read("options.ini");

  EXPECT_EQ(moments.size(), 5u);  // the player's four keys, then the switch
  ExpectEachWriteWholeUntilItsRename(before, after);
  EXPECT_NE(after.find("name=Carla"), std::string::npos);
  EXPECT_NE(after.find("Music=N"), std::string::npos);
  EXPECT_EQ(folder.EntryCount(), 1u);
}

// ---- the real process: the child writes, and is killed inside the hook

bool KillHere(const char* tempPath) {
  // Leaves word of where it stopped, then dies the way a killed program does: at once, with no
  // clean-up of any kind.
  std::ofstream(std::string(std::getenv(kChildFolderVariable)) + "/stopped-at") << tempPath;
  std::raise(SIGKILL);
  return true;
}

// Runs only as the child of the test below.
TEST(InterruptedWriteChild, WritesAndIsKilledBeforeTheRename) {
  const char* where = std::getenv(kChildFolderVariable);
  const char* which = std::getenv(kChildFileVariable);
  if (where == nullptr || which == nullptr) GTEST_SKIP() << "runs only as a child process";
  ASSERT_TRUE(platform::SetCurrentFolder(where));
  platform::SetBeforeRenameHook(&KillHere);
  if (std::string(which) == "hiscore") {
    HighScoreTable table;
    table.Init(kHighScoreEntries);
    ASSERT_TRUE(table.Load("hiscore.dat"));
    table.Insert("Dora:::Y", 7000);
    table.Save("hiscore.dat");
  } else {
    PlayerProfiles profiles;
    profiles.SetPath("options.ini");
    PlayerRecord record = profiles.Player(0);
    std::snprintf(record.name, sizeof record.name, "%s", "Dora");
    profiles.WritePlayer(0, record);
  }
  std::ofstream(std::string(where) + "/not-killed") << "the write went on";
}

class KilledWriterTest : public InterruptedWriteTest {
 protected:
  // Runs this test program again as the child, writing the named file in the test's folder.
  void RunChild(const std::string& which) {
    const fs::path self = fs::read_symlink("/proc/self/exe");
    const std::string command = std::string(kChildFolderVariable) + "='" + folder.Path().string() +
                                "' " + kChildFileVariable + "=" + which + " '" + self.string() +
                                "' --gtest_filter=InterruptedWriteChild.* >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    EXPECT_NE(status, 0) << "the child was not killed";
  }

  // The child stopped where it should: after the complete temporary file, before the rename.
  void ExpectStoppedBeforeTheRename(const std::string& oldContent, size_t newSize) {
    EXPECT_FALSE(folder.Exists("not-killed"));
    const fs::path tempPath = folder.Path() / folder.Read("stopped-at");
    ASSERT_FALSE(folder.Read("stopped-at").empty()) << "the child never reached the rename";
    // The temporary file lies beside the real one, so the rename never crosses file systems.
    EXPECT_EQ(tempPath.parent_path(), folder.Path());
    const std::string temp = ReadFile(tempPath.string());
    if (newSize != 0) {
      EXPECT_EQ(temp.size(), newSize);
    }
    EXPECT_NE(temp, oldContent);
  }
};

TEST_F(KilledWriterTest, AGameKilledWhileSavingScoresLeavesTheOldFileWhole) {
  HighScoreTable table;
  table.Init(kHighScoreEntries);
  table.Insert("Ann:::Y", 500);
  table.Insert("Bea:::N", 400);
  ASSERT_TRUE(table.Save("hiscore.dat"));
  const std::string before = folder.Read("hiscore.dat");

  RunChild("hiscore");
  ExpectStoppedBeforeTheRename(before, 5204);
  EXPECT_EQ(folder.Read("hiscore.dat"), before);
  HighScoreTable reread;
  reread.Init(kHighScoreEntries);
  ASSERT_TRUE(reread.Load("hiscore.dat"));
  EXPECT_STREQ(reread.Name(0), "Ann:::Y");
  EXPECT_EQ(reread.Score(1), 400);

  // The next save of the program, run again, goes through as usual beside the leftover.
  reread.Insert("Eve:::Y", 450);
  ASSERT_TRUE(reread.Save("hiscore.dat"));
  table.Load("hiscore.dat");
  EXPECT_STREQ(table.Name(1), "Eve:::Y");
}

TEST_F(KilledWriterTest, ALauncherKilledWhileSavingOptionsLeavesTheOldFileWhole) {
  PlayerProfiles profiles;
  profiles.SetPath("options.ini");
  profiles.ResetAll();
  profiles.WriteCurrent(3);
  const std::string before = folder.Read("options.ini");

  RunChild("options");
  ExpectStoppedBeforeTheRename(before, 0);
  EXPECT_EQ(folder.Read("options.ini"), before);
  PlayerProfiles reread;
  reread.SetPath("options.ini");
  EXPECT_EQ(reread.ReadCurrent(), 3);
  reread.ReadPlayer(0);
  EXPECT_STREQ(reread.Player(0).name, "Player1");
}

}  // namespace
