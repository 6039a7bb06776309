#pragma once
// Sound buffers of the software mixer. They keep the behaviour the sound code was written
// against: a primary buffer that stands for the output and whose format sets the output format,
// secondary buffers holding PCM data (8-bit unsigned or 16-bit signed, mono or stereo, any rate),
// duplicates sharing their original's data, play once or looping, a stop that keeps the position,
// a two-part lock of the circular data, position notifications that signal events, and volume,
// pan and frequency that only buffers created with those controls accept.
//
// Flag, status and limit values keep the numbering of the original interface, so callers pass the
// numbers they were written with.

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

namespace platform {

class Event;
class Mixer;

struct WaveFormat {
  uint16_t formatTag;  // kWaveFormatPcm
  uint16_t channels;
  uint32_t samplesPerSec;
  uint32_t avgBytesPerSec;
  uint16_t blockAlign;
  uint16_t bitsPerSample;
};

constexpr uint16_t kWaveFormatPcm = 1;

// A PCM format record with the derived fields filled in.
inline WaveFormat MakePcmFormat(uint32_t rate, uint16_t channels, uint16_t bits) {
  WaveFormat f{};
  f.formatTag = kWaveFormatPcm;
  f.channels = channels;
  f.samplesPerSec = rate;
  f.bitsPerSample = bits;
  f.blockAlign = static_cast<uint16_t>(channels * bits / 8);
  f.avgBytesPerSec = rate * f.blockAlign;
  return f;
}

// Buffer capabilities.
constexpr uint32_t kBufferPrimary = 0x00000001;
constexpr uint32_t kBufferStatic = 0x00000002;
constexpr uint32_t kBufferCtrlFrequency = 0x00000020;
constexpr uint32_t kBufferCtrlPan = 0x00000040;
constexpr uint32_t kBufferCtrlVolume = 0x00000080;
constexpr uint32_t kBufferCtrlPositionNotify = 0x00000100;

// Status bits.
constexpr uint32_t kStatusPlaying = 0x1;
constexpr uint32_t kStatusLooping = 0x4;

constexpr uint32_t kPlayLooping = 0x1;

constexpr uint32_t kLockFromWriteCursor = 0x1;
constexpr uint32_t kLockEntireBuffer = 0x2;

// Notification offset meaning "when the buffer stops".
constexpr uint32_t kNotifyOnStop = 0xFFFFFFFF;

// Levels in hundredths of a decibel; pan negative attenuates the right channel, positive the left.
constexpr int32_t kVolumeMin = -10000;
constexpr int32_t kVolumeMax = 0;
constexpr int32_t kPanLeft = -10000;
constexpr int32_t kPanRight = 10000;
// Frequency 0 means the format's own rate.
constexpr uint32_t kFrequencyOriginal = 0;
constexpr uint32_t kFrequencyMin = 100;
constexpr uint32_t kFrequencyMax = 200000;

// Rates a buffer's format may have; anything between is resampled to the output.
constexpr uint32_t kMinBufferRate = 1;
constexpr uint32_t kMaxBufferRate = 768000;

// Secondary buffer sizes accepted, in bytes.
constexpr uint32_t kMinBufferBytes = 4;
constexpr uint32_t kMaxBufferBytes = 0x0FFFFFFF;

struct BufferDesc {
  uint32_t flags = 0;
  uint32_t bytes = 0;                  // 0 for the primary buffer
  const WaveFormat* format = nullptr;  // null for the primary buffer
};

struct BufferCaps {
  uint32_t flags;
  uint32_t bytes;
};

struct PositionNotify {
  uint32_t offset;  // byte offset, or kNotifyOnStop
  Event* event;
};

// The notification side of a buffer, handed out only by buffers created with
// kBufferCtrlPositionNotify.
class SoundNotify {
 public:
  // Replaces the buffer's notifications (count 0 removes them), also while the buffer plays.
  // Refused for a null list with a non-zero count, a null event, or an offset outside the buffer
  // that is not kNotifyOnStop. Each offset's event is signalled when the play cursor reaches that
  // byte; the kNotifyOnStop event when the buffer goes from playing to stopped (a Stop call or the
  // end of a buffer played once).
  virtual bool SetNotificationPositions(uint32_t count, const PositionNotify* positions) = 0;
  // The buffer owns this interface; releasing it does nothing.
  void Release() {}

