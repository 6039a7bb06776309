#include "platform/Files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "tests/common/TempFolder.h"

namespace {

using platform::FolderEntry;
using testing_support::TempFolder;

std::string Windows(std::string path) {
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

TEST(NativePath, TurnsBackslashesIntoSlashes) {
  EXPECT_EQ(platform::NativePath("..\\options.ini"), "../options.ini");
  EXPECT_EQ(platform::NativePath(".\\setup.ini"), "./setup.ini");
  EXPECT_EQ(platform::NativePath(""), "");
}

TEST(NativePath, FindsEachComponentWithoutRegardToCase) {
  TempFolder folder;
  folder.Write("Sounds/Pop1.wav", "x");
  const std::string base = folder.Path().string();
  EXPECT_EQ(platform::NativePath(Windows(base + "/sounds/POP1.WAV").c_str()),
            base + "/Sounds/Pop1.wav");
  EXPECT_TRUE(platform::FileExists(Windows(base + "/SOUNDS/pop1.wav").c_str()));
}

TEST(NativePath, PrefersTheExactNameAndRefusesAmbiguousMatches) {
  TempFolder folder;
  folder.Write("backbutton.bmp", "lower");
  folder.Write("BackButton.bmp", "mixed");
  const std::string base = folder.Path().string();
  EXPECT_EQ(platform::NativePath((base + "/BackButton.bmp").c_str()), base + "/BackButton.bmp");
  // Two entries match "BACKBUTTON.BMP": neither is chosen.
  EXPECT_EQ(platform::NativePath((base + "/BACKBUTTON.BMP").c_str()), base + "/BACKBUTTON.BMP");
}

TEST(NativePath, KeepsMissingComponentsAsWrittenSoNewFilesCanBeMade) {
  TempFolder folder;
  folder.Write("Game/readme.txt", "x");
  const std::string base = folder.Path().string();
  EXPECT_EQ(platform::NativePath((base + "\\GAME\\NewFolder\\File.txt").c_str()),
            base + "/Game/NewFolder/File.txt");
}

TEST(NativePath, WorksRelativeToTheCurrentFolder) {
  TempFolder folder;
  folder.Write("Zeppolo/HubbixButton.bmp", "x");
  char saved[4096];
  ASSERT_TRUE(platform::GetCurrentFolder(saved, sizeof saved));
  ASSERT_TRUE(platform::SetCurrentFolder((folder.Path() / "ZEPPOLO").string().c_str()));
  char now[4096];
  ASSERT_TRUE(platform::GetCurrentFolder(now, sizeof now));
  EXPECT_EQ(std::string(now), (folder.Path() / "Zeppolo").string());
  EXPECT_EQ(platform::NativePath("hubbixbutton.BMP"), "HubbixButton.bmp");
  EXPECT_EQ(platform::NativePath("..\\zeppolo\\HubbixButton.bmp"), "../Zeppolo/HubbixButton.bmp");
  ASSERT_TRUE(platform::SetCurrentFolder(saved));
}

TEST(CurrentFolder, ReportsWhenTheBufferIsTooSmall) {
  char tiny[2] = {'x', 'x'};
  EXPECT_FALSE(platform::GetCurrentFolder(tiny, sizeof tiny));
  EXPECT_EQ(tiny[0], '\0');
  EXPECT_FALSE(platform::SetCurrentFolder("/no/such/folder/anywhere"));
}

TEST(ReadWholeFile, ReadsEveryByteAndFailsOnMissingFiles) {
  TempFolder folder;
  std::string content(200000, '\0');
  for (size_t i = 0; i < content.size(); ++i)
    content[i] = static_cast<char>(i * 7);
  folder.Write("data.bin", content);
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(platform::ReadWholeFile((folder / "DATA.BIN").c_str(), bytes));
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), content);
  EXPECT_FALSE(platform::ReadWholeFile((folder / "missing.bin").c_str(), bytes));
  EXPECT_TRUE(bytes.empty());
  EXPECT_FALSE(platform::ReadWholeFile(folder.Path().string().c_str(), bytes));
}

TEST(WriteFileAtomic, CreatesAndReplacesWithoutLeavingTemporaries) {
  TempFolder folder;
  ASSERT_TRUE(platform::WriteFileAtomic((folder / "a.dat").c_str(), "first", 5));
  EXPECT_EQ(folder.Read("a.dat"), "first");
  ASSERT_TRUE(platform::WriteFileAtomic((folder / "A.DAT").c_str(), "second!", 7));
  EXPECT_EQ(folder.Read("a.dat"), "second!");
  ASSERT_TRUE(platform::WriteFileAtomic((folder / "empty.dat").c_str(), nullptr, 0));
  EXPECT_EQ(folder.Read("empty.dat"), "");
  EXPECT_EQ(folder.EntryCount(), 2u);
}

