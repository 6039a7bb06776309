// The sample pool: slots, the high-water mark, copies for overlapping play, chains, and what a
// played sample sounds like in the mixer.

#include <gtest/gtest.h>

#include "tests/sound/SoundFixture.h"

namespace {

constexpr int kOneSecond = 22050;

class PoolTest : public SoundTest {
 protected:
  void Load(uint32_t id, const std::vector<int16_t>& pcm, bool loop = false) {
    wav::Bytes file = loop ? wav::Riff({wav::Fmt(2, 22050, 16), wav::Smpl({{0, 1, 0}}),
                                        wav::Data(wav::Pcm16(pcm))})
                           : wav::Stereo16(pcm);
    const std::string path = WriteWav("s" + std::to_string(id) + ".wav", file);
    ASSERT_EQ(g_Sound.LoadSample(path.c_str(), id), 1);
  }

  static int InUse() {
    int n = 0;
    for (SNDSample* s = QZSound::g_SampleList; s < QZSound::g_pEndSample; ++s) {
      n += (s->flags & SAMPLE_INUSE) ? 1 : 0;
    }
    return n;
  }

  static int Mark() { return static_cast<int>(QZSound::g_pLastSample - QZSound::g_SampleList); }
};

TEST_F(PoolTest, ThreeQuickPlaysUseTheSampleAndTwoCopiesThenTheFirstIdleOne) {
  Load(1, Constant(kOneSecond, 1000));
  SNDSample* first = g_Sound.PlaySample(1, 65535, 0);
  SNDSample* second = g_Sound.PlaySample(1, 65535, 0);
  SNDSample* third = g_Sound.PlaySample(1, 65535, 0);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  ASSERT_NE(third, nullptr);
  EXPECT_EQ(SlotIndex(first), 0);
  EXPECT_EQ(SlotIndex(second), 1);
  EXPECT_EQ(SlotIndex(third), 2);
  EXPECT_FALSE(first->flags & SAMPLE_DUPLICATE);
  EXPECT_TRUE(second->flags & SAMPLE_DUPLICATE);
  EXPECT_TRUE(third->flags & SAMPLE_DUPLICATE);
  EXPECT_EQ(second->id, 1u);
  EXPECT_EQ(second->dataSize, first->dataSize);
  for (SNDSample* s : {first, second, third})
    EXPECT_FALSE(s->flags & SAMPLE_CLAIMED);

  // All three at once.
  for (int16_t v : Pull(100))
    ASSERT_EQ(v, 3000);
  Pull(kOneSecond);
  for (SNDSample* s : {first, second, third})
    EXPECT_EQ(s->SamplePlaying(), 0);

  SNDSample* fourth = g_Sound.PlaySample(1, 65535, 0);
  EXPECT_EQ(fourth, first);
  EXPECT_EQ(InUse(), 3);
  for (int16_t v : Pull(10))
    ASSERT_EQ(v, 1000);
}

TEST_F(PoolTest, AClaimedSampleIsCopiedFromTheOriginalOnly) {
  Load(1, Constant(10, 5));
  SNDSample* a = g_Sound.FindSample(1);
  SNDSample* b = g_Sound.FindSample(1);
  SNDSample* c = g_Sound.FindSample(1);
  EXPECT_EQ(SlotIndex(a), 0);
  EXPECT_EQ(SlotIndex(b), 1);
  EXPECT_EQ(SlotIndex(c), 2);
  for (SNDSample* s : {a, b, c})
    EXPECT_TRUE(s->flags & SAMPLE_CLAIMED);
  EXPECT_EQ(g_Sound.FindSample(99), nullptr);
}

TEST_F(PoolTest, FinishedCopiesOfOtherSoundsAreReclaimed) {
  Load(1, Constant(50, 100));
  g_Sound.PlaySample(1, 65535, 0);
  SNDSample* copy = g_Sound.PlaySample(1, 65535, 0);
  ASSERT_EQ(SlotIndex(copy), 1);
  Pull(60);
  // Loading another sound searches the pool first and frees the idle copy on its way.
  Load(2, Constant(50, 200));
  EXPECT_EQ(QZSound::g_SampleList[1].id, 2u);
  EXPECT_FALSE(QZSound::g_SampleList[1].flags & SAMPLE_DUPLICATE);
  EXPECT_EQ(InUse(), 2);
}

TEST_F(PoolTest, FreeingInTheMiddleKeepsHigherSamplesFindable) {
  Load(1, Constant(10, 1));
  Load(2, Constant(10, 2));
  Load(3, Constant(10, 3));
  EXPECT_EQ(Mark(), 3);
  g_Sound.FreeSample(2);
  EXPECT_EQ(QZSound::g_SampleList[1].flags, 0u);
  EXPECT_EQ(Mark(), 3);
  SNDSample* three = g_Sound.PlaySample(3, 65535, 0);
  ASSERT_NE(three, nullptr);
  EXPECT_EQ(SlotIndex(three), 2);
  for (int16_t v : Pull(10))
    ASSERT_EQ(v, 3);

  // The gap is taken first; freeing the highest brings the mark down to the next one in use.
  Load(4, Constant(10, 4));
  EXPECT_EQ(QZSound::g_SampleList[1].id, 4u);
  g_Sound.FreeSample(3);
  EXPECT_EQ(Mark(), 2);
  g_Sound.FreeSample(1);
  g_Sound.FreeSample(4);
  EXPECT_EQ(Mark(), 0);
}

TEST_F(PoolTest, FreeingABusyIdFreesOnlyTheCopyTheSearchMade) {
  Load(1, Constant(100, 7), true);
  SNDSample* playing = g_Sound.PlaySample(1, 65535, 0);
  ASSERT_EQ(playing->SamplePlaying(), 1);
  g_Sound.FreeSample(1);
  EXPECT_EQ(playing->SamplePlaying(), 1);
  EXPECT_EQ(InUse(), 1);
  EXPECT_EQ(QZSound::g_SampleList[1].flags, 0u);
}

TEST_F(PoolTest, FlushReleasesIdleCopiesOnly) {
  Load(1, Constant(100, 7), true);
  g_Sound.PlaySample(1, 65535, 0);
  SNDSample* busy = g_Sound.PlaySample(1, 65535, 0);
  SNDSample* idle = g_Sound.PlaySample(1, 65535, 0);
  SNDSample* claimed = g_Sound.FindSample(1);
  idle->StopSample();
  g_Sound.FlushSamples();
  EXPECT_EQ(idle->flags, 0u);
  EXPECT_TRUE(busy->flags & SAMPLE_INUSE);
  EXPECT_TRUE(claimed->flags & SAMPLE_CLAIMED);
  EXPECT_EQ(InUse(), 3);
}

class SmallPoolTest : public PoolTest {
 protected:
  int SlotCount() override { return 2; }
};

TEST_F(SmallPoolTest, AFullPoolRefusesLoadsAndCopies) {
  Load(1, Constant(100, 1));
  Load(2, Constant(100, 2));
  const std::string path = WriteWav("third.wav", wav::Stereo16(Constant(10, 3)));
  EXPECT_EQ(g_Sound.LoadSample(path.c_str(), 3), 0);
  EXPECT_EQ(QZSound::AllocSample(), nullptr);
  ASSERT_NE(g_Sound.PlaySample(1, 65535, 0), nullptr);
  // Every copy busy and no slot for another: nothing plays.
  EXPECT_EQ(g_Sound.PlaySample(1, 65535, 0), nullptr);
  EXPECT_EQ(g_Sound.PlaySampleIDOnce(1, 65535, 0), 0);
  for (int16_t v : Pull(10))
    ASSERT_EQ(v, 1);
}

TEST_F(PoolTest, WithEffectsOffPlayingSucceedsSilently) {
  Load(1, Constant(100, 500));
  g_Sound.EnableSFX(0);
  SNDSample* s = g_Sound.PlaySample(1, 65535, 0);
  ASSERT_NE(s, nullptr);
  EXPECT_FALSE(s->flags & SAMPLE_CLAIMED);
  EXPECT_EQ(s->SamplePlaying(), 0);
  EXPECT_EQ(g_Sound.PlaySampleIDOnce(1, 65535, 0), 1);
  for (int16_t v : Pull(50))
    ASSERT_EQ(v, 0);
  g_Sound.EnableSFX(1);
  EXPECT_EQ(g_Sound.PlaySampleIDOnce(1, 65535, 0), 1);
  for (int16_t v : Pull(50))
    ASSERT_EQ(v, 500);
}

TEST_F(PoolTest, LevelsAreRecordedButSampleBuffersRefuseThem) {
  Load(1, Constant(100, 500));
  SNDSample* s = g_Sound.PlaySample(1, 30000, 40000);
  EXPECT_EQ(s->volume, 30000);
  EXPECT_EQ(s->pan, 40000);
  // Heard at the file's own level, centred.
  for (int16_t v : Pull(10))
    ASSERT_EQ(v, 500);
  EXPECT_EQ(s->SetVolume(100), 0);
  EXPECT_EQ(s->volume, 100);
  EXPECT_EQ(s->SetPan(0), 0);
  EXPECT_EQ(s->pan, 0);
  EXPECT_EQ(s->SetPitch(11025), 0);
  EXPECT_EQ(s->pitch, 11025);

  SNDSample empty{};
  EXPECT_EQ(empty.SetVolume(5), 0);
  EXPECT_EQ(empty.volume, 0);
  EXPECT_EQ(empty.GetSampleStatus(), SND_STATUS_INVALID);
  EXPECT_EQ(empty.SamplePlaying(), 0);
  EXPECT_EQ(empty.StopSample(), 0);
  EXPECT_EQ(empty.PlaySample(65535, 0), 0);
  EXPECT_EQ(empty.DupeSample(), nullptr);
}

TEST_F(PoolTest, PauseKeepsThePositionAndNothingRewinds) {
  const std::vector<int16_t> pcm = Counting(1000);
  Load(1, pcm);
  SNDSample* s = g_Sound.PlaySample(1, 65535, 0);
  Pull(100);
  ASSERT_EQ(s->PauseSample(), 1);
  EXPECT_TRUE(s->flags & SAMPLE_PAUSED);
  EXPECT_EQ(s->pausePosition, 400u);
  for (int16_t v : Pull(20))
    ASSERT_EQ(v, 0);
  ASSERT_EQ(s->UnPauseSample(), 1);
  EXPECT_FALSE(s->flags & SAMPLE_PAUSED);
  EXPECT_EQ(s->UnPauseSample(), 0);
  std::vector<int16_t> out = Pull(1);
  EXPECT_EQ(out[0], pcm[200]);

  // Stopped and started again, it goes on where it stopped.
  s->StopSample();
  s->PlaySample(65535, 0);
  out = Pull(1);
  EXPECT_EQ(out[0], pcm[202]);
}

TEST_F(PoolTest, AChainOfThreePlaysInOrderWithTheFirstOnesLevels) {
  Load(1, Constant(100, 1000));
  Load(2, Constant(150, 2000));
  Load(3, Constant(80, 3000));
  SNDSample* a = g_Sound.FindSample(1);
  SNDSample* b = g_Sound.FindSample(2);
  SNDSample* c = g_Sound.FindSample(3);
  EXPECT_EQ(SNDSample::ChainSample(a, b), a);
  EXPECT_EQ(SNDSample::ChainSample(a, c), a);
  EXPECT_EQ(a->next, b);
  EXPECT_EQ(b->next, c);

  ASSERT_EQ(a->PlaySample(40000, 20000), 1);
  EXPECT_TRUE(a->flags & SAMPLE_NOTIFY);
  EXPECT_EQ(a->notifyOffset, platform::kNotifyOnStop);
  for (int16_t v : Pull(100))
    ASSERT_EQ(v, 1000);
  ASSERT_TRUE(CallbackServed());
  EXPECT_FALSE(a->flags & SAMPLE_NOTIFY);
  for (int16_t v : Pull(150))
    ASSERT_EQ(v, 2000);
  ASSERT_TRUE(CallbackServed());
  for (int16_t v : Pull(80))
    ASSERT_EQ(v, 3000);
  ASSERT_TRUE(CallbackServed());
  for (int16_t v : Pull(50))
    ASSERT_EQ(v, 0);

  for (SNDSample* s : {b, c}) {
    EXPECT_EQ(s->volume, 40000);
    EXPECT_EQ(s->pan, 20000);
  }
  // Every end has been handled: no entry stays taken.
  for (int i = 0; i < QZSound::g_nMaxEventCount; ++i) {
    EXPECT_EQ(QZSound::g_EventList[i].sample, nullptr) << i;
  }
}

TEST_F(PoolTest, StartedOnceByIdAChainDoesNotGoOn) {
  Load(1, Constant(50, 1000));
  Load(2, Constant(50, 2000));
  SNDSample* a = g_Sound.FindSample(1);
  SNDSample* b = g_Sound.FindSample(2);
  SNDSample::ChainSample(a, b);
  a->flags &= ~SAMPLE_CLAIMED;
  ASSERT_EQ(g_Sound.PlaySampleIDOnce(1, 65535, 0), 1);
  EXPECT_FALSE(a->flags & SAMPLE_NOTIFY);
  Pull(50);
  ASSERT_TRUE(CallbackServed());
  for (int16_t v : Pull(50))
    ASSERT_EQ(v, 0);
}

TEST_F(PoolTest, AHandledEndLeavesNoStaleNotification) {
  Load(1, Constant(50, 1000));
  Load(2, Constant(50, 2000));
  Load(3, Constant(50, 3000));
  Load(4, Constant(50, 4000));
  SNDSample* a = g_Sound.FindSample(1);
  SNDSample* b = g_Sound.FindSample(2);
  SNDSample::ChainSample(a, b);
  a->PlaySample(65535, 0);
  Pull(100);
  ASSERT_TRUE(CallbackServed());
  ASSERT_TRUE(CallbackServed());

  // Another chain takes the same entry ...
  SNDSample* x = g_Sound.FindSample(3);
  SNDSample* y = g_Sound.FindSample(4);
  SNDSample::ChainSample(x, y);
  x->PlaySample(65535, 0);
  // ... and a stop of the first sample, started again without a chain, must not end it.
  a->next = nullptr;
  a->PlaySample(65535, 0);
  a->StopSample();
  ASSERT_TRUE(CallbackServed());
  EXPECT_EQ(y->SamplePlaying(), 0);
  EXPECT_EQ(x->SamplePlaying(), 1);
}

TEST_F(PoolTest, ChainingEdges) {
  Load(1, Constant(10, 1));
  Load(2, Constant(10, 2));
  SNDSample* a = g_Sound.FindSample(1);
  SNDSample* b = g_Sound.FindSample(2);
  EXPECT_EQ(SNDSample::ChainSample(a, nullptr), nullptr);
  EXPECT_EQ(SNDSample::ChainSample(nullptr, b), b);
  SNDSample::ChainSample(a, b);
  // Closing a circle is refused: the chain stays a line.
  EXPECT_EQ(SNDSample::ChainSample(b, a), b);
  EXPECT_EQ(b->next, nullptr);
  EXPECT_EQ(SNDSample::ChainSample(a, b), a);
  EXPECT_EQ(b->next, nullptr);
}

TEST_F(PoolTest, ReallocatingTheSlotsWhileRunningIsRefusedAndChangesNothing) {
  Load(1, Constant(100, 7));
  void* block = QZSound::g_MemHandle;
  platform::Event** handles = QZSound::g_CallBackHandles;
  EXPECT_EQ(g_Sound.AllocSampleBuffers(), 0);
  EXPECT_EQ(QZSound::g_MemHandle, block);
  EXPECT_EQ(QZSound::g_CallBackHandles, handles);
  EXPECT_EQ(InUse(), 1);
  EXPECT_EQ(QZSound::g_SampleList[0].id, 1u);
  // The callback thread still waits on live events: a played end is still handled.
  SNDSample* played = g_Sound.PlaySample(1, 65535, 0);
  ASSERT_NE(played, nullptr);
  Pull(200);
  EXPECT_TRUE(CallbackServed());
  EXPECT_EQ(played->SamplePlaying(), 0);
  EXPECT_EQ(played->flags & SAMPLE_NOTIFY, 0u);

  // Once the manager is down the slots can be made again.
  g_Sound.Exit();
  EXPECT_EQ(g_Sound.AllocSampleBuffers(), 1);
  EXPECT_NE(QZSound::g_SampleList, nullptr);
  EXPECT_EQ(g_Sound.AllocSampleBuffers(), 1);
}

TEST_F(PoolTest, ExitStopsAndReleasesEverything) {
  Load(1, Constant(100, 7), true);
  Load(2, Constant(100, 7));
  g_Sound.PlaySample(1, 65535, 0);
  g_Sound.PlaySample(1, 65535, 0);
  platform::Mixer& mixer = QZSound::GetDSObject()->GetMixer();
  EXPECT_EQ(mixer.PlayingCount(), 2);
  g_Sound.Exit();
  EXPECT_EQ(mixer.PlayingCount(), 0);
  EXPECT_EQ(QZSound::g_SampleList, nullptr);
  EXPECT_EQ(QZSound::g_CallBackThread, nullptr);
  EXPECT_EQ(QZSound::g_nCallBackThreadActive.load(), 0);
  EXPECT_EQ(g_Sound.PlaySample(1, 65535, 0), nullptr);
}

}  // namespace
