#pragma once
// Read-modify-write updates of the files that two copies of a program share (the hall of fame,
// the options): each update is an edit of the file's bytes, applied to the file as it is now,
// under its update lock. An update never freezes the program waiting for another copy's lock,
// and never replaces a file that exists but cannot be read (that would lose everything in it):
// it is kept, every read through this queue sees the file as the kept edits will leave it, and
// it is tried again while the program runs and, with a longer wait, at its end.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace platform {

// Makes the new contents from the current ones (null when the file does not exist). False when
// the file is to stay as it is.
using FileEdit =
    std::function<bool(const std::vector<uint8_t>* current, std::vector<uint8_t>& next)>;

enum class UpdateOutcome {
  kWritten,    // the file holds the edit
  kUnchanged,  // the edit left the file as it was
  kKept,       // the file is locked elsewhere or cannot be read: the edit waits
  kFailed,     // the new file could not be written (reported); the old one is whole
};

class FileUpdates {
 public:
  using Clock = uint64_t (*)();

  // How long an update waits for another copy's lock before the edit is kept: about two frames.
  static constexpr int kLockWaitMs = 20;
  // Kept edits are tried again at most this often, however often Retry is called.
  static constexpr uint64_t kRetryMs = 250;
  // A lock held elsewhere for this long is reported.
  static constexpr uint64_t kReportBusyMs = 3000;

  explicit FileUpdates(Clock clock);
  FileUpdates(const FileUpdates&) = delete;
  FileUpdates& operator=(const FileUpdates&) = delete;

  // Applies the edit now, or keeps it behind the edits already kept for the file. An edit that
  // does not read the current contents (readsCurrent false: it replaces the whole file) is not
  // held up by a file that cannot be read, and makes the edits kept before it moot.
  UpdateOutcome Update(const char* path, FileEdit edit, bool readsCurrent = true);

  // The file's bytes as the kept edits will leave it: applied to the file as it is now, or to no
  // file when it is missing or cannot be read. Without kept edits, ReadWholeFile.
  bool Read(const char* path, std::vector<uint8_t>& out);

  // Tries the kept edits again, at most every kRetryMs; cheap when none is kept, so the program
  // calls it as it pumps its messages.
  void Retry();

  // At the program's end: tries the kept edits for up to waitMs. An edit still locked out then is
  // written without the lock, as where the folder cannot be locked at all; one whose file still
  // cannot be read is given up. Both are reported.
  void Finish(int waitMs);

  // Files with edits kept.
  size_t Kept();

 private:
  struct Edit {
    FileEdit apply;
    bool readsCurrent = true;
  };
  // The edits kept for one file, in the order they were made.
  struct Pending {
    std::string path;  // absolute, so a change of the current folder cannot redirect it
    std::vector<Edit> edits;
    uint64_t since = 0;
    bool reportedBusy = false;
    bool reportedUnreadable = false;
  };
  enum class Attempt { kDone, kBusy, kUnreadable };

  Attempt Try(Pending& pending, int waitMs, bool withoutLock, UpdateOutcome* outcome);
  void ReportDone(const Pending& pending);

  Clock clock;
  std::mutex mutex;  // the queue, and one attempt at a time within this process
  std::vector<Pending> pending;
  std::set<std::string> reportedFolders;  // folders that cannot be locked, said once each
  uint64_t nextRetry = 0;
};

// The program's one queue, on the steady clock.
FileUpdates& TheFileUpdates();

}  // namespace platform
