#include "framework/HighScoreTable.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>

#include "platform/FileUpdates.h"
#include "platform/Files.h"
#include "tests/common/TempFolder.h"

namespace {

using testing_support::TempFolder;

std::string Int32(int32_t value) {
  const uint32_t bits = static_cast<uint32_t>(value);
  return std::string{static_cast<char>(bits), static_cast<char>(bits >> 8),
                     static_cast<char>(bits >> 16), static_cast<char>(bits >> 24)};
}

// One file entry: the name padded with zeros to 256 bytes, then the score.
std::string Entry(const std::string& name, int32_t score) {
  std::string bytes = name;
  bytes.resize(256, '\0');
  return bytes + Int32(score);
}

std::string Scores(const HighScoreTable& table) {
  std::string text;
  for (int i = 0; i < table.Count(); ++i) {
    if (table.Name(i)[0] == '\0') break;
    text += std::string(table.Name(i)) + "=" + std::to_string(table.Score(i)) + " ";
  }
  return text;
}

class HighScoreTableTest : public ::testing::Test {
 protected:
  void SetUp() override { table.Init(kHighScoreEntries); }

  TempFolder folder;
  std::string path = folder / "hiscore.dat";
  HighScoreTable table;
};

TEST_F(HighScoreTableTest, EqualScoresGoBelowTheOlderOne) {
  EXPECT_TRUE(table.Insert("a", 200));
  EXPECT_TRUE(table.Insert("c", 100));
  EXPECT_TRUE(table.Insert("b-old", 150));
  EXPECT_TRUE(table.Insert("b-new", 150));
  EXPECT_EQ(Scores(table), "a=200 b-old=150 b-new=150 c=100 ");
  EXPECT_EQ(table.TopScore(), 200);
}

TEST_F(HighScoreTableTest, ZeroAndNegativeScoresNeverEnter) {
  EXPECT_FALSE(table.Insert("zero", 0));
  EXPECT_FALSE(table.Insert("negative", -5));
  EXPECT_EQ(table.TopScore(), 0);
  EXPECT_STREQ(table.Name(0), "");
  EXPECT_FALSE(folder.Exists("hiscore.dat"));
}

TEST_F(HighScoreTableTest, AFullTableDropsItsLastEntry) {
  for (int i = 0; i < kHighScoreEntries; ++i) {
    ASSERT_TRUE(table.Insert(("p" + std::to_string(i)).c_str(), 1000 - i * 10));
  }
  EXPECT_EQ(table.Score(19), 810);
  EXPECT_FALSE(table.Insert("too low", 810));
  EXPECT_TRUE(table.Insert("just in", 811));
  EXPECT_STREQ(table.Name(19), "just in");
  EXPECT_TRUE(table.Insert("best", 5000));
  EXPECT_STREQ(table.Name(0), "best");
  EXPECT_STREQ(table.Name(1), "p0");
  EXPECT_STREQ(table.Name(19), "p18");
  // Outside the table.
  EXPECT_STREQ(table.Name(20), "");
  EXPECT_EQ(table.Score(-1), 0);
}

TEST_F(HighScoreTableTest, NamesAreCutAndMayComeFromTheTableItself) {
  const std::string longName(300, 'L');
  ASSERT_TRUE(table.Insert(longName.c_str(), 50));
  EXPECT_EQ(std::string(table.Name(0)), std::string(255, 'L'));
  ASSERT_TRUE(table.Insert("second", 40));
  ASSERT_TRUE(table.Insert(table.Name(1), 60));
  EXPECT_EQ(Scores(table), "second=60 " + std::string(255, 'L') + "=50 second=40 ");
  // A UTF-8 name is cut between characters: 128 two-byte letters keep 127 of them, never a
  // half; a byte that is not UTF-8 is kept as it is.
  std::string accented;
  for (int i = 0; i < 128; ++i)
    accented += "\xC3\xA9";
  ASSERT_TRUE(table.Insert(accented.c_str(), 70));
  EXPECT_EQ(std::string(table.Name(0)), accented.substr(0, 254));
  ASSERT_TRUE(table.Insert("Zo\xE9", 80));
  EXPECT_EQ(std::string(table.Name(0)), "Zo\xE9");
}

TEST_F(HighScoreTableTest, SavesTheExactFileLayoutAndLoadsItBack) {
  table.Insert("Ann:1 Main St:ann@example.invalid:Y", 1234);
  table.Insert("Bo:::N", -7);  // does not enter
  table.Insert("Cy:::Y", 99);
  ASSERT_TRUE(table.Save(path.c_str()));

  std::string expected =
      Int32(20) + Entry("Ann:1 Main St:ann@example.invalid:Y", 1234) + Entry("Cy:::Y", 99);
  for (int i = 2; i < 20; ++i)
    expected += Entry("", 0);
  const std::string file = folder.Read("hiscore.dat");
  EXPECT_EQ(file.size(), 5204u);
  EXPECT_EQ(file, expected);

  HighScoreTable loaded;
  loaded.Init(kHighScoreEntries);
  ASSERT_TRUE(loaded.Load(path.c_str()));
  EXPECT_EQ(Scores(loaded), "Ann:1 Main St:ann@example.invalid:Y=1234 Cy:::Y=99 ");
}

TEST_F(HighScoreTableTest, ClearingLeavesAnEmptyTwentyEntryFile) {
  table.Insert("a", 10);
  table.Save(path.c_str());
  table.Init(kHighScoreEntries);
  ASSERT_TRUE(table.Save(path.c_str()));
  std::string expected = Int32(20);
  for (int i = 0; i < 20; ++i)
    expected += Entry("", 0);
  EXPECT_EQ(folder.Read("hiscore.dat"), expected);
  HighScoreTable loaded;
  loaded.Init(kHighScoreEntries);
  ASSERT_TRUE(loaded.Load(path.c_str()));
  EXPECT_EQ(loaded.TopScore(), 0);
}

TEST_F(HighScoreTableTest, AFileOfAnotherSizeIsIgnoredAndThenReplaced) {
  table.Insert("kept", 70);
  std::string ten = Int32(10);
  for (int i = 0; i < 10; ++i)
    ten += Entry("ten", 500);
  folder.Write("hiscore.dat", ten);
  EXPECT_FALSE(table.Load(path.c_str()));
  EXPECT_EQ(Scores(table), "kept=70 ");
  ASSERT_TRUE(table.Save(path.c_str()));
  EXPECT_EQ(folder.Read("hiscore.dat").size(), 5204u);

  // Counts that are no table size at all are foreign files too.
  for (int32_t count : {-1, -20, 21, 0x7fffffff}) {
    std::string odd = Int32(count);
    for (int i = 0; i < 20; ++i)
      odd += Entry("odd", 500);
    folder.Write("hiscore.dat", odd);
    EXPECT_FALSE(table.Load(path.c_str())) << count;
    EXPECT_EQ(Scores(table), "kept=70 ") << count;
  }
  folder.Write("hiscore.dat", "\x14");
  EXPECT_FALSE(table.Load(path.c_str()));
  EXPECT_FALSE(table.Load((folder / "missing.dat").c_str()));
  EXPECT_EQ(Scores(table), "kept=70 ");
}

TEST_F(HighScoreTableTest, AShortFileFillsOnlyTheEntriesItHolds) {
  for (int i = 0; i < 4; ++i)
    table.Insert(("old" + std::to_string(i)).c_str(), 90 - i);
  // Two whole entries and half of a third.
  std::string shortFile = Int32(20) + Entry("new0", 500) + Entry("new1", 400);
  shortFile += Entry("new2", 300).substr(0, 130);
  folder.Write("hiscore.dat", shortFile);
  EXPECT_TRUE(table.Load(path.c_str()));
  EXPECT_EQ(Scores(table), "new0=500 new1=400 old2=88 old3=87 ");
}

TEST_F(HighScoreTableTest, ANameWithoutTerminatorEndsInsideItsField) {
  std::string file = Int32(20) + std::string(256, 'X') + Int32(777);
  for (int i = 1; i < 20; ++i)
    file += Entry("", 0);
  folder.Write("hiscore.dat", file);
  ASSERT_TRUE(table.Load(path.c_str()));
  EXPECT_EQ(std::string(table.Name(0)), std::string(255, 'X'));
  EXPECT_EQ(table.Score(0), 777);
  // Moving the entry down keeps it terminated.
  ASSERT_TRUE(table.Insert("top", 1000));
  EXPECT_EQ(std::string(table.Name(1)), std::string(255, 'X'));
}

TEST_F(HighScoreTableTest, AFailedSaveLeavesTheOldFileWhole) {
  table.Insert("first", 10);
  ASSERT_TRUE(table.Save(path.c_str()));
  const std::string before = folder.Read("hiscore.dat");

  table.Insert("second", 20);
  platform::SetBeforeRenameHook([](const char*) { return false; });
  const bool saved = table.Save(path.c_str());
  platform::SetBeforeRenameHook(nullptr);
  EXPECT_FALSE(saved);
  EXPECT_EQ(folder.Read("hiscore.dat"), before);
  EXPECT_EQ(folder.EntryCount(), 1u);

  EXPECT_FALSE(table.Save((folder / "no/such/folder/hiscore.dat").c_str()));
}

// Two copies that each read the table when their games began, then enter results at the same
// time: every result of both stays, whatever the order of their writes.
TEST_F(HighScoreTableTest, CopiesEnteringResultsAtOnceLoseNone) {
  auto copy = [this](const char* player, int32_t base) {
    HighScoreTable mine;
    mine.Init(kHighScoreEntries);
    mine.Load(path.c_str());
    for (int32_t i = 0; i < 10; ++i) {
      bool saved = false;
      EXPECT_TRUE(mine.InsertAndSave(path.c_str(), player, base + i, &saved));
      EXPECT_TRUE(saved);
    }
  };
  std::thread first(copy, "first", 100);
  std::thread second(copy, "second", 200);
  first.join();
  second.join();

  ASSERT_TRUE(table.Load(path.c_str()));
  for (int i = 0; i < 10; ++i) {
    EXPECT_STREQ(table.Name(i), "second");
    EXPECT_EQ(table.Score(i), 209 - i);
    EXPECT_STREQ(table.Name(10 + i), "first");
    EXPECT_EQ(table.Score(10 + i), 109 - i);
  }
}

// A game ends while the hall of fame cannot be read: the twenty results in it are never replaced
// by a table of one; the result waits and is entered with the next one once the file can be read.
// Another copy holding the file's lock does not hold the game up either.
TEST_F(HighScoreTableTest, AResultWaitsForAFileThatCannotBeReadOrIsLockedAndLosesNothing) {
  for (int i = 0; i < kHighScoreEntries; ++i)
    table.Insert(("old" + std::to_string(i)).c_str(), 1000 - i * 10);
  ASSERT_TRUE(table.Save(path.c_str()));
  const std::string twenty = folder.Read("hiscore.dat");

  HighScoreTable game;
  game.Init(kHighScoreEntries);
  ASSERT_TRUE(game.Load(path.c_str()));
  folder.MakeUnreadable("hiscore.dat");
  testing::internal::CaptureStderr();
  bool saved = true;
  EXPECT_TRUE(game.InsertAndSave(path.c_str(), "new", 5000, &saved));
  EXPECT_FALSE(saved);
  EXPECT_EQ(game.TopScore(), 5000);
  EXPECT_TRUE(folder.IsLink("hiscore.dat"));
  folder.MakeReadable("hiscore.dat");
  EXPECT_EQ(folder.Read("hiscore.dat"), twenty);

  {
    const platform::FileUpdateLock other(path.c_str(), 0);
    EXPECT_TRUE(game.InsertAndSave(path.c_str(), "next", 905, &saved));
    EXPECT_FALSE(saved);
    EXPECT_EQ(folder.Read("hiscore.dat"), twenty);
  }
  EXPECT_TRUE(game.InsertAndSave(path.c_str(), "last", 901, &saved));
  EXPECT_TRUE(saved);
  testing::internal::GetCapturedStderr();

  HighScoreTable file;
  file.Init(kHighScoreEntries);
  ASSERT_TRUE(file.Load(path.c_str()));
  EXPECT_STREQ(file.Name(0), "new");
  EXPECT_STREQ(file.Name(1), "old0");
  EXPECT_STREQ(file.Name(11), "next");
  EXPECT_STREQ(file.Name(12), "last");
  EXPECT_STREQ(file.Name(19), "old16");
}

TEST_F(HighScoreTableTest, AnUninitialisedOrReleasedTableIsEmpty) {
  HighScoreTable fresh;
  EXPECT_EQ(fresh.Count(), 0);
  EXPECT_FALSE(fresh.Insert("a", 10));
  EXPECT_EQ(fresh.TopScore(), 0);
  table.Insert("a", 10);
  table.Release();
  EXPECT_EQ(table.Count(), 0);
  EXPECT_STREQ(table.Name(0), "");
}

}  // namespace
