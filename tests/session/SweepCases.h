#pragma once
// The cases of the missing-file sweep: every data file of the staged install layout (every
// picture but the languages' copies, every sound, the music and the settings files), one at a time,
// missing from a copy of the layout, and a sample of them damaged (cut in half, empty, a folder in
// the file's place), plus the two files the programs write at run time, damaged. Each case names
// the program that reads the file; the sessions run that program through its screens on the damaged
// copy.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <ostream>
#include <string>
#include <system_error>
#include <vector>

namespace sweep {

enum class Damage { kMissing, kHalf, kEmpty, kFolder };
enum class Reader { kLauncher, kGame };

struct Case {
  std::string file;  // relative to the launcher's folder, with '/'
  Damage damage;
};

inline std::filesystem::path StagedLauncher() {
  return std::filesystem::path(ZEP_STAGE_DIR) / "Hubbix";
}

// Which programs read the file: the launcher its own folder's files, the game's button and its
// title pictures; the game the rest of its folder. The rules picture and the run-time files are
// read by both.
inline bool ReadBy(const std::string& file, Reader reader) {
  const bool both = file == "Zeppolo/title/HowToPlay.bmp" || file == "options.ini" ||
                    file == "Zeppolo/hiscore.dat";
  if (both) return true;
  const bool launcher = file.rfind("Zeppolo/", 0) != 0 || file == "Zeppolo/HubbixButton.bmp" ||
                        file.rfind("Zeppolo/title/", 0) == 0;
  return launcher == (reader == Reader::kLauncher);
}

// The run-time files are left out: a scenario run from the staged layout may have written one.
inline bool IsDataFile(const std::filesystem::path& path) {
  if (path.filename() == "options.ini") return false;
  const std::string extension = path.extension().string();
  return extension == ".bmp" || extension == ".wav" || extension == ".mp3" || extension == ".ini";
}

// A language's copy of a picture ("Zeppolo/de/newgame.bmp"): its folder is named after a
// catalogue of the layout. The sessions run in English, where no copy is ever read, and a copy is
// read by the same code as the English picture it stands for, which the sweep damages.
inline bool IsLanguageCopy(const std::filesystem::path& path) {
  const std::string language = path.parent_path().filename().string();
  std::error_code error;
  return std::filesystem::exists(StagedLauncher() / "locale" / (language + ".mo"), error);
}

// Every data file of the staged layout but the languages' copies, in a fixed order.
inline std::vector<std::string> DataFiles() {
  std::vector<std::string> files;
  std::error_code error;
  for (std::filesystem::recursive_directory_iterator it(StagedLauncher(), error), end;
       !error && it != end; it.increment(error)) {
    if (it->is_regular_file() && IsDataFile(it->path()) && !IsLanguageCopy(it->path())) {
      files.push_back(it->path().lexically_relative(StagedLauncher()).generic_string());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

// The files damaged in each way besides going missing: one of each kind and screen.
inline const std::vector<std::string>& DamagedSample() {
  static const std::vector<std::string> sample = {
      "background.bmp",          "n_font.bmp",
      "GameButton.bmp",          "PlayerInfo.bmp",
      "HallOfFameScreen.bmp",    "Zeppolo/title/titlebackground.bmp",
      "Zeppolo/background.bmp",  "Zeppolo/timer.bmp",
      "Zeppolo/score.bmp",       "Zeppolo/red.bmp",
      "Zeppolo/sounds/pop1.wav", "Zeppolo/sounds/music.mp3",
      "Zeppolo/setup.ini",       "options.ini",
      "Zeppolo/hiscore.dat",
  };
  return sample;
}

inline std::vector<Case> Cases(Reader reader) {
  std::vector<Case> cases;
  for (const std::string& file : DataFiles()) {
    if (ReadBy(file, reader)) cases.push_back({file, Damage::kMissing});
  }
  for (const std::string& file : DamagedSample()) {
    if (!ReadBy(file, reader)) continue;
    for (Damage damage : {Damage::kHalf, Damage::kEmpty, Damage::kFolder})
      cases.push_back({file, damage});
  }
  return cases;
}

inline const char* DamageName(Damage damage) {
  static const char* const kNames[] = {"Missing", "Half", "Empty", "Folder"};
  return kNames[static_cast<int>(damage)];
}

// How a failing case is shown.
inline void PrintTo(const Case& c, std::ostream* out) {
  *out << c.file << " " << DamageName(c.damage);
}

inline std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
  std::string name = std::string(DamageName(info.param.damage)) + "_";
  for (char c : info.param.file)
    name += (std::isalnum(static_cast<unsigned char>(c)) != 0) ? c : '_';
  return name;
}

// Makes the launcher folder a copy of the staged layout: real folders, every file a link to the
// staged one (the programs replace a file they write, never write through it).
inline void LinkLayout(const std::filesystem::path& target) {
  namespace fs = std::filesystem;
  for (fs::recursive_directory_iterator it(StagedLauncher()), end; it != end; ++it) {
    const fs::path to = target / it->path().lexically_relative(StagedLauncher());
    if (it->is_directory()) {
      fs::create_directories(to);
    } else if (it->is_regular_file() && IsDataFile(it->path()) && !fs::exists(to)) {
      fs::create_symlink(it->path(), to);
    }
  }
}

inline std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Applies the case's damage to the file under the launcher folder. A run-time file the layout
// does not hold is first written as the programs would have left it, from its text.
inline void Apply(const std::filesystem::path& launcherFolder, const Case& c,
                  const std::string& runTimeText = "") {
  namespace fs = std::filesystem;
  const fs::path path = launcherFolder / c.file;
  std::string bytes = fs::exists(path) ? ReadAll(path) : runTimeText;
  fs::remove(path);
  switch (c.damage) {
    case Damage::kMissing:
      break;
    case Damage::kHalf:
      bytes.resize(bytes.size() / 2);
      std::ofstream(path, std::ios::binary) << bytes;
      break;
    case Damage::kEmpty:
      std::ofstream(path, std::ios::binary).flush();
      break;
    case Damage::kFolder:
      fs::create_directory(path);
      break;
  }
}

// Whether the case damages one of the files.
inline bool Hits(const Case& c, std::initializer_list<const char*> files) {
  for (const char* file : files) {
    if (c.file == file) return true;
  }
  return false;
}

}  // namespace sweep
