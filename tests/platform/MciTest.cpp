// The media command strings: an MP3 made here with LAME is opened, played through the process's
// mixer (pulled directly, no sound card) and closed; the end of a play with notify posts
// MM_MCINOTIFY.

#include "platform/Mci.h"

#include <gtest/gtest.h>
#include <lame.h>
#include <mpg123.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "platform/AudioDevice.h"
#include "platform/Messages.h"

namespace {

namespace fs = std::filesystem;
using platform::MciSendString;

constexpr int kGenerous = 10000;
constexpr uint32_t kRate = 22050;

// One second of a stereo tone that changes pitch halfway, encoded at 22050 Hz.
bool EncodeMp3(const std::string& path, double seconds) {
  const int frames = static_cast<int>(kRate * seconds);
  std::vector<int16_t> pcm;
  for (int i = 0; i < frames; ++i) {
    const double hz = i < frames / 2 ? 440.0 : 660.0;
    const auto v = static_cast<int16_t>(8000 * std::sin(2 * M_PI * hz * i / kRate));
    pcm.push_back(v);
    pcm.push_back(static_cast<int16_t>(-v));
  }
  lame_global_flags* lame = lame_init();
  lame_set_in_samplerate(lame, kRate);
  lame_set_out_samplerate(lame, kRate);
  lame_set_num_channels(lame, 2);
  lame_set_brate(lame, 64);
  lame_set_quality(lame, 5);
  if (lame_init_params(lame) < 0) return false;
  std::vector<unsigned char> mp3(pcm.size() * 2 + 7200);
  int size = lame_encode_buffer_interleaved(lame, pcm.data(), frames, mp3.data(),
                                            static_cast<int>(mp3.size()));
  if (size < 0) return false;
  const int tail = lame_encode_flush(lame, mp3.data() + size, static_cast<int>(mp3.size()) - size);
  lame_close(lame);
  if (tail < 0) return false;
  size += tail;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok =
      std::fwrite(mp3.data(), 1, static_cast<size_t>(size), f) == static_cast<size_t>(size);
  std::fclose(f);
  return ok;
}

// What the decoder makes of the file: the samples the mixer must play, one for one.
std::vector<int16_t> DecodeMp3(const std::string& path) {
  std::vector<int16_t> out;
  mpg123_init();
  mpg123_handle* mh = mpg123_new(nullptr, nullptr);
  mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
  mpg123_format_none(mh);
  mpg123_format(mh, kRate, MPG123_STEREO, MPG123_ENC_SIGNED_16);
  if (mpg123_open(mh, path.c_str()) == MPG123_OK) {
    int16_t buffer[4096];
    size_t done = 0;
    int result;
    while ((result = mpg123_read(mh, buffer, sizeof(buffer), &done)) == MPG123_OK ||
           result == MPG123_NEW_FORMAT || done > 0) {
      out.insert(out.end(), buffer, buffer + done / 2);
      if (result != MPG123_OK && result != MPG123_NEW_FORMAT) break;
    }
    mpg123_close(mh);
  }
  mpg123_delete(mh);
  return out;
}

class MciTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetAudioOutputKind(platform::AudioOutputKind::kMemory);
    // A folder of its own, so that test programs running at the same time never share files.
    std::random_device random;
    do {
      folder = fs::temp_directory_path() /
               ("mci_test_" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "_" +
                std::to_string(random()));
    } while (!fs::create_directories(folder));
    fs::create_directories(folder / "sounds");
    previous = fs::current_path();
    fs::current_path(folder);
    platform::Messages().Clear();
  }

  void TearDown() override {
    MciSendString("close all", nullptr, 0, nullptr);
    fs::current_path(previous);
    fs::remove_all(folder);
    platform::Messages().Clear();
  }

  // Pulls frames from the shared mixer a tenth of a second at a time, letting the decoder catch
  // up after each pull, until the end notification arrives or maxSeconds have been pulled.
  std::vector<int16_t> PlayOut(double maxSeconds, platform::Message* notify, bool* notified) {
    std::vector<int16_t> out;
    const uint32_t chunk = kRate / 10;
    *notified = false;
    while (out.size() < maxSeconds * kRate * 2) {
      std::vector<int16_t> part(chunk * 2);
      platform::SharedMixer().Mix(part.data(), chunk);
      out.insert(out.end(), part.begin(), part.end());
      EXPECT_TRUE(platform::MciWaitIdle(kGenerous));
      platform::Message m;
      while (platform::Messages().Take(m)) {
        if (m.id == platform::MM_MCINOTIFY) {
          *notify = m;
          *notified = true;
        }
      }
      if (*notified) break;
    }
    return out;
  }

  fs::path folder;
  fs::path previous;
};

