// How long one play frame takes on a full board: the game's drawing into the back buffer, the
// flip's compare with the picture shown and its restore pass, against the 10 ms a frame has at
// 100 frames per second. The display takes the changed parts and does nothing with them, so the
// window system's share is left out. Run by hand from the build folder:
// tests/game/play_frame_bench.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "framework/DirtyRects.h"
#include "framework/SurfaceRoutines.h"
#include "framework/Timer.h"
#include "game/Game.h"
#include "game/PlayScreen.h"
#include "platform/Files.h"
#include "platform/Video.h"
#include "qz/qz.h"

namespace {

constexpr double kBudgetMicroseconds = 10000.0;

class NullDisplay : public platform::MemoryVideo {
 public:
  bool PresentChanged(const platform::Surface&, const std::vector<platform::PixelRect>&, int,
                      int) override {
    return true;
  }
};

struct PlayFrame {
  explicit PlayFrame(bool cursor) {
    auto display = std::make_unique<NullDisplay>();
    platform::MemoryVideo* video = display.get();
    platform::SetVideo(std::move(display));
    video->CreateWindow(platform::WindowDesc());
    QZInitDirectX(video, 800, 600);
    QZGetDDInfo(nullptr, &back);
    TheDirtyRects().SetBackBuffer(back);
    const std::string folder = std::string(ZEP_STAGE_DIR) + "/Hubbix/Zeppolo";
    platform::SetCurrentFolder(folder.c_str());
    std::srand(1);
    screen.Open(nullptr, back);
    game.SetState(kStatePlaying);
    if (cursor) game.MoveCursor(0, 0);
  }
  ~PlayFrame() {
    screen.Close();
    game.Release();
    TheDirtyRects().Reset();
    QZFreeDirectX();
    platform::SetVideo(nullptr);
  }
  // DrawGameFrame, then what Flip does: present, switch lists and restore.
  void Run(bool boardDirty) {
    if (boardDirty) game.SetBoardDirty(1);
    game.DrawGameFrame(back);
    QZFlip();
    DirtyRects& dirty = TheDirtyRects();
    dirty.Swap();
    dirty.RestorePass(back);
    TimerTick();
  }

  QZSurface* back = nullptr;
  Game game;
  PlayScreen screen{"balloon", game};
};

// Runs frames for the benchmark and reports microseconds per frame (real time) and the share of
// the frame's budget in percent.
void RunFrames(benchmark::State& state, bool boardDirty, bool cursor = false) {
  PlayFrame frame(cursor);
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state)
    frame.Run(boardDirty);
  const double us =
      std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count() /
      static_cast<double>(state.iterations());
  state.counters["us_per_frame"] = us;
  state.counters["budget_pct"] = 100.0 * us / kBudgetMicroseconds;
}

// Every balloon drawn again (a frame after a move).
void BM_PlayFrameBoardRedrawn(benchmark::State& state) {
  RunFrames(state, true);
}

// Labels, panel and gauge only (most frames).
void BM_PlayFrameBoardUnchanged(benchmark::State& state) {
  RunFrames(state, false);
}

// The same with the keyboard cursor's frame on a cell.
void BM_PlayFrameCursorShown(benchmark::State& state) {
  RunFrames(state, false, true);
}

}  // namespace

BENCHMARK(BM_PlayFrameBoardRedrawn)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlayFrameBoardUnchanged)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlayFrameCursorShown)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
