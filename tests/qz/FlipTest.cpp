// The flip sends the display only what changed since the last one, and the first flip of a new
// display sends everything.

#include <gtest/gtest.h>

#include <memory>

#include "platform/Video.h"
#include "qz/qz.h"

namespace {

void SetPixel(QZSurface* surface, int x, int y, uint16_t value) {
  surface->Pixels()[static_cast<size_t>(y) * surface->Width() + x] = value;
}

class FlipTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto video = std::make_unique<platform::MemoryVideo>();
    memory = video.get();
    platform::SetVideo(std::move(video));
    platform::WindowDesc desc;
    ASSERT_TRUE(memory->CreateWindow(desc));
    ASSERT_EQ(QZInitDirectX(memory, 800, 600), 1);
    QZGetDDInfo(&front, &back);
    ASSERT_NE(back, nullptr);
  }
  void TearDown() override {
    QZFreeDirectX();
    platform::SetVideo(nullptr);
    platform::Messages().Clear();
  }

  platform::MemoryVideo* memory = nullptr;
  QZSurface* front = nullptr;
  QZSurface* back = nullptr;
};

TEST_F(FlipTest, PresentsEverythingFirstThenOnlyTheChangedParts) {
  ASSERT_EQ(QZFlip(), 1);
  ASSERT_EQ(memory->lastChanged.size(), 1u);
  EXPECT_EQ(memory->lastChanged[0].width, 800);
  EXPECT_EQ(memory->lastChanged[0].height, 600);

  ASSERT_EQ(QZFlip(), 1);
  EXPECT_TRUE(memory->lastChanged.empty());
  EXPECT_EQ(memory->presents, 2);  // still presented: a launcher paces on its presents

  SetPixel(back, 10, 20, 0xF800);
  SetPixel(back, 700, 500, 0x07E0);
  ASSERT_EQ(QZFlip(), 1);
  ASSERT_EQ(memory->lastChanged.size(), 2u);
  EXPECT_EQ(memory->lastChanged[0].x, 10);
  EXPECT_EQ(memory->lastChanged[0].y, 20);
  EXPECT_EQ(memory->lastChanged[1].x, 700);
  EXPECT_EQ(memory->lastChanged[1].y, 500);
  // The front now holds the presented picture, so the same picture is not sent again.
  EXPECT_EQ(front->PixelAt(10, 20), 0xF800);
  EXPECT_EQ(memory->lastPicture->PixelAt(700, 500), 0x07E0);
  ASSERT_EQ(QZFlip(), 1);
  EXPECT_TRUE(memory->lastChanged.empty());

  // A pixel put back to what it was is a change as well.
  SetPixel(back, 10, 20, 0);
  ASSERT_EQ(QZFlip(), 1);
  ASSERT_EQ(memory->lastChanged.size(), 1u);
  EXPECT_EQ(memory->lastPicture->PixelAt(10, 20), 0);
}

TEST_F(FlipTest, ANewDisplayPresentsEverythingAgain) {
  SetPixel(back, 1, 1, 0xFFFF);
  QZFlip();
  QZFlip();
  ASSERT_EQ(QZInitDirectX(memory, 800, 600), 1);
  QZGetDDInfo(&front, &back);
  ASSERT_EQ(QZFlip(), 1);
  ASSERT_EQ(memory->lastChanged.size(), 1u);
  EXPECT_EQ(memory->lastChanged[0].width, 800);
}

}  // namespace
