#include "platform/FileUpdates.h"

#include <cerrno>
#include <cstring>

#include "platform/Files.h"
#include "platform/Timer.h"

namespace platform {

namespace {

// The edits in order, each on what the one before it made; false when none changed anything.
bool ApplyAll(const std::vector<uint8_t>* current, const std::vector<FileEdit>& edits,
              std::vector<uint8_t>& result) {
  bool changed = false;
  for (const FileEdit& edit : edits) {
    std::vector<uint8_t> next;
    if (!edit(current, next)) continue;
    result = std::move(next);
    current = &result;
    changed = true;
  }
  return changed;
}

std::string Reason(int error) {
  return std::strerror(error);
}

}  // namespace

FileUpdates::FileUpdates(Clock clock) : clock(clock) {}

FileUpdates::Attempt FileUpdates::Try(Pending& file, int waitMs, bool withoutLock,
                                      UpdateOutcome* outcome) {
  const FileUpdateLock lock(file.path.c_str(), waitMs);
  if (lock.GetState() == FileUpdateLock::State::kBusy && !withoutLock) return Attempt::kBusy;
  if (lock.GetState() == FileUpdateLock::State::kUnguarded && lock.Reason() != 0 &&
      reportedFolders.insert(lock.Folder()).second) {
    ReportFileNote("cannot lock the folder " + lock.Folder() + ": " + Reason(lock.Reason()) +
                   "; its files are updated without the lock, so two copies writing at once may "
                   "lose a change");
  }

  std::vector<uint8_t> bytes;
  errno = 0;
  const bool read = ReadWholeFile(file.path.c_str(), bytes);
  const int readError = errno != 0 ? errno : EIO;
  const bool missing = !read && (readError == ENOENT || readError == ENOTDIR);
  if (!read && !missing) {
    // A folder in the way can never be replaced by a file: that is a failed write, as it has
    // always been, not something to wait for.
    if (readError == EISDIR) {
      ReportWriteFailure(ReadLocation(file.path.c_str()), EISDIR);
      *outcome = UpdateOutcome::kFailed;
      return Attempt::kDone;
    }
    if (file.edits.front().readsCurrent) {
      if (!file.reportedUnreadable) {
        ReportFileNote("cannot read " + ReadLocation(file.path.c_str()) + ": " + Reason(readError) +
                       "; the change is kept until it can be read");
        file.reportedUnreadable = true;
      }
      return Attempt::kUnreadable;
    }
  }

  std::vector<FileEdit> edits;
  for (const Edit& edit : file.edits)
    edits.push_back(edit.apply);
  std::vector<uint8_t> result;
  if (!ApplyAll(read ? &bytes : nullptr, edits, result)) {
    *outcome = UpdateOutcome::kUnchanged;
  } else {
    *outcome = WriteFileAtomic(file.path.c_str(), result.data(), result.size())
                   ? UpdateOutcome::kWritten
                   : UpdateOutcome::kFailed;
  }
  return Attempt::kDone;
}

void FileUpdates::ReportDone(const Pending& file) {
  if (file.reportedBusy || file.reportedUnreadable) {
    ReportFileNote("the change kept for " + ReadLocation(file.path.c_str()) + " is made now");
  }
}

UpdateOutcome FileUpdates::Update(const char* path, FileEdit edit, bool readsCurrent) {
  if (path == nullptr || !edit) return UpdateOutcome::kFailed;
  const std::string absolute = AbsolutePath(path);
  std::lock_guard<std::mutex> guard(mutex);

  Pending* file = nullptr;
  for (Pending& kept : pending) {
    if (kept.path == absolute) file = &kept;
  }
  Pending fresh;
  if (file == nullptr) {
    fresh.path = absolute;
    fresh.since = clock();
    file = &fresh;
  }
  if (!readsCurrent) file->edits.clear();
  file->edits.push_back({std::move(edit), readsCurrent});

  UpdateOutcome outcome = UpdateOutcome::kKept;
  if (Try(*file, kLockWaitMs, false, &outcome) != Attempt::kDone) {
    if (file == &fresh) pending.push_back(std::move(fresh));
    return UpdateOutcome::kKept;
  }
  if (file != &fresh) {
    ReportDone(*file);
    pending.erase(pending.begin() + (file - pending.data()));
  }
  return outcome;
}

bool FileUpdates::Read(const char* path, std::vector<uint8_t>& out) {
  if (path == nullptr) return false;
  const std::string absolute = AbsolutePath(path);
  std::lock_guard<std::mutex> guard(mutex);
  const bool read = ReadWholeFile(absolute.c_str(), out);
  const int readError = errno;
  for (const Pending& file : pending) {
    if (file.path != absolute) continue;
    std::vector<FileEdit> edits;
    for (const Edit& edit : file.edits)
      edits.push_back(edit.apply);
    std::vector<uint8_t> result;
    if (ApplyAll(read ? &out : nullptr, edits, result)) {
      out = std::move(result);
      return true;
    }
  }
  errno = readError;
  return read;
}

void FileUpdates::Retry() {
  std::lock_guard<std::mutex> guard(mutex);
  if (pending.empty()) return;
  const uint64_t now = clock();
  if (now < nextRetry) return;
  nextRetry = now + kRetryMs;
  for (size_t i = 0; i < pending.size();) {
    Pending& file = pending[i];
    UpdateOutcome outcome = UpdateOutcome::kKept;
    const Attempt attempt = Try(file, 0, false, &outcome);
    if (attempt == Attempt::kDone) {
      ReportDone(file);
      pending.erase(pending.begin() + static_cast<long>(i));
      continue;
    }
    if (attempt == Attempt::kBusy && !file.reportedBusy && now - file.since >= kReportBusyMs) {
      ReportFileNote(ReadLocation(file.path.c_str()) +
                     " is locked by another program; the change is kept until it is free");
      file.reportedBusy = true;
    }
    ++i;
  }
}

void FileUpdates::Finish(int waitMs) {
  std::lock_guard<std::mutex> guard(mutex);
  const uint64_t end = clock() + static_cast<uint64_t>(waitMs > 0 ? waitMs : 0);
  // Each pass gives every file a short wait, until all are done, none is only locked out, or the
  // time is up.
  for (;;) {
    bool anyBusy = false;
    for (size_t i = 0; i < pending.size();) {
      UpdateOutcome outcome = UpdateOutcome::kKept;
      const Attempt attempt = Try(pending[i], 50, false, &outcome);
      if (attempt == Attempt::kDone) {
        ReportDone(pending[i]);
        pending.erase(pending.begin() + static_cast<long>(i));
        continue;
      }
      anyBusy = anyBusy || attempt == Attempt::kBusy;
      ++i;
    }
    if (!anyBusy || clock() >= end) break;
  }
  for (Pending& file : pending) {
    UpdateOutcome outcome = UpdateOutcome::kKept;
    const std::string named = ReadLocation(file.path.c_str());
    if (Try(file, 0, true, &outcome) == Attempt::kDone) {
      ReportFileNote(named + " was still locked by another program; updated without the lock");
    } else {
      ReportFileNote("cannot read " + named + "; the change kept for it is given up");
    }
  }
  pending.clear();
}

size_t FileUpdates::Kept() {
  std::lock_guard<std::mutex> guard(mutex);
  return pending.size();
}

FileUpdates& TheFileUpdates() {
  static FileUpdates updates(&SteadyMilliseconds);
  return updates;
}

}  // namespace platform
