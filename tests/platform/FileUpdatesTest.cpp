#include "platform/FileUpdates.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "tests/common/TempFolder.h"

namespace {

using platform::FileUpdateLock;
using platform::FileUpdates;
using platform::UpdateOutcome;
using testing_support::TempFolder;

uint64_t fakeNow = 0;
uint64_t FakeClock() {
  return fakeNow;
}

// An edit that appends its text to the file.
platform::FileEdit Append(const std::string& text) {
  return [text](const std::vector<uint8_t>* current, std::vector<uint8_t>& next) {
    if (current != nullptr) next = *current;
    next.insert(next.end(), text.begin(), text.end());
    return true;
  };
}

class FileUpdatesTest : public ::testing::Test {
 protected:
  void SetUp() override { fakeNow = 1000; }

  std::string ReadBack() {
    std::vector<uint8_t> bytes;
    updates.Read(path.c_str(), bytes);
    return std::string(bytes.begin(), bytes.end());
  }
  // Moves the clock on past the retry interval and retries.
  void RetryAfter(uint64_t ms) {
    fakeNow += ms;
    updates.Retry();
  }

  TempFolder folder;
  std::string path = folder / "data.txt";
  FileUpdates updates{&FakeClock};
};

// Another copy holds the folder's lock: the edits wait in order, the program reads them as made,
// the wait is reported once after a few seconds, and the file gets them once the lock is free.
TEST_F(FileUpdatesTest, EditsWaitForAHeldLockInOrderAndAreReportedOnce) {
  folder.Write("data.txt", "a");
  testing::internal::CaptureStderr();
  {
    const FileUpdateLock other(path.c_str(), 0);
    ASSERT_EQ(other.GetState(), FileUpdateLock::State::kHeld);
    EXPECT_EQ(updates.Update(path.c_str(), Append("b")), UpdateOutcome::kKept);
    EXPECT_EQ(updates.Update(path.c_str(), Append("c")), UpdateOutcome::kKept);
    EXPECT_EQ(folder.Read("data.txt"), "a");
    EXPECT_EQ(ReadBack(), "abc");
    RetryAfter(FileUpdates::kRetryMs);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    testing::internal::CaptureStderr();
    RetryAfter(FileUpdates::kReportBusyMs);
    RetryAfter(FileUpdates::kReportBusyMs);
    const std::string lines = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 1) << lines;
    EXPECT_NE(lines.find(path + " is locked by another program"), std::string::npos) << lines;
    testing::internal::CaptureStderr();
  }
  // Retries are spaced: one straight after the last does nothing.
  updates.Retry();
  EXPECT_EQ(updates.Kept(), 1u);
  RetryAfter(FileUpdates::kRetryMs);
  EXPECT_EQ(updates.Kept(), 0u);
  EXPECT_EQ(folder.Read("data.txt"), "abc");
  EXPECT_NE(testing::internal::GetCapturedStderr().find("the change kept for " + path + " is made"),
            std::string::npos);
}

// A file that exists but cannot be read is never replaced: the edit waits, reads see it made on no
// file, and the file takes it once it can be read again, with what it held.
TEST_F(FileUpdatesTest, AFileThatCannotBeReadIsKeptAndUpdatedOnceItCanBe) {
  folder.Write("data.txt", "old");
  folder.MakeUnreadable("data.txt");
  testing::internal::CaptureStderr();
  EXPECT_EQ(updates.Update(path.c_str(), Append("+new")), UpdateOutcome::kKept);
  RetryAfter(FileUpdates::kRetryMs);
  const std::string lines = testing::internal::GetCapturedStderr();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 1) << lines;
  EXPECT_NE(lines.find("cannot read " + path + ": Too many levels of symbolic links"),
            std::string::npos)
      << lines;
  EXPECT_TRUE(folder.IsLink("data.txt"));
  EXPECT_EQ(ReadBack(), "+new");

  // An edit that replaces the whole file does not need to read it, and makes the earlier one moot.
  FileUpdates other{&FakeClock};
  const std::string second = folder / "second.txt";
  folder.Write("second.txt", "x");
  folder.MakeUnreadable("second.txt");
  auto replace = [](const std::vector<uint8_t>*, std::vector<uint8_t>& next) {
    next.assign({'r'});
    return true;
  };
  EXPECT_EQ(other.Update(second.c_str(), replace, false), UpdateOutcome::kWritten);
  EXPECT_EQ(folder.Read("second.txt"), "r");

  folder.MakeReadable("data.txt");
  testing::internal::CaptureStderr();
  RetryAfter(FileUpdates::kRetryMs);
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(updates.Kept(), 0u);
  EXPECT_EQ(folder.Read("data.txt"), "old+new");
}

// At the end a lock still held elsewhere is passed by, and a file still unreadable is left whole;
// each is said.
TEST_F(FileUpdatesTest, TheEndWritesPastAHeldLockAndGivesUpOnAnUnreadableFile) {
  folder.Write("data.txt", "a");
  folder.Write("locked/data.txt", "k");
  const std::string locked = folder / "locked/data.txt";
  folder.MakeUnreadable("data.txt");
  const FileUpdateLock other(locked.c_str(), 0);
  testing::internal::CaptureStderr();
  updates.Update(path.c_str(), Append("b"));
  updates.Update(locked.c_str(), Append("l"));
  updates.Finish(0);
  const std::string lines = testing::internal::GetCapturedStderr();
  EXPECT_EQ(updates.Kept(), 0u);
  EXPECT_EQ(folder.Read("locked/data.txt"), "kl");
  EXPECT_NE(lines.find(locked + " was still locked by another program; updated without the lock"),
            std::string::npos)
      << lines;
  EXPECT_NE(lines.find("cannot read " + path + "; the change kept for it is given up"),
            std::string::npos)
      << lines;
  folder.MakeReadable("data.txt");
  EXPECT_EQ(folder.Read("data.txt"), "a");
}

}  // namespace
