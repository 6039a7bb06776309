#pragma once
// The software mixer: it owns the sound buffers and, on demand, sums the playing ones into output
// frames in the output format (the primary buffer's format). An audio device pulls frames from it
// on its own thread; tests pull them directly with Mix and read the samples.
//
// Thread-safety: one mutex guards every buffer's play state and the buffer list. Mix holds it for
// one call (a device period, a few milliseconds of sound, mixed in well under a millisecond); the
// callers' operations hold it for a few field updates. Nothing is allocated while it is held by
// Mix: voices are mixed from the buffers' own data into a fixed scratch area. Buffer data itself is
// not guarded: as with any circular sound buffer, a writer locks and fills the part the play cursor
// is not in.

#include <cstdint>
#include <mutex>

#include "platform/SoundBuffer.h"

namespace platform {

class Mixer {
 public:
  Mixer();
  ~Mixer();
  Mixer(const Mixer&) = delete;
  Mixer& operator=(const Mixer&) = delete;

  // A new secondary buffer, or the primary one for kBufferPrimary (each such call takes one more
  // hold on it). Null when the description is refused: a format the mixer cannot play (PCM only,
  // 1 or 2 channels, 8 or 16 bits, kMinBufferRate to kMaxBufferRate, block alignment channels *
  // bits / 8), a size outside kMinBufferBytes..kMaxBufferBytes, or a primary description that
  // names a format or size. A size that is not a whole number of frames plays its whole frames.
  SoundBuffer* CreateBuffer(const BufferDesc& desc);
  // A new buffer that shares the original's data and format, with its own play state (stopped at
  // 0), default levels and no notifications. Null for the primary buffer.
  SoundBuffer* DuplicateBuffer(SoundBuffer* original);

  // Mixes frames output frames into out (frames * OutputFormat().blockAlign bytes), advancing
  // every playing buffer and signalling the notifications it passes. Silence when nothing plays.
  void Mix(void* out, uint32_t frames);
  // The same for a device opened at a given format: when the output format is no longer that one
  // (it changed and the device is about to reopen), writes silence in the given format instead and
  // returns false.
  bool MixAs(const WaveFormat& format, void* out, uint32_t frames);

  WaveFormat OutputFormat() const;
  // Called without the mixer's mutex after the output format changed, so a device can reopen at
  // the new format.
  using FormatListener = void (*)(void* user);
  void SetFormatListener(FormatListener listener, void* user);

  // Number of buffers now playing.
  int PlayingCount() const;

 private:
  friend class SoundBuffer;

  static constexpr uint32_t kChunkFrames = 512;

  void Link(SoundBuffer* buffer);
  void Unlink(SoundBuffer* buffer);
  bool SetOutputFormat(const WaveFormat& format);
  // With the mutex held: stops a playing buffer and signals its stop notifications.
  void StopLocked(SoundBuffer* buffer);
  void MixChunk(uint32_t frames);
  void MixLocked(void* out, uint32_t frames);
  void MixVoice(SoundBuffer* buffer, uint32_t frames);
  void NotifyPassed(SoundBuffer* buffer, uint64_t fromBytes, uint64_t advancedBytes);

  mutable std::mutex mutex;
  WaveFormat output;
  SoundBuffer* primary = nullptr;
  SoundBuffer* first = nullptr;
  FormatListener formatListener = nullptr;
  void* formatListenerUser = nullptr;
  int32_t accumulator[kChunkFrames * 2];
};

}  // namespace platform
