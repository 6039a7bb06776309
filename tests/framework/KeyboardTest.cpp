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

TEST_F(KeyboardTest, CharactersFollowTheUnitedStatesLayout) {
  const std::string plain = "1234567890=qwertyuiop[]asdfghjkl;'`\\zxcvbnm,./ ";
  const std::string shifted = "!@#$%^&*()+QWERTYUIOP{}ASDFGHJKL:\"~|ZXCVBNM<>? ";
  std::vector<int> codes;
  for (int k = 0x02; k <= 0x0B; ++k)
    codes.push_back(k);
  codes.push_back(0x0D);
  for (int k = 0x10; k <= 0x1B; ++k)
    codes.push_back(k);
  for (int k = 0x1E; k <= 0x29; ++k)
    codes.push_back(k);
  codes.push_back(0x2B);
  for (int k = 0x2C; k <= 0x35; ++k)
    codes.push_back(k);
  codes.push_back(0x39);
  ASSERT_EQ(codes.size(), plain.size());

  std::string gotPlain;
  std::string gotShifted;
  int others = 0;
  for (uint32_t k = 0; k < 256; ++k) {
    bool listed = false;
    for (int code : codes)
      listed = listed || code == static_cast<int>(k);
    if (listed) {
      gotPlain += KeyChar(k);
      gotShifted += KeyChar(k | kKeyShift);
    } else if (KeyChar(k) != 0 || KeyChar(k | kKeyShift) != 0) {
      ++others;
    }
  }
  EXPECT_EQ(gotPlain, plain);
  EXPECT_EQ(gotShifted, shifted);
  EXPECT_EQ(others, 0);
  EXPECT_EQ(KeyChar(0x0C), 0);  // minus has no character
  EXPECT_EQ(KeyChar(platform::DIK_RETURN), 0);
}

}  // namespace
