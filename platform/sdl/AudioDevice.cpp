#include "platform/AudioDevice.h"

#include <SDL.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

namespace platform {

namespace {

// Frames per device period: about 23 ms at 22050 Hz, short enough for prompt effects and for the
// quarter-second refills of streamed sound.
constexpr uint16_t kDevicePeriodFrames = 512;

// Without a sound card the mixer is still pulled at the pace of real time and the frames are
// dropped, so that sounds end when they would have been heard out, their copies become free
// again and the music's end is reported, exactly as with a card.
class SilentPacer {
 public:
  void Start() {
    if (thread.joinable()) return;
    stopRequested = false;
    thread = std::thread([this] { Run(); });
  }

  void Stop() {
    if (!thread.joinable()) return;
    {
      std::lock_guard<std::mutex> lock(mutex);
      stopRequested = true;
    }
    wake.notify_all();
    thread.join();
  }

  bool Running() const { return thread.joinable(); }

 private:
  void Run() {
    // Room for one period in the widest output format (stereo, 16-bit).
    uint8_t scratch[kDevicePeriodFrames * 4];
    auto due = std::chrono::steady_clock::now();
    std::unique_lock<std::mutex> lock(mutex);
    while (!stopRequested) {
      lock.unlock();
      const WaveFormat format = SharedMixer().OutputFormat();
      SharedMixer().MixAs(format, scratch, kDevicePeriodFrames);
      due += std::chrono::microseconds(static_cast<int64_t>(kDevicePeriodFrames) * 1000000 /
                                       format.samplesPerSec);
      lock.lock();
      wake.wait_until(lock, due, [this] { return stopRequested; });
    }
  }

  std::thread thread;
  std::mutex mutex;
  std::condition_variable wake;
  bool stopRequested = false;
};

struct OutputState {
  std::mutex mutex;
  AudioOutputKind kind = AudioOutputKind::kSdl;
  int holders = 0;
  bool sdlStarted = false;
  SDL_AudioDeviceID device = 0;
  WaveFormat deviceFormat{};
  SilentPacer pacer;
};

// Never destroyed, like the mixer: a program that ends without releasing the device must not
// find its output threads' state gone (or a running thread destroyed) at exit.
OutputState& Output() {
  static auto* state = new OutputState();
  return *state;
}

void Feed(void* user, Uint8* stream, int len) {
  const auto* format = static_cast<const WaveFormat*>(user);
  const uint32_t frames = static_cast<uint32_t>(len) / format->blockAlign;
  SharedMixer().MixAs(*format, stream, frames);
}

// With the output mutex held.
void CloseSdl(OutputState& s) {
  if (s.device != 0) {
    SDL_CloseAudioDevice(s.device);
    s.device = 0;
  }
  s.pacer.Stop();
}

// With the output mutex held. Opens the sound card at the mixer's output format; SDL converts to
// whatever the card takes, so the callback always receives exactly that format. A refusal leaves
// the output closed: the program goes on silently.
void OpenSdl(OutputState& s) {
  if (!s.sdlStarted) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
      std::fprintf(stderr, "audio: no sound output (%s)\n", SDL_GetError());
      s.pacer.Start();
      return;
    }
    s.sdlStarted = true;
  }
  s.deviceFormat = SharedMixer().OutputFormat();
  SDL_AudioSpec want{};
  want.freq = static_cast<int>(s.deviceFormat.samplesPerSec);
  want.format = s.deviceFormat.bitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16SYS;
  want.channels = static_cast<Uint8>(s.deviceFormat.channels);
  want.samples = kDevicePeriodFrames;
  want.callback = Feed;
  want.userdata = &s.deviceFormat;
  SDL_AudioSpec have{};
  s.device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (s.device == 0) {
    std::fprintf(stderr, "audio: no sound output (%s)\n", SDL_GetError());
    s.pacer.Start();
    return;
  }
  SDL_PauseAudioDevice(s.device, 0);
}

void ReopenOnFormatChange(void*) {
  OutputState& s = Output();
  std::lock_guard<std::mutex> lock(s.mutex);
  if (s.device == 0) return;
  CloseSdl(s);
  OpenSdl(s);
}

}  // namespace

Mixer& SharedMixer() {
  // Never destroyed: an audio thread still running at exit must not find it gone.
  static Mixer* mixer = new Mixer();
  return *mixer;
}

void SetAudioOutputKind(AudioOutputKind kind) {
  std::lock_guard<std::mutex> lock(Output().mutex);
  Output().kind = kind;
}

AudioOutputKind GetAudioOutputKind() {
  std::lock_guard<std::mutex> lock(Output().mutex);
  return Output().kind;
}

AudioDevice* AudioDevice::Open() {
  OutputState& s = Output();
  std::lock_guard<std::mutex> lock(s.mutex);
  if (s.holders++ == 0) {
    SharedMixer().SetFormatListener(ReopenOnFormatChange, nullptr);
    if (s.kind == AudioOutputKind::kSdl) OpenSdl(s);
  }
  return new AudioDevice();
}

void AudioDevice::Release() {
  {
    OutputState& s = Output();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (--s.holders == 0) {
      CloseSdl(s);
      if (s.sdlStarted) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        s.sdlStarted = false;
      }
    }
  }
  delete this;
}

Mixer& AudioDevice::GetMixer() {
  return SharedMixer();
}

bool AudioDevice::SetCooperativeLevel(void*, uint32_t newLevel) {
  if (newLevel < kLevelNormal || newLevel > kLevelWritePrimary) return false;
  level = newLevel;
  return true;
}

bool AudioDevice::GetCaps(DeviceCaps* caps) const {
  if (caps == nullptr || caps->size != sizeof(DeviceCaps)) return false;
  caps->flags = kCapsPrimaryMono | kCapsPrimaryStereo | kCapsPrimary8Bit | kCapsPrimary16Bit |
                kCapsContinuousRate | kCapsEmulated;
  caps->minSecondaryRate = kFrequencyMin;
  caps->maxSecondaryRate = kFrequencyMax;
  caps->maxMixingBuffers = 0;
  return true;
}

bool AudioDevice::HasSoundCard() const {
  OutputState& s = Output();
  std::lock_guard<std::mutex> lock(s.mutex);
  return s.device != 0;
}

}  // namespace platform
