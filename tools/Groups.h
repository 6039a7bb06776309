#pragma once
// Each group of generated files, one source file per group.

#include "tools/Output.h"

namespace zepgen {

// Balloons, stars, the pop picture, the big balloons, multiplier and point labels.
void MakeBalloonPictures(Output& out);
// The play screen's pictures without words: clouds, panel digits, timer gauge, lightning.
void MakePlayScreenPictures(Output& out);
// Those with words: the background with its panel, the menu buttons, congratulations,
// game-over and hall-of-fame notices, the game's launcher button.
void MakePlayScreenLettering(Output& out);
// The launcher's pages screen without words: the slot frame, page digits and arrows.
void MakePagesPictures(Output& out);
// With words: its background, the collect picture, the Info, Exit and Back buttons and the
// information screen.
void MakePagesLettering(Output& out);
// A game's title page: its buttons and switches, the title pictures, rules and credits (all
// with words).
void MakeTitlePictures(Output& out);
// The players and hall-of-fame dialogs (all with words).
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
