#pragma once
// The game's sound at the shell's level: the sound bank with its switches from the launcher's
// options, and the background music, played through the media command strings and restarted
// each time it ends.

#include "qz/qz.h"

void StartGameAudio(QZWindow* window);
void RestartGameMusic();
void StopGameAudio();
