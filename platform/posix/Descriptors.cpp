#include "platform/Descriptors.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace platform {

bool WaitReadable(int descriptor, int timeoutMilliseconds) {
  if (descriptor < 0) return false;
  pollfd entry = {descriptor, POLLIN, 0};
  int result;
  do {
    result = poll(&entry, 1, timeoutMilliseconds);
  } while (result < 0 && errno == EINTR);
  return result > 0 && (entry.revents & POLLNVAL) == 0;
}

int WaitAnyReadable(const std::vector<int>& descriptors, int timeoutMilliseconds) {
  std::vector<pollfd> entries;
  entries.reserve(descriptors.size());
  for (int descriptor : descriptors)
    entries.push_back({descriptor, POLLIN, 0});  // poll passes over negative descriptors
  int result;
  do {
    result = poll(entries.data(), entries.size(), timeoutMilliseconds);
  } while (result < 0 && errno == EINTR);
  if (result <= 0) return -1;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].revents != 0 && (entries[i].revents & POLLNVAL) == 0) return static_cast<int>(i);
  }
  return -1;
}

int WatchDevice(const std::string& path) {
  return open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
}

void DrainDescriptor(int descriptor) {
  if (descriptor < 0) return;
  char buffer[1024];
  while (read(descriptor, buffer, sizeof buffer) > 0) {
  }
}

void WriteToStandardError(const char* bytes, size_t size) {
  while (size > 0) {
    const ssize_t written = write(STDERR_FILENO, bytes, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return;
    bytes += written;
    size -= static_cast<size_t>(written);
  }
}

void CloseDescriptor(int descriptor) {
  if (descriptor >= 0) close(descriptor);
}

}  // namespace platform
