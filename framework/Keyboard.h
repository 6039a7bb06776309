#pragma once
// The key queue: the 256-byte DirectInput key table (QZGetKeys) turned into key-down events,
// with the characters typed into text fields among them in the order they came. The shell scans
// the table after every window message; the control with the keyboard focus drains the queue.
// One queue per program, used on the user-interface thread only.
//
// A key event is the DirectInput key code in bits 0 to 7, plus kKeyShift when a shift key was
// held: a key by its place, whatever the layout prints on it. A character event is a character
// as the desktop's layout and input method typed it (a WM_UNICHAR message): its Unicode code
// point plus kKeyText.

#include <cstdint>

constexpr uint32_t kKeyShift = 0x100;
constexpr uint32_t kKeyText = 0x80000000u;

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

// Queues a typed character (a code point of 1 or more).
void PushCharacter(uint32_t code);
// Queues the characters of a UTF-8 text, as typing them would.
void PushText(const char* text);

// The character of an event: the code point of a character event, 0 for a key event (the
// characters a key types come as character events of their own, from the player's layout).
uint32_t KeyChar(uint32_t event);
