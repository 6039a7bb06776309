#include "platform/JoystickDevices.h"

#include <dirent.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <utility>
#include <vector>

namespace platform {

namespace {

// The kernel's ranges of joystick buttons (BTN_TRIGGER to BTN_DEAD), gamepad buttons (BTN_SOUTH to
// BTN_THUMBR) and extra trigger buttons (BTN_TRIGGER_HAPPY1 to 40): what it and udev look for in
// a joystick. Mice, touch pads and keyboards have none of them.
struct ButtonRange {
  unsigned first;
  unsigned last;
};
constexpr ButtonRange kJoystickButtons[] = {{0x120, 0x13f}, {0x2c0, 0x2e7}};

constexpr uint32_t kDeviceEvents =
    IN_CREATE | IN_DELETE | IN_ATTRIB | IN_MOVED_TO | IN_MOVED_FROM | IN_ONLYDIR;

std::string ParentOf(const std::string& folder) {
  const size_t slash = folder.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : folder.substr(0, slash);
}

}  // namespace

JoystickDevices::JoystickDevices(std::string deviceFolder, std::string classFolder)
    : deviceFolder(std::move(deviceFolder)), classFolder(std::move(classFolder)) {}

JoystickDevices::~JoystickDevices() {
  if (descriptor >= 0) close(descriptor);
}

bool JoystickDevices::Watch() {
  if (descriptor >= 0) return true;
  if (access(classFolder.c_str(), F_OK) != 0) return false;
  descriptor = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (descriptor < 0) return false;
  WatchDeviceFolder();
  // A machine that has had no input device yet has no device folder: its parent tells when the
  // first one makes it.
  if (deviceWatch < 0 && inotify_add_watch(descriptor, ParentOf(deviceFolder).c_str(),
                                           IN_CREATE | IN_MOVED_TO | IN_ONLYDIR) < 0) {
    close(descriptor);
    descriptor = -1;
    return false;
  }
  return true;
}

void JoystickDevices::WatchDeviceFolder() {
  deviceWatch = inotify_add_watch(descriptor, deviceFolder.c_str(), kDeviceEvents);
}

bool JoystickDevices::Changed() {
  if (descriptor < 0) return false;
  bool changed = false;
  alignas(inotify_event) char buffer[4096];
  for (;;) {
    const ssize_t got = read(descriptor, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    changed = true;
    for (ssize_t at = 0; at < got;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      // The device folder itself went away: its parent's watch covers its return.
      if (event->wd == deviceWatch && (event->mask & IN_IGNORED) != 0) deviceWatch = -1;
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
  }
  if (changed && deviceWatch < 0) WatchDeviceFolder();
  return changed;
}

bool JoystickDevices::AnyPresent() const {
  DIR* folder = opendir(classFolder.c_str());
  if (folder == nullptr) return false;
  bool found = false;
  while (!found) {
    const dirent* entry = readdir(folder);
    if (entry == nullptr) break;
    if (std::strncmp(entry->d_name, "event", 5) != 0) continue;
    std::ifstream file(classFolder + "/" + entry->d_name + "/device/capabilities/key");
    std::string bitmap;
    if (!std::getline(file, bitmap) || !HasJoystickButtons(bitmap)) continue;
    found = access((deviceFolder + "/" + entry->d_name).c_str(), R_OK) == 0;
  }
  closedir(folder);
  return found;
}

bool JoystickDevices::HasJoystickButtons(const std::string& keyBitmap) {
  std::vector<unsigned long long> words;
  std::istringstream in(keyBitmap);
  std::string word;
  while (in >> word) {
    char* end = nullptr;
    errno = 0;
    const unsigned long long value = std::strtoull(word.c_str(), &end, 16);
    if (errno != 0 || end == word.c_str() || *end != '\0') return false;
    words.push_back(value);
  }
  const unsigned width = sizeof(long) * 8;
  for (const ButtonRange& range : kJoystickButtons) {
    for (unsigned bit = range.first; bit <= range.last; ++bit) {
      const size_t fromEnd = bit / width;
      if (fromEnd >= words.size()) break;
      if ((words[words.size() - 1 - fromEnd] >> (bit % width)) & 1u) return true;
    }
  }
  return false;
}

}  // namespace platform
