#include "framework/PtrArray.h"

#include <gtest/gtest.h>

namespace {

struct Tracked {
  explicit Tracked(int* counter) : destroyed(counter) {}
  ~Tracked() { ++*destroyed; }
  int* destroyed;
};

TEST(PtrArray, GrowsByDoublingAndKeepsOrder) {
  PtrArray<int> a;
  int v[5] = {0, 1, 2, 3, 4};
  EXPECT_EQ(a.Capacity(), 1);
  EXPECT_EQ(a.Push(&v[0]), &v[0]);
  EXPECT_EQ(a.Capacity(), 1);
  a.Push(&v[1]);
  EXPECT_EQ(a.Capacity(), 2);
  a.Push(&v[2]);
  EXPECT_EQ(a.Capacity(), 4);
  a.Push(&v[3]);
  EXPECT_EQ(a.Capacity(), 4);
  a.Push(&v[4]);
  EXPECT_EQ(a.Capacity(), 8);
  ASSERT_EQ(a.Count(), 5);
  for (int i = 0; i < 5; ++i)
    EXPECT_EQ(a.At(i), &v[i]);
}

TEST(PtrArray, RemoveTakesTheFirstOccurrenceAndClosesTheGap) {
  PtrArray<int> a;
  int x = 1, y = 2, z = 3;
  a.Push(&x);
  a.Push(&y);
  a.Push(&x);
  a.Push(&z);
  a.Remove(&x);
  ASSERT_EQ(a.Count(), 3);
  EXPECT_EQ(a.At(0), &y);
  EXPECT_EQ(a.At(1), &x);
  EXPECT_EQ(a.At(2), &z);
  int stranger = 0;
  a.Remove(&stranger);
  EXPECT_EQ(a.Count(), 3);
  EXPECT_EQ(a.IndexOf(&z), 2);
  EXPECT_EQ(a.IndexOf(&stranger), -1);
}

TEST(PtrArray, RemovalKeepsTheCursorOnItsElement) {
  int v[5] = {};
  auto fill = [&v](PtrArray<int>& a) {
    for (int& i : v)
      a.Push(&i);
    a.SetCursor(2);
  };
  {
    PtrArray<int> a;
    fill(a);
    a.Remove(&v[0]);  // before the cursor
    EXPECT_EQ(a.Cursor(), 1);
    EXPECT_EQ(a.At(a.Cursor()), &v[2]);
  }
  {
    PtrArray<int> a;
    fill(a);
    a.Remove(&v[2]);  // at the cursor: it steps back so the next step reaches v[3]
    EXPECT_EQ(a.Cursor(), 1);
    EXPECT_EQ(a.At(a.Cursor() + 1), &v[3]);
  }
  {
    PtrArray<int> a;
    fill(a);
    a.Remove(&v[3]);  // after the cursor
    EXPECT_EQ(a.Cursor(), 2);
  }
}

TEST(PtrArray, RemovingWhileIteratingVisitsEveryElementOnce) {
  int v[6] = {};
  PtrArray<int> a;
  for (int& i : v)
    a.Push(&i);
  int visits = 0;
  for (a.SetCursor(0); a.Cursor() < a.Count(); a.SetCursor(a.Cursor() + 1)) {
    ++*a.At(a.Cursor());
    ++visits;
    if (a.Cursor() % 2 == 0) a.Remove(a.At(a.Cursor()));
  }
  EXPECT_EQ(visits, 6);
  for (int i : v)
    EXPECT_EQ(i, 1);
}

TEST(PtrArray, DeleteAllDestroysElementsButTheArrayDoesNot) {
  int destroyed = 0;
  PtrArray<Tracked> a;
  for (int i = 0; i < 4; ++i)
    a.Push(new Tracked(&destroyed));
  Tracked* taken = a.At(1);
  a.Set(1, nullptr);  // an emptied slot is skipped
  a.SetCursor(3);
  a.DeleteAll();
  EXPECT_EQ(destroyed, 3);
  EXPECT_EQ(a.Count(), 0);
  EXPECT_EQ(a.Cursor(), 0);
  EXPECT_EQ(a.Capacity(), 4);
  delete taken;

  destroyed = 0;
  Tracked* kept = new Tracked(&destroyed);
  {
    PtrArray<Tracked> scoped;
    scoped.Push(kept);
  }
  EXPECT_EQ(destroyed, 0);  // destroying the array frees only its slots
  delete kept;
}

TEST(PtrArray, DeleteAllReleasesSurfaces) {
  PtrArray<QZSurface> frames;
  frames.Push(QZSurface::Create(4, 4));
  frames.Push(QZSurface::Create(8, 8));
  frames.DeleteAll();  // the leak checker of the sanitizer build sees any surface left behind
  EXPECT_EQ(frames.Count(), 0);
}

}  // namespace
