// The launcher's list of games on any folder names, and its command line: the input's first line
// is the command line, every further line (or part between slashes) names a sub-folder of the
// launcher's folder holding a game button picture. Checked beyond "no crash":
//  - every game listed is a folder that was made, under its own name, and its recorded folder
//    leads to that very folder (no name can lead elsewhere);
//  - every folder whose name and path fit the records is listed, and nothing else;
//  - the command line chooses the last game whose program name begins with it, or none.

#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include "launcher/MenuScreen.h"
#include "launcher/TitleScreen.h"
#include "platform/Files.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

namespace fs = std::filesystem;

// A picture the game folders hold; its content does not matter to the list.
const uint8_t kButton[] = {'B', 'M', 58, 0, 0, 0, 0, 0, 0,  0, 54, 0, 0, 0, 40,  0, 0, 0, 1, 0,
                           0,   0,   1,  0, 0, 0, 1, 0, 24, 0, 0,  0, 0, 0, 4,   0, 0, 0, 0, 0,
                           0,   0,   0,  0, 0, 0, 0, 0, 0,  0, 0,  0, 0, 0, 255, 0, 0, 0};

fs::path LauncherFolder() {
  static const fs::path folder = fs::path(fuzz::ScratchFolder()) / "Hubbix";
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fs::create_directories(LauncherFolder());
  fuzz::WriteScratch("HubbixButton.bmp", kButton, sizeof kButton);
  if (!platform::SetCurrentFolder(LauncherFolder().c_str())) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t firstEnd = input.find('\n');
  std::string commandLine = input.substr(0, firstEnd);
  commandLine = commandLine.c_str();  // the command line is a C string
  std::set<std::string> names;
  if (firstEnd != std::string::npos) {
    std::string name;
    for (size_t i = firstEnd + 1; i <= input.size(); ++i) {
      const char c = i < input.size() ? input[i] : '\n';
      if (c == '\n' || c == '/' || c == '\0') {
        if (!name.empty() && name != "." && name != ".." && name.size() <= 255) names.insert(name);
        name.clear();
      } else {
        name += c;
      }
    }
  }

  // A fresh launcher folder holding exactly these game folders.
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(LauncherFolder()))
    fs::remove_all(entry.path(), error);
  const fs::path picture = fs::path(fuzz::ScratchFolder()) / "HubbixButton.bmp";
  for (const std::string& name : names) {
    FUZZ_CHECK(fs::create_directory(LauncherFolder() / name));
    fs::create_hard_link(picture, LauncherFolder() / name / "HubbixButton.bmp", error);
    FUZZ_CHECK(!error);
  }

  const std::string current = LauncherFolder().string();
  std::set<std::string> expected;
  for (const std::string& name : names) {
    if (name[0] == '.' || name.size() > static_cast<size_t>(GameRecord::kMaxNameLength)) continue;
    if (current.size() + 1 + name.size() >= static_cast<size_t>(GameRecord::kFolderSize)) continue;
    // A name with a backslash cannot be written the Windows way: it would name another folder.
    if (name.find('\\') != std::string::npos) continue;
    expected.insert(name);
  }

  TitleScreen title;
  MenuScreen menu(title);
  menu.FindGames();
  std::set<std::string> listed;
  for (int k = 0; k < menu.Count(); ++k) {
    const GameRecord* game = menu.Game(k);
    FUZZ_CHECK(game != nullptr);
    FUZZ_CHECK(strnlen(game->name, sizeof game->name) < sizeof game->name);
    FUZZ_CHECK(strnlen(game->program, sizeof game->program) < sizeof game->program);
    FUZZ_CHECK(strnlen(game->folder, sizeof game->folder) < sizeof game->folder);
    const std::string name = game->name;
    FUZZ_CHECK(names.count(name) == 1);
    FUZZ_CHECK(std::string(game->program) == name + ".exe");
    FUZZ_CHECK(std::string(game->folder) == current + "\\" + name);
    // The recorded folder, the way every later use reaches it, is the folder made.
    const std::string native = platform::NativePath(game->folder);
    FUZZ_CHECK(fs::equivalent(native, LauncherFolder() / name, error) && !error);
    listed.insert(name);
  }
  FUZZ_CHECK(listed == expected);

  // The command line picks the last game whose program name begins with it.
  const GameRecord* chosen = nullptr;
  for (int k = 0; k < menu.Count(); ++k) {
    const GameRecord* game = menu.Game(k);
    if (!commandLine.empty() && std::string(game->program).rfind(commandLine, 0) == 0) {
      chosen = game;
    }
  }
  menu.SelectByCommandLine(commandLine.c_str());
  FUZZ_CHECK(title.Game() == chosen);
  return 0;
}
