#include "platform/Profile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/FileUpdates.h"
#include "platform/Files.h"
#include "tests/common/TempFolder.h"

namespace {

using testing_support::TempFolder;

class ProfileTest : public ::testing::Test {
 protected:
  std::string Read(const char* section, const char* key, const char* def = "",
                   uint32_t size = 256) {
    char out[256];
    ReadProfileString(section, key, def, out, size, path.c_str());
    return out;
  }
  static uint32_t ReadProfileString(const char* section, const char* key, const char* def,
                                    char* out, uint32_t size, const char* file) {
    return platform::ReadProfileString(section, key, def, out, size, file);
  }

  TempFolder folder;
  std::string path = folder / "options.ini";
};

TEST_F(ProfileTest, NamesMatchWithoutRegardToCaseAndValuesAreTrimmed) {
  folder.Write("options.ini",
               "; players and switches\n"
               "[SETUP]\n"
               "  Music =   Y  \n"
               "playerid=\t5\t\n"
               "[player1]\n"
               "Name=\"  Ann Lee  \"\n"
               "address='x'\n"
               "email=\"half\n");
  EXPECT_EQ(Read("setup", "music"), "Y");
  EXPECT_EQ(Read("Setup", "PLAYERID"), "5");
  EXPECT_EQ(platform::ReadProfileInt("setup", "playerid", 0, path.c_str()), 5);
  // A matching pair of quotes is removed, keeping the blanks inside; a lone quote stays.
  EXPECT_EQ(Read("Player1", "name"), "  Ann Lee  ");
  EXPECT_EQ(Read("Player1", "address"), "x");
  EXPECT_EQ(Read("Player1", "email"), "\"half");
}

TEST_F(ProfileTest, MissingEntriesGiveTheDefault) {
  folder.Write("options.ini", "[setup]\nMusic=N\n[Player1]\nname=Bo\n");
  EXPECT_EQ(Read("setup", "SFX", "Y"), "Y");
  EXPECT_EQ(Read("Player2", "name", "Player2"), "Player2");
  // Keys of one section are not found in another.
  EXPECT_EQ(Read("Player1", "Music", "none"), "none");
  // A null default is empty; trailing blanks of a default are dropped.
  char out[16] = "junk";
  EXPECT_EQ(platform::ReadProfileString("setup", "x", nullptr, out, sizeof out, path.c_str()), 0u);
  EXPECT_STREQ(out, "");
  EXPECT_EQ(Read("setup", "x", "abc  "), "abc");
  // No file at all.
  const std::string missing = folder / "none.ini";
  EXPECT_EQ(platform::ReadProfileString("setup", "Music", "Y", out, sizeof out, missing.c_str()),
            1u);
  EXPECT_STREQ(out, "Y");
  EXPECT_EQ(platform::ReadProfileInt("setup", "playerid", 7, missing.c_str()), 7);
}

TEST_F(ProfileTest, ResultsAreCutToTheBuffer) {
  folder.Write("options.ini", "[Player1]\nname=ABCDEFGHIJ\nsend=Yes\n");
  char out[8];
  EXPECT_EQ(ReadProfileString("Player1", "name", "", out, 4, path.c_str()), 3u);
  EXPECT_STREQ(out, "ABC");
  EXPECT_EQ(ReadProfileString("Player1", "send", "Y", out, 2, path.c_str()), 1u);
  EXPECT_STREQ(out, "Y");
  EXPECT_EQ(ReadProfileString("Player1", "missing", "default", out, 3, path.c_str()), 2u);
  EXPECT_STREQ(out, "de");
  out[0] = 'q';
  EXPECT_EQ(ReadProfileString("Player1", "name", "", out, 0, path.c_str()), 0u);
  EXPECT_EQ(out[0], 'q');
}

TEST_F(ProfileTest, NumbersAreReadLikeAtoi) {
  folder.Write("options.ini", "[s]\na=42abc\nb=abc\nc=-7\nd=\ne=99999999999999\nf=\"12\"\n");
  const char* p = path.c_str();
  EXPECT_EQ(platform::ReadProfileInt("s", "a", -1, p), 42);
  EXPECT_EQ(platform::ReadProfileInt("s", "b", -1, p), 0);
  EXPECT_EQ(platform::ReadProfileInt("s", "c", -1, p), -7);
  EXPECT_EQ(platform::ReadProfileInt("s", "d", -1, p), -1);
  EXPECT_EQ(platform::ReadProfileInt("s", "e", -1, p), 2147483647);
  EXPECT_EQ(platform::ReadProfileInt("s", "f", -1, p), 12);
}

TEST_F(ProfileTest, TheFirstOfDuplicateSectionsAndKeysWins) {
  folder.Write("options.ini", "[a]\nk=1\nk=2\n[A]\nk=3\nj=4\n");
  EXPECT_EQ(Read("a", "k"), "1");
  EXPECT_EQ(Read("a", "j", "none"), "none");
}

TEST_F(ProfileTest, AWriteCreatesTheFileSectionAndKey) {
  ASSERT_TRUE(platform::WriteProfileString("setup", "playerid", "3", path.c_str()));
  EXPECT_EQ(folder.Read("options.ini"), "[setup]\nplayerid=3\n");
  ASSERT_TRUE(platform::WriteProfileString("setup", "Music", "N", path.c_str()));
  ASSERT_TRUE(platform::WriteProfileString("Player1", "name", "Ann", path.c_str()));
  EXPECT_EQ(folder.Read("options.ini"), "[setup]\nplayerid=3\nMusic=N\n\n[Player1]\nname=Ann\n");
  EXPECT_EQ(Read("PLAYER1", "NAME"), "Ann");
}

TEST_F(ProfileTest, AWriteKeepsEveryOtherLineAsItWas) {
  const std::string original =
      "; written by hand\n"
      "[setup]\n"
      "  MUSIC = Y   ; loud\n"
      "junk line without equals\n"
      "SFX=Y\n"
      "\n"
      "# not a comment for us\n"
      "[Player1]\n"
      "name=Ann\n"
      "\n"
      "[Player2]\n"
      "name=Bo\n";
  folder.Write("options.ini", original);
  ASSERT_TRUE(platform::WriteProfileString("Setup", "music", "N", path.c_str()));
  ASSERT_TRUE(platform::WriteProfileString("player1", "email", "a@b", path.c_str()));
  EXPECT_EQ(folder.Read("options.ini"),
            "; written by hand\n"
            "[setup]\n"
            "MUSIC=N\n"
            "junk line without equals\n"
            "SFX=Y\n"
            "\n"
            "# not a comment for us\n"
            "[Player1]\n"
            "name=Ann\n"
            "email=a@b\n"
            "\n"
            "[Player2]\n"
            "name=Bo\n");
}

TEST_F(ProfileTest, RemovesKeysAndSections) {
  folder.Write("options.ini", "[a]\nx=1\ny=2\n[b]\nz=3\n[c]\nw=4\n");
  ASSERT_TRUE(platform::WriteProfileString("A", "X", nullptr, path.c_str()));
  ASSERT_TRUE(platform::WriteProfileString("B", nullptr, nullptr, path.c_str()));
  ASSERT_TRUE(platform::WriteProfileString("missing", nullptr, nullptr, path.c_str()));
  ASSERT_TRUE(platform::WriteProfileString("a", "missing", nullptr, path.c_str()));
  EXPECT_EQ(folder.Read("options.ini"), "[a]\ny=2\n[c]\nw=4\n");
}

TEST_F(ProfileTest, KeepsLineEndsAndAMissingFinalNewline) {
  folder.Write("options.ini", "[setup]\r\nMusic=Y\r\nSFX=Y");
  EXPECT_EQ(Read("setup", "music"), "Y");
  EXPECT_EQ(Read("setup", "sfx"), "Y");
  ASSERT_TRUE(platform::WriteProfileString("setup", "Music", "N", path.c_str()));
  EXPECT_EQ(folder.Read("options.ini"), "[setup]\r\nMusic=N\r\nSFX=Y");
  ASSERT_TRUE(platform::WriteProfileString("setup", "playerid", "2", path.c_str()));
  EXPECT_EQ(folder.Read("options.ini"), "[setup]\r\nMusic=N\r\nSFX=Y\r\nplayerid=2\r\n");
  EXPECT_EQ(Read("setup", "playerid"), "2");
  EXPECT_EQ(Read("setup", "sfx"), "Y");
  ASSERT_TRUE(platform::WriteProfileString("setup", "playerid", nullptr, path.c_str()));
  EXPECT_EQ(folder.Read("options.ini"), "[setup]\r\nMusic=N\r\nSFX=Y\r\n");
}

TEST_F(ProfileTest, ALoneCarriageReturnEndsALine) {
  folder.Write("options.ini", "[setup]\rMusic=N\rSFX=Y\r\r[Player1]\rname=Ann\r");
  EXPECT_EQ(Read("setup", "music"), "N");
  EXPECT_EQ(Read("setup", "SFX"), "Y");
  EXPECT_EQ(Read("Player1", "name"), "Ann");

  // Writes change a line in place and add lines with the file's own line end; the section is
  // found, never appended a second time.
  ASSERT_TRUE(platform::WriteProfileString("setup", "Music", "Y", path.c_str()));
  ASSERT_TRUE(platform::WriteProfileString("setup", "playerid", "3", path.c_str()));
  ASSERT_TRUE(platform::WriteProfileString("Player2", "name", "Bo", path.c_str()));
  EXPECT_EQ(folder.Read("options.ini"),
            "[setup]\rMusic=Y\rSFX=Y\rplayerid=3\r\r[Player1]\rname=Ann\r\r[Player2]\rname=Bo\r");
  ASSERT_TRUE(platform::WriteProfileString("Player1", nullptr, nullptr, path.c_str()));
  EXPECT_EQ(folder.Read("options.ini"),
            "[setup]\rMusic=Y\rSFX=Y\rplayerid=3\r\r[Player2]\rname=Bo\r");
  EXPECT_EQ(Read("setup", "playerid"), "3");
}

TEST_F(ProfileTest, MixedLineEndsEachStayAndNewLinesTakeTheCommonOne) {
  // An unterminated CR-only last line, and a CR inside what an LF file means as one line.
  folder.Write("options.ini", "[a]\r\nx=1\r\ny=2\rz=3\n[b]\r\nw=4\r");
  EXPECT_EQ(Read("a", "y"), "2");
  EXPECT_EQ(Read("a", "z"), "3");
  EXPECT_EQ(Read("b", "w"), "4");
  ASSERT_TRUE(platform::WriteProfileString("a", "y", "5", path.c_str()));
  ASSERT_TRUE(platform::WriteProfileString("b", "v", "6", path.c_str()));
  EXPECT_EQ(folder.Read("options.ini"), "[a]\r\nx=1\r\ny=5\rz=3\n[b]\r\nw=4\rv=6\r\n");

  folder.Write("options.ini", "[a]\rx=1");
  ASSERT_TRUE(platform::WriteProfileString("a", "y", "2", path.c_str()));
  EXPECT_EQ(folder.Read("options.ini"), "[a]\rx=1\ry=2\r");
}

TEST_F(ProfileTest, AValueCannotAddLinesOfItsOwn) {
  ASSERT_TRUE(
      platform::WriteProfileString("Player1", "name", "Eve\n[setup]\nplayerid=7", path.c_str()));
  EXPECT_EQ(Read("Player1", "name"), "Eve");
  EXPECT_EQ(Read("setup", "playerid", "none"), "none");
  EXPECT_FALSE(platform::WriteProfileString("a]b", "k", "v", path.c_str()));
  EXPECT_FALSE(platform::WriteProfileString("s", "k=1", "v", path.c_str()));
}

TEST_F(ProfileTest, AFailedWriteKeepsTheOldFile) {
  const std::string original = "[setup]\nMusic=Y\n";
  folder.Write("options.ini", original);
  platform::SetBeforeRenameHook([](const char*) { return false; });
  const bool written = platform::WriteProfileString("setup", "Music", "N", path.c_str());
  platform::SetBeforeRenameHook(nullptr);
  EXPECT_FALSE(written);
  EXPECT_EQ(folder.Read("options.ini"), original);
  EXPECT_EQ(folder.EntryCount(), 1u);

  EXPECT_FALSE(
      platform::WriteProfileString("setup", "Music", "N", (folder / "no/such/folder.ini").c_str()));
}

// A write that is refused says so like any other failed write: one line, the file and the reason.
TEST_F(ProfileTest, EveryRefusedWriteSaysWhichFileAndWhy) {
  std::filesystem::create_directories(path);  // a folder in the way of options.ini
  const std::string other = folder / "other.ini";
  testing::internal::CaptureStderr();
  EXPECT_FALSE(platform::WriteProfileString("setup", "playerid", "1", path.c_str()));
  EXPECT_FALSE(platform::WriteProfileString("setup", "Music", nullptr, path.c_str()));
  EXPECT_FALSE(platform::WriteProfileString("a]b", "k", "v", other.c_str()));
  const std::string lines = testing::internal::GetCapturedStderr();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 3) << lines;
  EXPECT_NE(lines.find("cannot write " + path + ": Is a directory\n"), std::string::npos) << lines;
  EXPECT_NE(lines.find("cannot write " + other + ": Invalid argument\n"), std::string::npos)
      << lines;
  EXPECT_TRUE(std::filesystem::is_directory(path));
}

