#pragma once
// Each group of generated files, one source file per group.

#include "tools/Output.h"

namespace zepgen {

// Balloons, stars, the pop picture, the big balloons, multiplier and point labels.
void MakeBalloonPictures(Output& out);
// The play screen: background, clouds, menu buttons, panel digits, timer gauge, lightning,
// congratulations, game-over and hall-of-fame notices, the game's launcher button.
void MakePlayScreenPictures(Output& out);
// The launcher's pages screen and its information screen.
void MakePagesPictures(Output& out);
// A game's title page: its buttons and switches, the title pictures, rules and credits.
void MakeTitlePictures(Output& out);
// The players and hall-of-fame dialogs.
void MakeDialogPictures(Output& out);
// The four bitmap font sheets and the text cursor.
void MakeFontSheets(Output& out);
// Sound effects.
void MakeSounds(Output& out);
// The background music, encoded to MP3.
void MakeMusic(Output& out);
// The Back button strip, shared by the launcher's information screen and dialogs.
Bitmap BackButtonStrip();
// Default settings files.
void MakeSettings(Output& out);

}  // namespace zepgen
