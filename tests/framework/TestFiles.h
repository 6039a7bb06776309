#pragma once
// Helpers for tests that need files: a temporary folder, and 24-bit Windows bitmaps written from
// a pixel function.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "tests/common/TempFolder.h"

// A folder of the test's own (removed with its files afterwards) that hands out file paths.
class TempFolder : public testing_support::TempFolder {
 public:
  TempFolder() : path(Path().string()) {}
  std::string File(const std::string& name) const { return *this / name; }
  const std::string path;
};

struct Rgb {
  uint8_t r, g, b;
};

// Writes a bottom-up 24-bit bitmap; colour(x, y) counts y from the top.
inline bool WriteBitmap24(const std::string& path, int width, int height,
                          const std::function<Rgb(int x, int y)>& colour) {
  const uint32_t stride = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
  const uint32_t dataSize = stride * static_cast<uint32_t>(height);
  std::vector<uint8_t> f;
  auto put = [&f](uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
      f.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  f.push_back('B');
  f.push_back('M');
  put(54 + dataSize, 4);
  put(0, 4);
  put(54, 4);
  put(40, 4);
  put(static_cast<uint32_t>(width), 4);
  put(static_cast<uint32_t>(height), 4);
  put(1, 2);
  put(24, 2);
  for (int i = 0; i < 6; ++i)
    put(0, 4);
  for (int row = height - 1; row >= 0; --row) {
    for (int x = 0; x < width; ++x) {
      const Rgb c = colour(x, row);
      f.push_back(c.b);
      f.push_back(c.g);
      f.push_back(c.r);
    }
    for (uint32_t pad = static_cast<uint32_t>(width) * 3; pad < stride; ++pad)
      f.push_back(0);
  }
  FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) return false;
  const bool ok = std::fwrite(f.data(), 1, f.size(), out) == f.size();
  return std::fclose(out) == 0 && ok;
}
