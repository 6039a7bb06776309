// Native paths from the programs' Windows-style ones, and the current and program folders.

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/Files.h"
#include "platform/posix/PathParts.h"

namespace platform {

namespace {

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

}  // namespace

namespace posix {

bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return std::string();
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

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

std::string RealPath(const std::string& path) {
  char* real = realpath(path.c_str(), nullptr);
  if (real == nullptr) return std::string();
  std::string result(real);
  free(real);
  return result;
}

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

}  // namespace posix

std::string NativePath(const char* windowsPath) {
  if (windowsPath == nullptr) return std::string();
  std::string path(windowsPath);
  std::replace(path.begin(), path.end(), '\\', '/');
  return posix::ResolveCase(path);
}

std::string AbsolutePath(const char* windowsPath) {
  return posix::AbsoluteNormal(NativePath(windowsPath));
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

}  // namespace platform
