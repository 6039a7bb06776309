// Whole-file replacement through a temporary and a rename, its failure report, and the lock that
// makes one copy's read-modify-write whole against the others'.

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/Files.h"
#include "platform/Language.h"
#include "platform/posix/PathParts.h"

namespace platform {

using posix::FolderOf;

namespace {

std::atomic<BeforeRenameHook> beforeRenameHook{nullptr};
std::atomic<unsigned> tempCounter{0};

bool WriteAll(int fd, const uint8_t* data, size_t size) {
  while (size > 0) {
    const ssize_t written = write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

// Makes the directory entry of a finished rename durable; failure only weakens the guarantee
// against power loss, so it is not reported.
void SyncFolder(const std::string& folder) {
  const int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

}  // namespace

void ReportFileNote(const std::string& text) {
  std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, text.c_str());
}

void ReportWriteFailure(const std::string& nativePath, int error) {
  // TRANSLATORS: the program, the file and the reason, as in
  // "Zeppolo: cannot write hiscore.dat: Permission denied".
  std::fprintf(stderr, Tr("%s: cannot write %s: %s"), program_invocation_short_name,
               nativePath.c_str(), ReasonText(error));
  std::fputc('\n', stderr);
}

FileUpdateLock::FileUpdateLock(const char* path, int waitMs) {
  if (path == nullptr) return;
  int error = 0;
  const std::string target = WriteLocation(path, &error);
  if (error != 0 || target.empty() || target.back() == '/') return;
  const std::string named = FolderOf(target);
  folder = named.empty() ? "." : named;
  handle = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (handle < 0) {
    if (errno != ENOENT && errno != ENOTDIR) reason = errno;
    return;
  }
  // flock, not fcntl: its lock belongs to this open file, so threads of one process exclude each
  // other too. Tried without blocking, a little while apart, until the wait is up.
  timespec start;
  clock_gettime(CLOCK_MONOTONIC, &start);
  for (;;) {
    if (flock(handle, LOCK_EX | LOCK_NB) == 0) {
      state = State::kHeld;
      return;
    }
    if (errno == EINTR) continue;
    if (errno != EWOULDBLOCK) {
      reason = errno;
      close(handle);
      handle = -1;
      return;
    }
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    const long elapsedMs =
        (now.tv_sec - start.tv_sec) * 1000L + (now.tv_nsec - start.tv_nsec) / 1000000L;
    if (elapsedMs >= waitMs) {
      state = State::kBusy;
      close(handle);
      handle = -1;
      return;
    }
    const timespec pause{0, 2 * 1000000L};
    nanosleep(&pause, nullptr);
  }
}

FileUpdateLock::~FileUpdateLock() {
  // Closing the file lets the lock go.
  if (handle >= 0) close(handle);
}

void SetBeforeRenameHook(BeforeRenameHook hook) {
  beforeRenameHook.store(hook);
}

bool WriteFileAtomic(const char* path, const void* data, size_t size) {
  if (path == nullptr || (data == nullptr && size > 0)) return false;
  int error = 0;
  std::string target = WriteLocation(path, &error);
  const std::string named = target;
  auto fail = [&named](int reason) {
    ReportWriteFailure(named, reason);
    return false;
  };
  if (error != 0) return fail(error);
  if (target.empty() || target.back() == '/') return fail(EISDIR);

  // Replace the file a symbolic link points to, not the link itself.
  struct stat st;
  const bool existed = stat(target.c_str(), &st) == 0;
  if (existed && S_ISDIR(st.st_mode)) return fail(EISDIR);
  struct stat linkSt;
  if (lstat(target.c_str(), &linkSt) == 0 && S_ISLNK(linkSt.st_mode) && existed) {
    char* real = realpath(target.c_str(), nullptr);
    if (real == nullptr) return fail(errno);
    target = real;
    free(real);
  }

  const std::string folder = FolderOf(target);
  const std::string baseName = target.substr(target.rfind('/') + 1);

  // A unique name beside the target, created exclusively so a stale temporary is never reused.
  // The permissions follow the file being replaced, or the process's umask for a new file.
  std::string tempPath;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    tempPath = (folder.empty() ? std::string() : folder + (folder == "/" ? "" : "/")) + "." +
               baseName + ".tmp" + std::to_string(getpid()) + "_" +
               std::to_string(tempCounter.fetch_add(1));
    fd = open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return fail(errno);
  }
  if (fd < 0) return fail(EEXIST);

  // The first failure's reason is the one reported.
  int reason = 0;
  auto step = [&reason](bool done) {
    if (!done && reason == 0) reason = errno != 0 ? errno : EIO;
    return done && reason == 0;
  };
  errno = 0;
  if (existed) step(fchmod(fd, st.st_mode & 07777) == 0);
  if (reason == 0) step(WriteAll(fd, static_cast<const uint8_t*>(data), size));
  if (reason == 0) step(fsync(fd) == 0);
  step(close(fd) == 0);

  // A hook that abandons the write stands for a crash, which prints nothing.
  const BeforeRenameHook hook = beforeRenameHook.load();
  const bool abandoned = reason == 0 && hook != nullptr && !hook(tempPath.c_str());
  if (reason == 0 && !abandoned) step(rename(tempPath.c_str(), target.c_str()) == 0);
  if (reason != 0 || abandoned) {
    unlink(tempPath.c_str());
    return abandoned ? false : fail(reason);
  }
  SyncFolder(folder);
  return true;
}

}  // namespace platform
