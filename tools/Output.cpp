#include "tools/Output.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace zepgen {

Output::Output(std::string launcherDir, std::string gameDir)
    : launcherDir(std::move(launcherDir)), gameDir(std::move(gameDir)) {}

bool Output::Prepare() {
  for (const std::string& dir : {launcherDir, gameDir, gameDir + "/title", gameDir + "/sounds"}) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) {
      error = "cannot create " + dir + ": " + ec.message();
      return false;
    }
  }
  return true;
}

std::string Output::PathOf(Folder folder, const std::string& name) const {
  switch (folder) {
    case Folder::Launcher:
      return launcherDir + "/" + name;
    case Folder::Game:
      return gameDir + "/" + name;
    case Folder::Title:
      return gameDir + "/title/" + name;
    case Folder::Sounds:
      return gameDir + "/sounds/" + name;
  }
  return name;
}

void Output::WriteBytes(Folder folder, const std::string& name, const std::vector<uint8_t>& bytes) {
  if (!Ok()) return;
  std::string path = PathOf(folder, name);
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    error = "cannot write " + path;
    return;
  }
  size_t written = bytes.empty() ? 0 : std::fwrite(bytes.data(), 1, bytes.size(), f);
  bool closed = std::fclose(f) == 0;
  if (written != bytes.size() || !closed) {
    error = "short write to " + path;
    return;
  }
  totalBytes += bytes.size();
  ++fileCount;
}

void Output::WriteBitmap(Folder folder, const std::string& name, const Bitmap& bitmap) {
  WriteBytes(folder, name, bitmap.EncodeBmp());
}

void Output::WriteText(Folder folder, const std::string& name, const std::string& text) {
  WriteBytes(folder, name, std::vector<uint8_t>(text.begin(), text.end()));
}

}  // namespace zepgen
