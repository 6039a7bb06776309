#pragma once
// Sets the sound library up on the memory output for each test: nothing pulls frames but the
// test, which reads them from the mixer and checks the samples. Files go to a fresh folder.

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "platform/AudioDevice.h"
#include "platform/Events.h"
#include "sound/QZSound.h"
#include "tests/sound/WavBuilder.h"

constexpr int kGenerousMs = 10000;

// A new empty folder of its own for one test, so that test programs running at the same time
// (the normal and the sanitizer build, say) never share files.
inline std::filesystem::path UniqueFolder(const std::string& name) {
  std::random_device random;
  for (;;) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / (name + "_" + std::to_string(random()));
    if (std::filesystem::create_directories(folder)) return folder;
  }
}

// Interleaved stereo 16-bit frames of the output (the library sets 22050 Hz stereo 16-bit).
inline std::vector<int16_t> PullFrames(uint32_t frames) {
  std::vector<int16_t> out(frames * 2, 12345);
  QZSound::GetDSObject()->GetMixer().Mix(out.data(), frames);
  return out;
}

class SoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetAudioOutputKind(platform::AudioOutputKind::kMemory);
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder =
        UniqueFolder(std::string("sound_test_") + info->test_suite_name() + "_" + info->name());
    ASSERT_EQ(g_Sound.Init(nullptr, SlotCount()), 1);
  }

  void TearDown() override {
    g_Sound.Exit();
    QZSound::SetTickSource(nullptr);
    QZSound::ClearStreamNextStreamFunc();
    std::filesystem::remove_all(folder);
  }

  virtual int SlotCount() { return 200; }

  std::string WriteWav(const std::string& name, const wav::Bytes& bytes) {
    const std::filesystem::path path = folder / name;
    EXPECT_TRUE(wav::Write(path, bytes));
    return path.string();
  }

  static std::vector<int16_t> Pull(uint32_t frames) { return PullFrames(frames); }

  // Lets the callback thread finish with every end it has been told of.
  static bool CallbackServed() {
    return platform::WaitUntilEventsServed(QZSound::g_CallBackHandles, QZSound::g_nMaxEventCount,
                                           kGenerousMs);
  }

  int SlotIndex(const SNDSample* s) const { return static_cast<int>(s - QZSound::g_SampleList); }

  std::filesystem::path folder;
};

// Samples of a constant value for each channel.
inline std::vector<int16_t> Constant(int frames, int16_t value) {
  return std::vector<int16_t>(static_cast<size_t>(frames) * 2, value);
}

// A stereo ramp whose every frame tells its own position: the low 15 bits on the left, the
// rest (negated, never 0) on the right, so no two frames of a piece are alike and no frame is
// silence.
inline std::vector<int16_t> Counting(int frames, int offset = 0) {
  std::vector<int16_t> v;
  for (int i = 0; i < frames; ++i) {
    const int n = i + offset;
    v.push_back(static_cast<int16_t>(n & 0x7FFF));
    v.push_back(static_cast<int16_t>(-1 - (n >> 15)));
  }
  return v;
}
