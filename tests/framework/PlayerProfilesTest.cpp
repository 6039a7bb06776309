#include "framework/PlayerProfiles.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/Files.h"
#include "platform/Profile.h"
#include "tests/common/TempFolder.h"

namespace {

using testing_support::TempFolder;

// Runs in a game folder below a launcher folder, reaching the options as the game does.
class PlayerProfilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder.Write("Zeppolo/setup.ini", "");
    ASSERT_TRUE(platform::GetCurrentFolder(saved, sizeof saved));
    ASSERT_TRUE(platform::SetCurrentFolder((folder / "Zeppolo").c_str()));
  }
  void TearDown() override { platform::SetCurrentFolder(saved); }

  std::string Options() const { return folder.Read("options.ini"); }

  TempFolder folder;
  char saved[4096] = {};
  PlayerProfiles profiles;
};

TEST_F(PlayerProfilesTest, WithoutAFileEveryValueIsItsDefault) {
  profiles.SetPath("..\\options.ini");
  EXPECT_EQ(profiles.ReadCurrent(), 0);
  profiles.ReadPlayer(0);
  EXPECT_STREQ(profiles.Player(0).name, "Player1");
  EXPECT_STREQ(profiles.Player(0).address, "");
  EXPECT_STREQ(profiles.Player(0).email, "");
  EXPECT_STREQ(profiles.Player(0).send, "Y");
  char line[kPlayerLineSize];
  profiles.PlayerLine(2, line);
  EXPECT_STREQ(line, "Player3:::Y");
  EXPECT_FALSE(folder.Exists("options.ini"));
}

TEST_F(PlayerProfilesTest, WithoutAPathNothingIsReadOrWritten) {
  folder.Write("Zeppolo/options.ini", "[setup]\nplayerid=4\n");
  profiles.WriteCurrent(3);
  EXPECT_EQ(profiles.Current(), 0);
  EXPECT_EQ(profiles.ReadCurrent(), 0);
  profiles.ResetPlayer(1);
  EXPECT_STREQ(profiles.Player(1).name, "Player2");
  EXPECT_EQ(folder.EntryCount(), 1u);
  EXPECT_EQ(folder.Read("Zeppolo/options.ini"), "[setup]\nplayerid=4\n");
}

TEST_F(PlayerProfilesTest, TheCurrentPlayerRoundTripsAndBadNumbersGiveTheFirst) {
  profiles.SetPath("..\\options.ini");
  profiles.WriteCurrent(5);
  EXPECT_EQ(profiles.Current(), 5);
  EXPECT_EQ(Options(), "[setup]\nplayerid=5\n");
  PlayerProfiles other;
  other.SetPath("..\\OPTIONS.INI");
  EXPECT_EQ(other.ReadCurrent(), 5);

  for (const char* text : {"abc", "-1", "8", "99999999999999999999"}) {
    platform::WriteProfileString("Setup", "PlayerID", text, "..\\options.ini");
    EXPECT_EQ(other.ReadCurrent(), 0) << text;
  }
  platform::WriteProfileString("setup", "playerid", "7th", "..\\options.ini");
  EXPECT_EQ(other.ReadCurrent(), 7);
  // A number outside the table is not written.
  other.WriteCurrent(8);
  EXPECT_EQ(other.Current(), 7);
  EXPECT_EQ(Options(), "[setup]\nplayerid=7th\n");
}

TEST_F(PlayerProfilesTest, ReadsPlayersCutToTheirFields) {
  folder.Write("options.ini",
               "[player2]\n"
               "NAME=" +
                   std::string(100, 'n') +
                   "\n"
                   "Email=bo@example.invalid\n"
                   "send=No thanks\n");
  profiles.SetPath("..\\options.ini");
  profiles.ReadPlayer(1);
  EXPECT_EQ(std::string(profiles.Player(1).name), std::string(63, 'n'));
  EXPECT_STREQ(profiles.Player(1).address, "");
  EXPECT_STREQ(profiles.Player(1).email, "bo@example.invalid");
  EXPECT_STREQ(profiles.Player(1).send, "N");
}

