#include "framework/DirtyRects.h"

#include <gtest/gtest.h>

#include <memory>

#include "framework/SurfaceRoutines.h"

namespace {

using SurfacePtr = std::unique_ptr<QZSurface, void (*)(QZSurface*)>;

SurfacePtr Make(uint16_t fill) {
  SurfacePtr s(CreateSurface(20, 10), &QZSurface::Release);
  FillColor(s.get(), fill);
  SetColorKey(s.get(), 0, 0, 255);
  return s;
}

constexpr uint16_t kScene = 0x5555;
constexpr uint16_t kBack = 0x1111;

class DirtyRectsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    list.SetScene(scene.get());
    list.SetBackground(background.get());
  }
  // Counts the back buffer's pixels that came from the scene.
  int FromScene() const {
    int n = 0;
    for (int i = 0; i < 200; ++i)
      n += back->Pixels()[i] == kScene;
    return n;
  }
  // One flip: switch lists, then restore into the new back buffer.
  void Flip() {
    list.Swap();
    list.RestorePass(back.get());
  }
  DirtyRects list;
  SurfacePtr scene = Make(kScene);
  SurfacePtr background = Make(0x7777);
  SurfacePtr back = Make(kBack);
};

TEST_F(DirtyRectsTest, MarkedRectangleIsCopiedAtTheFlipThatMakesItsListCurrent) {
  list.MarkRect(2, 3, 6, 5, kDirtyOneShot, kDirtyFromScene);
  ASSERT_EQ(list.List(0).Count(), 1);
  EXPECT_EQ(list.List(0).At(0)->width, 4);
  EXPECT_EQ(list.List(0).At(0)->height, 2);
  EXPECT_EQ(list.List(0).At(0)->flags, 0x1001u);
  Flip();  // the other buffer's list: nothing of this frame yet
  EXPECT_EQ(FromScene(), 0);
  Flip();
  EXPECT_EQ(FromScene(), 8);
  EXPECT_EQ(back->PixelAt(2, 3), kScene);
  EXPECT_EQ(back->PixelAt(5, 4), kScene);
  EXPECT_EQ(list.List(0).Count(), 0);  // forgotten
  FillColor(back.get(), kBack);
  Flip();
  Flip();
  EXPECT_EQ(FromScene(), 0);
}

TEST_F(DirtyRectsTest, OnePassCopiesAndRemovesEveryOneShot) {
  list.MarkRect(0, 0, 1, 1, kDirtyOneShot, kDirtyFromScene);
  list.MarkRect(1, 0, 2, 1, kDirtyOneShot, kDirtyFromScene);
  list.MarkRect(2, 0, 3, 1, kDirtyOneShot, kDirtyFromScene);
  list.RestorePass(back.get());
  EXPECT_EQ(FromScene(), 3);
  EXPECT_EQ(list.List(0).Count(), 0);
}

TEST_F(DirtyRectsTest, LastingRecordsStayAndOneShotOnlyRecordsAreNotCopied) {
  list.MarkRect(0, 0, 2, 1, kDirtyFromScene, 0);  // copied at every pass of its list
  list.MarkRect(5, 5, 7, 7, kDirtyOneShot, 0);    // dropped, never copied
  list.RestorePass(back.get());
  EXPECT_EQ(FromScene(), 2);
  ASSERT_EQ(list.List(0).Count(), 1);
  FillColor(back.get(), kBack);
  list.RestorePass(back.get());
  EXPECT_EQ(FromScene(), 2);
}

TEST_F(DirtyRectsTest, RestoreIsKeyedOnTheScenesBlue) {
  scene->Pixels()[0] = 31;
  list.MarkRect(0, 0, 2, 1, kDirtyOneShot, kDirtyFromScene);
  list.RestorePass(back.get());
  EXPECT_EQ(back->PixelAt(0, 0), kBack);
  EXPECT_EQ(back->PixelAt(1, 0), kScene);
}

