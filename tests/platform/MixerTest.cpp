// The software mixer driven directly: buffers are filled through their locks, frames are pulled
// with Mix, and the samples are checked.

#include "platform/Mixer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/Events.h"

namespace {

using platform::BufferDesc;
using platform::Event;
using platform::MakePcmFormat;
using platform::Mixer;
using platform::PositionNotify;
using platform::SoundBuffer;
using platform::WaveFormat;

class MixerTest : public ::testing::Test {
 protected:
  SoundBuffer* Make(const WaveFormat& format, const void* data, uint32_t bytes,
                    uint32_t flags = 0) {
    BufferDesc desc;
    desc.flags = flags;
    desc.bytes = bytes;
    desc.format = &format;
    SoundBuffer* b = mixer.CreateBuffer(desc);
    if (b == nullptr) return nullptr;
    void* p1 = nullptr;
    uint32_t n1 = 0;
    if (!b->Lock(0, 0, &p1, &n1, nullptr, nullptr, platform::kLockEntireBuffer)) return nullptr;
    std::memcpy(p1, data, bytes);
    b->Unlock(p1, n1, nullptr, 0);
    return b;
  }

  SoundBuffer* Stereo16(const std::vector<int16_t>& samples, uint32_t flags = 0,
                        uint32_t rate = 22050) {
    return Make(MakePcmFormat(rate, 2, 16), samples.data(),
                static_cast<uint32_t>(samples.size() * 2), flags);
  }

  SoundBuffer* Mono16(const std::vector<int16_t>& samples, uint32_t rate, uint32_t flags = 0) {
    return Make(MakePcmFormat(rate, 1, 16), samples.data(),
                static_cast<uint32_t>(samples.size() * 2), flags);
  }

  // Interleaved stereo output of the default 22050 Hz 16-bit format.
  std::vector<int16_t> Pull(uint32_t frames) {
    std::vector<int16_t> out(frames * 2, 12345);
    mixer.Mix(out.data(), frames);
    return out;
  }

