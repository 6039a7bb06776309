#include "framework/Sprite.h"

#include <gtest/gtest.h>

#include <string>

#include "TestFiles.h"
#include "WidgetFixture.h"

namespace {

class SpriteTest : public WidgetFixture {
 protected:
  // A sprite of `count` solid 4 x 4 frames, animating over all of them.
  static void Fill(Sprite& sprite, int count) {
    for (int i = 0; i < count; ++i)
      sprite.AddFrame(NewSolid(4, 4, kRed));
    sprite.SetAnimating(1);
  }
  // Runs Animate once, 10 ms after the delay has run out.
  static void NextChange(Sprite& sprite) {
    Advance(sprite.Delay() + 10);
    sprite.Animate();
  }
};

TEST_F(SpriteTest, WithoutFramesNothingAnimatesOrDraws) {
  Sprite sprite;
  sprite.SetAnimating(1);
  Advance(500);
  sprite.Animate();
  EXPECT_EQ(sprite.Current(), 0);
  sprite.DrawTo(back.get());
  EXPECT_EQ(back->PixelAt(0, 0), kPaper);
  EXPECT_EQ(RecordCount(), 0);
}

TEST_F(SpriteTest, AdvancesOnlyWhenMoreThanTheDelayHasPassed) {
  Sprite sprite;
  Fill(sprite, 4);
  sprite.SetDelay(100);
  Advance(200);
  sprite.SetFrameTime(GetTime() - 100);  // exactly the delay ago
  sprite.Animate();
  EXPECT_EQ(sprite.Current(), 0);
  sprite.SetFrameTime(GetTime() - 101);
  sprite.Animate();
  EXPECT_EQ(sprite.Current(), 1);
  EXPECT_EQ(sprite.FrameTime(), GetTime());  // the change is timed from now

  // On the timer's own steps: 100 ms later nothing, 110 ms later the next frame.
  Advance(100);
  sprite.Animate();
  EXPECT_EQ(sprite.Current(), 1);
  Advance(10);
  sprite.Animate();
  EXPECT_EQ(sprite.Current(), 2);

  sprite.SetAnimationEnabled(0);
  Advance(500);
  sprite.Animate();
  EXPECT_EQ(sprite.Current(), 2);
}

TEST_F(SpriteTest, EndOfRangeModes) {
  {  // stop on the last frame
    Sprite sprite;
    Fill(sprite, 4);
    sprite.SetCurrent(3);
    NextChange(sprite);
    EXPECT_EQ(sprite.Current(), 3);
    EXPECT_EQ(sprite.IsAnimating(), 0);
  }
  {  // loop
    Sprite sprite;
    Fill(sprite, 4);
    sprite.SetMode(Sprite::kModeLoop);
    sprite.SetRange(1, 3);
    sprite.SetCurrent(2);
    NextChange(sprite);
    EXPECT_EQ(sprite.Current(), 1);
    EXPECT_EQ(sprite.IsAnimating(), 1);
  }
  {  // stop and go back to the first frame
    Sprite sprite;
    Fill(sprite, 4);
    sprite.SetMode(Sprite::kModeStopAtFirst);
    sprite.SetRange(1, 4);
    sprite.SetCurrent(3);
    NextChange(sprite);
    EXPECT_EQ(sprite.Current(), 1);
    EXPECT_EQ(sprite.IsAnimating(), 0);
  }
  {  // stop and hide: nothing is drawn, and it stays hidden
    Sprite sprite;
    Fill(sprite, 4);
    sprite.SetMode(Sprite::kModeStopAndHide);
    sprite.SetCurrent(3);
    NextChange(sprite);
    EXPECT_EQ(sprite.Current(), -1);
    EXPECT_EQ(sprite.IsAnimating(), 0);
    NextChange(sprite);
    EXPECT_EQ(sprite.Current(), -1);
    sprite.DrawTo(back.get());
    EXPECT_EQ(back->PixelAt(0, 0), kPaper);
    EXPECT_EQ(RecordCount(), 0);
  }
}

TEST_F(SpriteTest, BackwardsLoopWrapsFromFirstToLast) {
  Sprite sprite;
  Fill(sprite, 4);
  sprite.SetMode(Sprite::kModeLoop);
  sprite.SetStep(-1);
  sprite.SetCurrent(0);
  NextChange(sprite);
  EXPECT_EQ(sprite.Current(), 3);

  Sprite stopping;
  Fill(stopping, 4);
  stopping.SetStep(-1);
  stopping.SetRange(2, 4);
  stopping.SetCurrent(0);
  NextChange(stopping);
  EXPECT_EQ(stopping.Current(), 2);  // mode 0 running off the front stops on the first frame
  EXPECT_EQ(stopping.IsAnimating(), 0);
}

TEST_F(SpriteTest, StepFrameWaitsForItsTimeAndWrapsOnlyWhenAsked) {
  Sprite sprite;
  Fill(sprite, 3);
  sprite.SetDelay(50);
  EXPECT_EQ(sprite.StepFrame(), 0);  // the clock (0) is not past the frame time (0)
  Advance(10);
  EXPECT_EQ(sprite.StepFrame(), 1);
  EXPECT_EQ(sprite.Current(), 1);
  EXPECT_EQ(sprite.FrameTime(), 60u);  // the next step is due after the delay
  Advance(50);
  EXPECT_EQ(sprite.StepFrame(), 0);
  Advance(10);
  EXPECT_EQ(sprite.StepFrame(), 1);
  EXPECT_EQ(sprite.Current(), 2);
  Advance(60);
  EXPECT_EQ(sprite.StepFrame(), 1);  // acts, but without wrap stays on the last frame
  EXPECT_EQ(sprite.Current(), 2);
  sprite.SetWrap(1);
  Advance(60);
  sprite.StepFrame();
  EXPECT_EQ(sprite.Current(), 0);
  sprite.SetStep(-1);
  Advance(60);
  sprite.StepFrame();
  EXPECT_EQ(sprite.Current(), 2);
}

TEST_F(SpriteTest, CentredSpriteDrawsAroundItsPositionAndReportsTheArea) {
  Sprite sprite;
  sprite.AddFrame(NewSolid(5, 3, kGreen));
  sprite.SetCentered(1);
  sprite.SetPositionF(10.0f, 20.0f);
  sprite.DrawTo(back.get());
  // 10 - 5 / 2 = 8; 20 - 3 / 2 = 19.
  EXPECT_EQ(back->PixelAt(7, 19), kPaper);
  EXPECT_EQ(back->PixelAt(8, 19), kGreen);
  EXPECT_EQ(back->PixelAt(12, 21), kGreen);
  EXPECT_EQ(back->PixelAt(13, 21), kPaper);
  EXPECT_EQ(back->PixelAt(8, 18), kPaper);
  ASSERT_EQ(RecordCount(), 1);
  const DirtyRect* record = LastRecord();
  EXPECT_EQ(record->left, 8);
  EXPECT_EQ(record->top, 19);
  EXPECT_EQ(record->width, 5);
  EXPECT_EQ(record->height, 3);
  EXPECT_EQ(record->flags, kDirtyFromScene | kDirtyOneShot);
}

TEST_F(SpriteTest, HiddenOrUnmarkedDrawingAndDrawingIntoTheScene) {
  SurfacePtr scene = MakeSurface(40, 40, kPaper);
  TheDirtyRects().SetScene(scene.get());
  Sprite sprite;
  sprite.AddFrame(NewSolid(4, 4, kRed));
  sprite.SetPosition(-2, 3);  // partly off the left edge: clipped
  sprite.Draw();
  EXPECT_EQ(scene->PixelAt(0, 3), kRed);
  EXPECT_EQ(scene->PixelAt(2, 3), kPaper);
  EXPECT_EQ(RecordCount(), 1);

  sprite.SetVisible(0);
  sprite.SetPosition(20, 20);
  sprite.Draw();
  EXPECT_EQ(scene->PixelAt(20, 20), kPaper);  // nothing blitted...
  EXPECT_EQ(RecordCount(), 2);                // ...but the area is still reported

  sprite.SetVisible(1);
  sprite.SetMarkDirty(0);
  sprite.DrawRect(1, 1, 2, 2, scene.get(), 30, 30);
  EXPECT_EQ(scene->PixelAt(30, 30), kRed);
  EXPECT_EQ(scene->PixelAt(32, 30), kPaper);
  EXPECT_EQ(RecordCount(), 2);
}

TEST_F(SpriteTest, EraseFirstRestoresTheBackgroundAtThePlainPosition) {
  SurfacePtr scene = MakeSurface(40, 40, kPaper);
  SurfacePtr background = MakeSurface(40, 40, kGrey);
  TheDirtyRects().SetScene(scene.get());
  TheDirtyRects().SetBackground(background.get());
  FillColor(scene.get(), kWhite);
  Sprite sprite;
  sprite.AddFrame(NewSolid(4, 4, kRed));
  sprite.SetCentered(1);
  sprite.SetEraseFirst(1);
  sprite.SetMarkDirty(0);
  sprite.SetPosition(10, 10);
  sprite.Draw();
  // Erased at (10, 10, 4, 4) without centring, drawn at (8, 8).
  EXPECT_EQ(scene->PixelAt(12, 12), kGrey);
  EXPECT_EQ(scene->PixelAt(9, 9), kRed);
  EXPECT_EQ(scene->PixelAt(13, 13), kGrey);
  EXPECT_EQ(scene->PixelAt(7, 7), kWhite);
}

TEST_F(SpriteTest, SharedFramesOutliveTheSprite) {
  SurfacePtr shared = MakeSurface(6, 6, kGreen);
  {
    Sprite sprite;
    sprite.AddSharedFrame(shared.get());
    EXPECT_EQ(sprite.SharesFrames(), 1);
    EXPECT_EQ(sprite.FrameCount(), 1);
  }
  EXPECT_EQ(shared->Width(), 6);
  EXPECT_EQ(shared->PixelAt(5, 5), kGreen);
}

TEST_F(SpriteTest, AddFrameTracksSizeRangeAndSizeChanges) {
  Sprite sprite;
  EXPECT_EQ(sprite.AddFrame(nullptr), 1);
  EXPECT_EQ(sprite.FrameCount(), 0);
  EXPECT_EQ(sprite.First(), -1);
  sprite.AddFrame(NewSolid(8, 6, kRed));
  sprite.AddFrame(NewSolid(8, 6, kRed));
  EXPECT_EQ(sprite.First(), 0);
  EXPECT_EQ(sprite.Last(), 2);
  sprite.AddFrame(NewSolid(3, 6, kRed));
  EXPECT_EQ(sprite.SizesDiffer(), 1);
  EXPECT_EQ(sprite.Width(), 3);
  EXPECT_EQ(sprite.SourceRect().right, 3);
  EXPECT_EQ(sprite.SourceRect().bottom, 6);
  // The frames are keyed on pure blue.
  EXPECT_TRUE(sprite.Frame(2)->HasColorKey());
  EXPECT_EQ(sprite.Frame(2)->ColorKey(), kBlue);
  sprite.SetFrame(7);  // no such frame: ignored
  EXPECT_EQ(sprite.Current(), 0);
  sprite.SetFrame(2);
  EXPECT_EQ(sprite.Current(), 2);
}

class SpriteFileTest : public SpriteTest {
 protected:
  TempFolder folder;
};

TEST_F(SpriteFileTest, StripKeepsTheWholeWidthUntilDividedByTheFrames) {
  const std::string path = folder.File("strip.bmp");
  // Three 100 x 50 pictures: red, green, white.
  ASSERT_TRUE(WriteBitmap24(path, 300, 50, [](int x, int) -> Rgb {
    if (x < 100) return {255, 0, 0};
    if (x < 200) return {0, 255, 0};
    return {255, 255, 255};
  }));
  Sprite sprite;
  EXPECT_EQ(sprite.LoadStrip(path.c_str(), 3, 0), 3);
  EXPECT_EQ(sprite.FrameCount(), 3);
  EXPECT_EQ(sprite.Frame(1)->Width(), 100);
  EXPECT_EQ(sprite.Frame(1)->Height(), 50);
  EXPECT_EQ(sprite.Frame(1)->PixelAt(0, 0), kGreen);
  EXPECT_EQ(sprite.Frame(2)->PixelAt(99, 49), kWhite);
  EXPECT_EQ(sprite.Width(), 300);
  EXPECT_EQ(sprite.Height(), 50);
  EXPECT_EQ(sprite.Last(), 3);
  sprite.DivideWidthByFrames();
  EXPECT_EQ(sprite.Width(), 100);

  Sprite vertical;
  EXPECT_EQ(vertical.LoadStrip(path.c_str(), 2, 1), 2);
  EXPECT_EQ(vertical.Frame(0)->Width(), 300);
  EXPECT_EQ(vertical.Frame(0)->Height(), 25);

  Sprite missing;
  EXPECT_EQ(missing.LoadStrip(folder.File("none.bmp").c_str(), 3, 0), 0);
  EXPECT_EQ(missing.FrameCount(), 0);
  EXPECT_EQ(missing.First(), -1);
  EXPECT_EQ(missing.LoadStrip(path.c_str(), 0, 0), 0);  // no pictures to cut into
  Sprite empty;
  empty.DivideWidthByFrames();  // without frames the width stays as it is
  EXPECT_EQ(empty.Width(), 0);
}

TEST_F(SpriteFileTest, TilesAndTheirMissingFile) {
  const std::string path = folder.File("tiles.bmp");
  ASSERT_TRUE(WriteBitmap24(path, 30, 20, [](int x, int y) -> Rgb {
    return (x / 10 + y / 10) % 2 ? Rgb{255, 0, 0} : Rgb{0, 255, 0};
  }));
  Sprite sprite;
  EXPECT_EQ(sprite.LoadTiles(path.c_str(), 10, 10), 6);
  EXPECT_EQ(sprite.Frame(1)->PixelAt(0, 0), kRed);  // row by row
  EXPECT_EQ(sprite.Frame(3)->PixelAt(0, 0), kRed);
  EXPECT_EQ(sprite.Frame(4)->PixelAt(0, 0), kGreen);

  // A missing file adds nothing but still takes the tile size and the present frames as range.
  EXPECT_EQ(sprite.LoadTiles(folder.File("none.bmp").c_str(), 7, 8), 6);
  EXPECT_EQ(sprite.Width(), 7);
  EXPECT_EQ(sprite.Height(), 8);
  EXPECT_EQ(sprite.Last(), 6);
}

TEST_F(SpriteFileTest, MissingFrameFileIsReportedAndChangesNothing) {
  const std::string path = folder.File("ghost.bmp");
  Sprite sprite;
  testing::internal::CaptureStderr();
  EXPECT_EQ(sprite.LoadFrame(path.c_str()), 1);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("ERROR: can't find file!"), std::string::npos);
  EXPECT_NE(err.find(path), std::string::npos);
  EXPECT_EQ(sprite.FrameCount(), 0);
  EXPECT_EQ(sprite.First(), -1);

  ASSERT_TRUE(WriteBitmap24(path, 3, 2, [](int, int) { return Rgb{0, 0, 255}; }));
  EXPECT_EQ(sprite.LoadFrame(path.c_str()), 1);
  EXPECT_EQ(sprite.FrameCount(), 1);
  EXPECT_EQ(sprite.Width(), 3);
}

}  // namespace
