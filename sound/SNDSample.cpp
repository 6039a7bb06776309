#include "sound/SNDSample.h"

#include <cstring>

#include "sound/QZSound.h"
#include "sound/SoundLock.h"

using sound_internal::SoundGuard;
using sound_internal::SoundLock;

namespace {

constexpr uint32_t ChunkId(char a, char b, char c, char d) {
  return static_cast<uint32_t>(static_cast<uint8_t>(a)) |
         (static_cast<uint32_t>(static_cast<uint8_t>(b)) << 8) |
         (static_cast<uint32_t>(static_cast<uint8_t>(c)) << 16) |
         (static_cast<uint32_t>(static_cast<uint8_t>(d)) << 24);
}

constexpr uint32_t kRiff = ChunkId('R', 'I', 'F', 'F');
constexpr uint32_t kWave = ChunkId('W', 'A', 'V', 'E');
constexpr uint32_t kFmt = ChunkId('f', 'm', 't', ' ');
constexpr uint32_t kSmpl = ChunkId('s', 'm', 'p', 'l');
constexpr uint32_t kData = ChunkId('d', 'a', 't', 'a');

constexpr uint16_t kFormatPcm = 1;
constexpr uint32_t kPcmFormatBytes = 16;
constexpr uint32_t kSmplHeaderBytes = 36;
constexpr uint32_t kSmplLoopBytes = 24;

uint32_t Word32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

uint16_t Word16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

bool ReadExactly(SNDHandle handle, void* out, uint32_t size) {
  uint32_t done = 0;
  return platform::ReadFileHandle(handle, out, size, &done) && done == size;
}

}  // namespace

SNDHandle SNDSample::OpenSoundFile(const char* fileName) {
  if (QZSound::g_pOpenFile == nullptr) return SND_INVALID_HANDLE;
  const SNDHandle handle = QZSound::g_pOpenFile(fileName);
  if (handle == SND_INVALID_HANDLE) return handle;
  if (!IsWavFile(handle)) {
    if (QZSound::g_pCloseFile != nullptr) QZSound::g_pCloseFile(handle);
    return SND_INVALID_HANDLE;
  }
  return handle;
}

int SNDSample::IsWavFile(SNDHandle handle) {
  uint8_t header[12];
  if (!ReadExactly(handle, header, sizeof(header))) return 0;
  if (Word32(header) != kRiff || Word32(header + 8) != kWave) return 0;
  // Every search starts right after the RIFF header, so the order of the chunks does not matter.
  const int64_t searchStart = platform::SeekFileHandle(handle, 0, platform::SeekOrigin::kCurrent);
  if (searchStart < 0) return 0;
  const uint32_t start = static_cast<uint32_t>(searchStart);

  _ChunkHeader chunk;
  if (!FindRiffChunk(handle, kFmt, &chunk, start)) return 0;
  // The chunk is read by its own size: 16 bytes of PCM format, 18 or more with an extension,
  // wherever it stands. Reading a fixed 20 failed on a 16-byte chunk at the end of the file.
  if (chunk.size < kPcmFormatBytes) return 0;
  uint8_t fmt[kPcmFormatBytes];
  if (!ReadExactly(handle, fmt, sizeof(fmt))) return 0;
  if (Word16(fmt) != kFormatPcm) return 0;
  const uint32_t fileChannels = Word16(fmt + 2);
  const uint32_t fileRate = Word32(fmt + 4);
  const uint32_t fileBits = Word16(fmt + 14);
  // A format that cannot describe sound is refused here, before any buffer is made for it.
  if ((fileChannels != 1 && fileChannels != 2) || fileRate == 0 ||
      (fileBits != 8 && fileBits != 16)) {
    return 0;
  }
  channels = fileChannels;
  sampleRate = fileRate;
  bitsPerSample = fileBits;
  flags |= SAMPLE_FORMAT;

  if (FindRiffChunk(handle, kSmpl, &chunk, start) && chunk.size >= kSmplHeaderBytes) {
    uint8_t smpl[kSmplHeaderBytes];
    uint8_t loop[kSmplLoopBytes];
    if (ReadExactly(handle, smpl, sizeof(smpl)) && Word32(smpl + 28) != 0 &&
        chunk.size >= kSmplHeaderBytes + kSmplLoopBytes &&
        ReadExactly(handle, loop, sizeof(loop))) {
      // The file counts loop points in sample frames; the library keeps bytes.
      const uint32_t frameBytes = channels * bitsPerSample / 8;
      loopStart = Word32(loop + 8) * frameBytes;
      loopEnd = Word32(loop + 12) * frameBytes;
      loopCount = Word32(loop + 20);
      flags |= SAMPLE_LOOP;
    }
  }

  if (!FindRiffChunk(handle, kData, &chunk, start)) return 0;
  // A size beyond the end of the file would make a buffer the file cannot fill: refuse it now.
  const int64_t dataAt = platform::SeekFileHandle(handle, 0, platform::SeekOrigin::kCurrent);
  const int64_t fileSize = platform::FileHandleSize(handle);
  if (dataAt < 0 || fileSize < 0 || static_cast<int64_t>(chunk.size) > fileSize - dataAt) return 0;
  dataSize = chunk.size;
  return 1;
}

