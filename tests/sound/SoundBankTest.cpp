// The game's sound bank over g_Sound: IDs by loading order, lookups by name, and the switches.

#include "framework/SoundBank.h"

#include <gtest/gtest.h>

#include "tests/sound/SoundFixture.h"

namespace {

class SoundBankTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetAudioOutputKind(platform::AudioOutputKind::kMemory);
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder = UniqueFolder(std::string("bank_test_") + info->name());
    std::filesystem::create_directories(folder / "sounds");
    bank.Init(nullptr, 200);
  }

  void TearDown() override {
    bank.Shutdown();
    std::filesystem::remove_all(folder);
  }

  // Writes sounds\NAME.wav holding a constant value and returns its path the Windows way.
  std::string Effect(const std::string& name, int16_t value, int frames = 100) {
    wav::Write(folder / "sounds" / (name + ".wav"), wav::Stereo16(Constant(frames, value)));
    return folder.string() + "\\sounds\\" + name + ".wav";
  }

  SoundBank bank;
  std::filesystem::path folder;
};

TEST_F(SoundBankTest, LoadingOrderGivesTheIds) {
  SampleEntry* pop = bank.LoadSample(Effect("pop1", 100).c_str(), "pop1");
  SampleEntry* blow = bank.LoadSample(Effect("blow", 200).c_str(), "blow");
  ASSERT_NE(pop, nullptr);
  ASSERT_NE(blow, nullptr);
  EXPECT_EQ(pop->id, 10);
  EXPECT_EQ(blow->id, 11);
  EXPECT_STREQ(blow->name, "blow");
  EXPECT_EQ(bank.Find("blow"), blow);
  EXPECT_EQ(bank.Find("Blow"), nullptr);

  SNDSample* played = bank.Play("blow", 65535, 0);
  ASSERT_NE(played, nullptr);
  EXPECT_EQ(played->id, 11u);
  for (int16_t v : PullFrames(50))
    ASSERT_EQ(v, 200);
  EXPECT_NE(bank.PlayIndex(0, 65535, 0), nullptr);
  for (int16_t v : PullFrames(10))
    ASSERT_EQ(v, 300);
  EXPECT_EQ(bank.PlayIndex(2, 65535, 0), nullptr);
  EXPECT_EQ(bank.PlayIndex(-1, 65535, 0), nullptr);
}

TEST_F(SoundBankTest, AFailedLoadUsesNoId) {
  EXPECT_EQ(bank.LoadSample((folder.string() + "\\sounds\\missing.wav").c_str(), "gone"), nullptr);
  EXPECT_EQ(bank.Count(), 0);
  EXPECT_EQ(bank.Play("gone", 65535, 0), nullptr);
  SampleEntry* next = bank.LoadSample(Effect("reveal", 5).c_str(), "reveal");
  ASSERT_NE(next, nullptr);
  EXPECT_EQ(next->id, 10);
}

TEST_F(SoundBankTest, TheFirstOfTwoEqualNamesIsPlayed) {
  bank.LoadSample(Effect("a", 111).c_str(), "same");
  bank.LoadSample(Effect("b", 222).c_str(), "same");
  SNDSample* s = bank.Play("same", 65535, 0);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->id, 10u);
  for (int16_t v : PullFrames(10))
    ASSERT_EQ(v, 111);
}

TEST_F(SoundBankTest, AfterFreeAllNothingPlaysUntilLoadedAgainFromTen) {
  bank.LoadSample(Effect("a", 1).c_str(), "a");
  bank.LoadSample(Effect("b", 2).c_str(), "b");
  bank.FreeAll();
  EXPECT_EQ(bank.Count(), 0);
  EXPECT_EQ(bank.Play("a", 65535, 0), nullptr);
  EXPECT_EQ(QZSound::g_pLastSample, QZSound::g_SampleList);
  SampleEntry* again = bank.LoadSample(Effect("b", 2).c_str(), "b");
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->id, 10);
}

