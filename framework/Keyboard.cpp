#include "framework/Keyboard.h"

#include <cstring>

#include "platform/Input.h"
#include "platform/Utf8.h"

namespace {

constexpr int kQueueSize = 256;

struct KeyState {
  uint32_t events[kQueueSize];
  int32_t readIndex;
  int32_t writeIndex;
  uint8_t held[256];
};

KeyState keyState = {};

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

void PushCharacter(uint32_t code) {
  if (code != 0 && code < kKeyText) PushKey(kKeyText | code);
}

void PushText(const char* text) {
  uint32_t code = 0;
  for (size_t at = 0, step = 0;
       text != nullptr && (step = platform::DecodeUtf8(text + at, 4, &code)) != 0; at += step) {
    PushCharacter(code);
  }
}

uint32_t KeyChar(uint32_t event) {
  return (event & kKeyText) != 0 ? event & ~kKeyText : 0;
}