  Mixer mixer;
};

std::vector<int16_t> Ramp(int frames, int start, int step) {
  std::vector<int16_t> v;
  for (int i = 0; i < frames; ++i) {
    v.push_back(static_cast<int16_t>(start + i * step));
    v.push_back(static_cast<int16_t>(-(start + i * step)));
  }
  return v;
}

TEST_F(MixerTest, SilenceWhenNothingPlays) {
  for (int16_t s : Pull(1000))
    ASSERT_EQ(s, 0);
}

TEST_F(MixerTest, PlayOnceGivesTheDataThenStopsAndRewinds) {
  const std::vector<int16_t> data = Ramp(700, 1, 3);
  SoundBuffer* b = Stereo16(data);
  ASSERT_NE(b, nullptr);
  ASSERT_TRUE(b->Play(0));
  uint32_t status = 0;
  b->GetStatus(&status);
  EXPECT_EQ(status, platform::kStatusPlaying);

  // Across two pulls and the mixer's internal chunking.
  std::vector<int16_t> out = Pull(600);
  const std::vector<int16_t> rest = Pull(400);
  out.insert(out.end(), rest.begin(), rest.end());
  for (size_t i = 0; i < data.size(); ++i)
    ASSERT_EQ(out[i], data[i]) << i;
  for (size_t i = data.size(); i < out.size(); ++i)
    ASSERT_EQ(out[i], 0) << i;

  b->GetStatus(&status);
  EXPECT_EQ(status, 0u);
  uint32_t play = 99;
  b->GetCurrentPosition(&play, nullptr);
  EXPECT_EQ(play, 0u);
  // Ready to be heard again from the start.
  b->Play(0);
  EXPECT_EQ(Pull(1)[0], data[0]);
}

TEST_F(MixerTest, LoopingWrapsAndReportsTheLoopingBit) {
  const std::vector<int16_t> data = Ramp(100, 10, 10);
  SoundBuffer* b = Stereo16(data);
  b->Play(platform::kPlayLooping);
  uint32_t status = 0;
  b->GetStatus(&status);
  EXPECT_EQ(status, platform::kStatusPlaying | platform::kStatusLooping);
  const std::vector<int16_t> out = Pull(1050);
  for (size_t i = 0; i < out.size(); ++i)
    ASSERT_EQ(out[i], data[i % data.size()]) << i;
  uint32_t play = 0;
  b->GetCurrentPosition(&play, nullptr);
  EXPECT_EQ(play, 50u * 4);
}

TEST_F(MixerTest, StopKeepsThePosition) {
  const std::vector<int16_t> data = Ramp(1000, 0, 1);
  SoundBuffer* b = Stereo16(data);
  b->Play(0);
  Pull(300);
  b->Stop();
  uint32_t play = 0;
  b->GetCurrentPosition(&play, nullptr);
  EXPECT_EQ(play, 300u * 4);
  for (int16_t s : Pull(50))
    ASSERT_EQ(s, 0);
  b->Play(0);
  const std::vector<int16_t> out = Pull(2);
  EXPECT_EQ(out[0], data[600]);
  EXPECT_EQ(out[2], data[602]);

  EXPECT_TRUE(b->SetCurrentPosition(4 * 10 + 3));  // rounded down to frame 10
  b->GetCurrentPosition(&play, nullptr);
  EXPECT_EQ(play, 40u);
  EXPECT_FALSE(b->SetCurrentPosition(4000));
}

TEST_F(MixerTest, VoicesAreSummedAndClipped) {
  SoundBuffer* a = Stereo16(std::vector<int16_t>(400, 20000));
  SoundBuffer* b = Stereo16(std::vector<int16_t>(400, 15000));
  SoundBuffer* c = Stereo16(std::vector<int16_t>(200, -30000));
  a->Play(0);
  b->Play(0);
  std::vector<int16_t> out = Pull(100);
  for (int16_t s : out)
    ASSERT_EQ(s, 32767);
  c->Play(0);
  out = Pull(100);
  for (int16_t s : out)
    ASSERT_EQ(s, 5000);

  SoundBuffer* d = Stereo16(std::vector<int16_t>(20, -20000));
  SoundBuffer* e = Stereo16(std::vector<int16_t>(20, -20000));
  d->Play(0);
  e->Play(0);
  for (int16_t s : Pull(10))
    ASSERT_EQ(s, -32768);
}

TEST_F(MixerTest, EightBitUnsignedMonoIsCentredAndWidened) {
  const uint8_t data[6] = {0, 128, 255, 64, 192, 129};
  SoundBuffer* b = Make(MakePcmFormat(22050, 1, 8), data, sizeof(data));
  ASSERT_NE(b, nullptr);
  b->Play(0);
  const std::vector<int16_t> out = Pull(6);
  const int16_t expected[6] = {-32768, 0, 32512, -16384, 16384, 256};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(out[2 * i], expected[i]) << i;
    EXPECT_EQ(out[2 * i + 1], expected[i]) << i;
  }
}

TEST_F(MixerTest, EightBitStereoKeepsTheChannelsApart) {
  const uint8_t data[4] = {255, 0, 128, 192};
  SoundBuffer* b = Make(MakePcmFormat(22050, 2, 8), data, sizeof(data));
  b->Play(0);
  const std::vector<int16_t> out = Pull(2);
  EXPECT_EQ(out[0], 32512);
  EXPECT_EQ(out[1], -32768);
  EXPECT_EQ(out[2], 0);
  EXPECT_EQ(out[3], 16384);
}

