// The sound library's WAV reader on any file, both ways it reads one: as a sample (read whole
// into a buffer, played, copied for overlapping play) and as a stream (refilled by the fill
// thread as it plays). No crash, no read outside the file or a buffer, no hang, and a sample
// that loads has a format the platform can play and no more data than the file holds.

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/AudioDevice.h"
#include "sound/QZSound.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

constexpr uint32_t kSampleId = 1;
constexpr uint32_t kStreamId = 2;
constexpr uint32_t kChunkFrames = 2000;

void Pull(uint32_t frames) {
  std::vector<int16_t> out(frames * 2);
  QZSound::GetDSObject()->GetMixer().Mix(out.data(), frames);
}

void CheckLoadedSample(size_t fileSize) {
  const SNDSample* sample = nullptr;
  for (SNDSample* s = QZSound::g_SampleList; s < QZSound::g_pLastSample; ++s) {
    if ((s->flags & SAMPLE_INUSE) && s->id == kSampleId) sample = s;
  }
  FUZZ_CHECK(sample != nullptr);
  FUZZ_CHECK(sample->buffer != nullptr);
  FUZZ_CHECK(sample->channels == 1 || sample->channels == 2);
  FUZZ_CHECK(sample->bitsPerSample == 8 || sample->bitsPerSample == 16);
  FUZZ_CHECK(sample->sampleRate > 0);
  FUZZ_CHECK(sample->dataSize <= fileSize);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  platform::SetAudioOutputKind(platform::AudioOutputKind::kMemory);
  if (g_Sound.Init(nullptr, 16) != 1) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = fuzz::WriteScratch("sound.wav", data, size);

  if (g_Sound.LoadSample(path.c_str(), kSampleId) == 1) {
    CheckLoadedSample(size);
    // Three plays at once: the loaded sample and two copies, mixed for a moment.
    for (int i = 0; i < 3; ++i)
      g_Sound.PlaySampleIDOnce(kSampleId, 65535, 32768);
    Pull(kChunkFrames);
    for (int i = 0; i < 3; ++i)
      g_Sound.FreeSample(kSampleId);
    g_Sound.FlushSamples();
    for (SNDSample* s = QZSound::g_SampleList; s < QZSound::g_pEndSample; ++s) {
      if (s->flags & SAMPLE_INUSE) g_Sound.FreeSample(s);
    }
  }

  if (g_Sound.LoadStream(path.c_str(), kStreamId) == 1) {
    const _SNDStream* stream = QZSound::GetStreamInfoPtr();
    FUZZ_CHECK(stream->segmentSize > 0 && stream->bufferSize == 8 * stream->segmentSize);
    // Looping or not by the last byte, so both refills are reached. The fill thread keeps up as it
    // would with a sound card: in its own time, and a short piece ends on its own meanwhile.
    g_Sound.PlayStream(size > 0 && (data[size - 1] & 1) ? STREAM_LOOP : 0);
    for (int i = 0; i < 6; ++i)
      Pull(kChunkFrames);
    g_Sound.StopStream();
    FUZZ_CHECK(QZSound::GetStreamID() == 0);
  }
  return 0;
}