TEST_F(PlayerProfilesTest, WritePlayerStoresTheRecordAndReadsItBack) {
  folder.Write("options.ini", "; kept\n[setup]\nMusic=N\n");
  profiles.SetPath("..\\options.ini");
  PlayerRecord record{};
  strcpy(record.name, "Ann");
  strcpy(record.address, "1 Main St");
  strcpy(record.email, "ann@example.invalid");
  strcpy(record.send, "N");
  profiles.WritePlayer(3, record);
  EXPECT_EQ(Options(),
            "; kept\n[setup]\nMusic=N\n\n"
            "[Player4]\nname=Ann\naddress=1 Main St\nemail=ann@example.invalid\nsend=N\n");
  EXPECT_STREQ(profiles.Player(3).email, "ann@example.invalid");
  char line[kPlayerLineSize];
  profiles.PlayerLine(3, line);
  EXPECT_STREQ(line, "Ann:1 Main St:ann@example.invalid:N");

  // A record whose fields fill their whole width without a terminator is cut, not overrun.
  memset(record.name, 'x', sizeof record.name);
  memset(record.send, 'Y', sizeof record.send);
  profiles.WritePlayer(3, record);
  EXPECT_EQ(std::string(profiles.Player(3).name), std::string(63, 'x'));
  EXPECT_STREQ(profiles.Player(3).send, "Y");
}

TEST_F(PlayerProfilesTest, ResetPlayerWritesTheDefaults) {
  folder.Write("options.ini",
               "[Player3]\nname=Cy\naddress=Elm Road\nemail=cy@example.invalid\nsend=N\n"
               "[Player4]\nname=Di\n");
  profiles.SetPath("..\\options.ini");
  profiles.ReadPlayer(2);
  EXPECT_STREQ(profiles.Player(2).name, "Cy");
  profiles.ResetPlayer(2);
  EXPECT_EQ(Options(),
            "[Player3]\nname=Player3\naddress=\nemail=\nsend=Y\n"
            "[Player4]\nname=Di\n");
  char line[kPlayerLineSize];
  profiles.PlayerLine(2, line);
  EXPECT_STREQ(line, "Player3:::Y");
  profiles.PlayerLine(3, line);
  EXPECT_STREQ(line, "Di:::Y");

  profiles.ResetAll();
  for (int n = 0; n < kPlayerCount; ++n) {
    profiles.PlayerLine(n, line);
    EXPECT_EQ(std::string(line), "Player" + std::to_string(n + 1) + ":::Y");
  }
}

TEST_F(PlayerProfilesTest, TheLauncherEditsARecordInPlaceAndStoresIt) {
  profiles.SetPath("..\\options.ini");
  profiles.ReadPlayer(4);
  strcpy(profiles.Player(4).name, "Eve");
  profiles.WritePlayer(4, profiles.Player(4));
  EXPECT_EQ(Options(), "[Player5]\nname=Eve\naddress=\nemail=\nsend=Y\n");
  EXPECT_STREQ(profiles.Player(4).name, "Eve");
}

TEST_F(PlayerProfilesTest, APathThatDoesNotFitIsRefused) {
  folder.Write("options.ini", "[setup]\nplayerid=3\n");
  profiles.SetPath("..\\options.ini");
  EXPECT_EQ(profiles.ReadCurrent(), 3);
  // Cut to 63 characters it would name another file.
  profiles.SetPath(("..\\" + std::string(60, 'd') + "\\options.ini").c_str());
  EXPECT_STREQ(profiles.Path(), "");
  EXPECT_EQ(profiles.ReadCurrent(), 0);
  profiles.SetPath(nullptr);
  EXPECT_STREQ(profiles.Path(), "");
}

TEST_F(PlayerProfilesTest, NumbersOutsideTheTableAreIgnored) {
  profiles.SetPath("..\\options.ini");
  char line[kPlayerLineSize] = "stale";
  profiles.PlayerLine(8, line);
  EXPECT_STREQ(line, "");
  profiles.ResetPlayer(-1);
  profiles.ReadPlayer(8);
  EXPECT_FALSE(folder.Exists("options.ini"));
}

}  // namespace
