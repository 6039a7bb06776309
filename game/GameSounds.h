#pragma once
// How every effect of the game is played: by name from the process's sound bank (which the
// shell sets up and shuts down and the play screen fills), at full volume, centred. An observer
// may watch the requests (tests listen to what the game plays without pulling audio out of the
// mixer).

#include "framework/SoundBank.h"

// Plays the named effect with volume 65535 and pan 0; a name the bank does not hold plays
// nothing.
void PlayEffect(const char* name);

// Called for every effect requested, with whether a sample was started.
using EffectObserver = void (*)(const char* name, bool started, void* user);
void SetEffectObserver(EffectObserver observer, void* user);
