#pragma once
// The process's audio device: one software mixer and the output that plays it. Everything that
// makes sound (the sound library's effects, the music of the command-string interpreter) shares
// the one mixer, so their sounds are summed into one output.
//
// Two outputs, chosen at run time: SDL (a real sound card, fed from SDL's audio thread) and memory
// (nothing pulls frames; tests call Mixer::Mix and read the samples). Without a sound card (no
// device, no usable driver) the SDL output stays closed and the program runs silently: opening
// the device never fails for lack of sound, and the mixer is still pulled at the pace of real
// time (the frames dropped), so sounds end and free their buffers as they would when heard. The
// same happens when the output goes away or stops taking sound while the program runs (a sound
// server that dies or hangs, a device unplugged); a thread of this layer notices it and opens
// the default output again by itself once one is there, and the sounds and the music go on from
// where their clock says.

#include <cstdint>

#include "platform/Mixer.h"
#include "platform/SoundBuffer.h"

namespace platform {

enum class AudioOutputKind {
  kSdl,     // the default: the sound card through SDL
  kMemory,  // no output; frames are taken only by calling Mixer::Mix
};

// Chooses the output of devices opened from now on; an output already open stays as it is.
void SetAudioOutputKind(AudioOutputKind kind);
AudioOutputKind GetAudioOutputKind();

// Device capability bits, numbered as the original interface numbers them.
constexpr uint32_t kCapsPrimaryMono = 0x1;
constexpr uint32_t kCapsPrimaryStereo = 0x2;
constexpr uint32_t kCapsPrimary8Bit = 0x4;
constexpr uint32_t kCapsPrimary16Bit = 0x8;
constexpr uint32_t kCapsContinuousRate = 0x10;
constexpr uint32_t kCapsEmulated = 0x20;

struct DeviceCaps {
  uint32_t size;  // set to sizeof(DeviceCaps) by the caller
  uint32_t flags;
  uint32_t minSecondaryRate;
  uint32_t maxSecondaryRate;
  uint32_t maxMixingBuffers;  // 0: no fixed limit
};

// Cooperative levels; the device belongs to the process, so each is accepted and only recorded.
constexpr uint32_t kLevelNormal = 1;
constexpr uint32_t kLevelPriority = 2;
constexpr uint32_t kLevelExclusive = 3;
constexpr uint32_t kLevelWritePrimary = 4;

class AudioDevice {
 public:
  // A handle on the process's device. The first open brings the output up; the last Release
  // takes it down. Buffers belong to the shared mixer and outlive the handle until released.
  static AudioDevice* Open();
  void Release();

  Mixer& GetMixer();
  SoundBuffer* CreateSoundBuffer(const BufferDesc& desc) { return GetMixer().CreateBuffer(desc); }
  SoundBuffer* DuplicateSoundBuffer(SoundBuffer* original) {
    return GetMixer().DuplicateBuffer(original);
  }
  bool SetCooperativeLevel(void* window, uint32_t level);
  // Fills caps (whose size must be sizeof(DeviceCaps)): mono and stereo, 8 and 16 bits, any rate.
  bool GetCaps(DeviceCaps* caps) const;
  // Software buffers need no compaction; accepted.
  bool Compact() { return true; }
  // True while a sound card is playing the mixer's output (false while it is lost).
  bool HasSoundCard() const;

 private:
  AudioDevice() = default;
  ~AudioDevice() = default;
  uint32_t level = 0;
};

// The process's one mixer (also reachable without opening the device, for tests).
Mixer& SharedMixer();

}  // namespace platform
