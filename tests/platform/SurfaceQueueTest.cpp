// Queued drawing: whatever is drawn, looked at, locked, keyed or released in between, a surface
// shows exactly what immediate drawing shows, and a frame that repeats the last one draws nothing.
// At every flip, a pixel outside every part noted as drawn into is as the last flip left it.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "platform/Surface.h"

namespace platform {
namespace {

using SurfacePtr = std::unique_ptr<Surface, void (*)(Surface*)>;

constexpr uint16_t kKey = 0x001F;

// Fills through a lock, as the bitmap loader does, so the surface can still take part in queued
// drawing; every fourth pixel of a keyed picture is the key.
void Paint(Surface& s, uint16_t seed) {
  uint16_t* p = s.Lock();
  for (int i = 0; i < s.Width() * s.Height(); ++i)
    p[i] = (i % 4 == 0) ? kKey : static_cast<uint16_t>(seed + i * 7);
  s.Unlock();
}

SurfacePtr MakePainted(int w, int h, uint16_t seed,
                       Surface::Drawing drawing = Surface::Drawing::kQueued) {
  SurfacePtr s(Surface::Create(w, h, drawing), &Surface::Release);
  Paint(*s, seed);
  s->SetColorKey(kKey);
  return s;
}

// One step of a program's drawing, with surfaces named by number: 0 and 1 are drawn into and
// looked at (a back buffer and a scene), 2 to 4 are pictures drawn from.
enum class Act {
  kBlit,
  kFill,
  kSelfBlit,
  kLook,        // PixelAt over the whole surface, as a present would read it
  kLockWrite,   // a lock, one pixel written, unlock
  kRawWrite,    // writable pixels handed out for good
  kKeepPixels,  // writable pixels handed out and kept
  kKeptWrite,   // one pixel written through them, maybe after a flip
  kHoldLock,    // a lock taken and held
  kHeldWrite,   // one pixel written through the held lock
  kUnlock,      // the held lock let go
  kFlip,        // the flip's look: only noted parts may differ, then the notes are cleared
  kRepaint,     // a picture's pixels change
  kRekey,       // a picture's key changes
  kReplace,     // a picture is released and another made in its place
};

struct Step {
  Act act;
  int target;
  int source;
  Rect src;
  Rect dst;
  uint16_t value;
  bool keyed;
};

constexpr int kTargetW = 40;
constexpr int kTargetH = 30;
constexpr int kPictureSide = 12;

// A handful of places reused frame after frame, some overlapping, so that groups repeat, grow
// together and fall apart as in the programs' frames.
const Rect kPlaces[] = {{0, 0, 12, 12},   {12, 0, 24, 12}, {6, 6, 18, 18},   {20, 10, 32, 22},
                        {28, 18, 40, 30}, {0, 18, 12, 30}, {10, 10, 22, 22}, {0, 0, 40, 30}};

Step RandomStep(std::mt19937& rng, bool drawingOnly) {
  auto pick = [&rng](int n) { return static_cast<int>(rng() % static_cast<uint32_t>(n)); };
  Step step{Act::kBlit,       pick(2),
            2 + pick(3),      {0, 0, kPictureSide, kPictureSide},
            kPlaces[pick(8)], static_cast<uint16_t>(rng()),
            pick(3) != 0};
  if (step.dst.right - step.dst.left != kPictureSide) step.src = {2, 3, 9, 10};  // stretched
  const int roll = pick(drawingOnly ? 10 : 40);
  if (roll < 7) return step;
  if (roll < 8) {
    step.act = Act::kFill;
  } else if (roll < 10) {
    step.act = Act::kBlit;
    step.source = 1 - step.target;  // the scene restored into the back buffer, or back
  } else if (roll < 12) {
    step.act = Act::kSelfBlit;
    step.src = {1, 2, 13, 14};
  } else if (roll < 22) {
    step.act = Act::kLook;
  } else if (roll < 25) {
    step.act = Act::kLockWrite;
  } else if (roll < 26) {
    step.act = Act::kRawWrite;
  } else if (roll < 27) {
    step.act = Act::kKeepPixels;
  } else if (roll < 28) {
    step.act = Act::kHoldLock;
  } else if (roll < 29) {
    step.act = Act::kUnlock;
  } else if (roll < 31) {
    step.act = Act::kRepaint;
  } else if (roll < 35) {
    step.act = Act::kRekey;
  } else {
    step.act = Act::kReplace;
  }
  return step;
}

// Frames that mostly repeat: a fixed list of draws, each frame ending in a look at both
// targets, with now and then a step changed, added or something else done in between.
std::vector<Step> MakeScript(uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<Step> frame;
  for (int i = 0; i < 10; ++i)
    frame.push_back(RandomStep(rng, true));
  std::vector<Step> script;
  for (int f = 0; f < 40; ++f) {
    if (rng() % 3 == 0) frame[rng() % frame.size()] = RandomStep(rng, true);
    for (const Step& step : frame) {
      script.push_back(step);
      if (rng() % 12 == 0) script.push_back(RandomStep(rng, false));
    }
    // Writes through kept pixels and held locks land now and then, flips in between.
    for (const Act late : {Act::kKeptWrite, Act::kHeldWrite}) {
      if (rng() % 3 == 0)
        script.push_back(
            {late, static_cast<int>(rng() % 2), 0, {}, {}, static_cast<uint16_t>(rng()), false});
    }
    for (int t = 0; t < 2; ++t) {
      script.push_back({Act::kLook, t, 0, {}, {}, 0, false});
      script.push_back({Act::kFlip, t, 0, {}, {}, 0, false});
    }
  }
  return script;
}

// Whether a pixel outside every part noted as drawn into differs from the picture before.
bool ChangedOutsideTheNotes(const Surface& surface, const std::vector<uint16_t>& before) {
  const std::vector<Rect>& drawn = surface.Touched();
  const uint16_t* now = surface.Pixels();
  for (int y = 0; y < surface.Height(); ++y) {
    for (int x = 0; x < surface.Width(); ++x) {
      const size_t at = static_cast<size_t>(y) * surface.Width() + x;
      const bool noted = std::any_of(drawn.begin(), drawn.end(), [x, y](const Rect& r) {
        return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
      });
      if (!noted && now[at] != before[at]) return true;
    }
  }
  return false;
}

// Plays the script and returns every pixel looked at, then every pixel of the two targets. A flip
// that finds a pixel changed outside the noted parts counts in brokenFlips.
std::vector<uint16_t> Play(const std::vector<Step>& script, bool queued, int* brokenFlips) {
  const Surface::Drawing drawing = queued ? Surface::Drawing::kQueued : Surface::Drawing::kAtOnce;
  std::vector<SurfacePtr> s;
  s.push_back(MakePainted(kTargetW, kTargetH, 11, drawing));
  s.push_back(MakePainted(kTargetW, kTargetH, 500, drawing));
  for (int i = 0; i < 3; ++i)
    s.push_back(
        MakePainted(kPictureSide, kPictureSide, static_cast<uint16_t>(1000 * (i + 2)), drawing));
  uint16_t* kept[2] = {nullptr, nullptr};
  uint16_t* held[2] = {nullptr, nullptr};
  std::vector<uint16_t> flipped[2];
  for (int t = 0; t < 2; ++t) {
    s[t]->ClearTouched();
    const uint16_t* pixels = static_cast<const Surface&>(*s[t]).Pixels();
    flipped[t].assign(pixels, pixels + kTargetW * kTargetH);
  }
  std::vector<uint16_t> seen;
  auto look = [&seen](const Surface& surface) {
    for (int y = 0; y < surface.Height(); ++y)
      for (int x = 0; x < surface.Width(); ++x)
        seen.push_back(surface.PixelAt(x, y));
  };
  for (const Step& step : script) {
    Surface& target = *s[step.target];
    Surface& source = *s[step.source];
    switch (step.act) {
      case Act::kBlit: {
        // Between the two targets only same-sized places are copied, as the redraw list does.
        const Rect src = step.source < 2 ? step.dst : step.src;
        target.Blit(&step.dst, &source, &src, step.keyed ? kBlitKeySource : 0);
        break;
      }
      case Act::kFill:
        target.Fill(&step.dst, step.value);
        break;
      case Act::kSelfBlit:
        target.Blit(&step.dst, &target, &step.src, step.keyed ? kBlitKeySource : 0);
        break;
      case Act::kLook:
        look(target);
        break;
      case Act::kLockWrite:
        target.Lock()[step.value % (kTargetW * kTargetH)] = step.value;
        target.Unlock();
        break;
      case Act::kRawWrite:
        target.Pixels()[step.value % (kTargetW * kTargetH)] = step.value;
        break;
      case Act::kKeepPixels:
        kept[step.target] = target.Pixels();
        break;
      case Act::kKeptWrite:
        if (kept[step.target]) kept[step.target][step.value % (kTargetW * kTargetH)] = step.value;
        break;
      case Act::kHoldLock:
        if (!held[step.target]) held[step.target] = target.Lock();
        break;
      case Act::kHeldWrite:
        if (held[step.target]) held[step.target][step.value % (kTargetW * kTargetH)] = step.value;
        break;
      case Act::kUnlock:
        if (held[step.target]) target.Unlock();
        held[step.target] = nullptr;
        break;
      case Act::kFlip: {
        if (ChangedOutsideTheNotes(target, flipped[step.target])) ++*brokenFlips;
        target.ClearTouched();
        const uint16_t* now = static_cast<const Surface&>(target).Pixels();
        flipped[step.target].assign(now, now + kTargetW * kTargetH);
        break;
      }
      case Act::kRepaint:
        Paint(source, step.value);
        break;
      case Act::kRekey:
        source.SetColorKey(step.value % 2 ? kKey : static_cast<uint16_t>(step.value));
        break;
      case Act::kReplace:
        s[step.source] = MakePainted(kPictureSide, kPictureSide, step.value, drawing);
        break;
    }
  }
  for (int t = 0; t < 2; ++t) {
    if (held[t]) s[t]->Unlock();
  }
  look(*s[0]);
  look(*s[1]);
  return seen;
}

TEST(SurfaceQueue, ShowsWhatImmediateDrawingShowsAndEveryChangeIsNotedForTheFlip) {
  for (uint32_t seed = 1; seed <= 150; ++seed) {
    const std::vector<Step> script = MakeScript(seed);
    int queuedBroken = 0;
    int immediateBroken = 0;
    ASSERT_EQ(Play(script, true, &queuedBroken), Play(script, false, &immediateBroken))
        << "script " << seed;
    ASSERT_EQ(queuedBroken, 0) << "script " << seed;
    ASSERT_EQ(immediateBroken, 0) << "script " << seed;
  }
}

// The shape of an idle frame: the scene restored under two buttons, the buttons drawn again, a
// look at the back buffer (the flip).
struct IdleFrame {
  SurfacePtr back = MakePainted(kTargetW, kTargetH, 7);
  SurfacePtr scene = MakePainted(kTargetW, kTargetH, 300);
  SurfacePtr button = MakePainted(kPictureSide, kPictureSide, 900);

