#include "tools/Output.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "tools/Lettering.h"

namespace zepgen {

namespace {

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::vector<uint8_t> bytes;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return bytes;
  uint8_t buffer[65536];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0)
    bytes.insert(bytes.end(), buffer, buffer + got);
  std::fclose(f);
  return bytes;
}

std::string Number(float v) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", v);
  return text;
}

std::string BoxText(const Box& b) {
  return Number(b.x) + " " + Number(b.y) + " " + Number(b.w) + " " + Number(b.h);
}

}  // namespace

Output::Output(std::string launcherDir, std::string gameDir, std::string language)
    : launcherDir(std::move(launcherDir)),
      gameDir(std::move(gameDir)),
      language(std::move(language)) {}

bool Output::Prepare() {
  for (Folder folder : {Folder::Launcher, Folder::Game, Folder::Title, Folder::Sounds}) {
    std::string dir = FolderPath(folder);
    // Sounds have no words.
    if (!language.empty() && folder == Folder::Sounds) continue;
    if (!language.empty()) dir += "/" + language;
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) {
      error = "cannot create " + dir + ": " + ec.message();
      return false;
    }
  }
  return true;
}

std::string Output::FolderPath(Folder folder) const {
  switch (folder) {
    case Folder::Launcher:
      return launcherDir;
    case Folder::Game:
      return gameDir;
    case Folder::Title:
      return gameDir + "/title";
    case Folder::Sounds:
      return gameDir + "/sounds";
  }
  return launcherDir;
}

std::string Output::PathOf(Folder folder, const std::string& name) const {
  return FolderPath(folder) + "/" + (language.empty() ? "" : language + "/") + name;
}

std::string Output::ReportName(Folder folder, const std::string& name) const {
  static const char* const kPrefix[] = {"", "Zeppolo/", "Zeppolo/title/", "Zeppolo/sounds/"};
  return kPrefix[static_cast<int>(folder)] + (language.empty() ? "" : language + "/") + name;
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
  for (const LetteringRecord& r : TakeLettering()) {
    std::string text = r.text;
    for (char& c : text)
      if (c == '\n' || c == '\t') c = ' ';
    report += ReportName(folder, name) + "\t" + std::to_string(r.canvas) + "\t" +
              std::to_string(r.canvasWidth) + " " + std::to_string(r.canvasHeight) + "\t" +
              BoxText(r.space) + "\t" + BoxText(r.ink) + "\t" + text + "\n";
  }
  std::vector<uint8_t> bytes = bitmap.EncodeBmp();
  // The programs fall back to the English picture, so a copy of it would only fill the disk.
  if (!language.empty() && ReadFile(FolderPath(folder) + "/" + name) == bytes) {
    std::remove(PathOf(folder, name).c_str());  // one an earlier translation left
    ++sameAsEnglish;
    return;
  }
  WriteBytes(folder, name, bytes);
}

void Output::WriteText(Folder folder, const std::string& name, const std::string& text) {
  WriteBytes(folder, name, std::vector<uint8_t>(text.begin(), text.end()));
}

bool Output::WriteLetteringReport(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "wb");
  bool written = f != nullptr && std::fwrite(report.data(), 1, report.size(), f) == report.size();
  if (f != nullptr && std::fclose(f) != 0) written = false;
  if (!written) Fail("cannot write " + path);
  return written;
}

}  // namespace zepgen
