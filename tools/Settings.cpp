// Default settings shipped with the programs: each program's "setup.ini" (windowed with a
// caption; the game's default group size and game length). "options.ini" and "hiscore.dat" are
// written by the programs themselves and are not shipped.

#include "tools/Groups.h"

namespace zepgen {

void MakeSettings(Output& out) {
  out.WriteText(Folder::Launcher, "setup.ini",
                "[setup]\n"
                "fullscreen=0\n"
                "nowindow=0\n");
  out.WriteText(Folder::Game, "setup.ini",
                "[setup]\n"
                "fullscreen=0\n"
                "nowindow=0\n"
                "\n"
                "[default]\n"
                "balloons=2\n"
                "gametime=200\n");
}

}  // namespace zepgen
