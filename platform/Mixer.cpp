#include "platform/Mixer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/Events.h"

namespace platform {

namespace {

constexpr int32_t kUnityGain = 65536;
constexpr uint32_t kMinOutputRate = 8000;
constexpr uint32_t kMaxOutputRate = 192000;

bool IsPlayableFormat(const WaveFormat& f) {
  return f.formatTag == kWaveFormatPcm && (f.channels == 1 || f.channels == 2) &&
         (f.bitsPerSample == 8 || f.bitsPerSample == 16) && f.samplesPerSec >= kMinBufferRate &&
         f.samplesPerSec <= kMaxBufferRate && f.blockAlign == f.channels * f.bitsPerSample / 8;
}

// Hundredths of a decibel to a 16.16 gain; the floor of the scale is silence.
int32_t GainOf(int32_t hundredthsDb) {
  if (hundredthsDb <= kVolumeMin) return 0;
  if (hundredthsDb >= 0) return kUnityGain;
  return static_cast<int32_t>(std::lround(kUnityGain * std::pow(10.0, hundredthsDb / 2000.0)));
}

// One frame of the source as a left/right pair of 16-bit values.
template <int Bits, int Channels>
inline void ReadFrame(const uint8_t* data, uint32_t frame, int32_t* left, int32_t* right) {
  if (Bits == 8) {
    const uint8_t* p = data + static_cast<size_t>(frame) * Channels;
    *left = (static_cast<int32_t>(p[0]) - 128) * 256;
    *right = Channels == 2 ? (static_cast<int32_t>(p[1]) - 128) * 256 : *left;
  } else {
    const uint8_t* p = data + static_cast<size_t>(frame) * Channels * 2;
    *left = static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8)));
    *right =
        Channels == 2 ? static_cast<int16_t>(static_cast<uint16_t>(p[2] | (p[3] << 8))) : *left;
  }
}

struct VoiceState {
  uint64_t position;  // 32.32 frames
  uint64_t step;
  uint32_t frames;
  bool looping;
  int32_t gainLeft;
  int32_t gainRight;
};

// Mixes up to count output frames of one voice into acc (stereo pairs) with linear interpolation
// between neighbouring source frames, stopping early when a voice played once reaches its end.
// state.position advances, unwrapped past the end for a looping voice, so the caller can tell how
// far it went.
template <int Bits, int Channels>
void MixFrames(const uint8_t* data, VoiceState& state, int32_t* acc, uint32_t count) {
  const uint64_t end = static_cast<uint64_t>(state.frames) << 32;
  uint64_t pos = state.position;
  uint64_t wrapped = 0;  // whole buffer lengths passed, in 32.32 frames
  const bool unity = state.gainLeft == kUnityGain && state.gainRight == kUnityGain;
  uint32_t k = 0;
  for (; k < count; ++k) {
    if (pos >= end) {
      if (!state.looping) break;
      do {
        pos -= end;
        wrapped += end;
      } while (pos >= end);
    }
    const uint32_t index = static_cast<uint32_t>(pos >> 32);
    uint32_t nextIndex = index + 1;
    if (nextIndex >= state.frames) nextIndex = state.looping ? 0 : index;
    const int32_t frac = static_cast<int32_t>((pos >> 17) & 0x7FFF);
    int32_t l0, r0, l1, r1;
    ReadFrame<Bits, Channels>(data, index, &l0, &r0);
    int32_t l = l0;
    int32_t r = r0;
    if (frac != 0) {
      ReadFrame<Bits, Channels>(data, nextIndex, &l1, &r1);
      l += ((l1 - l0) * frac) >> 15;
      r += ((r1 - r0) * frac) >> 15;
    }
    if (unity) {
      acc[2 * k] += l;
      acc[2 * k + 1] += r;
    } else {
      acc[2 * k] += static_cast<int32_t>((static_cast<int64_t>(l) * state.gainLeft) >> 16);
      acc[2 * k + 1] += static_cast<int32_t>((static_cast<int64_t>(r) * state.gainRight) >> 16);
    }
    pos += state.step;
  }
  state.position = pos + wrapped;
}

