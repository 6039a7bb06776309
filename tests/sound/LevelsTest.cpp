// Level scales, set-up and shutdown of the sound manager.

#include <gtest/gtest.h>

#include <cstring>

#include "tests/sound/SoundFixture.h"

namespace {

TEST(LevelsTest, VolumeTableHalvingsCostTenDecibels) {
  QZSound::MapVolume(0);  // the table is filled by then at the latest
  const int16_t* t = QZSound::g_VolumeTable;
  EXPECT_EQ(t[0], -10000);
  EXPECT_EQ(t[1], -10000);
  EXPECT_EQ(t[16], -10000);
  EXPECT_EQ(t[32], -9000);
  EXPECT_EQ(t[4096], -2000);
  EXPECT_EQ(t[8192], -1000);
  EXPECT_EQ(t[3 * 4096], -415);
  EXPECT_EQ(t[16382], 0);
  EXPECT_EQ(t[16383], 0);
  for (int i = 1; i < 16384; ++i)
    ASSERT_LE(t[i - 1], t[i]) << i;
}

TEST(LevelsTest, MapVolume) {
  EXPECT_EQ(QZSound::MapVolume(65535), 0);
  EXPECT_EQ(QZSound::MapVolume(32768), -1000);
  EXPECT_EQ(QZSound::MapVolume(16384), -2000);
  EXPECT_EQ(QZSound::MapVolume(0), -10000);
  EXPECT_EQ(QZSound::MapVolume(70000), 0);
  EXPECT_EQ(QZSound::MapVolume(-5), -10000);
}

TEST(LevelsTest, MapPanRunsFromRightToLeft) {
  EXPECT_EQ(QZSound::MapPan(0), 10000);
  EXPECT_EQ(QZSound::MapPan(-3), 10000);
  EXPECT_EQ(QZSound::MapPan(16384), 1000);
  EXPECT_EQ(QZSound::MapPan(32767), 0);
  EXPECT_EQ(QZSound::MapPan(32768), 0);
  EXPECT_EQ(QZSound::MapPan(49152), -1000);
  EXPECT_EQ(QZSound::MapPan(65535), -10000);
  EXPECT_EQ(QZSound::MapPan(65536), -10000);
}

TEST(LevelsTest, ExitAfterAFailedInitDoesNoHarm) {
  platform::SetAudioOutputKind(platform::AudioOutputKind::kMemory);
  QZSound sound;
  EXPECT_EQ(sound.Init(nullptr, -1), 0);
  sound.Exit();
  sound.Exit();
  EXPECT_EQ(QZSound::GetDSObject(), nullptr);
  EXPECT_EQ(QZSound::g_SampleList, nullptr);
  EXPECT_EQ(g_Sound.FindSample(1), nullptr);
  EXPECT_EQ(g_Sound.LoadSample("anything.wav", 1), 0);
  EXPECT_EQ(QZSound::AllocSample(), nullptr);
}

class ManagerTest : public SoundTest {};

TEST_F(ManagerTest, InitSetsTheSwitchesTheDeviceAndThePrimaryFormat) {
  EXPECT_EQ(g_Sound.musicVolume.load(), 32768);
  EXPECT_EQ(g_Sound.musicEnabled.load(), 1);
  EXPECT_EQ(g_Sound.sfxEnabled.load(), 1);
  ASSERT_NE(QZSound::GetDSObject(), nullptr);
  ASSERT_NE(QZSound::GetDSPrimaryBuffer(), nullptr);
  platform::WaveFormat format{};
  QZSound::GetDSPrimaryBuffer()->GetFormat(&format);
  EXPECT_EQ(format.samplesPerSec, 22050u);
  EXPECT_EQ(format.channels, 2);
  EXPECT_EQ(format.bitsPerSample, 16);
  EXPECT_EQ(QZSound::g_nMaxSampleCount, 200);
  EXPECT_EQ(QZSound::g_pEndSample - QZSound::g_SampleList, 200);
  EXPECT_EQ(QZSound::g_pLastSample, QZSound::g_SampleList);
  EXPECT_EQ(QZSound::g_pOpenFile, &QZSound::DefaultOpenFile);
  EXPECT_EQ(QZSound::g_pCloseFile, &QZSound::DefaultCloseFile);
  EXPECT_EQ(g_Sound.GetLIBVersion(), 1u);
  EXPECT_STREQ(g_Sound.GetLIBDate(), "Fri Dec 22 07:46:08 2000");
}

TEST_F(ManagerTest, TwoHundredSlotsGiveSixtyFourEventsOfWhichSixtyThreeCanBeArmed) {
  EXPECT_EQ(QZSound::g_nMaxEventCount, 64);
  std::vector<_SNDEvent*> taken;
  SNDSample marker;
  for (;;) {
    _SNDEvent* e = QZSound::AllocSoundEvent();
    if (e == nullptr) break;
    EXPECT_NE(e, &QZSound::g_EventList[0]);
    e->sample = &marker;
    taken.push_back(e);
  }
  EXPECT_EQ(taken.size(), 63u);
  QZSound::FreeSoundEvent(taken[10]);
  EXPECT_EQ(QZSound::AllocSoundEvent(), taken[10]);
  for (_SNDEvent* e : taken)
    QZSound::FreeSoundEvent(e);
  for (int i = 0; i < QZSound::g_nMaxEventCount; ++i) {
    EXPECT_EQ(QZSound::g_CallBackHandles[i], QZSound::g_EventList[i].handle);
  }
}

TEST_F(ManagerTest, FewSlotsGiveOneEventMoreThanSlots) {
  g_Sound.Exit();
  ASSERT_EQ(g_Sound.Init(nullptr, 5), 1);
  EXPECT_EQ(QZSound::g_nMaxEventCount, 6);
  ASSERT_EQ(g_Sound.Init(nullptr, 63), 1);
  EXPECT_EQ(QZSound::g_nMaxEventCount, 64);
}

TEST_F(ManagerTest, AssignmentCopiesTheSwitches) {
  g_Sound.EnableSFX(0);
  QZSound copy;
  copy = g_Sound;
  EXPECT_EQ(copy.sfxEnabled.load(), 0);
  EXPECT_EQ(copy.musicEnabled.load(), 1);
  EXPECT_EQ(copy.musicVolume.load(), 32768);
}

}  // namespace