TEST(WriteFileAtomic, KeepsThePermissionsOfTheReplacedFile) {
  TempFolder folder;
  folder.Write("a.dat", "old");
  ASSERT_EQ(chmod((folder / "a.dat").c_str(), 0640), 0);
  ASSERT_TRUE(platform::WriteFileAtomic((folder / "a.dat").c_str(), "new", 3));
  struct stat st;
  ASSERT_EQ(stat((folder / "a.dat").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(WriteFileAtomic, AnAbandonedWriteLeavesTheOldFileWhole) {
  TempFolder folder;
  folder.Write("hiscore.dat", "old contents");
  static std::string seenTemp;
  static std::string seenContent;
  platform::SetBeforeRenameHook([](const char* tempPath) {
    seenTemp = tempPath;
    std::vector<uint8_t> bytes;
    platform::ReadWholeFile(tempPath, bytes);
    seenContent.assign(bytes.begin(), bytes.end());
    return false;
  });
  const bool written = platform::WriteFileAtomic((folder / "hiscore.dat").c_str(), "new", 3);
  platform::SetBeforeRenameHook(nullptr);

  EXPECT_FALSE(written);
  EXPECT_EQ(folder.Read("hiscore.dat"), "old contents");
  // The temporary was complete, beside the target, and is removed again.
  EXPECT_EQ(seenContent, "new");
  EXPECT_EQ(seenTemp.rfind(folder.Path().string() + "/", 0), 0u);
  EXPECT_EQ(folder.EntryCount(), 1u);
}

TEST(WriteFileAtomic, FailsWhereNoFileCanBeMade) {
  TempFolder folder;
  folder.Write("sub/keep.txt", "x");
  EXPECT_FALSE(platform::WriteFileAtomic((folder / "missing/a.dat").c_str(), "x", 1));
  // A folder of that name is not replaced by a file.
  EXPECT_FALSE(platform::WriteFileAtomic((folder / "sub").c_str(), "x", 1));
  EXPECT_EQ(folder.Read("sub/keep.txt"), "x");
}

TEST(WriteFileAtomic, WritesThroughASymbolicLink) {
  TempFolder folder;
  folder.Write("real.ini", "old");
  ASSERT_EQ(symlink((folder / "real.ini").c_str(), (folder / "link.ini").c_str()), 0);
  ASSERT_TRUE(platform::WriteFileAtomic((folder / "link.ini").c_str(), "new", 3));
  EXPECT_EQ(folder.Read("real.ini"), "new");
  struct stat st;
  ASSERT_EQ(lstat((folder / "link.ini").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
}

uint32_t AttributesOf(const std::vector<FolderEntry>& entries, const std::string& name) {
  for (const FolderEntry& entry : entries) {
    if (entry.name == name) return entry.attributes;
  }
  ADD_FAILURE() << name << " not listed";
  return 0;
}

TEST(ListFolder, GivesWindowsAttributesSortedByName) {
  TempFolder folder;
  folder.Write("Zeppolo/HubbixButton.bmp", "x");
  folder.Write("Another/x", "x");
  folder.Write(".hidden/x", "x");
  folder.Write("plain.bmp", "x");
  folder.Write(".profile", "x");

  std::vector<FolderEntry> entries;
  ASSERT_TRUE(platform::ListFolder(folder.Path().string().c_str(), entries));
  ASSERT_EQ(entries.size(), 5u);
  EXPECT_EQ(entries[0].name, ".hidden");
  EXPECT_EQ(entries[1].name, ".profile");
  EXPECT_EQ(entries[2].name, "Another");
  EXPECT_EQ(entries[3].name, "Zeppolo");
  EXPECT_EQ(entries[4].name, "plain.bmp");
  EXPECT_EQ(AttributesOf(entries, "Zeppolo"), platform::kAttributeFolder);
  EXPECT_EQ(AttributesOf(entries, ".hidden"),
            platform::kAttributeFolder | platform::kAttributeHidden);
  EXPECT_EQ(AttributesOf(entries, "plain.bmp"), platform::kAttributeNormal);
  EXPECT_EQ(AttributesOf(entries, ".profile"), platform::kAttributeHidden);
}

// Whether the listing marks Locked (mode 0555) read-only and Open (0777) not: 1 when right.
int CheckReadOnlyMarks(const std::string& path) {
  std::vector<FolderEntry> entries;
  if (!platform::ListFolder(path.c_str(), entries) || entries.size() != 2) return 0;
  return entries[0].name == "Locked" &&
         entries[0].attributes == (platform::kAttributeFolder | platform::kAttributeReadOnly) &&
         entries[1].name == "Open" && entries[1].attributes == platform::kAttributeFolder;
}

TEST(ListFolder, MarksFoldersWeCannotWriteAsReadOnly) {
  TempFolder folder;
  folder.Write("Locked/x", "x");
  folder.Write("Open/x", "x");
  ASSERT_EQ(chmod((folder / "Locked").c_str(), 0555), 0);
  ASSERT_EQ(chmod((folder / "Open").c_str(), 0777), 0);
  if (geteuid() != 0) {
    EXPECT_EQ(CheckReadOnlyMarks(folder.Path().string()), 1);
    return;
  }
  // The superuser may write anywhere; look as an ordinary user from a child process.
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
    _exit(CheckReadOnlyMarks(folder.Path().string()));
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
}

TEST(ListFolder, FailsForAMissingFolder) {
  TempFolder folder;
  std::vector<FolderEntry> entries{{"stale", 0}};
  EXPECT_FALSE(platform::ListFolder((folder / "missing").c_str(), entries));
  EXPECT_TRUE(entries.empty());
  ASSERT_TRUE(platform::ListFolder(folder.Path().string().c_str(), entries));
  EXPECT_TRUE(entries.empty());
}

TEST(ProgramFolder, IsTheFolderOfTheRunningProgramFile) {
  char folder[4096];
  ASSERT_TRUE(platform::GetProgramFolder(folder, sizeof(folder)));
  EXPECT_EQ(folder[0], '/');
  EXPECT_TRUE(platform::FileExists((std::string(folder) + "/platform_tests").c_str()));
  char tiny[4];
  EXPECT_FALSE(platform::GetProgramFolder(tiny, sizeof(tiny)));  // does not fit: refused
}

}  // namespace
