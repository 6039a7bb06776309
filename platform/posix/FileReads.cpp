// Opening and reading the programs' files at their read and write locations.

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/Files.h"
#include "platform/posix/PathParts.h"

namespace platform {

using posix::Exists;

namespace {

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

}  // namespace platform