TEST_F(MixerTest, HalfRateIsInterpolatedBetweenFrames) {
  SoundBuffer* b = Mono16({0, 1000, 3000, -1000}, 11025);
  b->Play(0);
  const std::vector<int16_t> out = Pull(10);
  const int16_t expected[8] = {0, 500, 1000, 2000, 3000, 1000, -1000, -1000};
  for (int i = 0; i < 8; ++i)
    EXPECT_EQ(out[2 * i], expected[i]) << i;
  // The one-shot ends after its last frame.
  EXPECT_EQ(out[16], 0);
  EXPECT_EQ(out[18], 0);
}

TEST_F(MixerTest, DoubleRateSkipsEveryOtherFrame) {
  std::vector<int16_t> data;
  for (int i = 0; i < 40; ++i)
    data.push_back(static_cast<int16_t>(i * 100));
  SoundBuffer* b = Mono16(data, 44100);
  b->Play(0);
  const std::vector<int16_t> out = Pull(25);
  for (int i = 0; i < 20; ++i)
    EXPECT_EQ(out[2 * i], i * 200) << i;
  for (int i = 20; i < 25; ++i)
    EXPECT_EQ(out[2 * i], 0) << i;
}

TEST_F(MixerTest, DuplicatesShareDataAndPlayIndependently) {
  const std::vector<int16_t> data = Ramp(400, 100, 7);
  SoundBuffer* original = Stereo16(data);
  SoundBuffer* copy = mixer.DuplicateBuffer(original);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->Size(), original->Size());

  // Both from the start, the copy 100 frames later: the output is the sum of two offsets.
  original->Play(0);
  Pull(100);
  copy->Play(0);
  const std::vector<int16_t> out = Pull(100);
  for (int i = 0; i < 100; ++i) {
    ASSERT_EQ(out[2 * i], data[2 * (100 + i)] + data[2 * i]) << i;
  }
  original->Stop();
  uint32_t status = 0;
  copy->GetStatus(&status);
  EXPECT_EQ(status, platform::kStatusPlaying);

  // A write through the original's lock is heard through the copy (now at frame 100).
  void* p1 = nullptr;
  uint32_t n1 = 0;
  ASSERT_TRUE(original->Lock(4 * 100, 4, &p1, &n1, nullptr, nullptr, 0));
  const int16_t marker[2] = {-7, 7};
  std::memcpy(p1, marker, 4);
  original->Unlock(p1, n1, nullptr, 0);
  const std::vector<int16_t> after = Pull(1);
  EXPECT_EQ(after[0], -7);
  EXPECT_EQ(after[1], 7);

  // Releasing the original leaves the copy's data alive.
  original->Release();
  Pull(50);
  copy->Stop();
  copy->SetCurrentPosition(4 * 399);
  copy->Play(0);
  EXPECT_EQ(Pull(1)[0], data[2 * 399]);
}

TEST_F(MixerTest, LockMapsTwoPartsOfTheCircle) {
  SoundBuffer* b = Stereo16(std::vector<int16_t>(200, 0));  // 400 bytes
  void* p1 = nullptr;
  void* p2 = nullptr;
  uint32_t n1 = 0;
  uint32_t n2 = 0;
  ASSERT_TRUE(b->Lock(300, 200, &p1, &n1, &p2, &n2, 0));
  EXPECT_EQ(n1, 100u);
  EXPECT_EQ(n2, 100u);
  EXPECT_EQ(static_cast<uint8_t*>(p1) - static_cast<uint8_t*>(p2), 300);
  EXPECT_TRUE(b->Unlock(p1, n1, p2, n2));

  ASSERT_TRUE(b->Lock(0, 400, &p1, &n1, &p2, &n2, 0));
  EXPECT_EQ(n1, 400u);
  EXPECT_EQ(p2, nullptr);
  EXPECT_EQ(n2, 0u);

  EXPECT_FALSE(b->Lock(400, 4, &p1, &n1, &p2, &n2, 0));
  EXPECT_FALSE(b->Lock(0, 0, &p1, &n1, &p2, &n2, 0));
  EXPECT_FALSE(b->Lock(0, 401, &p1, &n1, &p2, &n2, 0));
  // A wrapping range needs somewhere to put its second part.
  EXPECT_FALSE(b->Lock(300, 200, &p1, &n1, nullptr, nullptr, 0));
  // Pointers that are not the buffer's are refused.
  int16_t elsewhere[4];
  EXPECT_FALSE(b->Unlock(elsewhere, 4, nullptr, 0));

  // From the write cursor: the play cursor of this mixer.
  b->SetCurrentPosition(40);
  ASSERT_TRUE(b->Lock(0, 8, &p1, &n1, &p2, &n2, platform::kLockFromWriteCursor));
  EXPECT_EQ(n1, 8u);
}

