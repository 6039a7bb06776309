#pragma once
// What every fuzz target shares: a check that stops the run with a message (libFuzzer records
// the input as a crash), and a scratch folder of the process's own for readers that take files.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#define FUZZ_CHECK(condition)                                                            \
  do {                                                                                   \
    if (!(condition)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                      \
    }                                                                                    \
  } while (0)

namespace fuzz {

// A fresh folder for this process, in memory where the system offers it; removed at exit.
inline const std::string& ScratchFolder() {
  static const std::string folder = [] {
    const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string pattern = std::string(base) + "/zepfuzzXXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    static std::string removeAtExit;
    removeAtExit = pattern;
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(removeAtExit, ignored);
    });
    return pattern;
  }();
  return folder;
}

// Writes the bytes to name inside the scratch folder; returns the full path.
inline std::string WriteScratch(const char* name, const uint8_t* data, size_t size) {
  const std::string path = ScratchFolder() + "/" + name;
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
  std::fclose(file);
  return path;
}

}  // namespace fuzz
