// The streamed music channel: segment sizes, the fill thread's refills heard through the mixer,
// loops without a gap, silence after the end, the next-stream function, pause, stop and fades.

#include <gtest/gtest.h>

#include <atomic>

#include "tests/sound/SoundFixture.h"

namespace {

constexpr uint32_t kSegment = 22052;  // a quarter second of 16-bit stereo at 22050 Hz, whole frames
constexpr uint32_t kChunkFrames = 2000;

platform::Event streamEnded;
std::atomic<uint32_t> endedId{0};
std::atomic<int> endedCount{0};
std::string nextPath;

void RecordEnd(uint32_t id) {
  endedId = id;
  ++endedCount;
  streamEnded.Signal();
}

void LoadTheNextOne(uint32_t id) {
  endedId = id;
  ++endedCount;
  // Loads and starts the next piece at once, from the fill thread.
  g_Sound.LoadStream(nextPath.c_str(), 2);
  g_Sound.PlayStream(STREAM_LOOP);
  streamEnded.Signal();
}

class StreamTest : public SoundTest {
 protected:
  void SetUp() override {
    SoundTest::SetUp();
    streamEnded.Reset();
    endedId = 0;
    endedCount = 0;
  }

  std::string StreamFile(const std::string& name, const std::vector<int16_t>& pcm) {
    return WriteWav(name, wav::Stereo16(pcm));
  }

  static bool FillServed() {
    return platform::WaitUntilEventsServed(QZSound::g_NotifyEvents, 9, kGenerousMs);
  }

  // Pulls frames in chunks, letting the fill thread catch up after each. When the chunk that
  // reaches stopFrame (where the fill thread stops a finished stream) has been pulled, waits for
  // the next-stream function instead: the stream and its events are gone after that.
  std::vector<int16_t> Render(uint32_t frames, int64_t stopFrame = -1) {
    std::vector<int16_t> out;
    uint32_t played = 0;
    bool stopped = false;
    while (played < frames) {
      const uint32_t n = std::min(kChunkFrames, frames - played);
      const std::vector<int16_t> part = Pull(n);
      out.insert(out.end(), part.begin(), part.end());
      const bool crossesStop = stopFrame >= played && stopFrame < played + n;
      played += n;
      if (crossesStop) {
        EXPECT_EQ(platform::WaitForEvent(&streamEnded, kGenerousMs), 0);
        stopped = true;
      } else if (!stopped) {
        EXPECT_TRUE(FillServed());
      }
    }
    return out;
  }

