#include "platform/FileUpdates.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/Files.h"
#include "platform/Language.h"
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

// A line for standard error in the player's language, from a translated format.
std::string Formatted(const char* format, const std::string& first, const char* second = "") {
  const int length = std::snprintf(nullptr, 0, format, first.c_str(), second);
  if (length <= 0) return std::string();
  std::string text(static_cast<size_t>(length) + 1, '\0');
  std::snprintf(&text[0], text.size(), format, first.c_str(), second);
  text.resize(static_cast<size_t>(length));
  return text;
}

}  // namespace

FileUpdates::FileUpdates(Clock clock) : clock(clock) {}

FileUpdates::Attempt FileUpdates::Try(Pending& file, int waitMs, bool withoutLock,
                                      UpdateOutcome* outcome) {
  const FileUpdateLock lock(file.path.c_str(), waitMs);
  if (lock.GetState() == FileUpdateLock::State::kBusy && !withoutLock) return Attempt::kBusy;
  if (lock.GetState() == FileUpdateLock::State::kUnguarded && lock.Reason() != 0 &&
      reportedFolders.insert(lock.Folder()).second) {
    ReportFileNote(Formatted(Tr("cannot lock the folder %s: %s; its files are updated without the "
                                "lock, so two copies writing at once may lose a change"),
                             lock.Folder(), ReasonText(lock.Reason())));
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
        ReportFileNote(Formatted(Tr("cannot read %s: %s; the change is kept until it can be read"),
                                 ReadLocation(file.path.c_str()), ReasonText(readError)));
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
    ReportFileNote(
        Formatted(Tr("the change kept for %s is made now"), ReadLocation(file.path.c_str())));
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
      ReportFileNote(
          Formatted(Tr("%s is locked by another program; the change is kept until it is free"),
                    ReadLocation(file.path.c_str())));
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
      ReportFileNote(
          Formatted(Tr("%s was still locked by another program; updated without the lock"), named));
    } else {
      ReportFileNote(Formatted(Tr("cannot read %s; the change kept for it is given up"), named));
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