TEST_F(MixerTest, LevelsOnlyWithTheirControls) {
  SoundBuffer* plain = Stereo16(std::vector<int16_t>(100, 1000));
  EXPECT_FALSE(plain->SetVolume(-1000));
  EXPECT_FALSE(plain->SetPan(500));
  EXPECT_FALSE(plain->SetFrequency(11025));
  int32_t value = 0;
  EXPECT_FALSE(plain->GetVolume(&value));

  const uint32_t all =
      platform::kBufferCtrlVolume | platform::kBufferCtrlPan | platform::kBufferCtrlFrequency;
  SoundBuffer* b = Stereo16(std::vector<int16_t>(400, 10000), all);
  EXPECT_TRUE(b->SetVolume(-2000));  // a tenth of the amplitude
  EXPECT_FALSE(b->SetVolume(1));
  EXPECT_FALSE(b->SetVolume(-10001));
  b->Play(0);
  std::vector<int16_t> out = Pull(10);
  EXPECT_NEAR(out[0], 1000, 1);
  EXPECT_NEAR(out[1], 1000, 1);

  // Pan to the right attenuates the left channel only.
  EXPECT_TRUE(b->SetVolume(0));
  EXPECT_TRUE(b->SetPan(2000));
  out = Pull(10);
  EXPECT_NEAR(out[0], 1000, 1);
  EXPECT_EQ(out[1], 10000);
  EXPECT_TRUE(b->SetPan(-10000));
  out = Pull(10);
  EXPECT_EQ(out[0], 10000);
  EXPECT_EQ(out[1], 0);
  EXPECT_FALSE(b->SetPan(10001));

  uint32_t hertz = 0;
  EXPECT_TRUE(b->GetFrequency(&hertz));
  EXPECT_EQ(hertz, 22050u);
  EXPECT_FALSE(b->SetFrequency(50));
  EXPECT_TRUE(b->SetFrequency(44100));
  b->GetFrequency(&hertz);
  EXPECT_EQ(hertz, 44100u);
}

TEST_F(MixerTest, AnyRateIsResampled) {
  // 100 Hz: each source frame stands for 220.5 output frames, ramping towards the next.
  SoundBuffer* slow = Mono16({0, 22050}, 100);
  ASSERT_NE(slow, nullptr);
  slow->Play(0);
  std::vector<int16_t> out = Pull(300);
  EXPECT_EQ(out[0], 0);
  EXPECT_NEAR(out[2 * 110], 11000, 2);
  EXPECT_EQ(out[2 * 221], 22050);
  // 96000 Hz: about 4.35 source frames per output frame.
  std::vector<int16_t> data;
  for (int i = 0; i < 960; ++i)
    data.push_back(static_cast<int16_t>(i));
  slow->Release();
  SoundBuffer* fast = Mono16(data, 96000);
  ASSERT_NE(fast, nullptr);
  fast->Play(0);
  out = Pull(230);
  EXPECT_NEAR(out[2 * 100], 435, 1);
  EXPECT_EQ(out[2 * 225], 0);  // 960 frames last 220.5 output frames
}

