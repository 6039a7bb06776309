#include "platform/FileHandle.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/Files.h"

namespace platform {

namespace {

bool Valid(FileHandle handle) {
  return handle >= 0 && handle <= INT32_MAX;
}

}  // namespace

FileHandle OpenFileHandle(const char* windowsPath) {
  if (windowsPath == nullptr || *windowsPath == '\0') return kInvalidFileHandle;
  const std::string path = ReadLocation(windowsPath);
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return kInvalidFileHandle;
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return kInvalidFileHandle;
  }
  return static_cast<FileHandle>(fd);
}

int CloseFileHandle(FileHandle handle) {
  if (!Valid(handle)) return 0;
  return close(static_cast<int>(handle)) == 0 ? 1 : 0;
}

bool ReadFileHandle(FileHandle handle, void* buffer, uint32_t size, uint32_t* done) {
  if (done != nullptr) *done = 0;
  if (!Valid(handle) || (buffer == nullptr && size != 0)) return false;
  auto* out = static_cast<char*>(buffer);
  uint32_t total = 0;
  while (total < size) {
    const ssize_t n = read(static_cast<int>(handle), out + total, size - total);
    if (n < 0) {
      if (errno == EINTR) continue;
      if (done != nullptr) *done = total;
      return false;
    }
    if (n == 0) break;
    total += static_cast<uint32_t>(n);
  }
  if (done != nullptr) *done = total;
  return true;
}

int64_t SeekFileHandle(FileHandle handle, int64_t offset, SeekOrigin origin) {
  if (!Valid(handle)) return -1;
  const int whence = origin == SeekOrigin::kBegin
                         ? SEEK_SET
                         : (origin == SeekOrigin::kCurrent ? SEEK_CUR : SEEK_END);
  const off_t result = lseek(static_cast<int>(handle), static_cast<off_t>(offset), whence);
  return result < 0 ? -1 : static_cast<int64_t>(result);
}

int64_t FileHandleSize(FileHandle handle) {
  if (!Valid(handle)) return -1;
  struct stat info;
  if (fstat(static_cast<int>(handle), &info) != 0) return -1;
  return static_cast<int64_t>(info.st_size);
}

}  // namespace platform
