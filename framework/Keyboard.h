#pragma once
// The key queue: the 256-byte DirectInput key table (QZGetKeys) turned into key-down events.
// The shell scans the table after every window message; the control with the keyboard focus
// drains the queue. One queue per program, used on the user-interface thread only.
//
// An event is the DirectInput key code in bits 0 to 7, plus kKeyShift when a shift key was held.

#include <cstdint>

constexpr uint32_t kKeyShift = 0x100;

// Queues one event for every key whose top bit is set in table and was not down at the last
// scan, in key-code order. Shift counts as held when the table's left-shift byte is non-zero,
// or when right shift was already down at the previous scan (so a right shift pressed in the
// same scan as a letter does not yet shift it).
void ScanKeys(const uint8_t* table);

// Adds an event. The ring holds 256 slots; a 256th unread event makes the queue look empty.
void PushKey(uint32_t event);
// The oldest event, or 0 when the queue is empty.
uint32_t PopKey();
// Drops pending events (the held keys stay known, so a held key does not come again).
void ClearKeys();
// Pending events dropped and every key counted as released; for tests and a fresh process.
void ResetKeys();

// The printable character of an event on a United States layout (shift giving the upper
// symbol), or 0 for a key without one.
char KeyChar(uint32_t event);
