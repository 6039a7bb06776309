#include "platform/Descriptors.h"

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

void CloseDescriptor(int descriptor) {
  if (descriptor >= 0) close(descriptor);
}

}  // namespace platform
