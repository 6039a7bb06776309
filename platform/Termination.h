#pragma once
// A request from outside to end the program: SIGTERM (a logout, `kill`) or SIGINT (Ctrl+C in a
// terminal). It reaches the program as a close of its window, the way the player's own close
// does, so a result is entered and the files are written as usual. A program that has not ended
// within the grace time ends anyway, with a line saying so: a display server that never answers
// (a window manager that does not map the window, a compositor that died while the window was
// being made) can hold the one thread inside SDL, where no close is ever seen; SDL's own handler,
// which only queues a quit event, would leave such a program running for ever. A second request
// ends it at once.

namespace platform {

constexpr int kTerminationGraceSeconds = 10;

// Takes SIGTERM and SIGINT over from their default. Call once, before SDL starts (SDL then leaves
// the signals alone).
void HandleTerminationRequests(int graceSeconds = kTerminationGraceSeconds);

// True once for each request since the last call: the message pump turns it into a close.
bool TakeTerminationRequest();

}  // namespace platform
