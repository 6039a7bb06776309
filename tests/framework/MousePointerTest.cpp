// The software pointer: what it saves under itself, what it restores after the flip, and the
// alternation of its two save surfaces in full screen.

#include <gtest/gtest.h>

#include "framework/DirtyRects.h"
#include "framework/MousePointer.h"
#include "framework/SurfaceRoutines.h"
#include "platform/Input.h"
#include "tests/framework/TestFiles.h"

namespace {

class MousePointerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TheDirtyRects().Reset();
    target = CreateSurface(100, 80);
    FillColor(target, 0x1234);
    // A 4 x 3 pointer: black is its transparent colour, the rest white.
    path = folder.File("pointer.bmp");
    ASSERT_TRUE(WriteBitmap24(path, 4, 3, [](int x, int) {
      return x == 0 ? Rgb{0, 0, 0} : Rgb{255, 255, 255};
    }));
  }
  void TearDown() override {
    pointer.Free();
    QZSurface::Release(target);
    TheDirtyRects().Reset();
  }

  TempFolder folder;
  std::string path;
  QZSurface* target = nullptr;
  MousePointer pointer;
};

TEST_F(MousePointerTest, HiddenPointerDrawsNothingAndRestoresNothing) {
  pointer.Init(path.c_str());
  pointer.SelectPicture(0);
  pointer.SetPosition(10, 10);
  pointer.Draw(target);
  pointer.Restore(target);
  for (int y = 0; y < 80; ++y) {
    for (int x = 0; x < 100; ++x)
      ASSERT_EQ(target->PixelAt(x, y), 0x1234);
  }
}

TEST_F(MousePointerTest, VisiblePointerIsDrawnKeyedAndTakenAwayAfterTheFlip) {
  pointer.Init(path.c_str());
  pointer.SelectPicture(0);
  pointer.Show();
  pointer.SetPosition(20, 30);
  pointer.Draw(target);
  EXPECT_EQ(target->PixelAt(20, 30), 0x1234);  // black is the pointer's transparent colour
  EXPECT_EQ(target->PixelAt(21, 30), 0xFFFF);
  EXPECT_EQ(target->PixelAt(23, 32), 0xFFFF);
  EXPECT_EQ(target->PixelAt(24, 32), 0x1234);
  pointer.Restore(target);  // windowed: the one back buffer gets its own save back
  EXPECT_EQ(target->PixelAt(21, 30), 0x1234);
  EXPECT_EQ(target->PixelAt(23, 32), 0x1234);
}

TEST_F(MousePointerTest, FullScreenRestoresTheSaveOfTwoFramesBefore) {
  pointer.Init(path.c_str());
  pointer.SelectPicture(0);
  pointer.SetFullScreen(1);
  pointer.Show();
  pointer.SetPosition(0, 0);
  pointer.Draw(target);     // save 0 taken at (0, 0)
  pointer.Restore(target);  // save 1 holds nothing yet
  EXPECT_EQ(target->PixelAt(1, 0), 0xFFFF);
  pointer.SetPosition(50, 50);
  pointer.Draw(target);     // save 1 taken at (50, 50)
  pointer.Restore(target);  // back to save 0: the first picture goes
  EXPECT_EQ(target->PixelAt(1, 0), 0x1234);
  EXPECT_EQ(target->PixelAt(51, 50), 0xFFFF);
}

TEST_F(MousePointerTest, DrawReportsTheAreaAsAOneShotRestore) {
  pointer.Init(path.c_str());
  pointer.SelectPicture(0);
  pointer.Show();
  QZSurface* scene = CreateSurface(100, 80);
  FillColor(scene, 0x0F0F);
  TheDirtyRects().SetScene(scene);
  pointer.SetPosition(5, 6);
  pointer.Draw(target);
  TheDirtyRects().Swap();
  TheDirtyRects().Swap();
  TheDirtyRects().RestorePass(target);
  EXPECT_EQ(target->PixelAt(6, 6), 0x0F0F);  // copied from the scene
  EXPECT_EQ(target->PixelAt(9, 6), 0x1234);  // outside the pointer's 4 x 3
  TheDirtyRects().SetScene(nullptr);
  QZSurface::Release(scene);
}

TEST_F(MousePointerTest, GetStateFillsOnlyTheOutputsGiven) {
  pointer.SetPosition(7, 8);
  int x = -1;
  uint32_t buttons = 99;
  pointer.GetState(&x, nullptr, nullptr);
  EXPECT_EQ(x, 7);
  pointer.GetState(nullptr, nullptr, &buttons);
  EXPECT_EQ(buttons, 0u);
}

TEST_F(MousePointerTest, PollReadsTheButtonsOnlyWhileEnabled) {
  platform::Input().SetMouseButtons(2);
  pointer.Poll();
  uint32_t buttons = 0;
  pointer.GetState(nullptr, nullptr, &buttons);
  EXPECT_EQ(buttons, 2u);
  pointer.SetPollEnabled(0);
  platform::Input().SetMouseButtons(0);
  pointer.Poll();
  pointer.GetState(nullptr, nullptr, &buttons);
  EXPECT_EQ(buttons, 2u);
  platform::Input().SetMouseButtons(0);
}

TEST_F(MousePointerTest, InitWithoutAPathLeavesNoPictureToSelect) {
  pointer.Init(nullptr);
  pointer.SelectPicture(0);
  pointer.Show();
  pointer.Draw(target);
  EXPECT_EQ(target->PixelAt(0, 0), 0x1234);
}

}  // namespace
