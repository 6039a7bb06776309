#pragma once
// Keyboard and mouse-button state as the programs read it: a 256-byte table indexed by
// DirectInput key codes (top bit set while a key is held), the held state by virtual-key code for
// hot keys, and the mouse button bits (bit 0 left, bit 1 right). The key table follows the key
// messages as the program takes them (FollowKeyMessage), the buttons the window-system pump;
// tests inject them directly.

#include <atomic>
#include <cstdint>
#include <string>

namespace platform {

// DirectInput key codes used by name in the programs; the rest follow the same numbering.
constexpr int DIK_ESCAPE = 0x01;
constexpr int DIK_BACK = 0x0E;
constexpr int DIK_TAB = 0x0F;
constexpr int DIK_RETURN = 0x1C;
constexpr int DIK_LSHIFT = 0x2A;
constexpr int DIK_RSHIFT = 0x36;
constexpr int DIK_SPACE = 0x39;
constexpr int DIK_F1 = 0x3B;

class InputState {
 public:
  // The DirectInput key table; read on the user-interface thread.
  const uint8_t* KeyTable() const { return keys; }
  void SetKey(int dik, bool down);
  // Held state of a virtual-key code: 0x8000 while held, else 0.
  int16_t AsyncKeyState(int virtualKey) const;
  void ReleaseAllKeys();

  // The text an input method is composing and has not yet typed (a word being written, the
  // accent of a dead key with some methods); shown where typing goes. Empty when there is none.
  void SetComposition(const std::string& text) { composition = text; }
  const std::string& Composition() const { return composition; }

  // Mouse buttons: written by the event pump, read from the timer thread.
  void SetMouseButtons(uint32_t bits) { mouseButtons.store(bits, std::memory_order_relaxed); }
  void SetMouseButton(int index, bool down);
  uint32_t MouseButtons() const { return mouseButtons.load(std::memory_order_relaxed); }

 private:
  uint8_t keys[256] = {};
  std::string composition;
  std::atomic<uint32_t> mouseButtons{0};
};

InputState& Input();

// Code conversions. Zero when a key has no counterpart.
int VirtualKeyToDik(int virtualKey);
int DikToVirtualKey(int dik);
// The virtual-key code of a key in the player's layout, from its place (dik) and the character
// the layout gives it without modifiers (0 when none): a key that bears a letter is that letter,
// wherever it sits (the M of an AZERTY keyboard is 'M'); a key that bears a letter on a United
// States keyboard but none here is its punctuation, or nothing; every other key, and every key of
// a layout of another script, is its place.
int LayoutVirtualKey(int dik, uint32_t character);

}  // namespace platform
