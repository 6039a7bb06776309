// Reading samples from WAV files made here, in every shape the reader must take or refuse.

#include <gtest/gtest.h>

#include "tests/sound/SoundFixture.h"

namespace {

using wav::Bytes;
using wav::Chunk;
using wav::Data;
using wav::Fmt;
using wav::Pcm16;
using wav::Riff;

class WavTest : public SoundTest {
 protected:
  // The loaded sample of that ID, without claiming it.
  static SNDSample* Loaded(uint32_t id) {
    for (SNDSample* s = QZSound::g_SampleList; s < QZSound::g_pLastSample; ++s) {
      if ((s->flags & SAMPLE_INUSE) && s->id == id) return s;
    }
    return nullptr;
  }

  // Loads, plays and pulls the sample's frames back out of the mixer.
  std::vector<int16_t> LoadAndHear(const Bytes& file, uint32_t frames) {
    const std::string path = WriteWav("hear.wav", file);
    EXPECT_EQ(g_Sound.LoadSample(path.c_str(), 77), 1);
    EXPECT_NE(g_Sound.PlaySample(77, 65535, 0), nullptr);
    return Pull(frames);
  }
};

TEST_F(WavTest, ReadsTheFormatAndTheData) {
  const std::vector<int16_t> pcm = Counting(300);
  const std::string path = WriteWav("a.wav", wav::Stereo16(pcm));
  ASSERT_EQ(g_Sound.LoadSample(path.c_str(), 5), 1);
  SNDSample* s = Loaded(5);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->sampleRate, 22050u);
  EXPECT_EQ(s->channels, 2u);
  EXPECT_EQ(s->bitsPerSample, 16u);
  EXPECT_EQ(s->dataSize, 1200u);
  EXPECT_EQ(s->flags, SAMPLE_INUSE | SAMPLE_FORMAT);
  ASSERT_NE(s->buffer, nullptr);
  EXPECT_EQ(s->buffer->Size(), 1200u);

  g_Sound.PlaySample(5, 65535, 0);
  const std::vector<int16_t> out = Pull(310);
  for (size_t i = 0; i < pcm.size(); ++i)
    ASSERT_EQ(out[i], pcm[i]) << i;
  for (size_t i = pcm.size(); i < out.size(); ++i)
    ASSERT_EQ(out[i], 0);
}

TEST_F(WavTest, ChunkOrderDoesNotMatter) {
  const std::vector<int16_t> pcm = Counting(50, 1000);
  const std::vector<int16_t> out =
      LoadAndHear(Riff({Data(Pcm16(pcm)), Fmt(2, 22050, 16), Chunk("junk", {1, 2, 3, 4})}), 50);
  for (size_t i = 0; i < pcm.size(); ++i)
    ASSERT_EQ(out[i], pcm[i]) << i;
}

TEST_F(WavTest, AFormatChunkIsReadByItsOwnSizeWhereverItStands) {
  const std::vector<int16_t> pcm = Counting(30, 500);
  // The plain 16 bytes, 18 with an empty extension, and 40 of an extensible format, each as the
  // file's last chunk, where reading past its end would fail.
  uint32_t id = 80;
  for (const size_t extra : {size_t{0}, size_t{2}, size_t{24}}) {
    Bytes fmt = Fmt(2, 22050, 16);
    fmt.insert(fmt.end(), extra, 0);
    fmt[4] = static_cast<uint8_t>(16 + extra);
    const std::string path = WriteWav("last.wav", Riff({Data(Pcm16(pcm)), fmt}));
    ASSERT_EQ(g_Sound.LoadSample(path.c_str(), id), 1) << extra;
    ASSERT_NE(g_Sound.PlaySample(id, 65535, 0), nullptr);
    const std::vector<int16_t> out = Pull(30);
    for (size_t i = 0; i < pcm.size(); ++i)
      ASSERT_EQ(out[i], pcm[i]) << extra << " " << i;
    ++id;
  }
}

TEST_F(WavTest, OddSizedChunksArePaddedAndSkipped) {
  const std::vector<int16_t> pcm = Counting(40, 7);
  const Bytes list = Chunk("LIST", {'I', 'N', 'F', 'O', 'x'});  // 5 bytes and a pad byte
  ASSERT_EQ(list.size(), 8u + 6u);
  const std::vector<int16_t> out =
      LoadAndHear(Riff({Fmt(2, 22050, 16), list, Data(Pcm16(pcm))}), 40);
  for (size_t i = 0; i < pcm.size(); ++i)
    ASSERT_EQ(out[i], pcm[i]) << i;
}