inline int32_t Clip16(int32_t v) {
  return v < -32768 ? -32768 : (v > 32767 ? 32767 : v);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// SoundBuffer

SoundBuffer::SoundBuffer(Mixer* owner, uint32_t bufferFlags, const WaveFormat& bufferFormat,
                         uint32_t size, std::shared_ptr<std::vector<uint8_t>> shared)
    : mixer(owner),
      flags(bufferFlags),
      format(bufferFormat),
      bytes(size),
      frames(bufferFormat.blockAlign != 0 ? size / bufferFormat.blockAlign : 0),
      data(std::move(shared)) {}

SoundBuffer::~SoundBuffer() = default;

void SoundBuffer::Release() {
  if (IsPrimary()) {
    std::lock_guard<std::mutex> lock(mixer->mutex);
    if (primaryHolders > 0) --primaryHolders;
    if (primaryHolders == 0) playing = false;
    return;
  }
  mixer->Unlink(this);
  delete this;
}

bool SoundBuffer::GetCaps(BufferCaps* caps) const {
  if (caps == nullptr) return false;
  caps->flags = flags;
  caps->bytes = bytes;
  return true;
}

bool SoundBuffer::GetFormat(WaveFormat* out) const {
  if (out == nullptr) return false;
  *out = IsPrimary() ? mixer->OutputFormat() : format;
  return true;
}

bool SoundBuffer::SetFormat(const WaveFormat& newFormat) {
  if (!IsPrimary()) return false;
  return mixer->SetOutputFormat(newFormat);
}

bool SoundBuffer::Play(uint32_t playFlags) {
  std::lock_guard<std::mutex> lock(mixer->mutex);
  looping = (playFlags & kPlayLooping) != 0;
  playing = true;
  return true;
}

bool SoundBuffer::Stop() {
  std::lock_guard<std::mutex> lock(mixer->mutex);
  mixer->StopLocked(this);
  return true;
}

bool SoundBuffer::GetStatus(uint32_t* status) const {
  if (status == nullptr) return false;
  std::lock_guard<std::mutex> lock(mixer->mutex);
  *status = playing ? (kStatusPlaying | (looping ? kStatusLooping : 0)) : 0;
  return true;
}

bool SoundBuffer::GetCurrentPosition(uint32_t* play, uint32_t* write) const {
  if (IsPrimary()) {
    if (play != nullptr) *play = 0;
    if (write != nullptr) *write = 0;
    return true;
  }
  std::lock_guard<std::mutex> lock(mixer->mutex);
  const uint32_t cursor = static_cast<uint32_t>(position >> 32) * format.blockAlign;
  if (play != nullptr) *play = cursor;
  if (write != nullptr) *write = cursor;
  return true;
}

bool SoundBuffer::SetCurrentPosition(uint32_t offset) {
  if (IsPrimary() || offset >= bytes) return false;
  std::lock_guard<std::mutex> lock(mixer->mutex);
  position = static_cast<uint64_t>(offset / format.blockAlign) << 32;
  return true;
}

bool SoundBuffer::Lock(uint32_t offset, uint32_t count, void** part1, uint32_t* bytes1,
                       void** part2, uint32_t* bytes2, uint32_t lockFlags) {
  if (IsPrimary() || part1 == nullptr || bytes1 == nullptr) return false;
  if ((lockFlags & kLockEntireBuffer) != 0) {
    offset = 0;
    count = bytes;
  } else if ((lockFlags & kLockFromWriteCursor) != 0) {
    uint32_t write = 0;
    GetCurrentPosition(nullptr, &write);
    offset = write;
  }
  if (offset >= bytes || count == 0 || count > bytes) return false;
  const uint32_t first = std::min(count, bytes - offset);
  const uint32_t second = count - first;
  if (second != 0 && (part2 == nullptr || bytes2 == nullptr)) return false;
  *part1 = data->data() + offset;
  *bytes1 = first;
  if (part2 != nullptr) *part2 = second != 0 ? data->data() : nullptr;
  if (bytes2 != nullptr) *bytes2 = second;
  return true;
}

bool SoundBuffer::Unlock(void* part1, uint32_t bytes1, void* part2, uint32_t bytes2) {
  if (IsPrimary()) return false;
  uint8_t* begin = data->data();
  uint8_t* endOfData = begin + bytes;
  auto* p1 = static_cast<uint8_t*>(part1);
  if (p1 == nullptr || p1 < begin || p1 > endOfData || bytes1 > static_cast<size_t>(endOfData - p1))
    return false;
  if (part2 == nullptr) return bytes2 == 0;
  return part2 == begin && bytes2 <= bytes;
}

bool SoundBuffer::SetVolume(int32_t level) {
  if ((flags & kBufferCtrlVolume) == 0 || level < kVolumeMin || level > kVolumeMax) return false;
  const int32_t gain = GainOf(level);
  std::lock_guard<std::mutex> lock(mixer->mutex);
  volume = level;
  const int32_t panGainLeft = pan > 0 ? GainOf(-pan) : kUnityGain;
  const int32_t panGainRight = pan < 0 ? GainOf(pan) : kUnityGain;
  gainLeft = static_cast<int32_t>((static_cast<int64_t>(gain) * panGainLeft) >> 16);
  gainRight = static_cast<int32_t>((static_cast<int64_t>(gain) * panGainRight) >> 16);
  return true;
}

bool SoundBuffer::GetVolume(int32_t* out) const {
  if ((flags & kBufferCtrlVolume) == 0 || out == nullptr) return false;
  std::lock_guard<std::mutex> lock(mixer->mutex);
  *out = volume;
  return true;
}

bool SoundBuffer::SetPan(int32_t level) {
  if ((flags & kBufferCtrlPan) == 0 || level < kPanLeft || level > kPanRight) return false;
  const int32_t panGainLeft = level > 0 ? GainOf(-level) : kUnityGain;
  const int32_t panGainRight = level < 0 ? GainOf(level) : kUnityGain;
  std::lock_guard<std::mutex> lock(mixer->mutex);
  pan = level;
  const int32_t gain = GainOf(volume);
  gainLeft = static_cast<int32_t>((static_cast<int64_t>(gain) * panGainLeft) >> 16);
  gainRight = static_cast<int32_t>((static_cast<int64_t>(gain) * panGainRight) >> 16);
  return true;
}

bool SoundBuffer::GetPan(int32_t* out) const {
  if ((flags & kBufferCtrlPan) == 0 || out == nullptr) return false;
  std::lock_guard<std::mutex> lock(mixer->mutex);
  *out = pan;
  return true;
}

bool SoundBuffer::SetFrequency(uint32_t hertz) {
  if ((flags & kBufferCtrlFrequency) == 0) return false;
  if (hertz != kFrequencyOriginal && (hertz < kFrequencyMin || hertz > kFrequencyMax)) return false;
  std::lock_guard<std::mutex> lock(mixer->mutex);
  frequency = hertz;
  return true;
}

bool SoundBuffer::GetFrequency(uint32_t* out) const {
  if ((flags & kBufferCtrlFrequency) == 0 || out == nullptr) return false;
  std::lock_guard<std::mutex> lock(mixer->mutex);
  *out = frequency == kFrequencyOriginal ? format.samplesPerSec : frequency;
  return true;
}

SoundNotify* SoundBuffer::QueryNotify() {
  return (flags & kBufferCtrlPositionNotify) != 0 ? this : nullptr;
}

bool SoundBuffer::SetNotificationPositions(uint32_t count, const PositionNotify* positions) {
  if ((flags & kBufferCtrlPositionNotify) == 0) return false;
  if (count != 0 && positions == nullptr) return false;
  for (uint32_t i = 0; i < count; ++i) {
    if (positions[i].event == nullptr) return false;
    if (positions[i].offset != kNotifyOnStop && positions[i].offset >= bytes) return false;
  }
  // Built outside the mixer's lock; swapped in under it.
  std::vector<PositionNotify> list(positions, positions + count);
  std::lock_guard<std::mutex> lock(mixer->mutex);
  notifications.swap(list);
  return true;
}

// ---------------------------------------------------------------------------------------------
// Mixer

Mixer::Mixer() : output(MakePcmFormat(22050, 2, 16)) {
  primary = new SoundBuffer(this, kBufferPrimary, output, 0, nullptr);
  std::memset(accumulator, 0, sizeof(accumulator));
}

Mixer::~Mixer() {
  while (first != nullptr) {
    SoundBuffer* b = first;
    first = b->next;
    delete b;
  }
  delete primary;
}

SoundBuffer* Mixer::CreateBuffer(const BufferDesc& desc) {
  if ((desc.flags & kBufferPrimary) != 0) {
    if (desc.format != nullptr || desc.bytes != 0) return nullptr;
    std::lock_guard<std::mutex> lock(mutex);
    ++primary->primaryHolders;
    return primary;
  }
  if (desc.format == nullptr || !IsPlayableFormat(*desc.format)) return nullptr;
  if (desc.bytes < kMinBufferBytes || desc.bytes > kMaxBufferBytes) return nullptr;
  auto data = std::make_shared<std::vector<uint8_t>>(desc.bytes, 0);
  auto* buffer = new SoundBuffer(this, desc.flags, *desc.format, desc.bytes, std::move(data));
  Link(buffer);
  return buffer;
}

SoundBuffer* Mixer::DuplicateBuffer(SoundBuffer* original) {
  if (original == nullptr || original->IsPrimary() || original->mixer != this) return nullptr;
  auto* copy =
      new SoundBuffer(this, original->flags, original->format, original->bytes, original->data);
  Link(copy);
  return copy;
}

void Mixer::Link(SoundBuffer* buffer) {
  std::lock_guard<std::mutex> lock(mutex);
  buffer->next = first;
  if (first != nullptr) first->prev = buffer;
  first = buffer;
}

void Mixer::Unlink(SoundBuffer* buffer) {
  std::lock_guard<std::mutex> lock(mutex);
  buffer->playing = false;
  if (buffer->prev != nullptr) buffer->prev->next = buffer->next;
  if (buffer->next != nullptr) buffer->next->prev = buffer->prev;
  if (first == buffer) first = buffer->next;
  buffer->prev = buffer->next = nullptr;
}

WaveFormat Mixer::OutputFormat() const {
  std::lock_guard<std::mutex> lock(mutex);
  return output;
}

bool Mixer::SetOutputFormat(const WaveFormat& format) {
  if (format.formatTag != kWaveFormatPcm || (format.channels != 1 && format.channels != 2) ||
      (format.bitsPerSample != 8 && format.bitsPerSample != 16) ||
      format.samplesPerSec < kMinOutputRate || format.samplesPerSec > kMaxOutputRate) {
    return false;
  }
  FormatListener listener;
  void* user;
  {
    std::lock_guard<std::mutex> lock(mutex);
    output = MakePcmFormat(format.samplesPerSec, format.channels, format.bitsPerSample);
    listener = formatListener;
    user = formatListenerUser;
  }
  if (listener != nullptr) listener(user);
  return true;
}

void Mixer::SetFormatListener(FormatListener listener, void* user) {
  std::lock_guard<std::mutex> lock(mutex);
  formatListener = listener;
  formatListenerUser = user;
}

int Mixer::PlayingCount() const {
  std::lock_guard<std::mutex> lock(mutex);
  int count = 0;
  for (const SoundBuffer* b = first; b != nullptr; b = b->next)
    count += b->playing ? 1 : 0;
  return count;
}

void Mixer::StopLocked(SoundBuffer* buffer) {
  if (!buffer->playing) return;
  buffer->playing = false;
  for (const PositionNotify& n : buffer->notifications) {
    if (n.offset == kNotifyOnStop) n.event->Signal();
  }
}

void Mixer::NotifyPassed(SoundBuffer* buffer, uint64_t fromBytes, uint64_t advancedBytes) {
  for (const PositionNotify& n : buffer->notifications) {
    if (n.offset == kNotifyOnStop) continue;
    const uint64_t distance = (n.offset + buffer->bytes - fromBytes) % buffer->bytes;
    if (distance < advancedBytes) n.event->Signal();
  }
}

void Mixer::MixVoice(SoundBuffer* b, uint32_t count) {
  const uint32_t rate = b->frequency != kFrequencyOriginal ? b->frequency : b->format.samplesPerSec;
  VoiceState state;
  state.position = b->position;
  state.step = (static_cast<uint64_t>(rate) << 32) / output.samplesPerSec;
  state.frames = b->frames;
  state.looping = b->looping;
  state.gainLeft = b->gainLeft;
  state.gainRight = b->gainRight;
  if (state.frames == 0) return;

  const uint8_t* data = b->data->data();
  if (b->format.bitsPerSample == 8) {
    if (b->format.channels == 1) {
      MixFrames<8, 1>(data, state, accumulator, count);
    } else {
      MixFrames<8, 2>(data, state, accumulator, count);
    }
  } else if (b->format.channels == 1) {
    MixFrames<16, 1>(data, state, accumulator, count);
  } else {
    MixFrames<16, 2>(data, state, accumulator, count);
  }

  const uint64_t startFrame = b->position >> 32;
  const uint64_t endFrame = state.position >> 32;
  const uint64_t lengthFrames = static_cast<uint64_t>(b->frames);
  if (!b->notifications.empty() && endFrame > startFrame) {
    NotifyPassed(b, startFrame * b->format.blockAlign,
                 (endFrame - startFrame) * b->format.blockAlign);
  }
  if (!b->looping && endFrame >= lengthFrames) {
    // Played once to its end: stopped, and back at the start for the next play.
    b->position = 0;
    StopLocked(b);
  } else {
    b->position = state.position % (lengthFrames << 32);
  }
}

void Mixer::MixChunk(uint32_t count) {
  std::memset(accumulator, 0, sizeof(int32_t) * 2 * count);
  for (SoundBuffer* b = first; b != nullptr; b = b->next) {
    if (b->playing) MixVoice(b, count);
  }
}

void Mixer::Mix(void* out, uint32_t frames) {
  if (out == nullptr) return;
  std::lock_guard<std::mutex> lock(mutex);
  MixLocked(out, frames);
}

bool Mixer::MixAs(const WaveFormat& format, void* out, uint32_t frames) {
  if (out == nullptr) return false;
  std::lock_guard<std::mutex> lock(mutex);
  if (format.channels != output.channels || format.bitsPerSample != output.bitsPerSample ||
      format.samplesPerSec != output.samplesPerSec) {
    std::memset(out, format.bitsPerSample == 8 ? 0x80 : 0,
                static_cast<size_t>(frames) * format.channels * format.bitsPerSample / 8);
    return false;
  }
  MixLocked(out, frames);
  return true;
}

void Mixer::MixLocked(void* out, uint32_t frames) {
  auto* dst = static_cast<uint8_t*>(out);
  const uint16_t channels = output.channels;
  const uint16_t bits = output.bitsPerSample;
  while (frames > 0) {
    const uint32_t count = std::min(frames, kChunkFrames);
    MixChunk(count);
    for (uint32_t k = 0; k < count; ++k) {
      const int32_t l = Clip16(accumulator[2 * k]);
      const int32_t r = Clip16(accumulator[2 * k + 1]);
      if (channels == 2) {
        if (bits == 16) {
          const int16_t pair[2] = {static_cast<int16_t>(l), static_cast<int16_t>(r)};
          std::memcpy(dst, pair, sizeof(pair));
          dst += 4;
        } else {
          *dst++ = static_cast<uint8_t>((l >> 8) + 128);
          *dst++ = static_cast<uint8_t>((r >> 8) + 128);
        }
      } else {
        const int32_t m = (l + r) / 2;
        if (bits == 16) {
          const int16_t v = static_cast<int16_t>(m);
          std::memcpy(dst, &v, sizeof(v));
          dst += 2;
        } else {
          *dst++ = static_cast<uint8_t>((m >> 8) + 128);
        }
      }
    }
    frames -= count;
  }
}

}  // namespace platform
