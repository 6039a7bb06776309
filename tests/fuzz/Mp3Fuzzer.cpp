// The background music on any file: opened, played with notify through the process's mixer and
// closed, as the game does it. No crash, no read outside a buffer, and no hang: a play with notify
// ends with MM_MCINOTIFY soon after the last sound the decoder can make of the file.

#include <mpg123.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/AudioDevice.h"
#include "platform/Mci.h"
#include "platform/Messages.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

constexpr uint32_t kOutputRate = 22050;  // the mixer's output
constexpr uint32_t kChunkFrames = kOutputRate / 10;
constexpr double kMostSeconds = 6.0;

// Seconds of sound the decoder makes of the file, read the way the music device reads it: the
// first format is kept, and the first error or the end stops it. Negative when it cannot open.
double DecodedSeconds(const std::string& path) {
  mpg123_handle* decoder = mpg123_new(nullptr, nullptr);
  if (decoder == nullptr) return -1;
  mpg123_param(decoder, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
  mpg123_format_none(decoder);
  const long* rates = nullptr;
  size_t rateCount = 0;
  mpg123_rates(&rates, &rateCount);
  for (size_t i = 0; i < rateCount; ++i)
    mpg123_format(decoder, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
  double seconds = -1;
  long rate = 0;
  int channels = 0;
  int encoding = 0;
  if (mpg123_open(decoder, path.c_str()) == MPG123_OK &&
      mpg123_getformat(decoder, &rate, &channels, &encoding) == MPG123_OK && rate > 0) {
    mpg123_format_none(decoder);
    mpg123_format(decoder, rate, channels, MPG123_ENC_SIGNED_16);
    uint64_t bytes = 0;
    std::vector<unsigned char> buffer(16384);
    for (;;) {
      size_t done = 0;
      const int result = mpg123_read(decoder, buffer.data(), buffer.size(), &done);
      bytes += done;
      if (result == MPG123_NEW_FORMAT) continue;
      if (result != MPG123_OK || done == 0) break;
      if (bytes > static_cast<uint64_t>(rate) * channels * 2 * 60) break;  // a minute is plenty
    }
    seconds = static_cast<double>(bytes) / (static_cast<double>(rate) * channels * 2);
    mpg123_close(decoder);
  }
  mpg123_delete(decoder);
  return seconds;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  platform::SetAudioOutputKind(platform::AudioOutputKind::kMemory);
  mpg123_init();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = fuzz::WriteScratch("music.mp3", data, size);
  const std::string command = "open \"" + path + "\" alias music";
  platform::Messages().Clear();
  if (platform::MciSendString(command.c_str(), nullptr, 0, nullptr) != 0) return 0;

  const double seconds = DecodedSeconds(path);
  FUZZ_CHECK(seconds >= 0);  // the device opened it, so the decoder can
  FUZZ_CHECK(platform::MciSendString("play music notify", nullptr, 0, nullptr) == 0);

  // The end is heard within the decoded sound, the quarter-second segment holding its end and
  // one pull; longer pieces are played only in part.
  const double limit = std::min(seconds + 0.25 + 0.2, kMostSeconds);
  bool notified = false;
  std::vector<int16_t> out(kChunkFrames * 2);
  for (uint32_t pulled = 0; !notified && pulled < limit * kOutputRate; pulled += kChunkFrames) {
    platform::SharedMixer().Mix(out.data(), kChunkFrames);
    FUZZ_CHECK(platform::MciWaitIdle(10000));
    platform::Message message;
    while (platform::Messages().Take(message)) {
      if (message.id == platform::MM_MCINOTIFY) notified = true;
    }
  }
  FUZZ_CHECK(notified || seconds + 0.45 > kMostSeconds);
  FUZZ_CHECK(platform::MciSendString("close music", nullptr, 0, nullptr) == 0);
  return 0;
}
