#include "platform/Utf8.h"

namespace platform {

namespace {

bool IsContinuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
}

}  // namespace

size_t DecodeUtf8(const char* text, size_t available, uint32_t* code) {
  uint32_t ignored = 0;
  if (code == nullptr) code = &ignored;
  if (text == nullptr || available == 0 || text[0] == '\0') {
    *code = 0;
    return 0;
  }
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  const unsigned char lead = bytes[0];
  if (lead < 0x80) {
    *code = lead;
    return 1;
  }
  size_t length = 0;
  uint32_t value = 0;
  uint32_t smallest = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 2;
    value = lead & 0x1F;
    smallest = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
    value = lead & 0x0F;
    smallest = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
    value = lead & 0x07;
    smallest = 0x10000;
  }
  // A NUL or any other byte that is no continuation ends the sequence early: it is then not one.
  bool valid = length != 0 && length <= available;
  for (size_t i = 1; valid && i < length; ++i) {
    if (!IsContinuation(bytes[i])) {
      valid = false;
    } else {
      value = (value << 6) | (bytes[i] & 0x3F);
    }
  }
  // Overlong forms, surrogates and values past Unicode are not UTF-8 either.
  if (valid && (value < smallest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))) {
    valid = false;
  }
  if (!valid) {
    *code = kReplacementCharacter;
    return 1;
  }
  *code = value;
  return length;
}

size_t EncodeUtf8(uint32_t code, char* out) {
  if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  if (code < 0x80) {
    out[0] = static_cast<char>(code);
    return 1;
  }
  if (code < 0x800) {
    out[0] = static_cast<char>(0xC0 | (code >> 6));
    out[1] = static_cast<char>(0x80 | (code & 0x3F));
    return 2;
  }
  if (code < 0x10000) {
    out[0] = static_cast<char>(0xE0 | (code >> 12));
    out[1] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (code & 0x3F));
    return 3;
  }
  out[0] = static_cast<char>(0xF0 | (code >> 18));
  out[1] = static_cast<char>(0x80 | ((code >> 12) & 0x3F));
  out[2] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
  out[3] = static_cast<char>(0x80 | (code & 0x3F));
  return 4;
}

size_t Utf8Prefix(const char* text, size_t limit) {
  size_t length = 0;
  while (length < limit) {
    // Each character is read whole (a decoder stops at the terminator), so that one running
    // past the limit is left out rather than split.
    const size_t step = DecodeUtf8(text + length, 4, nullptr);
    if (step == 0 || length + step > limit) break;
    length += step;
  }
  return length;
}

size_t CopyUtf8(char* out, size_t size, const char* text) {
  if (out == nullptr || size == 0) return 0;
  const size_t length = text != nullptr ? Utf8Prefix(text, size - 1) : 0;
  for (size_t i = 0; i < length; ++i)
    out[i] = text[i];
  out[length] = '\0';
  return length;
}

size_t LastCharacterLength(const char* text, size_t length) {
  size_t at = 0;
  size_t last = 0;
  while (at < length) {
    const size_t step = DecodeUtf8(text + at, length - at, nullptr);
    if (step == 0) break;
    last = step;
    at += step;
  }
  return last;
}

std::string ValidUtf8(const char* text) {
  std::string out;
  if (text == nullptr) return out;
  size_t at = 0;
  uint32_t code = 0;
  char encoded[4];
  while (const size_t step = DecodeUtf8(text + at, 4, &code)) {
    out.append(encoded, EncodeUtf8(code, encoded));
    at += step;
  }
  return out;
}

}  // namespace platform