TEST_F(MixerTest, FrequencyChangesTheRateOfPlay) {
  std::vector<int16_t> data;
  for (int i = 0; i < 100; ++i)
    data.push_back(static_cast<int16_t>(i * 10));
  SoundBuffer* b = Mono16(data, 22050, platform::kBufferCtrlFrequency);
  b->SetFrequency(44100);
  b->Play(0);
  const std::vector<int16_t> out = Pull(60);
  for (int i = 0; i < 50; ++i)
    EXPECT_EQ(out[2 * i], i * 20) << i;
  EXPECT_EQ(out[2 * 55], 0);
}

TEST_F(MixerTest, NotificationsSignalAtTheirOffsetsAndOnStop) {
  SoundBuffer* b = Stereo16(std::vector<int16_t>(2000, 1), platform::kBufferCtrlPositionNotify);
  Event at0, at400, at2000, onStop;
  const PositionNotify list[4] = {
      {0, &at0}, {400 * 4, &at400}, {2000 * 2 - 4, &at2000}, {platform::kNotifyOnStop, &onStop}};
  ASSERT_NE(b->QueryNotify(), nullptr);
  ASSERT_TRUE(b->QueryNotify()->SetNotificationPositions(4, list));

  b->Play(0);
  Pull(400);  // plays frames 0..399: byte 0 is reached, byte 1600 not yet
  EXPECT_TRUE(at0.IsSignalled());
  EXPECT_FALSE(at400.IsSignalled());
  Pull(1);
  EXPECT_TRUE(at400.IsSignalled());
  EXPECT_FALSE(at2000.IsSignalled());
  EXPECT_FALSE(onStop.IsSignalled());
  Pull(600);  // frame 999, the last, is played and the buffer ends
  EXPECT_TRUE(at2000.IsSignalled());
  EXPECT_TRUE(onStop.IsSignalled());

  // A stop of a stopped buffer reports nothing; a stop of a playing one does.
  onStop.Reset();
  b->Stop();
  EXPECT_FALSE(onStop.IsSignalled());
  b->Play(platform::kPlayLooping);
  b->Stop();
  EXPECT_TRUE(onStop.IsSignalled());
}

TEST_F(MixerTest, NotificationsAreRefusedWhenOutOfRangeOrWithoutTheControl) {
  SoundBuffer* plain = Stereo16(std::vector<int16_t>(100, 0));
  EXPECT_EQ(plain->QueryNotify(), nullptr);
  EXPECT_FALSE(plain->SetNotificationPositions(0, nullptr));

  SoundBuffer* b = Stereo16(std::vector<int16_t>(100, 0), platform::kBufferCtrlPositionNotify);
  Event e;
  const PositionNotify past[1] = {{200, &e}};
  EXPECT_FALSE(b->SetNotificationPositions(1, past));
  const PositionNotify noEvent[1] = {{0, nullptr}};
  EXPECT_FALSE(b->SetNotificationPositions(1, noEvent));
  EXPECT_FALSE(b->SetNotificationPositions(1, nullptr));
  EXPECT_TRUE(b->SetNotificationPositions(0, nullptr));
}

TEST_F(MixerTest, LoopingNotificationsFireEveryLap) {
  SoundBuffer* b = Stereo16(std::vector<int16_t>(200, 0), platform::kBufferCtrlPositionNotify);
  Event half;
  const PositionNotify list[1] = {{200, &half}};
  b->SetNotificationPositions(1, list);
  b->Play(platform::kPlayLooping);
  int laps = 0;
  for (int i = 0; i < 10; ++i) {
    Pull(100);
    if (platform::WaitForEvent(&half, 0) == 0) ++laps;
  }
  EXPECT_EQ(laps, 10);
}

