#include "platform/Utf8.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using platform::kReplacementCharacter;

// The characters of a text and the bytes each takes.
std::vector<std::pair<uint32_t, size_t>> Decode(const std::string& text) {
  std::vector<std::pair<uint32_t, size_t>> out;
  uint32_t code = 0;
  for (size_t at = 0, step = 0; (step = platform::DecodeUtf8(text.c_str() + at, 4, &code)) != 0;
       at += step)
    out.push_back({code, step});
  return out;
}

TEST(Utf8, DecodesEveryLengthAndTakesBrokenBytesOneByOne) {
  using Chars = std::vector<std::pair<uint32_t, size_t>>;
  EXPECT_EQ(Decode("A\xC3\xA9\xC5\x82\xE2\x82\xAC\xF0\x9F\x8E\x88"),
            (Chars{{'A', 1}, {0xE9, 2}, {0x142, 2}, {0x20AC, 3}, {0x1F388, 4}}));
  // A Latin-1 byte from an old file, a stray continuation byte, a sequence cut short by the end,
  // an overlong "/", an encoded surrogate and a value past Unicode: one placeholder per byte.
  const uint32_t bad = kReplacementCharacter;
  EXPECT_EQ(Decode("Zo\xE9"), (Chars{{'Z', 1}, {'o', 1}, {bad, 1}}));
  EXPECT_EQ(Decode("\x80"
                   "a"),
            (Chars{{bad, 1}, {'a', 1}}));
  EXPECT_EQ(Decode("\xE2\x82"), (Chars{{bad, 1}, {bad, 1}}));
  EXPECT_EQ(Decode("\xC0\xAF"), (Chars{{bad, 1}, {bad, 1}}));
  EXPECT_EQ(Decode("\xED\xA0\x80"), (Chars{{bad, 1}, {bad, 1}, {bad, 1}}));
  EXPECT_EQ(Decode("\xF4\x90\x80\x80").size(), 4u);
  // Never past what may be read.
  uint32_t code = 0;
  EXPECT_EQ(platform::DecodeUtf8("\xC3\xA9", 1, &code), 1u);
  EXPECT_EQ(code, bad);
  EXPECT_EQ(platform::DecodeUtf8("", 4, &code), 0u);
}

TEST(Utf8, EncodesWhatItDecodes) {
  for (uint32_t code : {0x41u, 0xE9u, 0x7FFu, 0x800u, 0xFFFDu, 0x10000u, 0x10FFFFu}) {
    char bytes[5] = {};
    const size_t length = platform::EncodeUtf8(code, bytes);
    uint32_t back = 0;
    EXPECT_EQ(platform::DecodeUtf8(bytes, length, &back), length) << code;
    EXPECT_EQ(back, code);
  }
  char bytes[4];
  EXPECT_EQ(platform::EncodeUtf8(0xD800, bytes), 0u);
  EXPECT_EQ(platform::EncodeUtf8(0x110000, bytes), 0u);
}

TEST(Utf8, CutsOnlyBetweenCharacters) {
  // "Zoé" is 4 bytes: 3 bytes would split the é.
  EXPECT_EQ(platform::Utf8Prefix("Zo\xC3\xA9", 3), 2u);
  EXPECT_EQ(platform::Utf8Prefix("Zo\xC3\xA9", 4), 4u);
  EXPECT_EQ(platform::Utf8Prefix("\xE2\x82\xAC\xE2\x82\xAC", 5), 3u);
  // Bytes that are not UTF-8 are characters of their own, cut like any other.
  EXPECT_EQ(platform::Utf8Prefix("Zo\xE9x", 3), 3u);
  char field[4];
  EXPECT_EQ(platform::CopyUtf8(field, sizeof field, "Zo\xC3\xA9"), 2u);
  EXPECT_STREQ(field, "Zo");
  EXPECT_EQ(platform::CopyUtf8(field, sizeof field, nullptr), 0u);
  EXPECT_STREQ(field, "");
  EXPECT_EQ(platform::LastCharacterLength("a\xC5\x82", 3), 2u);
  EXPECT_EQ(platform::LastCharacterLength("a\xE9", 2), 1u);
  EXPECT_EQ(platform::LastCharacterLength("", 0), 0u);
}

TEST(Utf8, ValidTextReplacesBrokenBytes) {
  EXPECT_EQ(platform::ValidUtf8("J\xC3\xBCrgen"), "J\xC3\xBCrgen");
  EXPECT_EQ(platform::ValidUtf8("Zo\xE9"), "Zo\xEF\xBF\xBD");
  EXPECT_EQ(platform::ValidUtf8(nullptr), "");
}

}  // namespace