 protected:
  ~SoundNotify() = default;
};

class SoundBuffer final : public SoundNotify {
 public:
  SoundBuffer(const SoundBuffer&) = delete;
  SoundBuffer& operator=(const SoundBuffer&) = delete;

  // Stops the buffer and frees it; its data lives on while a duplicate uses it. The primary buffer
  // is freed when its last holder releases it.
  void Release();

  bool GetCaps(BufferCaps* caps) const;
  bool GetFormat(WaveFormat* format) const;
  // Primary buffer only: sets the output format (PCM, 1 or 2 channels, 8 or 16 bits, 8000 to
  // 192000 Hz).
  bool SetFormat(const WaveFormat& format);

  // Starts from the current position; kPlayLooping wraps at the end, otherwise the buffer stops
  // at its end and its position goes back to the start, ready to be played again. Playing a
  // playing buffer only changes looping.
  bool Play(uint32_t flags);
  // Stops and keeps the position.
  bool Stop();
  bool GetStatus(uint32_t* status) const;
  // Play cursor and write cursor in bytes (the write cursor is where data may safely be written:
  // the play cursor itself, since mixing happens on demand).
  bool GetCurrentPosition(uint32_t* play, uint32_t* write) const;
  // Moves the play cursor to a byte offset (rounded down to a whole frame).
  bool SetCurrentPosition(uint32_t position);

  // Maps bytes from offset for writing as at most two parts: up to the end of the buffer, then
  // from its start. kLockEntireBuffer ignores offset and bytes; kLockFromWriteCursor uses the write
  // cursor as offset. Refused for the primary buffer, an offset past the end, or bytes 0 or above
  // the buffer's size. part2 is null and bytes2 0 when the range does not wrap.
  bool Lock(uint32_t offset, uint32_t bytes, void** part1, uint32_t* bytes1, void** part2,
            uint32_t* bytes2, uint32_t flags);
  // Ends a lock; the pointers must be the ones Lock gave (null for an unused second part).
  bool Unlock(void* part1, uint32_t bytes1, void* part2, uint32_t bytes2);

  // Each refused unless the buffer was created with the matching control.
  bool SetVolume(int32_t volume);
  bool GetVolume(int32_t* volume) const;
  bool SetPan(int32_t pan);
  bool GetPan(int32_t* pan) const;
  bool SetFrequency(uint32_t frequency);
  bool GetFrequency(uint32_t* frequency) const;

  // The notification interface when the buffer was created with kBufferCtrlPositionNotify.
  SoundNotify* QueryNotify();
  bool SetNotificationPositions(uint32_t count, const PositionNotify* positions) override;

  uint32_t Size() const { return bytes; }
  bool IsPrimary() const { return (flags & kBufferPrimary) != 0; }

 private:
  friend class Mixer;

  SoundBuffer(Mixer* mixer, uint32_t flags, const WaveFormat& format, uint32_t bytes,
              std::shared_ptr<std::vector<uint8_t>> data);
  ~SoundBuffer();

  Mixer* mixer;
  const uint32_t flags;
  const WaveFormat format;
  const uint32_t bytes;
  const uint32_t frames;
  // Shared between a buffer and its duplicates. Written by the lock holder, read by the mixer.
  const std::shared_ptr<std::vector<uint8_t>> data;

  // Below: guarded by the mixer's mutex.
  bool playing = false;
  bool looping = false;
  uint64_t position = 0;  // play cursor in frames, 32.32 fixed point
  int32_t volume = 0;
  int32_t pan = 0;
  uint32_t frequency = kFrequencyOriginal;
  int32_t gainLeft = 65536;  // 16.16
  int32_t gainRight = 65536;
  std::vector<PositionNotify> notifications;
  int primaryHolders = 0;
  SoundBuffer* prev = nullptr;
  SoundBuffer* next = nullptr;
};

}  // namespace platform