// options.ini that cannot be read when a player renames themselves: the file is not replaced by
// one holding the new name alone; the program reads the new name at once, and the file has it,
// with everything else it held, once it can be read again (at the latest at the program's end).
TEST_F(ProfileTest, AValueWrittenWhileTheFileCannotBeReadWaitsAndKeepsEveryOtherKey) {
  folder.Write("options.ini", "[setup]\nplayerid=2\n\n[Player1]\nname=Ann\n");
  folder.MakeUnreadable("options.ini");
  testing::internal::CaptureStderr();
  EXPECT_TRUE(platform::WriteProfileString("Player1", "name", "Zoe", path.c_str()));
  EXPECT_TRUE(folder.IsLink("options.ini"));
  EXPECT_EQ(Read("Player1", "name"), "Zoe");
  folder.MakeReadable("options.ini");
  platform::TheFileUpdates().Finish(0);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("cannot read " + path), std::string::npos);
  EXPECT_EQ(folder.Read("options.ini"), "[setup]\nplayerid=2\n\n[Player1]\nname=Zoe\n");
}

// Two copies writing keys of their own at the same time: each write keeps what the other wrote.
TEST_F(ProfileTest, CopiesWritingAtOnceKeepEachOthersKeys) {
  auto writer = [this](char who) {
    for (int i = 0; i < 25; ++i) {
      const std::string key = std::string(1, who) + std::to_string(i);
      EXPECT_TRUE(platform::WriteProfileString("setup", key.c_str(), "1", path.c_str()));
    }
  };
  std::thread first(writer, 'a');
  std::thread second(writer, 'b');
  first.join();
  second.join();
  for (char who : {'a', 'b'}) {
    for (int i = 0; i < 25; ++i) {
      const std::string key = std::string(1, who) + std::to_string(i);
      EXPECT_EQ(Read("setup", key.c_str()), "1") << key;
    }
  }
  EXPECT_EQ(folder.EntryCount(), 1u);
}