  // The frame at which a piece of this many bytes is stopped: the start of the segment after the
  // one holding its last byte.
  static int64_t StopFrame(uint32_t dataBytes, uint32_t segment = kSegment, uint32_t frame = 4) {
    return static_cast<int64_t>((dataBytes - 1) / segment + 1) * segment / frame;
  }
};

TEST_F(StreamTest, SegmentsAreAQuarterSecondRoundedUpToWholeFrames) {
  struct Case {
    uint32_t channels, rate, segment;
  } cases[] = {{2, 22050, 22052}, {1, 22050, 11026}, {2, 44100, 44100}, {1, 11025, 5512}};
  for (const Case& c : cases) {
    std::vector<int16_t> pcm(c.channels * 1000, 1);
    const std::string path = WriteWav(
        "seg.wav", wav::Riff({wav::Fmt(c.channels, c.rate, 16), wav::Data(wav::Pcm16(pcm))}));
    ASSERT_EQ(g_Sound.LoadStream(path.c_str(), 7), 1) << c.rate;
    const _SNDStream* s = QZSound::GetStreamInfoPtr();
    EXPECT_EQ(s->segmentSize, c.segment) << c.channels << " " << c.rate;
    EXPECT_EQ(s->bufferSize, 8 * c.segment);
    EXPECT_EQ(s->flags.load(), STREAM_LOADED | STREAM_FILLING);
    EXPECT_EQ(QZSound::GetStreamID(), 7u);
    for (int i = 0; i < 8; ++i)
      EXPECT_EQ(s->positions[i].offset, c.segment * i);
    EXPECT_EQ(s->positions[8].offset, platform::kNotifyOnStop);
    // Loaded and never started: a stop still takes it down.
    g_Sound.StopStream();
    EXPECT_EQ(QZSound::GetStreamID(), 0u);
    EXPECT_EQ(s->flags.load() & STREAM_LOADED, 0u);
  }
}

TEST_F(StreamTest, APieceLongerThanTheBufferPlaysThroughThenSilenceThenTheNextCall) {
  const int frames = 72765;  // 3.3 seconds
  const std::vector<int16_t> pcm = Counting(frames);
  QZSound::SetFileOpenFunc(nullptr);
  g_Sound.SetStreamNextFunc(RecordEnd);
  ASSERT_EQ(g_Sound.LoadStream(StreamFile("long.wav", pcm).c_str(), 11), 1);
  EXPECT_EQ(QZSound::GetStreamInfoPtr()->remaining, frames * 4u - 8 * kSegment);
  ASSERT_EQ(g_Sound.PlayStream(0), 1);

  const int64_t stop = StopFrame(frames * 4);
  const std::vector<int16_t> out = Render(static_cast<uint32_t>(stop + 5000), stop);
  for (size_t i = 0; i < pcm.size(); ++i)
    ASSERT_EQ(out[i], pcm[i]) << "frame " << i / 2;
  for (size_t i = pcm.size(); i < out.size(); ++i)
    ASSERT_EQ(out[i], 0) << "frame " << i / 2;

  EXPECT_EQ(endedId.load(), 11u);
  EXPECT_EQ(endedCount.load(), 1);
  EXPECT_EQ(QZSound::GetStreamID(), 0u);
  EXPECT_EQ(QZSound::GetStreamInfoPtr()->sample.load(), nullptr);
  // Only the fill thread's own flag may still be up while it finishes.
  EXPECT_EQ(QZSound::GetStreamInfoPtr()->flags.load() & ~STREAM_FILLING, 0u);
  for (int16_t v : Pull(3000))
    ASSERT_EQ(v, 0);
}

TEST_F(StreamTest, APieceShorterThanTheBufferIsFollowedBySilence) {
  // Eight-bit sound: silence is 0x80, so a tail left as zero bytes would be heard at full scale.
  const int frames = 15000;
  wav::Bytes pcm;
  for (int i = 0; i < frames * 2; ++i)
    pcm.push_back(static_cast<uint8_t>(1 + i % 253));
  const std::string path =
      WriteWav("short8.wav", wav::Riff({wav::Fmt(2, 22050, 8), wav::Data(pcm)}));
  g_Sound.SetStreamNextFunc(RecordEnd);
  ASSERT_EQ(g_Sound.LoadStream(path.c_str(), 12), 1);
  const uint32_t segment = QZSound::GetStreamInfoPtr()->segmentSize;
  EXPECT_EQ(segment, 11026u);
  EXPECT_EQ(QZSound::GetStreamInfoPtr()->remaining, 0u);
  g_Sound.PlayStream(0);
  const int64_t stop = StopFrame(frames * 2, segment, 2);
  const std::vector<int16_t> out = Render(static_cast<uint32_t>(stop + 3000), stop);
  for (size_t i = 0; i < pcm.size(); ++i) {
    ASSERT_EQ(out[i], (pcm[i] - 128) * 256) << "frame " << i / 2;
  }
  for (size_t i = pcm.size(); i < out.size(); ++i)
    ASSERT_EQ(out[i], 0) << "frame " << i / 2;
  EXPECT_EQ(endedId.load(), 12u);
}

TEST_F(StreamTest, ALoopingPieceWrapsWithoutAGapAtTheSamePointEachTime) {
  const int frames = 72765;
  const std::vector<int16_t> pcm = Counting(frames, 3);
  ASSERT_EQ(g_Sound.LoadStream(StreamFile("loop.wav", pcm).c_str(), 13), 1);
  g_Sound.PlayStream(STREAM_LOOP);
  EXPECT_TRUE(QZSound::GetStreamInfoPtr()->flags.load() & STREAM_LOOP);
  const uint32_t total = 8 * 22050;  // more than two laps
  const std::vector<int16_t> out = Render(total);
  for (size_t i = 0; i < out.size(); ++i) {
    ASSERT_EQ(out[i], pcm[i % pcm.size()]) << "frame " << i / 2;
  }
  EXPECT_EQ(endedCount.load(), 0);
  EXPECT_EQ(QZSound::GetStreamID(), 13u);
}

TEST_F(StreamTest, ALoopingPieceShorterThanASegmentOrTheBufferLoopsToo) {
  for (int frames : {13230, 3000}) {
    const std::vector<int16_t> pcm = Counting(frames, 9);
    ASSERT_EQ(g_Sound.LoadStream(StreamFile("tiny.wav", pcm).c_str(), 14), 1);
    g_Sound.PlayStream(STREAM_LOOP);
    const std::vector<int16_t> out = Render(3 * 22050);
    for (size_t i = 0; i < out.size(); ++i) {
      ASSERT_EQ(out[i], pcm[i % pcm.size()]) << frames << " frame " << i / 2;
    }
    g_Sound.StopStream();
    EXPECT_EQ(QZSound::GetStreamID(), 0u);
  }
}

TEST_F(StreamTest, PauseKeepsTheStreamAndResumesWhereItWas) {
  const std::vector<int16_t> pcm = Counting(72765, 1);
  g_Sound.SetStreamNextFunc(RecordEnd);
  ASSERT_EQ(g_Sound.LoadStream(StreamFile("p.wav", pcm).c_str(), 15), 1);
  g_Sound.PlayStream(0);
  std::vector<int16_t> out = Render(22050);
  ASSERT_EQ(g_Sound.PauseStream(), 1);
  EXPECT_TRUE(QZSound::GetStreamInfoPtr()->flags.load() & STREAM_PAUSED);
  ASSERT_TRUE(FillServed());
  EXPECT_EQ(QZSound::GetStreamID(), 15u);
  EXPECT_EQ(endedCount.load(), 0);
  for (int16_t v : Pull(5000))
    ASSERT_EQ(v, 0);

  ASSERT_EQ(g_Sound.PauseStream(), 1);
  EXPECT_FALSE(QZSound::GetStreamInfoPtr()->flags.load() & STREAM_PAUSED);
  const std::vector<int16_t> more = Render(44100);
  out.insert(out.end(), more.begin(), more.end());
  for (size_t i = 0; i < out.size(); ++i)
    ASSERT_EQ(out[i], pcm[i]) << "frame " << i / 2;

  // A paused stream can still be stopped.
  g_Sound.PauseStream();
  g_Sound.StopStream();
  EXPECT_EQ(QZSound::GetStreamID(), 0u);
  EXPECT_EQ(endedId.load(), 15u);
}

TEST_F(StreamTest, StopDoesNotHangWhenTheNextStreamFunctionLoadsAnother) {
  nextPath = StreamFile("second.wav", Counting(30000, 100));
  g_Sound.SetStreamNextFunc(LoadTheNextOne);
  ASSERT_EQ(g_Sound.LoadStream(StreamFile("first.wav", Counting(72765)).c_str(), 1), 1);
  g_Sound.PlayStream(STREAM_LOOP);
  Render(10000);
  ASSERT_EQ(g_Sound.StopStream(), 1);
  EXPECT_EQ(endedId.load(), 1u);
  EXPECT_EQ(QZSound::GetStreamID(), 2u);
  EXPECT_TRUE(QZSound::GetStreamInfoPtr()->flags.load() & STREAM_PLAYING);

  // The second one plays from its start.
  const std::vector<int16_t> second = Counting(30000, 100);
  const std::vector<int16_t> out = Render(5000);
  for (size_t i = 0; i < out.size(); ++i)
    ASSERT_EQ(out[i], second[i]) << i;

  EXPECT_EQ(g_Sound.GetStreamNextFunc(), &LoadTheNextOne);
  EXPECT_EQ(g_Sound.SetStreamNextFunc(RecordEnd), &LoadTheNextOne);
  QZSound::ClearStreamNextStreamFunc();
  EXPECT_EQ(g_Sound.GetStreamNextFunc(), nullptr);
  g_Sound.StopStream();
  EXPECT_EQ(QZSound::GetStreamID(), 0u);
}

TEST_F(StreamTest, TheNextStreamFunctionMayLoadTheNextPieceWhenOneEndsByItself) {
  nextPath = StreamFile("second.wav", Counting(30000, 100));
  g_Sound.SetStreamNextFunc(LoadTheNextOne);
  const int frames = 20000;
  ASSERT_EQ(g_Sound.LoadStream(StreamFile("first.wav", Counting(frames)).c_str(), 1), 1);
  g_Sound.PlayStream(0);
  Render(static_cast<uint32_t>(StopFrame(frames * 4) + 10), StopFrame(frames * 4));
  EXPECT_EQ(endedId.load(), 1u);
  EXPECT_EQ(QZSound::GetStreamID(), 2u);
  QZSound::ClearStreamNextStreamFunc();
}

TEST_F(StreamTest, MusicSwitchedOffRefusesAndStops) {
  const std::string path = StreamFile("m.wav", Counting(30000));
  ASSERT_EQ(g_Sound.LoadStream(path.c_str(), 3), 1);
  g_Sound.PlayStream(0);
  Render(3000);
  g_Sound.EnableMusic(0);
  EXPECT_EQ(g_Sound.musicEnabled.load(), 0);
  EXPECT_EQ(QZSound::GetStreamID(), 0u);
  EXPECT_EQ(g_Sound.LoadStream(path.c_str(), 3), 0);
  EXPECT_EQ(g_Sound.PlayStream(0), 1);
  EXPECT_EQ(g_Sound.StopStream(), 1);
  g_Sound.EnableMusic(1);
  EXPECT_EQ(g_Sound.LoadStream(path.c_str(), 3), 1);
}

TEST_F(StreamTest, LoadsThatCannotWorkAreRefusedAndUndone) {
  // A sampler loop shorter than a segment.
  const std::string shortLoop =
      WriteWav("sl.wav", wav::Riff({wav::Fmt(2, 22050, 16), wav::Smpl({{0, 1000, 0}}),
                                    wav::Data(wav::Pcm16(Counting(30000)))}));
  EXPECT_EQ(g_Sound.LoadStream(shortLoop.c_str(), 4), 0);
  EXPECT_EQ(QZSound::g_pLastSample, QZSound::g_SampleList);
  EXPECT_EQ(QZSound::g_FillThread, nullptr);
  EXPECT_EQ(QZSound::g_NotifyEvents[0], nullptr);
  // A loop of a whole segment or more is fine.
  const std::string longLoop =
      WriteWav("ll.wav", wav::Riff({wav::Fmt(2, 22050, 16), wav::Smpl({{0, 6000, 0}}),
                                    wav::Data(wav::Pcm16(Counting(30000)))}));
  ASSERT_EQ(g_Sound.LoadStream(longLoop.c_str(), 4), 1);
  // One stream at a time.
  EXPECT_EQ(g_Sound.LoadStream(longLoop.c_str(), 5), 0);
  EXPECT_EQ(QZSound::GetStreamID(), 4u);
  g_Sound.StopStream();
  EXPECT_EQ(g_Sound.LoadStream((folder / "none.wav").string().c_str(), 4), 0);
  EXPECT_EQ(QZSound::g_pLastSample, QZSound::g_SampleList);
}

TEST_F(StreamTest, NoStreamMeansIdAndVolumeZero) {
  EXPECT_EQ(QZSound::GetStreamID(), 0u);
  EXPECT_EQ(QZSound::GetStreamVolume(), 0);
  QZSound::SetStreamVolume(1000);
  EXPECT_EQ(QZSound::GetStreamVolume(), 0);
  EXPECT_EQ(g_Sound.PauseStream(), 1);
  EXPECT_EQ(g_Sound.PlayStream(0), 1);
  EXPECT_EQ(QZSound::CleanupStream(), 1);
}

uint32_t fakeNow = 0;
std::vector<int> volumesSeen;

uint32_t SteppingTicks() {
  volumesSeen.push_back(QZSound::GetStreamVolume());
  fakeNow += 100;
  return fakeNow;
}

TEST_F(StreamTest, FadesStepTheRecordedLevelAlongTheTickCount) {
  ASSERT_EQ(g_Sound.LoadStream(StreamFile("f.wav", Counting(30000)).c_str(), 6), 1);
  QZSound::SetTickSource(SteppingTicks);

  volumesSeen.clear();
  g_Sound.FadeMusic(0, 32768, 0);
  EXPECT_EQ(QZSound::GetStreamVolume(), 32768);
  EXPECT_EQ(volumesSeen.size(), 1u);

  volumesSeen.clear();
  g_Sound.FadeMusicOut(1000);
  ASSERT_EQ(volumesSeen.size(), 11u);
  for (int k = 0; k < 10; ++k) {
    EXPECT_EQ(volumesSeen[k + 1], 32768 + k * 100 * (0 - 32768) / 1000) << k;
  }
  EXPECT_EQ(QZSound::GetStreamVolume(), 0);

  volumesSeen.clear();
  g_Sound.FadeMusicIn(300);
  ASSERT_EQ(volumesSeen.size(), 4u);
  EXPECT_EQ(volumesSeen[1], 0);
  EXPECT_EQ(volumesSeen[2], 10922);
  EXPECT_EQ(volumesSeen[3], 21845);
  EXPECT_EQ(QZSound::GetStreamVolume(), 32768);

  // Stream buffers have no volume control: the level is recorded, the sound is unchanged.
  g_Sound.PlayStream(0);
  const std::vector<int16_t> out = Pull(10);
  const std::vector<int16_t> pcm = Counting(10);
  for (size_t i = 0; i < out.size(); ++i)
    EXPECT_EQ(out[i], pcm[i]);
}

}  // namespace