  void Draw() {
    for (const Rect& place : {kPlaces[0], kPlaces[4]}) {
      back->Blit(&place, scene.get(), &place, kBlitKeySource);
      back->Blit(&place, button.get(), nullptr, kBlitKeySource);
    }
  }
  std::vector<Rect> Flip() {
    std::vector<Rect> drawn = back->Touched();
    back->ClearTouched();
    return drawn;
  }
};

TEST(SurfaceQueue, AFrameThatRepeatsTheLastDrawsNothing) {
  IdleFrame frame;
  frame.Flip();  // the painting
  frame.Draw();
  EXPECT_EQ(frame.Flip().size(), 2u);
  frame.Draw();
  EXPECT_TRUE(frame.Flip().empty());
  frame.Draw();
  EXPECT_TRUE(frame.Flip().empty());

  // A change to the scene under one button, or to the button, is drawn again, there only.
  Rect spot{4, 0, 5, 1};
  frame.scene->Fill(&spot, 0x1234);
  frame.Draw();
  std::vector<Rect> drawn = frame.Flip();
  ASSERT_EQ(drawn.size(), 1u);
  EXPECT_EQ(drawn[0].left, 0);
  EXPECT_EQ(frame.back->PixelAt(4, 0), 0x1234);  // a key pixel of the button shows the scene
  Paint(*frame.button, 77);
  frame.Draw();
  EXPECT_EQ(frame.Flip().size(), 2u);
}

TEST(SurfaceQueue, APictureReleasedWhileABlitOfItWaitsIsDrawnFirst) {
  IdleFrame frame;
  SurfacePtr picture = MakePainted(kPictureSide, kPictureSide, 4000);
  picture->ClearColorKey();
  const uint16_t expected = picture->PixelAt(3, 3);
  frame.back->Blit(&kPlaces[0], picture.get(), nullptr, 0);
  picture.reset();
  EXPECT_EQ(frame.back->PixelAt(3, 3), expected);
}

}  // namespace
}  // namespace platform