TEST_F(DirtyRectsTest, NewSceneDropsOldRecordsWithoutCopying) {
  list.MarkRect(0, 0, 4, 4, kDirtyOneShot, kDirtyFromScene);  // list 0
  list.Swap();
  list.MarkRect(4, 4, 8, 8, kDirtyOneShot, kDirtyFromScene);  // list 1, current
  list.MarkRect(8, 8, 9, 9, kDirtyFromScene, 0);              // list 1, lasting
  SurfacePtr next = Make(kScene);
  list.SetScene(next.get());
  // The current list loses its one-shot record at once; the lasting one stays.
  ASSERT_EQ(list.List(1).Count(), 1);
  EXPECT_EQ(list.List(1).At(0)->flags, kDirtyFromScene);
  // The other list's record belongs to the old scene: dropped at its pass, not copied.
  Flip();
  EXPECT_EQ(FromScene(), 0);
  EXPECT_EQ(list.List(0).Count(), 0);
  // The lasting record of the old scene is never copied again either.
  Flip();
  EXPECT_EQ(FromScene(), 0);
  // Records made after the change are copied as usual.
  list.MarkRect(0, 0, 1, 1, kDirtyOneShot, kDirtyFromScene);
  Flip();
  Flip();
  EXPECT_EQ(FromScene(), 1);
}

TEST_F(DirtyRectsTest, EraseAreaRestoresFromTheBackgroundExceptItsBlue) {
  background->Pixels()[1 * 20 + 3] = 31;  // a key pixel of the background at (3, 1)
  list.EraseArea(2, 1, 3, 2);
  EXPECT_EQ(scene->PixelAt(2, 1), 0x7777);
  EXPECT_EQ(scene->PixelAt(4, 2), 0x7777);
  EXPECT_EQ(scene->PixelAt(3, 1), kScene);  // left as it was
  EXPECT_EQ(scene->PixelAt(5, 1), kScene);  // outside the area
  ASSERT_EQ(list.List(0).Count(), 1);
  const DirtyRect* r = list.List(0).At(0);
  EXPECT_EQ(r->flags, 0x1001u);
  EXPECT_EQ(r->scene, scene.get());
  EXPECT_EQ(r->background, background.get());
}

TEST_F(DirtyRectsTest, WholeSceneAndDialogAreas) {
  list.EraseAll();
  EXPECT_EQ(scene->PixelAt(19, 9), 0x7777);
  list.MarkAll();
  ASSERT_EQ(list.List(0).Count(), 2);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(list.List(0).At(i)->width, 20);
    EXPECT_EQ(list.List(0).At(i)->height, 10);
    EXPECT_EQ(list.List(0).At(i)->flags, 0x1001u);
  }
  FillColor(scene.get(), kScene);
  list.EraseDialogArea(platform::Rect{4, 2, 10, 5});
  EXPECT_EQ(scene->PixelAt(4, 2), 0x7777);
  EXPECT_EQ(scene->PixelAt(9, 4), 0x7777);
  EXPECT_EQ(scene->PixelAt(10, 4), kScene);
  EXPECT_EQ(list.List(0).At(2)->width, 6);
  EXPECT_EQ(list.List(0).At(2)->height, 3);
}

TEST_F(DirtyRectsTest, MissingSurfacesCopyNothingButStillForget) {
  list.MarkRect(0, 0, 5, 5, kDirtyOneShot, kDirtyFromScene);
  list.RestorePass(nullptr);
  EXPECT_EQ(list.List(0).Count(), 0);

  DirtyRects bare;
  bare.EraseArea(0, 0, 5, 5);  // no scene or background: recorded, nothing copied
  bare.EraseAll();             // no scene: nothing to record
  bare.MarkAll();
  EXPECT_EQ(bare.List(0).Count(), 1);
  bare.RestorePass(back.get());
  EXPECT_EQ(FromScene(), 0);
  EXPECT_EQ(bare.List(0).Count(), 0);
}

TEST(TheDirtyRects, IsOneInstanceForTheProcess) {
  DirtyRects& a = TheDirtyRects();
  EXPECT_EQ(&a, &TheDirtyRects());
  EXPECT_EQ(a.Current(), 0);
  a.Swap();
  EXPECT_EQ(TheDirtyRects().Current(), 1);
  a.Reset();
  EXPECT_EQ(a.Current(), 0);
}

}  // namespace