TEST_F(ProfileTest, PathsAreWindowsStyleWithAnyCase) {
  folder.Write("Launcher/Options.INI", "[setup]\nMusic=N\n");
  const std::string windowsPath = folder / "launcher\\OPTIONS.ini";
  char out[8];
  platform::ReadProfileString("setup", "Music", "Y", out, sizeof out, windowsPath.c_str());
  EXPECT_STREQ(out, "N");
  ASSERT_TRUE(platform::WriteProfileString("setup", "SFX", "N", windowsPath.c_str()));
  EXPECT_EQ(folder.Read("Launcher/Options.INI"), "[setup]\nMusic=N\nSFX=N\n");
}

TEST_F(ProfileTest, SurvivesJunkInput) {
  std::string junk;
  for (int i = 0; i < 5000; ++i)
    junk += static_cast<char>((i * 131 + 7) % 256);
  junk += "\n[s]\nk=" + std::string(100000, 'v') + "\n[\nno equals\n=\n[[x]]]\n";
  junk += std::string("key=a\0b\n", 8);
  junk += "[t]\nx=1";
  folder.Write("options.ini", junk);

  char out[256];
  EXPECT_EQ(ReadProfileString("s", "k", "", out, sizeof out, path.c_str()), 255u);
  EXPECT_EQ(std::string(out), std::string(255, 'v'));
  EXPECT_EQ(Read("t", "x"), "1");
  EXPECT_EQ(Read("[x]]", "key"), "a");
  ASSERT_TRUE(platform::WriteProfileString("t", "y", "2", path.c_str()));
  const std::string after = folder.Read("options.ini");
  EXPECT_EQ(after.substr(0, junk.size()), junk);
  EXPECT_EQ(after.substr(junk.size()), "\ny=2\n");
}

}  // namespace
