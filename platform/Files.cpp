#include "platform/Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace platform {

namespace {

std::atomic<BeforeRenameHook> beforeRenameHook{nullptr};
std::atomic<unsigned> tempCounter{0};

bool EqualsIgnoringCase(const char* a, const char* b) {
  for (;; ++a, ++b) {
    unsigned char ca = static_cast<unsigned char>(*a);
    unsigned char cb = static_cast<unsigned char>(*b);
    if (ca >= 'A' && ca <= 'Z') ca = static_cast<unsigned char>(ca - 'A' + 'a');
    if (cb >= 'A' && cb <= 'Z') cb = static_cast<unsigned char>(cb - 'A' + 'a');
    if (ca != cb) return false;
    if (ca == 0) return true;
  }
}

bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

// The one entry of folder whose name equals name without regard to case; empty when there is
// none or more than one.
std::string UniqueCaseMatch(const std::string& folder, const std::string& name) {
  DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
  if (dir == nullptr) return std::string();
  std::string found;
  int matches = 0;
  while (const dirent* entry = readdir(dir)) {
    if (EqualsIgnoringCase(entry->d_name, name.c_str())) {
      if (++matches > 1) break;
      found = entry->d_name;
    }
  }
  closedir(dir);
  return matches == 1 ? found : std::string();
}

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

// The folder part of a native path ("" for a bare name, "/" for a file in the root).
std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return std::string();
  if (slash == 0) return "/";
  return path.substr(0, slash);
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

std::string NativePath(const char* windowsPath) {
  if (windowsPath == nullptr) return std::string();
  std::string path(windowsPath);
  std::replace(path.begin(), path.end(), '\\', '/');

  // Walk the components, keeping everything up to the current one as the folder to look in.
  std::string result;
  size_t pos = 0;
  if (!path.empty() && path[0] == '/') {
    result = "/";
    pos = 1;
  }
  bool lookUp = true;  // false once a component is missing: nothing below it can exist
  while (pos <= path.size()) {
    size_t end = path.find('/', pos);
    if (end == std::string::npos) end = path.size();
    const std::string component = path.substr(pos, end - pos);
    const bool last = end == path.size();

    std::string name = component;
    if (lookUp && !component.empty() && component != "." && component != "..") {
      const std::string exact = result + component;
      if (!Exists(exact)) {
        const std::string match = UniqueCaseMatch(result, component);
        if (match.empty()) {
          lookUp = false;
        } else {
          name = match;
        }
      }
    }
    result += name;
    if (last) break;
    result += '/';
    pos = end + 1;
  }
  return result;
}

FILE* OpenFile(const char* path, const char* mode) {
  if (path == nullptr || mode == nullptr) return nullptr;
  return fopen(NativePath(path).c_str(), mode);
}

bool FileExists(const char* path) {
  if (path == nullptr) return false;
  struct stat st;
  return stat(NativePath(path).c_str(), &st) == 0;
}

bool ReadWholeFile(const char* path, std::vector<uint8_t>& out) {
  out.clear();
  FILE* file = OpenFile(path, "rb");
  if (file == nullptr) return false;
  uint8_t buffer[65536];
  bool ok = true;
  for (;;) {
    const size_t got = fread(buffer, 1, sizeof buffer, file);
    out.insert(out.end(), buffer, buffer + got);
    if (got < sizeof buffer) {
      ok = ferror(file) == 0;
      break;
    }
  }
  fclose(file);
  if (!ok) out.clear();
  return ok;
}

void SetBeforeRenameHook(BeforeRenameHook hook) {
  beforeRenameHook.store(hook);
}

bool WriteFileAtomic(const char* path, const void* data, size_t size) {
  if (path == nullptr || (data == nullptr && size > 0)) return false;
  std::string target = NativePath(path);
  if (target.empty() || target.back() == '/') return false;

  // Replace the file a symbolic link points to, not the link itself.
  struct stat st;
  const bool existed = stat(target.c_str(), &st) == 0;
  if (existed && S_ISDIR(st.st_mode)) return false;
  struct stat linkSt;
  if (lstat(target.c_str(), &linkSt) == 0 && S_ISLNK(linkSt.st_mode) && existed) {
    char* real = realpath(target.c_str(), nullptr);
    if (real == nullptr) return false;
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
    if (fd < 0 && errno != EEXIST) return false;
  }
  if (fd < 0) return false;

  bool ok = true;
  if (existed) ok = fchmod(fd, st.st_mode & 07777) == 0;
  ok = ok && WriteAll(fd, static_cast<const uint8_t*>(data), size);
  ok = ok && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;

  const BeforeRenameHook hook = beforeRenameHook.load();
  if (ok && hook != nullptr) ok = hook(tempPath.c_str());
  ok = ok && rename(tempPath.c_str(), target.c_str()) == 0;
  if (!ok) {
    unlink(tempPath.c_str());
    return false;
  }
  SyncFolder(folder);
  return true;
}

bool GetCurrentFolder(char* out, size_t size) {
  if (out == nullptr || size == 0) return false;
  if (getcwd(out, size) == nullptr) {
    out[0] = '\0';
    return false;
  }
  return true;
}

bool SetCurrentFolder(const char* path) {
  if (path == nullptr) return false;
  return chdir(NativePath(path).c_str()) == 0;
}

bool GetProgramFolder(char* out, size_t size) {
  if (out == nullptr || size == 0) return false;
  char program[4096];
  const ssize_t length = readlink("/proc/self/exe", program, sizeof(program) - 1);
  if (length <= 0) return false;
  program[length] = '\0';
  char* slash = std::strrchr(program, '/');
  if (slash == nullptr) return false;
  *slash = '\0';
  if (program[0] == '\0') std::strcpy(program, "/");
  if (std::strlen(program) >= size) return false;
  std::strcpy(out, program);
  return true;
}

bool ListFolder(const char* path, std::vector<FolderEntry>& out) {
  out.clear();
  if (path == nullptr) return false;
  std::string folder = NativePath(path);
  if (folder.empty()) folder = ".";
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return false;
  if (folder.back() != '/') folder += '/';

  while (const dirent* entry = readdir(dir)) {
    const char* name = entry->d_name;
    if (strcmp(name, ".") == 0 || strcmp(name, "..") == 0) continue;
    const std::string full = folder + name;
    uint32_t attributes = 0;
    struct stat st;
    // A link is described by what it points to; a dangling one counts as a plain file.
    const bool isFolder = stat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    if (isFolder) attributes |= kAttributeFolder;
    if (access(full.c_str(), W_OK) != 0) attributes |= kAttributeReadOnly;
    if (name[0] == '.') attributes |= kAttributeHidden;
    if (attributes == 0) attributes = kAttributeNormal;
    out.push_back({name, attributes});
  }
  closedir(dir);

  std::sort(out.begin(), out.end(),
            [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
  return true;
}

}  // namespace platform
