// zepgen: makes every picture, sound, the music and the default settings files of Hubbix and
// Zeppolo. Usage:
//   zepgen [--report FILE] LAUNCHER_FOLDER GAME_FOLDER [FONT_FOLDER]
// With --language CODE CATALOGUE (a compiled .mo file) it draws the pictures that carry words in
// that language instead, into a folder named CODE beside each English picture. --report writes
// where every text went (Output.h).
// The desktop icons, which are installed apart from the program tree: zepgen --icons FOLDER
// The window icons, built into the programs: zepgen --window-icons SOURCE_FILE

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/Groups.h"
#include "tools/IconArt.h"
#include "tools/Lettering.h"
#include "tools/Text.h"

int main(int argc, char** argv) {
  using namespace zepgen;
  const std::string mode = argc == 3 ? argv[1] : "";
  if (mode == "--icons" || mode == "--window-icons") {
    std::string error;
    const bool made =
        mode == "--icons" ? MakeIcons(argv[2], &error) : WriteWindowIconSource(argv[2], &error);
    if (!made) {
      std::fprintf(stderr, "zepgen: %s\n", error.c_str());
      return 1;
    }
    return 0;
  }
  std::string language;
  std::string catalogue;
  std::string reportPath;
  std::vector<std::string> folders;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--language" && i + 2 < argc) {
      language = argv[++i];
      catalogue = argv[++i];
    } else if (arg == "--report" && i + 1 < argc) {
      reportPath = argv[++i];
    } else {
      folders.push_back(arg);
    }
  }
  if (folders.size() < 2 || folders.size() > 3) {
    std::fprintf(stderr,
                 "usage: zepgen [--language CODE CATALOGUE] [--report FILE] LAUNCHER_FOLDER "
                 "GAME_FOLDER [FONT_FOLDER]\n");
    return 2;
  }
  const auto start = std::chrono::steady_clock::now();
  std::string fontFolder = folders.size() > 2 ? folders[2] : "/usr/share/fonts/truetype/dejavu";
  std::string error;
  if ((!catalogue.empty() && !UseCatalogue(catalogue, &error)) || !InitText(fontFolder, &error)) {
    std::fprintf(stderr, "zepgen: %s\n", error.c_str());
    return 1;
  }
  Output out(folders[0], folders[1], language);
  if (!out.Prepare()) {
    std::fprintf(stderr, "zepgen: %s\n", out.Error().c_str());
    return 1;
  }
  struct Step {
    const char* name;
    void (*make)(Output&);
    bool lettered;  // its pictures carry words, so each language has its own
  };
  const Step steps[] = {
      {"balloons", MakeBalloonPictures, false},
      {"play screen", MakePlayScreenPictures, false},
      {"play screen lettering", MakePlayScreenLettering, true},
      {"pages", MakePagesPictures, false},
      {"pages lettering", MakePagesLettering, true},
      {"title page", MakeTitlePictures, true},
      {"dialogs", MakeDialogPictures, true},
      {"fonts", MakeFontSheets, false},
      {"sounds", MakeSounds, false},
      {"music", MakeMusic, false},
      {"settings", MakeSettings, false},
  };
  std::string timings;
  for (const Step& step : steps) {
    if (!language.empty() && !step.lettered) continue;
    const auto stepStart = std::chrono::steady_clock::now();
    step.make(out);
    char part[64];
    std::snprintf(
        part, sizeof part, "%s%s %.1f", timings.empty() ? "" : ", ", step.name,
        std::chrono::duration<double>(std::chrono::steady_clock::now() - stepStart).count());
    timings += part;
    if (!out.Ok()) {
      std::fprintf(stderr, "zepgen: %s: %s\n", step.name, out.Error().c_str());
      ShutdownText();
      return 1;
    }
  }
  ShutdownText();
  if (!reportPath.empty() && !out.WriteLetteringReport(reportPath)) {
    std::fprintf(stderr, "zepgen: %s\n", out.Error().c_str());
    return 1;
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("zepgen%s%s: %d files, %llu bytes in %.1f s (%s)", language.empty() ? "" : " ",
              language.c_str(), out.FileCount(), static_cast<unsigned long long>(out.TotalBytes()),
              seconds, timings.c_str());
  if (!language.empty()) std::printf("; %d pictures as in English", out.SameAsEnglish());
  std::printf("\n");
  return 0;
}
