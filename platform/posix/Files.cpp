#include "platform/Files.h"

#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/Language.h"

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

// A native path whose components that do not exist as written are replaced by their one
// case-insensitive match, as NativePath describes.
std::string ResolveCase(const std::string& path) {
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

std::mutex treeMutex;
std::string treeOverride;  // guarded by treeMutex
std::string libraryTree;   // guarded by treeMutex; found once
bool libraryTreeLooked = false;

std::string RealPath(const std::string& path) {
  char* real = realpath(path.c_str(), nullptr);
  if (real == nullptr) return std::string();
  std::string result(real);
  free(real);
  return result;
}

// The folder of the shared object this code is part of: libqz.so in the programs, the test
// program itself where the tests link the layer statically.
std::string LibraryFolder() {
  Dl_info info;
  if (dladdr(reinterpret_cast<void*>(&ProgramTreeFolder), &info) == 0 ||
      info.dli_fname == nullptr || info.dli_fname[0] != '/') {
    char folder[4096];
    return GetProgramFolder(folder, sizeof folder) ? RealPath(folder) : std::string();
  }
  const std::string file = RealPath(info.dli_fname);
  return file.empty() ? std::string() : FolderOf(file);
}

// An absolute path with "." and ".." taken out by name (a relative one is taken from the current
// folder), so that where a path leads can be told without the folders existing. Empty when the
// current folder is unknown.
std::string AbsoluteNormal(const std::string& path) {
  std::string full = path;
  if (full.empty() || full[0] != '/') {
    char current[4096];
    if (getcwd(current, sizeof current) == nullptr) return std::string();
    full = std::string(current) + "/" + full;
  }
  std::vector<std::string> parts;
  size_t pos = 0;
  while (pos <= full.size()) {
    size_t end = full.find('/', pos);
    if (end == std::string::npos) end = full.size();
    const std::string part = full.substr(pos, end - pos);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    pos = end + 1;
  }
  std::string result;
  for (const std::string& part : parts)
    result += "/" + part;
  return result.empty() ? "/" : result;
}

// Whether the player may write in the folder a path would be made in: its nearest folder that
// exists.
bool FolderWritable(const std::string& absolutePath) {
  std::string folder = FolderOf(absolutePath);
  struct stat st;
  while (!folder.empty() && folder != "/" && stat(folder.c_str(), &st) != 0)
    folder = FolderOf(folder);
  return access(folder.empty() ? "/" : folder.c_str(), W_OK) == 0;
}

// The player's copy that stands for a native path, or empty when the path is the one to use:
// outside the program tree, in a folder the player can write, or with no data folder known.
std::string PlayerCopyFor(const std::string& nativePath) {
  const std::string tree = ProgramTreeFolder();
  if (tree.empty()) return std::string();
  const std::string absolute = AbsoluteNormal(nativePath);
  if (absolute.empty() || FolderWritable(absolute)) return std::string();
  const std::string data = PlayerDataFolder();
  if (data.empty()) return std::string();
  return PlayerCopyPath(absolute, tree, data);
}

// Makes every missing folder of path. Those above the data folder are the XDG base folders,
// private to the player (mode 0700); the data folder and below take the usual mode through the
// umask. 0 or the system's reason.
int MakeFolders(const std::string& path, const std::string& data) {
  size_t pos = 1;
  while (pos <= path.size()) {
    size_t end = path.find('/', pos);
    if (end == std::string::npos) end = path.size();
    const std::string prefix = path.substr(0, end);
    struct stat st;
    if (stat(prefix.c_str(), &st) != 0) {
      const mode_t mode = prefix.size() < data.size() ? 0700 : 0777;
      if (mkdir(prefix.c_str(), mode) != 0 && errno != EEXIST) return errno;
      if (stat(prefix.c_str(), &st) != 0) return errno;
    }
    if (!S_ISDIR(st.st_mode)) return ENOTDIR;
    pos = end + 1;
  }
  return 0;
}

bool CopyFile(const std::string& from, const std::string& to) {
  std::vector<uint8_t> bytes;
  FILE* in = fopen(from.c_str(), "rb");
  if (in == nullptr) return false;
  uint8_t buffer[65536];
  size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, in)) > 0)
    bytes.insert(bytes.end(), buffer, buffer + got);
  const bool readOk = ferror(in) == 0;
  fclose(in);
  FILE* out = fopen(to.c_str(), "wb");
  if (out == nullptr) return false;
  const bool wrote = fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
  return fclose(out) == 0 && wrote && readOk;
}

}  // namespace

std::string NativePath(const char* windowsPath) {
  if (windowsPath == nullptr) return std::string();
  std::string path(windowsPath);
  std::replace(path.begin(), path.end(), '\\', '/');
  return ResolveCase(path);
}

