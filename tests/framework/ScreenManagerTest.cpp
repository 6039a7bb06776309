// Selecting screens: the current one is closed before the next is opened with the display the
// shell handed over, a name that matches nothing changes nothing, and frames and messages reach
// only the current screen.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/ScreenManager.h"

namespace {

std::vector<std::string> calls;

class RecordingScreen : public Screen {
 public:
  explicit RecordingScreen(const char* name) { SetName(name); }
  int Open(QZDirectDraw* dd, QZSurface* back) override {
    calls.push_back(std::string("open ") + Name());
    return Screen::Open(dd, back);
  }
  void Close() override { calls.push_back(std::string("close ") + Name()); }
  int Update(int) override { return updateResult; }
  int OnMessage(uint32_t message, uintptr_t, intptr_t) override {
    calls.push_back(std::string("message ") + Name() + " " + std::to_string(message));
    return 5;
  }
  int updateResult = 1;
};

class ScreenManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    calls.clear();
    manager.SetSurfaces(nullptr, back);
    manager.AddScreen(&first);
    manager.AddScreen(&second);
    manager.AddScreen(&twin);
  }
  void TearDown() override { QZSurface::Release(back); }

  QZSurface* back = QZSurface::Create(8, 8);
  RecordingScreen first{"Hubbix"};
  RecordingScreen second{"title"};
  RecordingScreen twin{"title"};
  ScreenManager manager;
};

TEST_F(ScreenManagerTest, NoCurrentScreenAnswersZeroAndOne) {
  EXPECT_EQ(manager.Update(1), 0);
  EXPECT_EQ(manager.OnMessage(0x200, 0, 0), 1);
}

TEST_F(ScreenManagerTest, SelectClosesTheCurrentThenOpensTheFirstMatch) {
  EXPECT_EQ(manager.Select("Hubbix"), &first);
  EXPECT_EQ(first.Back(), back);
  EXPECT_EQ(manager.Select("title"), &second);  // the first of two equal names
  const std::vector<std::string> expected = {"open Hubbix", "close Hubbix", "open title"};
  EXPECT_EQ(calls, expected);
}

TEST_F(ScreenManagerTest, SelectingTheCurrentScreenReopensIt) {
  manager.Select("title");
  manager.Select("title");
  const std::vector<std::string> expected = {"open title", "close title", "open title"};
  EXPECT_EQ(calls, expected);
}

TEST_F(ScreenManagerTest, UnknownOrDifferentlyCasedNamesLeaveTheCurrentScreenOpen) {
  manager.Select("Hubbix");
  EXPECT_EQ(manager.Select("hubbix"), &first);
  EXPECT_EQ(manager.Select("balloon"), &first);
  EXPECT_EQ(manager.Select(nullptr), &first);
  EXPECT_EQ(calls.size(), 1u);
}

TEST_F(ScreenManagerTest, FramesAndMessagesGoToTheCurrentScreenOnly) {
  manager.Select("title");
  second.updateResult = 7;
  EXPECT_EQ(manager.Update(1), 7);
  EXPECT_EQ(manager.OnMessage(0x10, 0, 0), 5);
  EXPECT_EQ(calls.back(), "message title 16");
}

TEST_F(ScreenManagerTest, CloseAllClosesEveryScreenInOrder) {
  manager.CloseAll();
  const std::vector<std::string> expected = {"close Hubbix", "close title", "close title"};
  EXPECT_EQ(calls, expected);
}

}  // namespace
