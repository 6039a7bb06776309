#pragma once
// The keyboard's keys as SDL names them, in the program's terms: the DirectInput key code of a
// key's place, and the character the player's layout prints on it.

#include <SDL.h>

#include <cstdint>

namespace platform {

// The DirectInput key code of the key at this place (its USB usage); 0 for a key the programs do
// not know.
int ScancodeToDik(SDL_Scancode code);

// The character a key types without modifiers in the player's layout, 0 for none: SDL's keycode
// of a key that types one is that character.
uint32_t LayoutCharacter(SDL_Keycode keycode);

}  // namespace platform
