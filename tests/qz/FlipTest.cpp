// The flip sends the display only what changed since the last one, and the first flip of a new
// display sends everything. The pictures are drawn as the programs draw them, through the
// surfaces' drawing queues; writes through locks and writable pixels are presented too, and parts
// the window did not take go again.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>

#include "platform/Video.h"
#include "qz/qz.h"

namespace {

void SetPixel(QZSurface* surface, int x, int y, uint16_t value) {
  const platform::Rect at{x, y, x + 1, y + 1};
  surface->Fill(&at, value);
}

class FlipTest : public ::testing::Test {
 protected:
  // Whether the last present named the pixel as changed (the memory display keeps all of the
  // picture, a real one only the parts named).
  bool Presented(int x, int y) const {
    for (const platform::PixelRect& r : memory->lastChanged) {
      if (x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height) return true;
    }
    return false;
  }

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
  // The same picture is not sent again.
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

// The flip compares only what was drawn into since the last one. Whatever the drawing (blits,
// fills, locks, a surface copied onto itself), a display that takes only the parts the flip
// names as changed ends up showing exactly the back buffer.
TEST_F(FlipTest, ADisplayTakingOnlyTheNamedPartsAlwaysShowsTheBackBuffer) {
  std::unique_ptr<QZSurface, void (*)(QZSurface*)> shown(QZSurface::Create(800, 600),
                                                         &QZSurface::Release);
  std::unique_ptr<QZSurface, void (*)(QZSurface*)> sprite(QZSurface::Create(40, 30),
                                                          &QZSurface::Release);
  for (int i = 0; i < 40 * 30; ++i)
    sprite->Pixels()[i] = static_cast<uint16_t>(i % 7 == 0 ? 31 : i * 37);
  sprite->SetColorKey(31);
  std::mt19937 rng(9);
  for (int frame = 0; frame < 60; ++frame) {
    const int operations = static_cast<int>(rng() % 30);
    for (int i = 0; i < operations; ++i) {
      const int x = static_cast<int>(rng() % 760);
      const int y = static_cast<int>(rng() % 570);
      const platform::Rect at{x, y, x + 40, y + 30};
      switch (rng() % 4) {
        case 0:
          back->Blit(&at, sprite.get(), nullptr, platform::kBlitKeySource);
          break;
        case 1:
          back->Fill(&at, static_cast<uint16_t>(rng()));
          break;
        case 2: {
          const platform::Rect from{x / 2, y / 2, x / 2 + 40, y / 2 + 30};
          back->Blit(&at, back, &from, 0);
          break;
        }
        default:
          back->Lock()[static_cast<size_t>(y) * 800 + x] ^= 0x1111;
          back->Unlock();
          break;
      }
    }
    // A frame that draws the same pixels again changes nothing on the display.
    if (frame % 10 == 5) back->Blit(nullptr, memory->lastPicture.get(), nullptr, 0);
    ASSERT_EQ(QZFlip(), 1);
    for (const platform::PixelRect& part : memory->lastChanged) {
      const platform::Rect r{part.x, part.y, part.x + part.width, part.y + part.height};
      ASSERT_EQ(shown->Blit(&r, memory->lastPicture.get(), &r, 0), 1);
    }
    ASSERT_EQ(std::memcmp(static_cast<const QZSurface*>(shown.get())->Pixels(),
                          static_cast<const QZSurface*>(back)->Pixels(), 800 * 600 * 2),
              0)
        << "frame " << frame;
    if (frame % 10 == 5) {
      EXPECT_TRUE(memory->lastChanged.empty());
    }
  }
}

TEST_F(FlipTest, TheFrontTheProgramsMayAskForIsTheBackBuffer) {
  EXPECT_EQ(front, back);
}

// Writes through a lock held over a flip, or through writable pixels kept from before it, come
// after the flip cleared its notes of what was drawn; they are presented all the same.
TEST_F(FlipTest, WritesThroughLocksAndKeptPixelsAreShown) {
  QZFlip();
  uint16_t* locked = back->Lock();
  locked[0] = 0x1111;
  ASSERT_EQ(QZFlip(), 1);
  EXPECT_TRUE(Presented(0, 0));
  locked[1] = 0x2222;
  back->Unlock();
  ASSERT_EQ(QZFlip(), 1);
  EXPECT_TRUE(Presented(1, 0));
  ASSERT_EQ(QZFlip(), 1);
  EXPECT_TRUE(memory->lastChanged.empty());

  uint16_t* pixels = back->Pixels();
  ASSERT_EQ(QZFlip(), 1);
  pixels[800 * 300 + 400] = 0x3333;
  ASSERT_EQ(QZFlip(), 1);
  EXPECT_TRUE(Presented(400, 300));
}

TEST_F(FlipTest, PartsTheWindowDidNotTakeGoAgain) {
  QZFlip();
  memory->failPresent = true;
  SetPixel(back, 5, 6, 0xF800);
  EXPECT_EQ(QZFlip(), 0);
  memory->failPresent = false;
  ASSERT_EQ(QZFlip(), 1);
  EXPECT_TRUE(Presented(5, 6));

  // A first present the window did not take is still whole when it does.
  ASSERT_EQ(QZInitDirectX(memory, 800, 600), 1);
  QZGetDDInfo(&front, &back);
  memory->failPresent = true;
  EXPECT_EQ(QZFlip(), 0);
  memory->failPresent = false;
  ASSERT_EQ(QZFlip(), 1);
  ASSERT_EQ(memory->lastChanged.size(), 1u);
  EXPECT_EQ(memory->lastChanged[0].width, 800);
}

// A window that lost its picture while no frame runs gets the one last presented, not what the
// back buffer holds in between frames.
TEST_F(FlipTest, ARepaintShowsThePictureLastPresented) {
  SetPixel(back, 7, 7, 0x07E0);
  QZFlip();
  SetPixel(back, 7, 7, 0x001F);
  const int presents = memory->presents;
  ASSERT_EQ(QZRepaint(), 1);
  EXPECT_EQ(memory->presents, presents + 1);
  ASSERT_EQ(memory->lastChanged.size(), 1u);
  EXPECT_EQ(memory->lastChanged[0].width, 800);
  EXPECT_EQ(memory->lastPicture->PixelAt(7, 7), 0x07E0);
  // The change still goes with the next flip.
  ASSERT_EQ(QZFlip(), 1);
  EXPECT_TRUE(Presented(7, 7));
}

}  // namespace
