// Keyed blits of our software surfaces against SDL's own blitter on the same 5-6-5 pixels and
// the same colour key: a whole 800 x 600 picture, a 64 x 64 sprite and a 62 x 38 button. Those
// surfaces have their pixels handed out, so they draw at once: this is the blitter's own speed.
// Then the shape of an idle frame, queued against drawn at once.

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "platform/Surface.h"

namespace {

constexpr uint16_t kKey = 31;  // pure blue

// A picture like the game's: opaque areas, transparent areas and ragged edges between them, so
// the key test is neither always true nor always false within a row.
std::vector<uint16_t> MakePicture(int w, int h) {
  std::vector<uint16_t> pixels(static_cast<size_t>(w) * h);
  std::mt19937 rng(1234);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const int cx = x % 64 - 32;
      const int cy = y % 64 - 32;
      const bool inside = cx * cx + cy * cy < 28 * 28 + static_cast<int>(rng() % 200);
      uint16_t v = static_cast<uint16_t>(rng());
      if (v == kKey) v = 0;
      pixels[static_cast<size_t>(y) * w + x] = inside ? v : kKey;
    }
  }
  return pixels;
}

struct OurPair {
  platform::Surface* src;
  platform::Surface* dst;
  OurPair(int sw, int sh) {
    src = platform::Surface::Create(sw, sh);
    dst = platform::Surface::Create(800, 600);
    const std::vector<uint16_t> p = MakePicture(sw, sh);
    std::memcpy(src->Pixels(), p.data(), p.size() * 2);
    src->SetColorKey(kKey);
  }
  ~OurPair() {
    platform::Surface::Release(src);
    platform::Surface::Release(dst);
  }
};

struct SdlPair {
  SDL_Surface* src;
  SDL_Surface* dst;
  SdlPair(int sw, int sh, bool rle) {
    src = SDL_CreateRGBSurfaceWithFormat(0, sw, sh, 16, SDL_PIXELFORMAT_RGB565);
    dst = SDL_CreateRGBSurfaceWithFormat(0, 800, 600, 16, SDL_PIXELFORMAT_RGB565);
    const std::vector<uint16_t> p = MakePicture(sw, sh);
    for (int y = 0; y < sh; ++y)
      std::memcpy(static_cast<uint8_t*>(src->pixels) + static_cast<size_t>(y) * src->pitch,
                  &p[static_cast<size_t>(y) * sw], static_cast<size_t>(sw) * 2);
    SDL_SetColorKey(src, SDL_TRUE, kKey);
    SDL_SetSurfaceRLE(src, rle ? 1 : 0);
    SDL_SetSurfaceBlendMode(src, SDL_BLENDMODE_NONE);
  }
  ~SdlPair() {
    SDL_FreeSurface(src);
    SDL_FreeSurface(dst);
  }
};

void OursKeyed(benchmark::State& state, int sw, int sh) {
  OurPair pair(sw, sh);
  const platform::Rect dst{100, 100, 100 + sw, 100 + sh};
  const platform::Rect* d = (sw == 800) ? nullptr : &dst;
  for (auto _ : state) {
    pair.dst->Blit(d, pair.src, nullptr, platform::kBlitKeySource | platform::kBlitWait);
    benchmark::DoNotOptimize(pair.dst->Pixels());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * sw * sh * 2);
}

void SdlKeyed(benchmark::State& state, int sw, int sh, bool rle) {
  SdlPair pair(sw, sh, rle);
  SDL_Rect at{sw == 800 ? 0 : 100, sw == 800 ? 0 : 100, sw, sh};
  for (auto _ : state) {
    SDL_Rect d = at;
    SDL_BlitSurface(pair.src, nullptr, pair.dst, &d);
    benchmark::DoNotOptimize(pair.dst->pixels);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * sw * sh * 2);
}

void OursUnkeyed(benchmark::State& state) {
  OurPair pair(800, 600);
  for (auto _ : state) {
    pair.dst->Blit(nullptr, pair.src, nullptr, platform::kBlitWait);
    benchmark::DoNotOptimize(pair.dst->Pixels());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * 800 * 600 * 2);
}

