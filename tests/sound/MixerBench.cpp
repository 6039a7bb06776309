// How long the software mixer takes to mix 32 voices into one second of 22050 Hz stereo output,
// and what fraction of one core that is when the sound plays in real time.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <vector>

#include "platform/Mixer.h"

namespace {

constexpr int kVoices = 32;
constexpr uint32_t kOutputRate = 22050;

platform::SoundBuffer* MakeVoice(platform::Mixer& mixer, uint32_t rate, uint16_t channels,
                                 uint16_t bits, double seconds, uint32_t flags) {
  const platform::WaveFormat format = platform::MakePcmFormat(rate, channels, bits);
  platform::BufferDesc desc;
  desc.flags = flags;
  desc.bytes = static_cast<uint32_t>(rate * seconds) * format.blockAlign;
  desc.format = &format;
  platform::SoundBuffer* b = mixer.CreateBuffer(desc);
  void* p = nullptr;
  uint32_t n = 0;
  b->Lock(0, 0, &p, &n, nullptr, nullptr, platform::kLockEntireBuffer);
  auto* bytes = static_cast<uint8_t*>(p);
  for (uint32_t i = 0; i < n; ++i)
    bytes[i] = static_cast<uint8_t>(i * 37 + (i >> 7));
  b->Unlock(p, n, nullptr, 0);
  return b;
}

// Mixes one second of output per iteration and reports the share of a core it needs.
void MixOneSecond(benchmark::State& state, bool mixedFormats) {
  platform::Mixer mixer;
  for (int v = 0; v < kVoices; ++v) {
    platform::SoundBuffer* b;
    if (!mixedFormats) {
      b = MakeVoice(mixer, kOutputRate, 2, 16, 1.5, 0);
    } else {
      // Effects as the game has them: 8- and 16-bit, mono and stereo, several rates, some with
      // levels set.
      const uint32_t rates[4] = {22050, 11025, 44100, 16000};
      const uint32_t flags =
          (v % 3 == 0) ? platform::kBufferCtrlVolume | platform::kBufferCtrlPan : 0;
      b = MakeVoice(mixer, rates[v % 4], static_cast<uint16_t>(1 + v % 2),
                    static_cast<uint16_t>(v % 4 == 1 ? 8 : 16), 0.7 + 0.1 * (v % 5), flags);
      if (flags != 0) {
        b->SetVolume(-600);
        b->SetPan(v % 2 ? 1500 : -1500);
      }
    }
    b->Play(platform::kPlayLooping);
  }
  std::vector<int16_t> out(kOutputRate * 2);
  double seconds = 0;
  for (auto _ : state) {
    const std::clock_t start = std::clock();
    // In device-sized periods, as the sound card asks for them.
    for (uint32_t done = 0; done < kOutputRate; done += 512) {
      const uint32_t n = std::min<uint32_t>(512, kOutputRate - done);
      mixer.Mix(out.data() + done * 2, n);
    }
    benchmark::DoNotOptimize(out.data());
    seconds += static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
  }
  // Processor time per second of sound: the share of one core that mixing takes at real time.
  state.counters["core_fraction"] = seconds / static_cast<double>(state.iterations());
  state.counters["voices"] = kVoices;
}

void BM_Mix32VoicesOutputFormat(benchmark::State& state) {
  MixOneSecond(state, false);
}
void BM_Mix32VoicesMixedFormats(benchmark::State& state) {
  MixOneSecond(state, true);
}

BENCHMARK(BM_Mix32VoicesOutputFormat)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Mix32VoicesMixedFormats)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
