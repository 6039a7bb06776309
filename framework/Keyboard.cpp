#include "framework/Keyboard.h"

#include <cstring>

#include "platform/Input.h"

namespace {

constexpr int kQueueSize = 256;

struct KeyState {
  uint32_t events[kQueueSize];
  int32_t readIndex;
  int32_t writeIndex;
  uint8_t held[256];
};

KeyState keyState = {};

// Characters by key code, without and with shift; 0 where a key has none.
struct KeyChars {
  char plain;
  char shifted;
};

struct CharTable {
  KeyChars keys[256];
  CharTable() : keys() {
    const char* rowDigits = "1234567890";
    const char* rowDigitsShifted = "!@#$%^&*()";
    for (int i = 0; i < 10; ++i)
      keys[0x02 + i] = {rowDigits[i], rowDigitsShifted[i]};
    keys[0x0D] = {'=', '+'};
    const char* rowQ = "qwertyuiop[]";
    const char* rowQShifted = "QWERTYUIOP{}";
    for (int i = 0; i < 12; ++i)
      keys[0x10 + i] = {rowQ[i], rowQShifted[i]};
    const char* rowA = "asdfghjkl;'`";
    const char* rowAShifted = "ASDFGHJKL:\"~";
    for (int i = 0; i < 12; ++i)
      keys[0x1E + i] = {rowA[i], rowAShifted[i]};
    keys[0x2B] = {'\\', '|'};
    const char* rowZ = "zxcvbnm,./";
    const char* rowZShifted = "ZXCVBNM<>?";
    for (int i = 0; i < 10; ++i)
      keys[0x2C + i] = {rowZ[i], rowZShifted[i]};
    keys[platform::DIK_SPACE] = {' ', ' '};
  }
};

const CharTable kChars;

}  // namespace

void ScanKeys(const uint8_t* table) {
  if (table == nullptr) return;
  const bool shift = table[platform::DIK_LSHIFT] != 0 || keyState.held[platform::DIK_RSHIFT] != 0;
  for (int k = 0; k < 256; ++k) {
    if ((table[k] & 0x80) != 0) {
      if (keyState.held[k] == 0) PushKey(static_cast<uint32_t>(k) | (shift ? kKeyShift : 0));
      keyState.held[k] = 1;
    } else {
      keyState.held[k] = 0;
    }
  }
}

void PushKey(uint32_t event) {
  keyState.events[keyState.writeIndex] = event;
  keyState.writeIndex = (keyState.writeIndex + 1) % kQueueSize;
}

uint32_t PopKey() {
  if (keyState.readIndex == keyState.writeIndex) return 0;
  const uint32_t event = keyState.events[keyState.readIndex];
  keyState.readIndex = (keyState.readIndex + 1) % kQueueSize;
  return event;
}

void ClearKeys() {
  keyState.readIndex = 0;
  keyState.writeIndex = 0;
}

void ResetKeys() {
  ClearKeys();
  memset(keyState.held, 0, sizeof keyState.held);
}

char KeyChar(uint32_t event) {
  if (event > (kKeyShift | 0xFF)) return 0;
  const KeyChars& chars = kChars.keys[event & 0xFF];
  return (event & kKeyShift) != 0 ? chars.shifted : chars.plain;
}
