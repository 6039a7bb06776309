#pragma once
// The message pump and the frame pacing that the shell's frame loop, the modal dialogs and the
// game's blocking animations share. The shell registers its window procedure; every message taken
// from the queue goes to it after the keyboard table has been scanned into the key queue.

#include <cstdint>

#include "platform/Messages.h"

using WindowProcedure = intptr_t (*)(uint32_t message, uintptr_t wParam, intptr_t lParam);

void SetWindowProcedure(WindowProcedure procedure);

// Drains the message queue without waiting. Returns 1 when a quit message was seen (it is posted
// again, with the same exit code, for the outer loop), else 0.
int PumpMessages();

// Paces frames at `rate` per second on the millisecond counter: waits until the next frame time,
// then sets the next one a period from now, so a late frame does not make the next one early.
// The wait sleeps until the timer's tick; it never spins.
void PaceFrame(int rate);
// PaceFrame, then ShowFrameRate(rate).
void WaitFrame(int rate);

// Frames per second by which floating labels divide their speeds.
float GetFrameRate();
void SetFrameRate(float rate);
// SetFrameRate, and the rate drawn when asked (F1).
void ShowFrameRate(float rate);

// Toggled by F1: the frame rate is drawn at the top right.
int GetShowFrameRate();
void SetShowFrameRate(int show);
// Draws the frame-rate text ("%5.2f") at (580, 0) of the back buffer.
void DrawFrameRate(float rate);

// Puts the pacing back to its start (next frame at 0); for tests and a fresh process.
void ResetFrameLoop();