TEST_F(MixerTest, BuffersTheMixerCannotPlayAreRefused) {
  const std::vector<uint8_t> bytes(64, 0);
  WaveFormat threeChannels = MakePcmFormat(22050, 3, 16);
  EXPECT_EQ(Make(threeChannels, bytes.data(), 60), nullptr);
  EXPECT_EQ(Make(MakePcmFormat(22050, 2, 24), bytes.data(), 60), nullptr);
  EXPECT_EQ(Make(MakePcmFormat(0, 2, 16), bytes.data(), 64), nullptr);
  EXPECT_EQ(Make(MakePcmFormat(1000000, 2, 16), bytes.data(), 64), nullptr);
  WaveFormat float32 = MakePcmFormat(22050, 2, 16);
  float32.formatTag = 3;
  EXPECT_EQ(Make(float32, bytes.data(), 64), nullptr);
  WaveFormat badAlign = MakePcmFormat(22050, 2, 16);
  badAlign.blockAlign = 2;
  EXPECT_EQ(Make(badAlign, bytes.data(), 64), nullptr);
  EXPECT_EQ(Make(MakePcmFormat(22050, 2, 16), bytes.data(), 2), nullptr);

  BufferDesc noFormat;
  noFormat.bytes = 64;
  EXPECT_EQ(mixer.CreateBuffer(noFormat), nullptr);
  const WaveFormat f = MakePcmFormat(22050, 2, 16);
  BufferDesc primaryWithFormat;
  primaryWithFormat.flags = platform::kBufferPrimary;
  primaryWithFormat.format = &f;
  EXPECT_EQ(mixer.CreateBuffer(primaryWithFormat), nullptr);
}

TEST_F(MixerTest, ThePrimaryBufferSetsTheOutputFormat) {
  BufferDesc desc;
  desc.flags = platform::kBufferPrimary;
  SoundBuffer* primary = mixer.CreateBuffer(desc);
  ASSERT_NE(primary, nullptr);
  EXPECT_TRUE(primary->IsPrimary());
  void* p1 = nullptr;
  uint32_t n1 = 0;
  EXPECT_FALSE(primary->Lock(0, 0, &p1, &n1, nullptr, nullptr, platform::kLockEntireBuffer));
  EXPECT_FALSE(primary->SetVolume(0));
  EXPECT_EQ(mixer.DuplicateBuffer(primary), nullptr);

  WaveFormat got{};
  primary->GetFormat(&got);
  EXPECT_EQ(got.samplesPerSec, 22050u);
  EXPECT_EQ(got.channels, 2);
  EXPECT_EQ(got.bitsPerSample, 16);

  EXPECT_FALSE(primary->SetFormat(MakePcmFormat(22050, 2, 12)));
  ASSERT_TRUE(primary->SetFormat(MakePcmFormat(22050, 1, 8)));
  primary->GetFormat(&got);
  EXPECT_EQ(got.channels, 1);
  EXPECT_EQ(got.bitsPerSample, 8);
  EXPECT_EQ(got.blockAlign, 1);

  // Mono 8-bit output: the channels are averaged and narrowed.
  SoundBuffer* b = Stereo16({12800, -12800, 25600, 25600});
  b->Play(0);
  uint8_t out[3];
  mixer.Mix(out, 3);
  EXPECT_EQ(out[0], 128);
  EXPECT_EQ(out[1], 228);
  EXPECT_EQ(out[2], 128);

  // A device still opened at the old format gets silence in its own format.
  std::vector<int16_t> wide(8, 99);
  EXPECT_FALSE(mixer.MixAs(MakePcmFormat(22050, 2, 16), wide.data(), 4));
  for (int16_t s : wide)
    EXPECT_EQ(s, 0);
  primary->Release();
}

TEST_F(MixerTest, ReleasingAPlayingBufferSilencesIt) {
  SoundBuffer* b = Stereo16(std::vector<int16_t>(1000, 500));
  b->Play(platform::kPlayLooping);
  EXPECT_EQ(mixer.PlayingCount(), 1);
  b->Release();
  EXPECT_EQ(mixer.PlayingCount(), 0);
  for (int16_t s : Pull(10))
    ASSERT_EQ(s, 0);
}

}  // namespace
