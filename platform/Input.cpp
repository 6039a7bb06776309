#include "platform/Input.h"

namespace platform {

namespace {

// Virtual-key code -> DirectInput key code, for the keys a hot key or the key messages can name.
struct KeyPair {
  int virtualKey;
  int dik;
};

constexpr KeyPair kKeyPairs[] = {
    {0x08, 0x0E},
    {0x09, 0x0F},
    {0x0D, 0x1C},
    {0x10, 0x2A},
    {0x11, 0x1D},
    {0x12, 0x38},
    {0x1B, 0x01},
    {0x20, 0x39},
    {0x21, 0xC9},
    {0x22, 0xD1},
    {0x23, 0xCF},
    {0x24, 0xC7},
    {0x25, 0xCB},
    {0x26, 0xC8},
    {0x27, 0xCD},
    {0x28, 0xD0},
    {0x2D, 0xD2},
    {0x2E, 0xD3},
    // Digits 0-9.
    {0x30, 0x0B},
    {0x31, 0x02},
    {0x32, 0x03},
    {0x33, 0x04},
    {0x34, 0x05},
    {0x35, 0x06},
    {0x36, 0x07},
    {0x37, 0x08},
    {0x38, 0x09},
    {0x39, 0x0A},
    // Letters A-Z.
    {0x41, 0x1E},
    {0x42, 0x30},
    {0x43, 0x2E},
    {0x44, 0x20},
    {0x45, 0x12},
    {0x46, 0x21},
    {0x47, 0x22},
    {0x48, 0x23},
    {0x49, 0x17},
    {0x4A, 0x24},
    {0x4B, 0x25},
    {0x4C, 0x26},
    {0x4D, 0x32},
    {0x4E, 0x31},
    {0x4F, 0x18},
    {0x50, 0x19},
    {0x51, 0x10},
    {0x52, 0x13},
    {0x53, 0x1F},
    {0x54, 0x14},
    {0x55, 0x16},
    {0x56, 0x2F},
    {0x57, 0x11},
    {0x58, 0x2D},
    {0x59, 0x15},
    {0x5A, 0x2C},
    // F1-F12.
    {0x70, 0x3B},
    {0x71, 0x3C},
    {0x72, 0x3D},
    {0x73, 0x3E},
    {0x74, 0x3F},
    {0x75, 0x40},
    {0x76, 0x41},
    {0x77, 0x42},
    {0x78, 0x43},
    {0x79, 0x44},
    {0x7A, 0x57},
    {0x7B, 0x58},
    // Punctuation of the United States layout.
    {0xBA, 0x27},
    {0xBB, 0x0D},
    {0xBC, 0x33},
    {0xBD, 0x0C},
    {0xBE, 0x34},
    {0xBF, 0x35},
    {0xC0, 0x29},
    {0xDB, 0x1A},
    {0xDC, 0x2B},
    {0xDD, 0x1B},
    {0xDE, 0x28},
    // Left and right variants of the modifiers.
    {0xA0, 0x2A},
    {0xA1, 0x36},
    {0xA2, 0x1D},
    {0xA3, 0x9D},
    {0xA4, 0x38},
    {0xA5, 0xB8},
};

// The punctuation keys of a United States keyboard by the character they type.
struct PunctuationKey {
  uint32_t character;
  int virtualKey;
};

constexpr PunctuationKey kPunctuationKeys[] = {
    {';', 0xBA}, {'=', 0xBB}, {',', 0xBC},  {'-', 0xBD}, {'.', 0xBE},  {'/', 0xBF},
    {'`', 0xC0}, {'[', 0xDB}, {'\\', 0xDC}, {']', 0xDD}, {'\'', 0xDE},
};

}  // namespace

void InputState::SetKey(int dik, bool down) {
  if (dik <= 0 || dik > 255) return;
  keys[dik] = down ? 0x80 : 0x00;
}

int16_t InputState::AsyncKeyState(int virtualKey) const {
  // The generic modifier codes are held when either side is.
  if (virtualKey == 0x10) {
    return static_cast<int16_t>(((keys[0x2A] | keys[0x36]) & 0x80) ? 0x8000 : 0);
  }
  if (virtualKey == 0x11) {
    return static_cast<int16_t>(((keys[0x1D] | keys[0x9D]) & 0x80) ? 0x8000 : 0);
  }
  if (virtualKey == 0x12) {
    return static_cast<int16_t>(((keys[0x38] | keys[0xB8]) & 0x80) ? 0x8000 : 0);
  }
  const int dik = VirtualKeyToDik(virtualKey);
  if (dik == 0) return 0;
  return static_cast<int16_t>((keys[dik] & 0x80) ? 0x8000 : 0);
}

void InputState::ReleaseAllKeys() {
  for (uint8_t& k : keys)
    k = 0;
}

void InputState::SetMouseButton(int index, bool down) {
  const uint32_t bit = 1u << index;
  if (down) {
    mouseButtons.fetch_or(bit, std::memory_order_relaxed);
  } else {
    mouseButtons.fetch_and(~bit, std::memory_order_relaxed);
  }
}

InputState& Input() {
  static InputState state;
  return state;
}

int VirtualKeyToDik(int virtualKey) {
  for (const KeyPair& p : kKeyPairs) {
    if (p.virtualKey == virtualKey) return p.dik;
  }
  return 0;
}

int DikToVirtualKey(int dik) {
  for (const KeyPair& p : kKeyPairs) {
    if (p.dik == dik) return p.virtualKey;
  }
  return 0;
}

int LayoutVirtualKey(int dik, uint32_t character) {
  if (character >= 'a' && character <= 'z') return static_cast<int>('A' + (character - 'a'));
  const int place = DikToVirtualKey(dik);
  if (place < 'A' || place > 'Z') return place;
  // A letter's place whose key types no ASCII letter here. A character beyond ASCII is a letter of
  // another script (or an accented one): such keys keep their place, as Windows numbers them, so
  // that a Greek or Russian layout still has every letter shortcut. An ASCII one is punctuation.
  if (character == 0 || character >= 0x80) return place;
  for (const PunctuationKey& key : kPunctuationKeys) {
    if (key.character == character) return key.virtualKey;
  }
  return 0;
}

}  // namespace platform
