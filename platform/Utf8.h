#pragma once
// Text as both programs keep it: UTF-8, in typed text, in the fonts' drawing and in the files.
// Text read from a file may be anything (an old file written in another encoding, a hand edit),
// so every reader here takes any bytes: a byte that does not begin a complete, shortest, valid
// sequence counts as one character of its own, which the fonts show as a placeholder. A
// "character boundary" is a place between two such characters; cuts happen only there, so a
// valid character is never split.

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// What a byte that is not UTF-8 decodes to, and what stands for it where valid text is needed.
constexpr uint32_t kReplacementCharacter = 0xFFFD;

// Decodes the character at the start of text, of which at most `available` bytes may be read
// (a NUL byte ends the text too). Returns the number of bytes it takes: 0 at the end of the text,
// 1 for a byte that is not UTF-8 (*code is then kReplacementCharacter), else 1 to 4.
size_t DecodeUtf8(const char* text, size_t available, uint32_t* code);

// The UTF-8 form of a code point into out (room for 4 bytes); the number of bytes, 0 for a
// value that is no character (a surrogate, beyond U+10FFFF).
size_t EncodeUtf8(uint32_t code, char* out);

// The length of the longest start of the NUL-terminated text that is at most limit bytes and
// ends at a character boundary.
size_t Utf8Prefix(const char* text, size_t limit);

// Copies text into out (size bytes, the terminator included), cut at a character boundary so
// that it fits. Returns the number of bytes copied without the terminator.
size_t CopyUtf8(char* out, size_t size, const char* text);

// The number of bytes of the last character of the first length bytes of text (0 when empty).
size_t LastCharacterLength(const char* text, size_t length);

// The text as valid UTF-8: each byte that is not UTF-8 becomes U+FFFD. For the window system,
// which takes nothing else.
std::string ValidUtf8(const char* text);

}  // namespace platform
