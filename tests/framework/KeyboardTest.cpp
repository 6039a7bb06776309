#include "framework/Keyboard.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Input.h"

namespace {

constexpr int kA = 0x1E;
constexpr int kB = 0x30;
constexpr int kQ = 0x10;

class KeyboardTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetKeys(); }
  void TearDown() override { ResetKeys(); }

  void Down(int dik) { table[dik] = 0x80; }
  void Up(int dik) { table[dik] = 0; }
  void Scan() { ScanKeys(table); }

  std::vector<uint32_t> Drain() {
    std::vector<uint32_t> events;
    while (uint32_t event = PopKey())
      events.push_back(event);
    return events;
  }

  uint8_t table[256] = {};
};

using Events = std::vector<uint32_t>;

TEST_F(KeyboardTest, APressGivesOneEventHoweverLongItIsHeld) {
  Down(kA);
  Scan();
  Scan();
  Scan();
  EXPECT_EQ(Drain(), Events{kA});
  Up(kA);
  Scan();
  EXPECT_EQ(Drain(), Events{});
  Down(kA);
  Scan();
  EXPECT_EQ(Drain(), Events{kA});
}

TEST_F(KeyboardTest, KeysOfOneScanComeInKeyCodeOrder) {
  Down(kB);
  Down(kQ);
  Down(platform::DIK_ESCAPE);
  Scan();
  EXPECT_EQ(Drain(), (Events{platform::DIK_ESCAPE, kQ, kB}));
}

TEST_F(KeyboardTest, LeftShiftCountsInTheSameScan) {
  Down(platform::DIK_LSHIFT);
  Down(kA);
  Scan();
  EXPECT_EQ(Drain(), (Events{kA | kKeyShift, platform::DIK_LSHIFT | kKeyShift}));
  // Shift with backspace is an event of its own, not a backspace.
  Down(platform::DIK_BACK);
  Scan();
  EXPECT_EQ(Drain(), Events{0x10E});
  EXPECT_EQ(KeyChar(0x10E), 0);
}

TEST_F(KeyboardTest, LeftShiftCountsWhenItsByteIsNonZeroWithoutTheTopBit) {
  table[platform::DIK_LSHIFT] = 0x01;
  Down(kA);
  Scan();
  EXPECT_EQ(Drain(), Events{kA | kKeyShift});
}

TEST_F(KeyboardTest, RightShiftCountsOnlyFromTheScanAfterItsPress) {
  Down(platform::DIK_RSHIFT);
  Down(kA);
  Scan();
  EXPECT_EQ(Drain(), (Events{kA, platform::DIK_RSHIFT}));
  Down(kB);
  Scan();
  EXPECT_EQ(Drain(), Events{kB | kKeyShift});
  // Released in the same scan as a new key, it still shifts that key: the flag is the one from
  // the scan before.
  Up(platform::DIK_RSHIFT);
  Down(kQ);
  Scan();
  EXPECT_EQ(Drain(), Events{kQ | kKeyShift});
  Up(kQ);
  Scan();
  Down(kQ);
  Scan();
  EXPECT_EQ(Drain(), Events{kQ});
}

TEST_F(KeyboardTest, ClearDropsPendingEventsButRemembersHeldKeys) {
  Down(kA);
  Scan();
  ClearKeys();
  EXPECT_EQ(PopKey(), 0u);
  Scan();
  EXPECT_EQ(Drain(), Events{});
}

TEST_F(KeyboardTest, TheRingWrapsAndAFullRingLooksEmpty) {
  for (uint32_t i = 1; i <= 255; ++i)
    PushKey(i);
  for (uint32_t i = 1; i <= 200; ++i)
    ASSERT_EQ(PopKey(), i);
  for (uint32_t i = 300; i < 400; ++i)
    PushKey(i);
  for (uint32_t i = 201; i <= 255; ++i)
    ASSERT_EQ(PopKey(), i);
  for (uint32_t i = 300; i < 400; ++i)
    ASSERT_EQ(PopKey(), i);
  EXPECT_EQ(PopKey(), 0u);

  for (uint32_t i = 1; i <= 256; ++i)
    PushKey(i);
  EXPECT_EQ(PopKey(), 0u);
}

TEST_F(KeyboardTest, CharactersComeAsTypedAndKeysCarryNone) {
  // The keys by their place, whatever their letter; what they typed comes as characters, in
  // order with the keys around them.
  Down(kQ);
  Scan();
  PushText("a\xC3\xA9\xC5\x82");
  PushCharacter(0);  // no character
  Down(platform::DIK_BACK);
  Scan();
  const Events events = Drain();
  ASSERT_EQ(events,
            (Events{kQ, kKeyText | 'a', kKeyText | 0xE9, kKeyText | 0x142, platform::DIK_BACK}));
  EXPECT_EQ(KeyChar(events[0]), 0u);
  EXPECT_EQ(KeyChar(events[2]), 0xE9u);
  EXPECT_EQ(KeyChar(platform::DIK_SPACE), 0u);
  EXPECT_EQ(KeyChar(platform::DIK_SPACE | kKeyShift), 0u);
  // A byte that is not UTF-8 types the replacement character, not a byte of its own.
  PushText("\xE9");
  EXPECT_EQ(Drain(), Events{kKeyText | 0xFFFD});
}

}  // namespace
