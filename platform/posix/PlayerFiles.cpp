// Where the programs' files live: the program tree, the player's data folder that mirrors it, and
// the read and write locations that choose between them.

#include <dlfcn.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>

#include "platform/Files.h"
#include "platform/Language.h"
#include "platform/posix/PathParts.h"

namespace platform {

using posix::AbsoluteNormal;
using posix::Exists;
using posix::FolderOf;
using posix::RealPath;
using posix::ResolveCase;

namespace {

// The tree's root: what a test set, else the folder of libqz.so, looked up once.
struct TreeRoot {
  std::mutex mutex;
  std::string override;  // guarded by mutex
  std::string library;   // guarded by mutex
  bool libraryLooked = false;
};

TreeRoot& Root() {
  static TreeRoot root;
  return root;
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

}  // namespace

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
  TreeRoot& root = Root();
  std::lock_guard<std::mutex> lock(root.mutex);
  if (!root.override.empty()) return root.override;
  if (!root.libraryLooked) {
    root.library = LibraryFolder();
    root.libraryLooked = true;
  }
  return root.library;
}

void SetProgramTreeFolder(const char* folder) {
  std::string real;
  if (folder != nullptr && folder[0] != '\0') {
    real = RealPath(folder);
    if (real.empty()) real = AbsoluteNormal(folder);
  }
  TreeRoot& root = Root();
  std::lock_guard<std::mutex> lock(root.mutex);
  root.override = real;
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

}  // namespace platform
