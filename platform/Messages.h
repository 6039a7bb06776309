#pragma once
// The window message queue. Window-system events arrive here as messages with the Windows
// numbers, so the shell's window procedure and the screens handle them exactly as they would a
// Windows message: {id, wParam, lParam}, mouse positions packed x low / y high in lParam.

#include <cstdint>
#include <deque>
#include <mutex>

namespace platform {

constexpr uint32_t WM_DESTROY = 0x02;
constexpr uint32_t WM_MOVE = 0x03;
constexpr uint32_t WM_SIZE = 0x05;
constexpr uint32_t WM_ACTIVATE = 0x06;
// The window lost what it showed and no frame may come soon: present the picture again.
constexpr uint32_t WM_PAINT = 0x0F;
constexpr uint32_t WM_CLOSE = 0x10;
constexpr uint32_t WM_QUIT = 0x12;
constexpr uint32_t WM_ACTIVATEAPP = 0x1C;
constexpr uint32_t WM_KEYDOWN = 0x100;
constexpr uint32_t WM_KEYUP = 0x101;
// Keys pressed with Alt held that the window system keeps for itself (Alt+Enter).
constexpr uint32_t WM_SYSKEYDOWN = 0x104;
constexpr uint32_t WM_SYSKEYUP = 0x105;
// A character typed while a text field takes typing, as the desktop's keyboard layout and input
// method made it (dead keys and compose included): wParam is its Unicode code point, one message
// per character, after the message of the key that typed it.
constexpr uint32_t WM_UNICHAR = 0x109;
constexpr uint32_t WM_SYSCOMMAND = 0x112;
constexpr uint32_t WM_MOUSEMOVE = 0x200;
constexpr uint32_t WM_LBUTTONDOWN = 0x201;
constexpr uint32_t WM_LBUTTONUP = 0x202;
constexpr uint32_t WM_RBUTTONDOWN = 0x204;
constexpr uint32_t WM_RBUTTONUP = 0x205;
constexpr uint32_t MM_MCINOTIFY = 0x3B9;

constexpr uint32_t WA_INACTIVE = 0;
constexpr uint32_t WA_ACTIVE = 1;
constexpr uint32_t WA_CLICKACTIVE = 2;
constexpr uint32_t SIZE_RESTORED = 0;
constexpr uint32_t SIZE_MAXIMIZED = 2;
constexpr uint32_t SC_KEYMENU = 0xF100;
constexpr uint32_t VK_TAB = 0x09;
constexpr uint32_t VK_RETURN = 13;
constexpr uint32_t VK_ESCAPE = 27;
constexpr uint32_t VK_SPACE = 0x20;
constexpr uint32_t VK_PRIOR = 0x21;  // Page Up
constexpr uint32_t VK_NEXT = 0x22;   // Page Down
constexpr uint32_t VK_LEFT = 0x25;
constexpr uint32_t VK_UP = 0x26;
constexpr uint32_t VK_RIGHT = 0x27;
constexpr uint32_t VK_DOWN = 0x28;
constexpr uint32_t VK_F1 = 112;
// Game controller buttons that mean something of their own, numbered as Windows numbers them.
// The d-pad and the stick arrive as the arrow keys instead.
constexpr uint32_t VK_GAMEPAD_A = 0xC3;
constexpr uint32_t VK_GAMEPAD_B = 0xC4;
constexpr uint32_t VK_GAMEPAD_X = 0xC5;
constexpr uint32_t VK_GAMEPAD_Y = 0xC6;
constexpr uint32_t VK_GAMEPAD_RIGHT_SHOULDER = 0xC7;
constexpr uint32_t VK_GAMEPAD_LEFT_SHOULDER = 0xC8;
constexpr uint32_t VK_GAMEPAD_MENU = 0xCF;  // Start
constexpr uint32_t VK_GAMEPAD_VIEW = 0xD0;  // Back, Select

// Bits of a key message's lParam. As on Windows, bit 30 says that the key was already down (a
// repeat of a held key) and bit 29 that Alt was held. Bits 25 and 26, reserved on Windows, say
// that Ctrl or Shift was held: the pump translates every pending event before the first message
// is handled, so by then the key table may no longer show the modifiers that came with this key.
constexpr intptr_t kKeyRepeated = intptr_t{1} << 30;
constexpr intptr_t kKeyAltHeld = intptr_t{1} << 29;
constexpr intptr_t kKeyControlHeld = intptr_t{1} << 25;
constexpr intptr_t kKeyShiftHeld = intptr_t{1} << 26;

// Bits 16 to 24 of a key message's lParam, as on Windows: the key's place, its DirectInput key
// code (bits 16 to 22, and bit 24 for the extended keys, DirectInput's 0x80); 0 for none.
inline intptr_t KeyPlaceBits(int dik) {
  return (static_cast<intptr_t>(dik & 0x7F) << 16) | ((dik & 0x80) != 0 ? intptr_t{1} << 24 : 0);
}
inline int KeyPlaceOf(intptr_t lParam) {
  return static_cast<int>((lParam >> 16) & 0x7F) | (((lParam >> 24) & 1) != 0 ? 0x80 : 0);
}

struct Message {
  uint32_t id;
  uintptr_t wParam;
  intptr_t lParam;
};

// Packs a position the way Windows does: x in the low and y in the high 16 bits.
inline intptr_t MakeLParam(int x, int y) {
  return static_cast<intptr_t>(static_cast<uint32_t>(static_cast<uint16_t>(x)) |
                               (static_cast<uint32_t>(static_cast<uint16_t>(y)) << 16));
}
inline int LowWord(uintptr_t v) {
  return static_cast<int16_t>(v & 0xFFFF);
}
inline int HighWord(uintptr_t v) {
  return static_cast<int16_t>((v >> 16) & 0xFFFF);
}
inline int UnsignedLowWord(uintptr_t v) {
  return static_cast<int>(v & 0xFFFF);
}
inline int UnsignedHighWord(uintptr_t v) {
  return static_cast<int>((v >> 16) & 0xFFFF);
}

// Thread-safe: the music's end notification is posted from the audio thread.
class MessageQueue {
 public:
  void Post(uint32_t id, uintptr_t wParam = 0, intptr_t lParam = 0);
  void PostQuit(int exitCode) { Post(WM_QUIT, static_cast<uintptr_t>(exitCode), 0); }
  // Takes the oldest message without waiting; false when the queue is empty.
  bool Take(Message& out);
  bool Empty() const;
  void Clear();

 private:
  mutable std::mutex mutex;
  std::deque<Message> messages;
};

// The process's one queue.
MessageQueue& Messages();

// Moves pending window-system events into the queue, then takes the oldest message without
// waiting (PeekMessage with removal), and lets the key table follow it (FollowKeyMessage). False
// when nothing is waiting.
bool PeekMessage(Message& out);

// The key table takes a key's change when its message is taken, not when the window system
// reported it: so after each message the table holds the keys down as of that message, in the
// order of the messages, also for a key that went down and up between two pumps; and the
// window's loss of the focus (WM_ACTIVATE, WA_INACTIVE) lets go of every key there.
void FollowKeyMessage(const Message& message);

}  // namespace platform
