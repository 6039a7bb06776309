#include "platform/SharedMemory.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>

namespace platform {

SharedMemory::~SharedMemory() {
  Release();
}

bool SharedMemory::Create(size_t bytes) {
  Release();
  if (bytes == 0) return false;
  // Sealed against shrinking: a compositor that maps the block must never find it cut short.
  const int fd = memfd_create("qz-picture", MFD_CLOEXEC | MFD_ALLOW_SEALING);
  if (fd < 0) return false;
  int result;
  do {
    result = ftruncate(fd, static_cast<off_t>(bytes));
  } while (result < 0 && errno == EINTR);
  void* mapped =
      result == 0 ? mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0) : MAP_FAILED;
  if (mapped == MAP_FAILED) {
    close(fd);
    return false;
  }
  fcntl(fd, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_SEAL);
  data = mapped;
  size = bytes;
  descriptor = fd;
  return true;
}

void SharedMemory::Release() {
  if (data != nullptr) munmap(data, size);
  if (descriptor >= 0) close(descriptor);
  data = nullptr;
  size = 0;
  descriptor = -1;
}

}  // namespace platform
