#pragma once
// The millisecond counter and the game clock. A 10 ms periodic timer advances the counter; the
// same tick polls the mouse buttons and counts the game clock down once per second. Nothing in
// the framework reads the wall clock: Tick() is the only source of time, and tests call it
// directly to advance time by exactly 10 ms.
//
// The values are single 32-bit atomics: the counter and the countdown are written by the timer
// thread, clockRunning by the user-interface thread; readers take whatever is current.

#include <cstdint>

// 0 when the timer runs, 1 when it could not be started.
int StartTimer();
// Stops the timer thread if one runs; returns 0.
int StopTimer();
bool IsTimerRunning();

uint32_t GetTime();
int32_t TimeSince(uint32_t t);

void SetClockSeconds(int32_t seconds);
int32_t GetClockSeconds();
// Adds to the clock as the game does when a colour is cleared (a read-modify-write that may race
// with the timer's decrement; at worst one second's step is lost).
void AddClockSeconds(int32_t seconds);
void StartClock();
void StopClock();
int IsClockRunning();

// One timer period: +10 ms, a mouse poll, the second countdown. Called by the timer thread, or
// by tests.
void TimerTick();

// Blocks until the counter reaches at least deadline, waking on each tick instead of spinning.
// Returns false if no tick arrives for a whole second (the timer is not running).
bool WaitForTime(uint32_t deadline);

// Puts every value back to its start (0, clock running); for tests and a fresh process.
void ResetTimerState();