TEST_F(WavTest, EightBitMonoAtAnotherRate) {
  const Bytes pcm = {128, 255, 0, 128};
  const std::string path = WriteWav("m.wav", Riff({Fmt(1, 11025, 8), Data(pcm)}));
  ASSERT_EQ(g_Sound.LoadSample(path.c_str(), 9), 1);
  SNDSample* s = Loaded(9);
  EXPECT_EQ(s->bitsPerSample, 8u);
  EXPECT_EQ(s->channels, 1u);
  EXPECT_EQ(s->sampleRate, 11025u);
  g_Sound.PlaySample(9, 65535, 0);
  const std::vector<int16_t> out = Pull(8);
  // Each 11025 Hz frame becomes two output frames, the second halfway to the next.
  const int16_t left[8] = {0, 16256, 32512, -128, -32768, -16384, 0, 0};
  for (int i = 0; i < 8; ++i)
    EXPECT_EQ(out[2 * i], left[i]) << i;
}

TEST_F(WavTest, SamplerLoopMakesTheSampleLoop) {
  const std::vector<int16_t> pcm = Counting(100);
  const std::string path =
      WriteWav("loop.wav", Riff({Fmt(2, 22050, 16), wav::Smpl({{10, 90, 3}}), Data(Pcm16(pcm))}));
  ASSERT_EQ(g_Sound.LoadSample(path.c_str(), 3), 1);
  SNDSample* s = Loaded(3);
  EXPECT_TRUE(s->flags & SAMPLE_LOOP);
  EXPECT_EQ(s->loopStart, 40u);  // frames to bytes
  EXPECT_EQ(s->loopEnd, 360u);
  EXPECT_EQ(s->loopCount, 3u);

  g_Sound.PlaySample(3, 65535, 0);
  EXPECT_EQ(s->GetSampleStatus(), platform::kStatusPlaying | platform::kStatusLooping);
  const std::vector<int16_t> out = Pull(250);
  for (size_t i = 0; i < out.size(); ++i)
    ASSERT_EQ(out[i], pcm[i % pcm.size()]) << i;
}

TEST_F(WavTest, SamplerChunkWithoutLoopsLeavesTheSampleOnce) {
  const std::string path =
      WriteWav("noloop.wav", Riff({Fmt(2, 22050, 16), wav::Smpl({}), Data(Pcm16(Counting(10)))}));
  ASSERT_EQ(g_Sound.LoadSample(path.c_str(), 3), 1);
  EXPECT_FALSE(Loaded(3)->flags & SAMPLE_LOOP);
  // A sampler chunk cut short is no loop either, and no failure.
  const std::string cut = WriteWav(
      "cut.wav", Riff({Fmt(2, 22050, 16), Chunk("smpl", Bytes(20, 0)), Data(Pcm16(Counting(10)))}));
  ASSERT_EQ(g_Sound.LoadSample(cut.c_str(), 4), 1);
  EXPECT_FALSE(Loaded(4)->flags & SAMPLE_LOOP);
}