TEST_F(MciTest, PlaysTheFileThroughTheMixerAndNotifiesAtTheEnd) {
  ASSERT_TRUE(EncodeMp3((folder / "sounds" / "music.mp3").string(), 1.0));
  const std::vector<int16_t> expected = DecodeMp3((folder / "sounds" / "music.mp3").string());
  ASSERT_GT(expected.size(), kRate * 2u * 9 / 10);

  ASSERT_EQ(MciSendString("open .\\sounds\\music.mp3 alias music", nullptr, 0, nullptr), 0u);
  char mode[32] = "x";
  ASSERT_EQ(MciSendString("status music mode", mode, sizeof(mode), nullptr), 0u);
  EXPECT_STREQ(mode, "stopped");
  ASSERT_EQ(MciSendString("play music notify", nullptr, 0, nullptr), 0u);
  MciSendString("status music mode", mode, sizeof(mode), nullptr);
  EXPECT_STREQ(mode, "playing");

  platform::Message notify{};
  bool notified = false;
  const std::vector<int16_t> out = PlayOut(5.0, &notify, &notified);
  ASSERT_TRUE(notified);
  EXPECT_EQ(notify.wParam, platform::MCI_NOTIFY_SUCCESSFUL);
  EXPECT_NE(notify.lParam, 0);

  // Every decoded sample, in order, then silence until the notification.
  ASSERT_GE(out.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i)
    ASSERT_EQ(out[i], expected[i]) << i;
  for (size_t i = expected.size(); i < out.size(); ++i)
    ASSERT_EQ(out[i], 0) << i;
  // The notification comes within a segment (a quarter second) and a pull of the end.
  EXPECT_LE(out.size(), expected.size() + (kRate / 4 + kRate / 10 + 1) * 2);

  MciSendString("status music mode", mode, sizeof(mode), nullptr);
  EXPECT_STREQ(mode, "stopped");

  // The restart the game does on the notification: close, open, play from the start.
  ASSERT_EQ(MciSendString("close music", nullptr, 0, nullptr), 0u);
  ASSERT_EQ(MciSendString("open .\\sounds\\music.mp3 alias music", nullptr, 0, nullptr), 0u);
  ASSERT_EQ(MciSendString("play music notify", nullptr, 0, nullptr), 0u);
  const std::vector<int16_t> again = PlayOut(5.0, &notify, &notified);
  ASSERT_TRUE(notified);
  for (size_t i = 0; i < expected.size(); ++i)
    ASSERT_EQ(again[i], expected[i]) << i;
  EXPECT_EQ(MciSendString("close music", nullptr, 0, nullptr), 0u);
}

TEST_F(MciTest, PlayAfterTheEndStartsOverAndStopPostsNothing) {
  ASSERT_TRUE(EncodeMp3((folder / "tune.mp3").string(), 0.5));
  const std::vector<int16_t> expected = DecodeMp3((folder / "tune.mp3").string());
  ASSERT_EQ(MciSendString("open tune.mp3 alias Tune", nullptr, 0, nullptr), 0u);
  ASSERT_EQ(MciSendString("PLAY tune", nullptr, 0, nullptr), 0u);
  platform::Message notify{};
  bool notified = false;
  // Without notify: the play ends silently.
  std::vector<int16_t> out = PlayOut(1.5, &notify, &notified);
  EXPECT_FALSE(notified);
  for (size_t i = 0; i < expected.size(); ++i)
    ASSERT_EQ(out[i], expected[i]) << i;

  ASSERT_EQ(MciSendString("play tune notify", nullptr, 0, nullptr), 0u);
  out = PlayOut(0.2, &notify, &notified);
  for (size_t i = 0; i < out.size(); ++i)
    ASSERT_EQ(out[i], expected[i]) << i;
  // A stop ends the wait for the end without a message.
  ASSERT_EQ(MciSendString("stop tune", nullptr, 0, nullptr), 0u);
  out = PlayOut(1.0, &notify, &notified);
  EXPECT_FALSE(notified);
  for (int16_t s : out)
    ASSERT_EQ(s, 0);
}

TEST_F(MciTest, ErrorsAreReturned) {
  ASSERT_TRUE(EncodeMp3((folder / "a.mp3").string(), 0.2));
  EXPECT_EQ(MciSendString("open missing.mp3 alias m", nullptr, 0, nullptr),
            platform::MCIERR_FILE_NOT_FOUND);
  EXPECT_EQ(MciSendString("play nothing", nullptr, 0, nullptr),
            platform::MCIERR_INVALID_DEVICE_NAME);
  EXPECT_EQ(MciSendString("close nothing", nullptr, 0, nullptr),
            platform::MCIERR_INVALID_DEVICE_NAME);
  EXPECT_EQ(MciSendString("dance a", nullptr, 0, nullptr), platform::MCIERR_UNRECOGNIZED_COMMAND);
  EXPECT_EQ(MciSendString("", nullptr, 0, nullptr), platform::MCIERR_MISSING_COMMAND_STRING);
  EXPECT_EQ(MciSendString(nullptr, nullptr, 0, nullptr), platform::MCIERR_MISSING_COMMAND_STRING);
  EXPECT_EQ(MciSendString("open a.mp3 alias", nullptr, 0, nullptr),
            platform::MCIERR_MISSING_STRING_ARGUMENT);
  EXPECT_EQ(MciSendString("play", nullptr, 0, nullptr), platform::MCIERR_MISSING_PARAMETER);

  ASSERT_EQ(MciSendString("open a.mp3 alias a", nullptr, 0, nullptr), 0u);
  EXPECT_EQ(MciSendString("open a.mp3 alias A", nullptr, 0, nullptr),
            platform::MCIERR_DUPLICATE_ALIAS);
  EXPECT_EQ(MciSendString("play a loudly", nullptr, 0, nullptr),
            platform::MCIERR_UNRECOGNIZED_KEYWORD);

  // A file that is not MP3 at all.
  FILE* f = std::fopen("noise.mp3", "wb");
  ASSERT_NE(f, nullptr);
  std::fputs("this is a text file, not sound", f);
  std::fclose(f);
  EXPECT_EQ(MciSendString("open noise.mp3 alias n", nullptr, 0, nullptr),
            platform::MCIERR_INVALID_FILE);

  char text[128];
  EXPECT_TRUE(platform::MciGetErrorString(platform::MCIERR_FILE_NOT_FOUND, text, sizeof(text)));
  EXPECT_GT(std::string(text).size(), 0u);
  EXPECT_FALSE(platform::MciGetErrorString(12345, text, sizeof(text)));
}

}  // namespace
