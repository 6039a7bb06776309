#pragma once
// The game's one sound bank and the way every effect of the game is played: by name, at full
// volume, centred. An observer may watch the requests (tests listen to what the game plays
// without pulling audio out of the mixer).

#include "framework/SoundBank.h"

// The process's sound bank; the shell sets it up and shuts it down, the play screen fills it.
SoundBank& GameSounds();

// Plays the named effect with volume 65535 and pan 0; a name the bank does not hold plays
// nothing.
void PlayEffect(const char* name);

// Called for every effect requested, with whether a sample was started.
using EffectObserver = void (*)(const char* name, bool started, void* user);
void SetEffectObserver(EffectObserver observer, void* user);