TEST_F(WavTest, FilesThatAreNotPlayableWavAreRefused) {
  const Bytes data = Data(Pcm16(Counting(20)));
  Bytes fmt24 = Fmt(2, 22050, 24);
  struct Case {
    const char* what;
    Bytes file;
  } cases[] = {
      {"not RIFF",
       [&] {
         Bytes b = wav::Stereo16(Counting(20));
         b[0] = 'X';
         return b;
       }()},
      {"not WAVE", Riff({Fmt(2, 22050, 16), data}, "AVI ")},
      {"no fmt", Riff({data})},
      {"no data", Riff({Fmt(2, 22050, 16)})},
      {"float samples", Riff({Fmt(2, 22050, 32, 3), data})},
      {"ADPCM", Riff({Fmt(1, 22050, 4, 2), data})},
      {"no channels", Riff({Fmt(0, 22050, 16), data})},
      {"three channels", Riff({Fmt(3, 22050, 16), data})},
      {"no rate", Riff({Fmt(2, 0, 16), data})},
      {"24-bit", Riff({fmt24, data})},
      {"fmt at the very end, shorter than 16 bytes",
       [&] {
         Bytes fmt = Fmt(2, 22050, 16);
         fmt.resize(8 + 14);
         fmt[4] = 14;
         return Riff({data, fmt});
       }()},
      {"data larger than the file",
       Riff({Fmt(2, 22050, 16), Data(Pcm16(Counting(20)), 0x7FFFFFF0)})},
      {"data one byte larger than the file",
       Riff({Fmt(2, 22050, 16), Data(Pcm16(Counting(20)), 81)})},
      {"empty file", Bytes{}},
      {"cut inside the header", Bytes{'R', 'I', 'F', 'F', 0, 0}},
      {"cut inside the fmt chunk",
       [&] {
         Bytes b = wav::Stereo16(Counting(20));
         b.resize(30);
         return b;
       }()},
  };
  uint32_t id = 100;
  for (const Case& c : cases) {
    const std::string path = WriteWav("bad.wav", c.file);
    EXPECT_EQ(g_Sound.LoadSample(path.c_str(), id), 0) << c.what;
    // Nothing is kept: no slot, no buffer playing or waiting in the mixer.
    EXPECT_EQ(QZSound::g_pLastSample, QZSound::g_SampleList) << c.what;
    EXPECT_EQ(QZSound::g_SampleList[0].flags, 0u) << c.what;
    EXPECT_EQ(QZSound::g_SampleList[0].buffer, nullptr) << c.what;
    ++id;
  }
  EXPECT_EQ(g_Sound.LoadSample((folder / "missing.wav").string().c_str(), 1), 0);
  EXPECT_EQ(g_Sound.LoadSample(folder.string().c_str(), 1), 0);
}

TEST_F(WavTest, ADataChunkThatFitsExactlyLoads) {
  // The size is checked against what follows it, not against the RIFF size field.
  Bytes file = wav::Stereo16(Counting(20));
  file[4] = file[5] = file[6] = file[7] = 0;
  const std::string path = WriteWav("exact.wav", file);
  EXPECT_EQ(g_Sound.LoadSample(path.c_str(), 1), 1);
}

int opens = 0;
int closes = 0;

SNDHandle CountingOpen(const char* name) {
  ++opens;
  return QZSound::DefaultOpenFile(name);
}

int CountingClose(SNDHandle handle) {
  ++closes;
  return QZSound::DefaultCloseFile(handle);
}

TEST_F(WavTest, FileHooksAreUsedAndAPresentIdIsNotReadAgain) {
  opens = closes = 0;
  QZSound::SetFileOpenFunc(CountingOpen);
  QZSound::SetFileCloseFunc(CountingClose);
  const std::string path = WriteWav("h.wav", wav::Stereo16(Counting(10)));
  ASSERT_EQ(g_Sound.LoadSample(path.c_str(), 8), 1);
  EXPECT_EQ(opens, 1);
  EXPECT_EQ(closes, 1);
  // Already present: 1 without reading the file, even when it is gone.
  std::filesystem::remove(path);
  EXPECT_EQ(g_Sound.LoadSample(path.c_str(), 8), 1);
  EXPECT_EQ(opens, 1);
  // A refused file is closed again.
  const std::string bad = WriteWav("bad.wav", Riff({Fmt(2, 22050, 16)}));
  EXPECT_EQ(g_Sound.LoadSample(bad.c_str(), 9), 0);
  EXPECT_EQ(opens, 2);
  EXPECT_EQ(closes, 2);

  QZSound::SetFileOpenFunc(nullptr);
  QZSound::SetFileCloseFunc(nullptr);
  EXPECT_EQ(QZSound::g_pOpenFile, &QZSound::DefaultOpenFile);
  EXPECT_EQ(QZSound::g_pCloseFile, &QZSound::DefaultCloseFile);
}

TEST_F(WavTest, KeepIdLoadsIntoASlotWithoutChangingItsId) {
  SNDSample* s = QZSound::AllocSample();
  s->id = 42;
  const std::string path = WriteWav("k.wav", wav::Stereo16(Counting(10)));
  ASSERT_EQ(s->LoadSample(path.c_str(), SND_KEEP_ID), 1);
  EXPECT_EQ(s->id, 42u);
  g_Sound.FreeSample(s);
}

TEST_F(WavTest, WindowsStylePathsAreAccepted) {
  std::filesystem::create_directories(folder / "sounds");
  wav::Write(folder / "sounds" / "pop1.wav", wav::Stereo16(Counting(10)));
  const std::string windowsPath = folder.string() + "\\sounds\\pop1.wav";
  EXPECT_EQ(g_Sound.LoadSample(windowsPath.c_str(), 10), 1);
}

}  // namespace
