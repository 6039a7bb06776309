// The process's audio device over SDL: with the dummy driver CI uses, and with no usable driver
// at all, opening it never fails and the program goes on silently; a stream that stops being
// pulled is paced over until it moves again.

#include "platform/AudioDevice.h"

#include "platform/Events.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <string>
#include <thread>

namespace {

using platform::AudioDevice;

class AudioDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* driver = getenv("SDL_AUDIODRIVER");
    savedDriver = driver != nullptr ? driver : "";
    hadDriver = driver != nullptr;
    platform::SetAudioOutputKind(platform::AudioOutputKind::kSdl);
  }

  void TearDown() override {
    if (hadDriver) {
      setenv("SDL_AUDIODRIVER", savedDriver.c_str(), 1);
    } else {
      unsetenv("SDL_AUDIODRIVER");
    }
    platform::SetAudioOutputKind(platform::AudioOutputKind::kMemory);
  }

  std::string savedDriver;
  bool hadDriver = false;
};

// A short sound of the given length that signals ended when it stops; null when refused.
platform::SoundBuffer* SoundThatSignalsItsEnd(AudioDevice* device, uint32_t bytes,
                                              platform::Event* ended) {
  const platform::WaveFormat format = platform::MakePcmFormat(22050, 2, 16);
  platform::BufferDesc desc;
  desc.bytes = bytes;
  desc.format = &format;
  desc.flags = platform::kBufferCtrlPositionNotify;
  platform::SoundBuffer* b = device->CreateSoundBuffer(desc);
  const platform::PositionNotify onStop{platform::kNotifyOnStop, ended};
  if (b != nullptr && !b->SetNotificationPositions(1, &onStop)) {
    b->Release();
    return nullptr;
  }
  return b;
}

TEST_F(AudioDeviceTest, TheDummyDriverPlaysAndFollowsTheOutputFormat) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  AudioDevice* device = AudioDevice::Open();
  ASSERT_NE(device, nullptr);
  EXPECT_TRUE(device->HasSoundCard());
  EXPECT_TRUE(device->SetCooperativeLevel(nullptr, platform::kLevelExclusive));
  EXPECT_FALSE(device->SetCooperativeLevel(nullptr, 9));
  platform::DeviceCaps caps{};
  EXPECT_FALSE(device->GetCaps(&caps));  // the size must be filled in
  caps.size = sizeof(caps);
  ASSERT_TRUE(device->GetCaps(&caps));
  EXPECT_TRUE(caps.flags & platform::kCapsPrimaryStereo);
  EXPECT_TRUE(caps.flags & platform::kCapsPrimary16Bit);

  // A second holder shares the one output.
  AudioDevice* second = AudioDevice::Open();
  EXPECT_EQ(&second->GetMixer(), &device->GetMixer());
  second->Release();
  EXPECT_TRUE(device->HasSoundCard());

  platform::BufferDesc desc;
  desc.flags = platform::kBufferPrimary;
  platform::SoundBuffer* primary = device->CreateSoundBuffer(desc);
  ASSERT_NE(primary, nullptr);
  ASSERT_TRUE(primary->SetFormat(platform::MakePcmFormat(11025, 1, 8)));
  EXPECT_TRUE(device->HasSoundCard());
  ASSERT_TRUE(primary->SetFormat(platform::MakePcmFormat(22050, 2, 16)));
  EXPECT_TRUE(device->HasSoundCard());
  primary->Release();
  device->Release();
}

TEST_F(AudioDeviceTest, WithoutAUsableDriverTheProgramRunsSilently) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  AudioDevice* device = AudioDevice::Open();
  ASSERT_NE(device, nullptr);
  EXPECT_FALSE(device->HasSoundCard());
  platform::Event ended;
  platform::SoundBuffer* b = SoundThatSignalsItsEnd(device, 400, &ended);
  ASSERT_NE(b, nullptr);
  EXPECT_TRUE(b->Play(0));
  // Unheard, the sound still runs its course and ends.
  EXPECT_EQ(platform::WaitForEvent(&ended, 10000), 0);
  b->Release();
  device->Release();
}

// Holding SDL's lock on the device keeps its thread from calling back, as a frozen sound server
// would: the sound still ends on time, and once the stream moves again the mixer is heard again
// (over SDL 3 through a device opened anew, as its pulls after a stop are not trusted).
TEST_F(AudioDeviceTest, AStreamThatStopsBeingPulledIsPacedOverUntilItMovesAgain) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  AudioDevice* device = AudioDevice::Open();
  ASSERT_TRUE(device->HasSoundCard());
  SDL_AudioDeviceID id = 0;
  for (SDL_AudioDeviceID candidate = 1; candidate < 32 && id == 0; ++candidate) {
    if (SDL_GetAudioDeviceStatus(candidate) == SDL_AUDIO_PLAYING) id = candidate;
  }
  ASSERT_NE(id, 0u);
  platform::Event ended;
  platform::SoundBuffer* b = SoundThatSignalsItsEnd(device, 4410, &ended);  // 50 ms
  ASSERT_NE(b, nullptr);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));  // pulled steadily by now

  SDL_LockAudioDevice(id);
  EXPECT_TRUE(b->Play(0));
  EXPECT_EQ(platform::WaitForEvent(&ended, 5000), 0);
  EXPECT_FALSE(device->HasSoundCard());
  SDL_UnlockAudioDevice(id);

  bool heard = false;
  for (int i = 0; i < 50 && !heard; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    heard = device->HasSoundCard();
  }
  EXPECT_TRUE(heard);
  b->Release();
  device->Release();
}

}  // namespace