int SNDSample::FindRiffChunk(SNDHandle handle, uint32_t chunkId, _ChunkHeader* header,
                             uint32_t startOffset) {
  if (header == nullptr) return 0;
  int64_t at = platform::SeekFileHandle(handle, startOffset, platform::SeekOrigin::kBegin);
  if (at < 0) return 0;
  for (;;) {
    uint8_t raw[8];
    if (!ReadExactly(handle, raw, sizeof(raw))) return 0;
    header->id = Word32(raw);
    header->size = Word32(raw + 4);
    if (header->id == chunkId) return 1;
    // Skip the body and the pad byte that follows a body of odd size.
    at += 8 + static_cast<int64_t>(header->size) + (header->size & 1);
    if (platform::SeekFileHandle(handle, at, platform::SeekOrigin::kBegin) != at) return 0;
  }
}

int SNDSample::AllocDSBuffer(uint32_t size) {
  if (QZSound::g_lpDSound == nullptr) return 0;
  const platform::WaveFormat format = platform::MakePcmFormat(
      sampleRate, static_cast<uint16_t>(channels), static_cast<uint16_t>(bitsPerSample));
  platform::BufferDesc desc;
  // Static data with an end notification; no volume, pan or frequency control.
  desc.flags = platform::kBufferStatic | platform::kBufferCtrlPositionNotify;
  desc.bytes = size != 0 ? size : dataSize;
  desc.format = &format;
  platform::SoundBuffer* created = QZSound::g_lpDSound->CreateSoundBuffer(desc);
  if (created == nullptr) return 0;
  buffer = created;
  return 1;
}

int SNDSample::LoadSample(const char* fileName, uint32_t newId) {
  SoundGuard guard(SoundLock());
  const SNDHandle handle = OpenSoundFile(fileName);
  if (handle == SND_INVALID_HANDLE) return 0;
  int ok = AllocDSBuffer(dataSize);
  if (ok) {
    void* part1 = nullptr;
    uint32_t bytes1 = 0;
    void* part2 = nullptr;
    uint32_t bytes2 = 0;
    ok = buffer->Lock(0, 0, &part1, &bytes1, &part2, &bytes2, platform::kLockEntireBuffer);
    if (ok) {
      ok = bytes1 >= dataSize && ReadExactly(handle, part1, dataSize);
      if (newId != SND_KEEP_ID) id = newId;
      buffer->Unlock(part1, bytes1, part2, bytes2);
    }
  }
  if (QZSound::g_pCloseFile != nullptr) QZSound::g_pCloseFile(handle);
  return ok ? 1 : 0;
}

SNDSample* SNDSample::DupeSample() {
  SoundGuard guard(SoundLock());
  if (buffer == nullptr || QZSound::g_lpDSound == nullptr) return nullptr;
  SNDSample* copy = QZSound::AllocSample();
  if (copy == nullptr) return nullptr;
  copy->buffer = QZSound::g_lpDSound->DuplicateSoundBuffer(buffer);
  if (copy->buffer == nullptr) {
    QZSound::ClearSample(copy);
    return nullptr;
  }
  copy->id = id;
  copy->dataSize = dataSize;
  copy->sampleRate = sampleRate;
  copy->bitsPerSample = bitsPerSample;
  copy->channels = channels;
  copy->next = nullptr;
  copy->flags |= SAMPLE_DUPLICATE;
  if (flags & SAMPLE_LOOP) {
    copy->loopStart = loopStart;
    copy->loopEnd = loopEnd;
    copy->flags |= SAMPLE_LOOP;
  }
  return copy;
}

