#pragma once
// The web address that sends a game's best result to the maker's site: the site, the path
// "/cgi-bin/hiscore.cgi?" and the query "game=%s&name=%s&score=%d" with a few bytes escaped.

#include <cstddef>
#include <cstdint>

// The score travels combined with this mask, never as it is.
constexpr uint32_t kScoreMask = 0x6C3E1D9;
// Room for the address, its terminator included.
constexpr size_t kUploadAddressSize = 256;

// Writes into out (size bytes, terminator included) the escaped form of the UTF-8 text: each of
// the bytes space " # % ; < > ? [ \ ] ^ { | } ~, and every byte of a character beyond ASCII,
// becomes '%' and two lower-case hexadecimal digits; every other byte is copied. A byte that is
// not UTF-8 goes as U+FFFD. Stops before a character whose form would not fit whole. Returns the
// number of text bytes taken.
size_t EscapeQueryText(const char* text, char* out, size_t size);

// Builds the upload address for the game's name and the best entry's stored name and score. A
// name that would not fit is cut, character by character and never inside an escape, so that
// the game and the score always arrive whole. False (out empty) when even an empty name would
// not fit.
bool BuildUploadAddress(const char* game, const char* name, int32_t score, char* out, size_t size);
