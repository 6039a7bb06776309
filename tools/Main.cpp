// zepgen: makes every picture, sound, the music and the default settings files of Hubbix and
// Zeppolo. Usage: zepgen LAUNCHER_FOLDER GAME_FOLDER [FONT_FOLDER]
// The desktop icons, which are installed apart from the program tree: zepgen --icons FOLDER
// The window icons, built into the programs: zepgen --window-icons SOURCE_FILE

#include <chrono>
#include <cstdio>
#include <string>

#include "tools/Groups.h"
#include "tools/IconArt.h"
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
  if (argc < 3) {
    std::fprintf(stderr, "usage: zepgen LAUNCHER_FOLDER GAME_FOLDER [FONT_FOLDER]\n");
    return 2;
  }
  const auto start = std::chrono::steady_clock::now();
  std::string fontFolder = argc > 3 ? argv[3] : "/usr/share/fonts/truetype/dejavu";
  std::string error;
  if (!InitText(fontFolder, &error)) {
    std::fprintf(stderr, "zepgen: %s\n", error.c_str());
    return 1;
  }
  Output out(argv[1], argv[2]);
  if (!out.Prepare()) {
    std::fprintf(stderr, "zepgen: %s\n", out.Error().c_str());
    return 1;
  }
  struct Step {
    const char* name;
    void (*make)(Output&);
  };
  const Step steps[] = {
      {"balloons", MakeBalloonPictures},
      {"play screen", MakePlayScreenPictures},
      {"pages", MakePagesPictures},
      {"title page", MakeTitlePictures},
      {"dialogs", MakeDialogPictures},
      {"fonts", MakeFontSheets},
      {"sounds", MakeSounds},
      {"music", MakeMusic},
      {"settings", MakeSettings},
  };
  std::string timings;
  for (const Step& step : steps) {
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
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("zepgen: %d files, %llu bytes in %.1f s (%s)\n", out.FileCount(),
              static_cast<unsigned long long>(out.TotalBytes()), seconds, timings.c_str());
  return 0;
}
