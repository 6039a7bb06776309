#pragma once
// One sound held in a platform sound buffer: a slot of the sample pool. A sample is read from a
// WAV file, played once or looping, paused, and may be copied so one sound is heard several
// times at once; a chain of samples plays one after another.

#include <cstdint>

#include "sound/SNDTypes.h"

class SND_EXPORT SNDSample {
 public:
  uint32_t flags;
  uint32_t id;  // 0 in a free slot
  uint32_t dataSize;
  uint32_t sampleRate;
  uint32_t bitsPerSample;
  uint32_t channels;
  uint32_t pausePosition;
  int32_t volume;  // last level asked for, library scale
  int32_t pan;     // last pan asked for, library scale
  int32_t pitch;   // last playback frequency asked for, in Hz
  uint32_t loopStart;
  uint32_t loopEnd;
  uint32_t loopCount;
  platform::SoundBuffer* buffer;
  uint32_t notifyOffset;
  platform::Event* notifyEvent;
  SNDSample* next;  // played when this one stops; null for none

  // Opens the file through the open hook and checks its header; the handle stands at the first
  // byte of the PCM data, or SND_INVALID_HANDLE.
  SNDHandle OpenSoundFile(const char* fileName);
  // Reads and checks the RIFF/WAVE header, the format, an optional sampler loop and the data
  // chunk; fills the format fields. 1 when the file can be played.
  int IsWavFile(SNDHandle handle);
  // Finds a chunk by id, searching from startOffset; the handle stands at its body. 1 when found.
  static int FindRiffChunk(SNDHandle handle, uint32_t chunkId, _ChunkHeader* header,
                           uint32_t startOffset);
  // Creates this slot's buffer in the sample's format; size 0 means dataSize.
  int AllocDSBuffer(uint32_t size);
  // Reads a WAV file into this slot; id SND_KEEP_ID keeps the slot's ID.
  int LoadSample(const char* fileName, uint32_t id);
  // A new slot sharing this sample's sound, for overlapping play; null when there is no buffer or
  // no free slot.
  SNDSample* DupeSample();
  // Links second behind the last sample of first's chain; returns the head.
  static SNDSample* ChainSample(SNDSample* first, SNDSample* second);
  // Zeroes every field except the notification pair.
  void Reset();

  int PlaySample(int32_t volume, int32_t pan);
  int StopSample();
  int PauseSample();
  int UnPauseSample();
  int SamplePlaying();
  int32_t GetSampleStatus();
  int SetVolume(int32_t level);
  int SetPan(int32_t pan);
  int SetPitch(int32_t hertz);
};