std::string PlayerDataFolder() {
  std::string base;
  const char* xdg = getenv("XDG_DATA_HOME");
  // The XDG rule: a relative value is ignored as if unset.
  if (xdg != nullptr && xdg[0] == '/') {
    base = xdg;
  } else {
    const char* home = getenv("HOME");
    std::string homeFolder;
    if (home != nullptr && home[0] == '/') {
      homeFolder = home;
    } else {
      struct passwd entry;
      struct passwd* found = nullptr;
      char buffer[4096];
      if (getpwuid_r(getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found != nullptr &&
          found->pw_dir != nullptr && found->pw_dir[0] == '/') {
        homeFolder = found->pw_dir;
      }
    }
    if (homeFolder.empty()) return std::string();
    base = homeFolder + "/.local/share";
  }
  while (base.size() > 1 && base.back() == '/')
    base.pop_back();
  return (base == "/" ? std::string() : base) + "/hubbix";
}

std::string ProgramTreeFolder() {
  std::lock_guard<std::mutex> lock(treeMutex);
  if (!treeOverride.empty()) return treeOverride;
  if (!libraryTreeLooked) {
    libraryTree = LibraryFolder();
    libraryTreeLooked = true;
  }
  return libraryTree;
}

void SetProgramTreeFolder(const char* folder) {
  std::string real;
  if (folder != nullptr && folder[0] != '\0') {
    real = RealPath(folder);
    if (real.empty()) real = AbsoluteNormal(folder);
  }
  std::lock_guard<std::mutex> lock(treeMutex);
  treeOverride = real;
}

std::string PlayerCopyPath(const std::string& absolutePath, const std::string& tree,
                           const std::string& data) {
  if (absolutePath.empty() || absolutePath[0] != '/' || tree.empty() || tree[0] != '/' ||
      data.empty()) {
    return std::string();
  }
  const std::string path = AbsoluteNormal(absolutePath);
  const std::string root = AbsoluteNormal(tree);
  if (path == root) return data;
  const std::string prefix = root == "/" ? root : root + "/";
  if (path.compare(0, prefix.size(), prefix) != 0) return std::string();
  return data + "/" + path.substr(prefix.size());
}

std::string ReadLocation(const char* windowsPath) {
  // A picture in the player's language comes before the English one.
  const std::string translated = TranslatedPicture(windowsPath);
  if (!translated.empty()) return translated;
  const std::string native = NativePath(windowsPath);
  const std::string copy = PlayerCopyFor(native);
  if (!copy.empty()) {
    const std::string resolved = ResolveCase(copy);
    if (Exists(resolved)) return resolved;
  }
  return native;
}

std::string WriteLocation(const char* windowsPath, int* error) {
  if (error != nullptr) *error = 0;
  const std::string native = NativePath(windowsPath);
  const std::string copy = PlayerCopyFor(native);
  if (copy.empty()) return native;
  const int made = MakeFolders(FolderOf(copy), PlayerDataFolder());
  if (error != nullptr) *error = made;
  return ResolveCase(copy);
}

FILE* OpenFile(const char* path, const char* mode) {
  if (path == nullptr || mode == nullptr) return nullptr;
  const bool readOnly = mode[0] == 'r' && std::strchr(mode, '+') == nullptr;
  if (readOnly) return fopen(ReadLocation(path).c_str(), mode);
  int error = 0;
  const std::string target = WriteLocation(path, &error);
  if (error != 0) {
    errno = error;
    return nullptr;
  }
  // Appending or updating starts from what the player reads now, the installed file included.
  if (mode[0] == 'a' || std::strchr(mode, '+') != nullptr) {
    const std::string current = ReadLocation(path);
    if (current != target && !Exists(target) && Exists(current) && !CopyFile(current, target)) {
      return nullptr;
    }
  }
  return fopen(target.c_str(), mode);
}

bool FileExists(const char* path) {
  if (path == nullptr) return false;
  struct stat st;
  return stat(ReadLocation(path).c_str(), &st) == 0;
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
  // The read's reason outlives the close, for the caller that reports it.
  const int reason = errno;
  fclose(file);
  if (!ok) {
    out.clear();
    errno = reason;
  }
  return ok;
}

void ReportWriteFailure(const std::string& nativePath, int error) {
  // TRANSLATORS: the program, the file and the reason, as in
  // "Zeppolo: cannot write hiscore.dat: Permission denied".
  std::fprintf(stderr, Tr("%s: cannot write %s: %s"), program_invocation_short_name,
               nativePath.c_str(), ReasonText(error));
  std::fputc('\n', stderr);
}

FileUpdateLock::FileUpdateLock(const char* path) {
  if (path == nullptr) return;
  int error = 0;
  const std::string target = WriteLocation(path, &error);
  if (error != 0 || target.empty() || target.back() == '/') return;
  const std::string folder = FolderOf(target);
  handle = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (handle < 0) return;
  // flock, not fcntl: its lock belongs to this open file, so threads of one process exclude each
  // other too.
  while (flock(handle, LOCK_EX) != 0) {
    if (errno != EINTR) {
      close(handle);
      handle = -1;
      return;
    }
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
  const std::string tree = ProgramTreeFolder();
  const std::string absoluteFolder = AbsoluteNormal(folder);

  while (const dirent* entry = readdir(dir)) {
    const char* name = entry->d_name;
    if (strcmp(name, ".") == 0 || strcmp(name, "..") == 0) continue;
    const std::string full = folder + name;
    uint32_t attributes = 0;
    struct stat st;
    // A link is described by what it points to; a dangling one counts as a plain file.
    const bool isFolder = stat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    if (isFolder) attributes |= kAttributeFolder;
    if (access(full.c_str(), W_OK) != 0 &&
        !(isFolder && !PlayerCopyPath(absoluteFolder + "/" + name, tree, "/").empty())) {
      attributes |= kAttributeReadOnly;
    }
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
