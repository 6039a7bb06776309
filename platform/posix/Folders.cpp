// Folder listings with Windows attribute bits.

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "platform/Files.h"
#include "platform/posix/PathParts.h"

namespace platform {

using posix::AbsoluteNormal;

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