void SdlUnkeyed(benchmark::State& state) {
  SdlPair pair(800, 600, false);
  SDL_SetColorKey(pair.src, SDL_FALSE, 0);
  for (auto _ : state) {
    SDL_BlitSurface(pair.src, nullptr, pair.dst, nullptr);
    benchmark::DoNotOptimize(pair.dst->pixels);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * 800 * 600 * 2);
}

void OursStretched(benchmark::State& state) {
  OurPair pair(400, 300);
  for (auto _ : state) {
    pair.dst->Blit(nullptr, pair.src, nullptr, platform::kBlitKeySource);
    benchmark::DoNotOptimize(pair.dst->Pixels());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * 800 * 600 * 2);
}

void SdlStretched(benchmark::State& state) {
  SdlPair pair(400, 300, false);
  for (auto _ : state) {
    SDL_BlitScaled(pair.src, nullptr, pair.dst, nullptr);
    benchmark::DoNotOptimize(pair.dst->pixels);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * 800 * 600 * 2);
}

void OursFill(benchmark::State& state) {
  OurPair pair(8, 8);
  for (auto _ : state) {
    pair.dst->Fill(nullptr, 0x1234);
    benchmark::DoNotOptimize(pair.dst->Pixels());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * 800 * 600 * 2);
}

void SdlFill(benchmark::State& state) {
  SdlPair pair(8, 8, false);
  for (auto _ : state) {
    SDL_FillRect(pair.dst, nullptr, 0x1234);
    benchmark::DoNotOptimize(pair.dst->pixels);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * 800 * 600 * 2);
}

// The game's idle frame as far as its 28 cloud buttons go: each restored from the scene and drawn
// again, then the look the flip takes at what was drawn.
void IdleFrame(benchmark::State& state, bool queued) {
  const auto drawing =
      queued ? platform::Surface::Drawing::kQueued : platform::Surface::Drawing::kAtOnce;
  platform::Surface* scene = platform::Surface::Create(800, 600, drawing);
  platform::Surface* back = platform::Surface::Create(800, 600, drawing);
  platform::Surface* button = platform::Surface::Create(62, 38, drawing);
  for (platform::Surface* s : {scene, button}) {
    const std::vector<uint16_t> p = MakePicture(s->Width(), s->Height());
    std::memcpy(s->Lock(), p.data(), p.size() * 2);  // a lock keeps the surface queuing
    s->Unlock();
    s->SetColorKey(kKey);
  }
  const uint32_t keyed = platform::kBlitKeySource | platform::kBlitWait;
  for (auto _ : state) {
    for (int i = 0; i < 28; ++i) {
      const int x = i < 14 ? 88 : 730;
      const int y = 4 + (i % 14) * 40;
      const platform::Rect place{x, y, x + 62, y + 38};
      back->Blit(&place, scene, &place, keyed);
      back->Blit(&place, button, nullptr, keyed);
    }
    benchmark::DoNotOptimize(back->Touched().size());
    back->ClearTouched();
  }
  platform::Surface::Release(button);
  platform::Surface::Release(back);
  platform::Surface::Release(scene);
}

BENCHMARK_CAPTURE(IdleFrame, Queued, true);
BENCHMARK_CAPTURE(IdleFrame, AtOnce, false);
BENCHMARK_CAPTURE(OursKeyed, Screen800x600, 800, 600);
BENCHMARK_CAPTURE(SdlKeyed, Screen800x600, 800, 600, false);
BENCHMARK_CAPTURE(SdlKeyed, Screen800x600Rle, 800, 600, true);
BENCHMARK_CAPTURE(OursKeyed, Sprite64x64, 64, 64);
BENCHMARK_CAPTURE(SdlKeyed, Sprite64x64, 64, 64, false);
BENCHMARK_CAPTURE(SdlKeyed, Sprite64x64Rle, 64, 64, true);
// A menu button: rows of 62 pixels, not a whole number of vectors.
BENCHMARK_CAPTURE(OursKeyed, Button62x38, 62, 38);
BENCHMARK_CAPTURE(SdlKeyed, Button62x38, 62, 38, false);
BENCHMARK(OursUnkeyed);
BENCHMARK(SdlUnkeyed);
BENCHMARK(OursStretched);
BENCHMARK(SdlStretched);
BENCHMARK(OursFill);
BENCHMARK(SdlFill);

}  // namespace
