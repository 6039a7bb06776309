// The upload address: which bytes are escaped and how, the masked score, and the cut of a name
// too long for the address.

#include "launcher/ScoreUpload.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "launcher/Maker.h"

namespace {

const std::string kPrefix = std::string(kMakerSite) + "/cgi-bin/hiscore.cgi?";

std::string Address(const char* game, const char* name, int32_t score) {
  char out[kUploadAddressSize];
  std::memset(out, 'x', sizeof(out));
  if (!BuildUploadAddress(game, name, score, out, sizeof(out))) return "<refused>";
  return out;
}

TEST(ScoreUploadTest, TheMakerSiteIsAnExampleAddressReachedOverHttps) {
  const std::string site = kMakerSite;
  ASSERT_GT(site.size(), 11u);
  EXPECT_EQ(site.substr(site.size() - 11), "example.com");
  // The upload's address carries the player's name, postal address and e-mail.
  EXPECT_EQ(site.substr(0, 8), "https://");
}

TEST(ScoreUploadTest, EscapesExactlyTheSixteenBytesInLowerCase) {
  const std::string escaped = " \"#%;<>?[\\]^{|}~";
  for (int c = 1; c < 256; ++c) {
    const char text[2] = {static_cast<char>(c), '\0'};
    char out[16];
    EXPECT_EQ(EscapeQueryText(text, out, sizeof(out)), 1u);
    if (c >= 0x80) {
      // A byte beyond ASCII alone is no UTF-8: it goes as the replacement character.
      EXPECT_STREQ(out, "%ef%bf%bd") << "byte " << c;
    } else if (escaped.find(static_cast<char>(c)) != std::string::npos) {
      char expected[4];
      std::snprintf(expected, sizeof(expected), "%%%02x", c);
      EXPECT_STREQ(out, expected) << "byte " << c;
    } else {
      EXPECT_STREQ(out, text) << "byte " << c;
    }
  }
  char out[16];
  EscapeQueryText("[a&b=c:/]", out, sizeof(out));
  EXPECT_STREQ(out, "%5ba&b=c:/%5d");
}

TEST(ScoreUploadTest, EscapeStopsBeforeAnEscapeThatWouldNotFit) {
  char out[5];
  EXPECT_EQ(EscapeQueryText("ab cd", out, sizeof(out)), 2u);  // "ab%20" needs 6 with the end
  EXPECT_STREQ(out, "ab");
  char room[6];
  EXPECT_EQ(EscapeQueryText("ab cd", room, sizeof(room)), 3u);
  EXPECT_STREQ(room, "ab%20");
}

TEST(ScoreUploadTest, PlayerLineTravelsWholeWithItsSpacesEscaped) {
  EXPECT_EQ(Address("Zeppolo", "Anna Lee:1 Main St:anna@mail.example.com:Y", 300),
            kPrefix + "game=Zeppolo&name=Anna%20Lee:1%20Main%20St:anna@mail.example.com:Y" +
                "&score=" + std::to_string(300 ^ 0x6C3E1D9));
}

TEST(ScoreUploadTest, NamesBeyondAsciiTravelAsPercentEncodedUtf8) {
  EXPECT_EQ(Address("Zeppolo", "J\xC3\xBCrgen Wei\xC3\x9F:::Y", 300),
            kPrefix + "game=Zeppolo&name=J%c3%bcrgen%20Wei%c3%9f:::Y" +
                "&score=" + std::to_string(300 ^ 0x6C3E1D9));
  // A character is never cut: its escapes all fit or none is written ("a%c5%82" takes 8).
  char out[7];
  EXPECT_EQ(EscapeQueryText("a\xC5\x82", out, sizeof(out)), 1u);
  EXPECT_STREQ(out, "a");
}

TEST(ScoreUploadTest, ScoreIsCombinedWithTheMask) {
  EXPECT_EQ(Address("Zeppolo", "", 0), kPrefix + "game=Zeppolo&name=&score=113500633");
  // The mask's own value gives 0; a negative result is written as such.
  EXPECT_EQ(Address("Z", "a", 0x6C3E1D9), kPrefix + "game=Z&name=a&score=0");
  EXPECT_EQ(Address("Z", "a", -1),
            kPrefix + "game=Z&name=a&score=" + std::to_string(static_cast<int32_t>(~0x6C3E1D9u)));
}

TEST(ScoreUploadTest, OverlongNameIsCutBetweenEscapesAndTheScoreStays) {
  const std::string tail = "&score=" + std::to_string(1234 ^ 0x6C3E1D9);
  const std::string head = kPrefix + "game=Zeppolo&name=";
  for (size_t length = 150; length <= 255; ++length) {
    const std::string name(length, '~');
    const std::string address = Address("Zeppolo", name.c_str(), 1234);
    ASSERT_LE(address.size(), 255u);
    ASSERT_EQ(address.substr(0, head.size()), head);
    ASSERT_EQ(address.substr(address.size() - tail.size()), tail);
    const std::string cut = address.substr(head.size(), address.size() - head.size() - tail.size());
    ASSERT_EQ(cut.size() % 3, 0u);
    for (size_t i = 0; i < cut.size(); i += 3)
      ASSERT_EQ(cut.substr(i, 3), "%7e");
    // As much of the name as fits: less than one escape is left over.
    EXPECT_GT(address.size() + 3, 255u);
  }
  // Two-byte letters go whole or not at all.
  std::string name;
  for (int i = 0; i < 100; ++i)
    name += "\xC3\xA9";
  const std::string address = Address("Zeppolo", name.c_str(), 1234);
  const std::string cut = address.substr(head.size(), address.size() - head.size() - tail.size());
  ASSERT_EQ(cut.size() % 6, 0u);
  for (size_t i = 0; i < cut.size(); i += 6)
    ASSERT_EQ(cut.substr(i, 6), "%c3%a9");
  EXPECT_GT(address.size() + 6, 255u);
}

TEST(ScoreUploadTest, AddressWithoutRoomForTheGameIsRefused) {
  const std::string game(59, ' ');  // every byte an escape
  char out[kUploadAddressSize] = "stale";
  EXPECT_FALSE(BuildUploadAddress(game.c_str(), "x", 5, out, sizeof(out)));
  EXPECT_STREQ(out, "");
  char small[20];
  EXPECT_FALSE(BuildUploadAddress("Zeppolo", "x", 5, small, sizeof(small)));
}

}  // namespace