SNDSample* SNDSample::ChainSample(SNDSample* first, SNDSample* second) {
  if (second == nullptr) return nullptr;
  if (first == nullptr) return second;
  SoundGuard guard(SoundLock());
  SNDSample* last = first;
  while (last->next != nullptr)
    last = last->next;
  // Linking a chain that already leads to this tail would close a circle: every later walk of
  // the chain would never end, and the samples would replay for ever. Such a link is not made.
  for (SNDSample* p = second; p != nullptr; p = p->next) {
    if (p == last) return first;
  }
  last->next = second;
  return first;
}

void SNDSample::Reset() {
  flags = 0;
  id = 0;
  dataSize = 0;
  sampleRate = 0;
  bitsPerSample = 0;
  channels = 0;
  pausePosition = 0;
  volume = 0;
  pan = 0;
  pitch = 0;
  loopStart = 0;
  loopEnd = 0;
  loopCount = 0;
  buffer = nullptr;
  next = nullptr;
}

int SNDSample::PlaySample(int32_t level, int32_t position) {
  SoundGuard guard(SoundLock());
  if (g_Sound.sfxEnabled == 0) {
    flags &= ~SAMPLE_CLAIMED;
    return 1;
  }
  if (buffer == nullptr) return 0;
  SetPan(position);
  SetVolume(level);
  const bool looping = (flags & SAMPLE_LOOP) != 0;

  if (next != nullptr) {
    _SNDEvent* event = QZSound::AllocSoundEvent();
    platform::SoundNotify* notify = event != nullptr ? buffer->QueryNotify() : nullptr;
    if (notify != nullptr) {
      event->sample = this;
      notifyOffset = platform::kNotifyOnStop;
      notifyEvent = event->handle;
      flags |= SAMPLE_NOTIFY;
      const platform::PositionNotify position{notifyOffset, notifyEvent};
      notify->SetNotificationPositions(1, &position);
    }
  }

  flags &= ~SAMPLE_CLAIMED;
  return buffer->Play(looping ? platform::kPlayLooping : 0) ? 1 : 0;
}

int SNDSample::StopSample() {
  SoundGuard guard(SoundLock());
  if (buffer == nullptr) return 0;
  return buffer->Stop() ? 1 : 0;
}

int SNDSample::PauseSample() {
  SoundGuard guard(SoundLock());
  if (buffer == nullptr || !buffer->Stop()) return 0;
  uint32_t play = 0;
  if (!buffer->GetCurrentPosition(&play, nullptr)) return 0;
  pausePosition = play;
  flags |= SAMPLE_PAUSED;
  return 1;
}

int SNDSample::UnPauseSample() {
  SoundGuard guard(SoundLock());
  if (buffer == nullptr || (flags & SAMPLE_PAUSED) == 0) return 0;
  if (!buffer->SetCurrentPosition(pausePosition)) return 0;
  flags &= ~SAMPLE_PAUSED;
  return buffer->Play((flags & SAMPLE_LOOP) ? platform::kPlayLooping : 0) ? 1 : 0;
}

int32_t SNDSample::GetSampleStatus() {
  SoundGuard guard(SoundLock());
  uint32_t status = 0;
  if (buffer == nullptr || !buffer->GetStatus(&status)) return SND_STATUS_INVALID;
  return static_cast<int32_t>(status);
}

int SNDSample::SamplePlaying() {
  const int32_t status = GetSampleStatus();
  if (status == SND_STATUS_INVALID) return 0;
  return (status & platform::kStatusPlaying) != 0 ? 1 : 0;
}

int SNDSample::SetVolume(int32_t level) {
  SoundGuard guard(SoundLock());
  if (buffer == nullptr) return 0;
  volume = level;
  return buffer->SetVolume(QZSound::MapVolume(level)) ? 1 : 0;
}

int SNDSample::SetPan(int32_t level) {
  SoundGuard guard(SoundLock());
  if (buffer == nullptr) return 0;
  pan = level;
  return buffer->SetPan(QZSound::MapPan(level)) ? 1 : 0;
}

int SNDSample::SetPitch(int32_t hertz) {
  SoundGuard guard(SoundLock());
  if (buffer == nullptr) return 0;
  pitch = hertz;
  return buffer->SetFrequency(static_cast<uint32_t>(hertz)) ? 1 : 0;
}