TEST_F(SoundBankTest, FreeAllSilencesEffectsStillPlaying) {
  const std::string path = folder.string() + "\\sounds\\hum.wav";
  wav::Write(folder / "sounds" / "hum.wav",
             wav::Riff({wav::Fmt(2, 22050, 16), wav::Smpl({{0, 10, 0}}),
                        wav::Data(wav::Pcm16(Constant(100, 64)))}));
  ASSERT_NE(bank.LoadSample(path.c_str(), "hum"), nullptr);
  bank.Play("hum", 65535, 0);
  bank.Play("hum", 65535, 0);
  for (int16_t v : PullFrames(10))
    ASSERT_EQ(v, 128);
  bank.FreeAll();
  EXPECT_EQ(QZSound::GetDSObject()->GetMixer().PlayingCount(), 0);
  for (int16_t v : PullFrames(500))
    ASSERT_EQ(v, 0);
}

TEST_F(SoundBankTest, FreeingOneKeepsTheOthersAndANewLoadTakesAFreeId) {
  bank.LoadSample(Effect("a", 10).c_str(), "a");
  bank.LoadSample(Effect("b", 20).c_str(), "b");
  bank.Free("a");
  EXPECT_EQ(bank.Find("a"), nullptr);
  EXPECT_EQ(bank.Count(), 1);
  bank.Free("not there");
  // The count says 11, which "b" still holds: the new effect must get a sound of its own.
  SampleEntry* c = bank.LoadSample(Effect("c", 30).c_str(), "c");
  ASSERT_NE(c, nullptr);
  EXPECT_NE(c->id, bank.Find("b")->id);
  bank.Play("c", 65535, 0);
  for (int16_t v : PullFrames(10))
    ASSERT_EQ(v, 30);
  bank.Play("b", 65535, 0);
  for (int16_t v : PullFrames(10))
    ASSERT_EQ(v, 50);
}

TEST_F(SoundBankTest, LongNamesAreCutToTheField) {
  const std::string longName(40, 'x');
  SampleEntry* e = bank.LoadSample(Effect("long", 9).c_str(), longName.c_str());
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(std::string(e->name), std::string(31, 'x'));
  EXPECT_EQ(bank.Find(longName.c_str()), e);
}

TEST_F(SoundBankTest, SwitchesReachTheLibrary) {
  bank.LoadSample(Effect("a", 70).c_str(), "a");
  bank.EnableSfx(0);
  EXPECT_EQ(g_Sound.sfxEnabled.load(), 0);
  EXPECT_NE(bank.Play("a", 65535, 0), nullptr);
  for (int16_t v : PullFrames(10))
    ASSERT_EQ(v, 0);
  bank.EnableSfx(1);
  bank.EnableMusic(0);
  EXPECT_EQ(g_Sound.musicEnabled.load(), 0);
  bank.EnableMusic(1);
  EXPECT_EQ(g_Sound.musicEnabled.load(), 1);
}

TEST(SoundBankLifeTest, PlayingBeforeInitFindsNothingAndShutdownEndsTheLibrary) {
  platform::SetAudioOutputKind(platform::AudioOutputKind::kMemory);
  SoundBank bank;
  EXPECT_EQ(bank.Play("pop1", 65535, 0), nullptr);
  bank.Init(nullptr, 200);
  EXPECT_NE(QZSound::GetDSObject(), nullptr);
  bank.Shutdown();
  EXPECT_EQ(QZSound::GetDSObject(), nullptr);
  EXPECT_EQ(QZSound::g_SampleList, nullptr);
  // After shutdown every call that reaches the library does nothing there.
  EXPECT_EQ(bank.LoadSample("sounds\\pop1.wav", "pop1"), nullptr);
  EXPECT_EQ(bank.Play("pop1", 65535, 0), nullptr);
}

}  // namespace
