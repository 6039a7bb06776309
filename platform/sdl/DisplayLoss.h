#pragma once
// What happens when the display server goes away under a running program (a logout, a display
// server that crashed or restarted, a remote display dropped). Xlib's own answer is to print its
// message and call exit, which runs the destructors of process-wide objects; the video object's
// then asks SDL to close a window on the dead connection, and Xlib loops in there for ever at a
// full core. Instead the program says so in one line and ends at once, running nothing that
// could touch the connection again. Ending without exit, rather than making the destructors
// careful, also keeps the timer and sound threads from running on while every process-wide
// object is torn down. X is watched here; a Wayland compositor that goes away is noticed by the
// Wayland window (WaylandPresenter), which ends the program the same way.
//
// Nothing is lost by ending this way: every file the programs write is written as soon as the
// player's action asks for it, not at the end, and on the one thread that talks to the display,
// so no write can be half done when the loss is noticed. A write on another thread would be cut
// short before its rename and leave the old file whole.

namespace platform {

// The exit code of a program whose display went away (Xlib's own choice).
constexpr int kDisplayLostExitCode = 1;

// Takes over Xlib's handling of a lost connection. Call once SDL's video has connected to an X
// display; false (and nothing changed) when SDL did not load Xlib, as under Wayland or a headless
// driver. Installing twice is harmless.
bool GuardAgainstDisplayLoss();

// What the guard does when the connection is lost: one line on standard error naming the program
// and the display, then the process ends with kDisplayLostExitCode, no exit handler and no
// destructor run. Never returns. Public so that a test can watch it end a process.
[[noreturn]] void EndForLostDisplay(const char* displayName);

}  // namespace platform
