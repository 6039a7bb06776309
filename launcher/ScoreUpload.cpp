#include "launcher/ScoreUpload.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "launcher/Maker.h"
#include "platform/Utf8.h"

namespace {

bool NeedsEscape(unsigned char c) {
  switch (c) {
    case ' ':
    case '"':
    case '#':
    case '%':
    case ';':
    case '<':
    case '>':
    case '?':
    case '[':
    case '\\':
    case ']':
    case '^':
    case '{':
    case '|':
    case '}':
    case '~':
      return true;
    default:
      return false;
  }
}

// The escaped form of one byte: one character, or three for an escape. The bytes of a character
// beyond ASCII are escaped too: the query carries UTF-8, percent-encoded.
std::string EscapedByte(unsigned char c) {
  if (!NeedsEscape(c) && c < 0x80) return std::string(1, static_cast<char>(c));
  static const char kDigits[] = "0123456789abcdef";
  return std::string{'%', kDigits[c >> 4], kDigits[c & 0x0F]};
}

// The escaped form of the character at the start of text, and in *taken the bytes it spans; a
// byte that is not UTF-8 goes as U+FFFD, so that the query is always UTF-8.
std::string EscapedCharacter(const char* text, size_t* taken) {
  uint32_t code = 0;
  *taken = platform::DecodeUtf8(text, 4, &code);
  char encoded[4];
  const size_t bytes = platform::EncodeUtf8(code, encoded);
  std::string out;
  for (size_t i = 0; i < bytes; ++i)
    out += EscapedByte(static_cast<unsigned char>(encoded[i]));
  return out;
}

std::string Escaped(const char* text) {
  std::string out;
  size_t taken = 0;
  for (size_t at = 0; text[at] != '\0'; at += taken)
    out += EscapedCharacter(text + at, &taken);
  return out;
}

}  // namespace

size_t EscapeQueryText(const char* text, char* out, size_t size) {
  if (out == nullptr || size == 0) return 0;
  size_t used = 0;
  size_t taken = 0;
  if (text != nullptr) {
    size_t step = 0;
    for (; text[taken] != '\0'; taken += step) {
      const std::string piece = EscapedCharacter(text + taken, &step);
      if (used + piece.size() + 1 > size) break;
      std::memcpy(out + used, piece.data(), piece.size());
      used += piece.size();
    }
  }
  out[used] = '\0';
  return taken;
}

bool BuildUploadAddress(const char* game, const char* name, int32_t score, char* out, size_t size) {
  if (out == nullptr || size == 0) return false;
  out[0] = '\0';
  char scoreText[16];
  std::snprintf(scoreText, sizeof(scoreText), "%d",
                static_cast<int32_t>(static_cast<uint32_t>(score) ^ kScoreMask));

  // The query is "game=%s&name=%s&score=%d", escaped as a whole; the parts around the name are
  // escaped on their own so the name alone gives way when the address would be too long.
  const std::string head = std::string(kMakerSite) + "/cgi-bin/hiscore.cgi?" +
                           Escaped((std::string("game=") + (game ? game : "") + "&name=").c_str());
  const std::string tail = Escaped((std::string("&score=") + scoreText).c_str());
  if (head.size() + tail.size() + 1 > size) return false;

  std::memcpy(out, head.data(), head.size());
  const size_t room = size - head.size() - tail.size();
  EscapeQueryText(name ? name : "", out + head.size(), room);
  const size_t nameLength = std::strlen(out + head.size());
  std::memcpy(out + head.size() + nameLength, tail.c_str(), tail.size() + 1);
  return true;
}
