#pragma once
// Environment variables this program sets for the libraries it loads, which take some choices
// from the environment alone (SDL 2.26: the X11 window class and the Wayland app id, the GL
// library it opens for a Wayland window, the character locale its X input method opens with).
// They are set once, before the video starts and while no other thread runs, and never changed
// again: the environment cannot be changed safely while another thread may read it, and SDL's
// threads read it. What the player set is what the program itself goes by (the language) and
// what the programs it starts get.

#include <string>
#include <vector>

namespace platform {

// Sets the variable for the libraries. keepPlayers: a value the player set stays, and is used.
// Call only while no other thread runs.
void SetForLibraries(const char* name, const std::string& value, bool keepPlayers);

// The player's own value of the variable, as the program was started with it; null when unset.
const char* PlayersVariable(const char* name);

// The player's own environment ("NAME=value" each), for a program this one starts.
std::vector<std::string> PlayersEnvironment();

}  // namespace platform
