// The streamed music channel of QZSound: one long WAV file played from a two-second circular
// buffer that a fill thread refills a quarter second at a time, woken by position notifications;
// the next-stream function; fades.

#include <algorithm>
#include <cstring>

#include "platform/Thread.h"
#include "platform/Timer.h"
#include "sound/QZSound.h"
#include "sound/SoundLock.h"

using sound_internal::SoundGuard;
using sound_internal::SoundLock;

_SNDStream QZSound::g_StreamInfo;
platform::Event* QZSound::g_NotifyEvents[9] = {};
platform::Thread* QZSound::g_FillThread = nullptr;
uint32_t QZSound::g_FillThreadID = 0;

namespace {

constexpr int kSegments = 8;
constexpr int kStopIndex = 8;
constexpr int kEventCount = 9;

// True on a stream's fill thread, so that the clean-up knows it runs where it may close the
// events the thread waits on.
thread_local bool onFillThread = false;

uint32_t SteadyTicks() {
  return static_cast<uint32_t>(platform::SteadyMilliseconds());
}

QZSound::TickSource tickSource = nullptr;

uint32_t Ticks() {
  return tickSource != nullptr ? tickSource() : SteadyTicks();
}

uint8_t SilenceByte(const SNDSample* sample) {
  return sample->bitsPerSample == 8 ? 0x80 : 0;
}

// The data chunk's size, kept in the stream's sample.
uint32_t StreamDataSize() {
  SNDSample* sample = QZSound::g_StreamInfo.sample.load();
  return sample != nullptr ? sample->dataSize : 0;
}

bool ReadInto(SNDHandle file, void* out, uint32_t size, uint32_t* done) {
  return platform::ReadFileHandle(file, out, size, done);
}

// With the stream owned by the caller: closes and forgets the notification events.
void DeleteStreamEvents() {
  _SNDStream& s = QZSound::g_StreamInfo;
  for (int i = 0; i < kEventCount; ++i) {
    delete QZSound::g_NotifyEvents[i];
    QZSound::g_NotifyEvents[i] = nullptr;
    s.positions[i].handle = nullptr;
    s.positions[i].offset = 0;
  }
}

// Fills one segment of the buffer with the next data of the file. Returns the number of
// notifications after which the end of the data will have been heard when this fill placed the
// last of it, 0 otherwise.
int RefillSegment(SNDSample* sample, int segment) {
  _SNDStream& s = QZSound::g_StreamInfo;
  void* part1 = nullptr;
  uint32_t bytes1 = 0;
  void* part2 = nullptr;
  uint32_t bytes2 = 0;
  if (!sample->buffer->Lock(s.segmentSize * static_cast<uint32_t>(segment), s.segmentSize, &part1,
                            &bytes1, &part2, &bytes2, 0) ||
      bytes1 == 0) {
    return 0;
  }
  auto* out = static_cast<uint8_t*>(part1);
  const bool loop = (s.flags.load() & STREAM_LOOP) != 0;
  int endAfter = 0;
  uint32_t done = 0;
  if (s.remaining > bytes1) {
    ReadInto(s.file, out, bytes1, &done);
    s.remaining -= done;
    if (done < bytes1) {
      // The file ends before its data chunk said: what is missing is silence, and the end is here.
      std::memset(out + done, SilenceByte(sample), bytes1 - done);
      s.remaining = 0;
      endAfter = kSegments;
    }
  } else {
    ReadInto(s.file, out, s.remaining, &done);
    uint32_t filled = done;
    if (loop) {
      // Go on from the start of the data without a gap; a piece shorter than the segment wraps
      // as often as it takes.
      // The file goes back to the start even when the data ended right at the segment's end.
      uint32_t lastRead = 0;
      do {
        if (platform::SeekFileHandle(s.file, s.dataStart, platform::SeekOrigin::kBegin) < 0) break;
        const uint32_t want = std::min(bytes1 - filled, StreamDataSize());
        uint32_t got = 0;
        if (want > 0) ReadInto(s.file, out + filled, want, &got);
        filled += got;
        lastRead = got;
        if (got == 0) break;
      } while (filled < bytes1);
      s.remaining = StreamDataSize() - lastRead;
      if (filled < bytes1) std::memset(out + filled, SilenceByte(sample), bytes1 - filled);
    } else {
      std::memset(out + filled, SilenceByte(sample), bytes1 - filled);
      s.remaining = 0;
      endAfter = kSegments;
    }
  }
  sample->buffer->Unlock(part1, bytes1, part2, bytes2);
  return endAfter;
}

void SilenceSegment(SNDSample* sample, int segment) {
  _SNDStream& s = QZSound::g_StreamInfo;
  void* part1 = nullptr;
  uint32_t bytes1 = 0;
  if (!sample->buffer->Lock(s.segmentSize * static_cast<uint32_t>(segment), s.segmentSize, &part1,
                            &bytes1, nullptr, nullptr, 0)) {
    return;
  }
  std::memset(part1, SilenceByte(sample), bytes1);
  sample->buffer->Unlock(part1, bytes1, nullptr, 0);
}

}  // namespace

int QZSound::LoadStream(const char* fileName, uint32_t id) {
  if (musicEnabled == 0) return 0;
  _SNDStream& s = g_StreamInfo;

  // One stream at a time; a finished stream's fill thread is collected first.
  platform::Thread* previous = nullptr;
  {
    SoundGuard guard(SoundLock());
    if (s.flags.load() & STREAM_LOADED) return 0;
    previous = g_FillThread;
    g_FillThread = nullptr;
  }
  if (previous != nullptr) {
    // Called from the next-stream function, the old fill thread is the caller: it ends on its own.
    if (previous->IsCurrent()) {
      previous->Detach();
    } else {
      previous->Join();
    }
    delete previous;
  }

  SoundGuard guard(SoundLock());
  if (g_lpDSound == nullptr) return 0;
  SNDSample* sample = AllocSample();
  if (sample == nullptr) return 0;
  const SNDHandle file = sample->OpenSoundFile(fileName);
  if (file == SND_INVALID_HANDLE) {
    ClearSample(sample);
    return 0;
  }
  if (id != SND_KEEP_ID) sample->id = id;

  auto fail = [&]() {
    DeleteStreamEvents();
    if (sample->buffer != nullptr) sample->buffer->Release();
    sample->buffer = nullptr;
    if (g_pCloseFile != nullptr) g_pCloseFile(file);
    ClearSample(sample);
    s.flags = 0;
    s.sample = nullptr;
    s.notify = nullptr;
    s.file = SND_INVALID_HANDLE;
    s.remaining = s.segmentSize = s.bufferSize = 0;
    return 0;
  };

  // A quarter second per segment, rounded up to whole frames.
  const uint64_t frame = static_cast<uint64_t>(sample->bitsPerSample) * sample->channels / 8;
  const uint64_t bytesPerSecond = static_cast<uint64_t>(sample->sampleRate) * frame;
  uint64_t segment = bytesPerSecond * 2000 / 8000;
  if (frame != 0 && segment % frame != 0) segment += frame - segment % frame;
  if (segment == 0 || segment * kSegments > platform::kMaxBufferBytes) return fail();
  const uint32_t segmentSize = static_cast<uint32_t>(segment);
  const uint32_t bufferSize = segmentSize * kSegments;

  // A sampler loop shorter than one segment cannot be refilled in time.
  if ((sample->flags & SAMPLE_LOOP) && sample->loopEnd < sample->loopStart + segmentSize) {
    return fail();
  }
  if (!sample->AllocDSBuffer(bufferSize)) return fail();
  platform::SoundNotify* notify = sample->buffer->QueryNotify();
  if (notify == nullptr) return fail();
  s.notify = notify;

  platform::PositionNotify positions[kEventCount];
  for (int i = 0; i < kEventCount; ++i) {
    g_NotifyEvents[i] = new platform::Event();
    s.positions[i].offset =
        i < kSegments ? segmentSize * static_cast<uint32_t>(i) : platform::kNotifyOnStop;
    s.positions[i].handle = g_NotifyEvents[i];
    positions[i] = {s.positions[i].offset, g_NotifyEvents[i]};
  }
  notify->SetNotificationPositions(kEventCount, positions);

  const int64_t dataStart = platform::SeekFileHandle(file, 0, platform::SeekOrigin::kCurrent);
  if (dataStart < 0) return fail();
  s.dataStart = static_cast<uint32_t>(dataStart);
  s.flags = STREAM_LOADED | STREAM_FILLING;
  s.sample = sample;
  s.file = file;
  s.segmentSize = segmentSize;
  s.bufferSize = bufferSize;
  init_stream_buffer();

  auto* thread = new platform::Thread();
  if (!thread->Start(FillStream, nullptr, platform::ThreadPriority::kLowest)) {
    delete thread;
    return fail();
  }
  g_FillThread = thread;
  g_FillThreadID = thread->Id();
  return 1;
}

void QZSound::init_stream_buffer() {
  _SNDStream& s = g_StreamInfo;
  SNDSample* sample = s.sample;
  void* part1 = nullptr;
  uint32_t bytes1 = 0;
  void* part2 = nullptr;
  uint32_t bytes2 = 0;
  if (!sample->buffer->Lock(0, 0, &part1, &bytes1, &part2, &bytes2, platform::kLockEntireBuffer)) {
    s.remaining = sample->dataSize;
    return;
  }
  auto* out = static_cast<uint8_t*>(part1);
  // Only the data chunk is read: whatever follows it in the file is not sound.
  uint32_t done = 0;
  ReadInto(s.file, out, std::min(bytes1, sample->dataSize), &done);
  s.remaining = sample->dataSize - done;
  if (s.flags.load() & STREAM_LOOP) {
    // A looping piece shorter than the buffer follows itself round the buffer.
    uint32_t lastRead = done;
    while (done < bytes1 && sample->dataSize > 0) {
      if (platform::SeekFileHandle(s.file, s.dataStart, platform::SeekOrigin::kBegin) < 0) break;
      uint32_t got = 0;
      ReadInto(s.file, out + done, std::min(bytes1 - done, sample->dataSize), &got);
      if (got == 0) break;
      done += got;
      lastRead = got;
    }
    if (done > sample->dataSize) s.remaining = sample->dataSize - lastRead;
  }
  // A piece shorter than the buffer is followed by silence, not by whatever the buffer held.
  if (done < bytes1) std::memset(out + done, SilenceByte(sample), bytes1 - done);
  sample->buffer->Unlock(part1, bytes1, part2, bytes2);
}

int QZSound::PlayStream(uint32_t flags) {
  if (musicEnabled == 0) return 1;
  SoundGuard guard(SoundLock());
  _SNDStream& s = g_StreamInfo;
  SNDSample* sample = s.sample;
  const uint32_t current = s.flags.load();
  if ((current & STREAM_LOADED) && !(current & STREAM_PLAYING) && sample != nullptr &&
      sample->buffer != nullptr) {
    const bool loopAdded = (flags & STREAM_LOOP) && !(current & STREAM_LOOP);
    s.flags |= flags;
    // Loaded to play once, a piece shorter than the buffer has silence after it: to loop, it
    // must follow itself instead. Nothing has played yet, so the buffer can be filled anew.
    if (loopAdded && sample->dataSize < s.bufferSize &&
        platform::SeekFileHandle(s.file, s.dataStart, platform::SeekOrigin::kBegin) >= 0) {
      init_stream_buffer();
    }
    // From byte 0: the notification there is the first one, which the fill thread passes over,
    // so the first refill comes when the cursor reaches segment 1.
    sample->buffer->SetCurrentPosition(0);
    sample->buffer->Play(platform::kPlayLooping);
    s.flags |= STREAM_PLAYING;
  }
  return 1;
}

int QZSound::StopStream() {
  if (musicEnabled == 0) return 1;
  _SNDStream& s = g_StreamInfo;
  platform::Thread* fill = nullptr;
  SNDSample* stopping = nullptr;
  {
    SoundGuard guard(SoundLock());
    if ((s.flags.load() & STREAM_LOADED) == 0) return 1;
    stopping = s.sample;
    // The fill thread may be the caller (a next-stream function stopping what it just loaded
    // runs on the old thread, never this one); it cannot wait for itself.
    if (g_FillThread != nullptr && !g_FillThread->IsCurrent()) {
      fill = g_FillThread;
      g_FillThread = nullptr;
    }
    s.flags &= ~STREAM_PAUSED;
    bool wasPlaying = false;
    if (stopping != nullptr && stopping->buffer != nullptr) {
      uint32_t status = 0;
      stopping->buffer->GetStatus(&status);
      wasPlaying = (status & platform::kStatusPlaying) != 0;
      stopping->buffer->Stop();
      do {
        stopping->buffer->GetStatus(&status);
      } while (status & (platform::kStatusPlaying | platform::kStatusLooping));
    }
    // A stream loaded but never started, or paused, has no stop to report: tell the fill thread
    // directly so it cleans up all the same. Deliberate: waiting for a stop notification that
    // never comes would leave the stream's buffer, file and thread behind.
    if (!wasPlaying && g_NotifyEvents[kStopIndex] != nullptr) {
      g_NotifyEvents[kStopIndex]->Signal();
    }
  }
  if (fill != nullptr) {
    // The thread ends after the clean-up and the next-stream call. Waiting for the thread rather
    // than for an empty stream lets a next-stream function load the next piece at once.
    fill->Join();
    delete fill;
  } else if (!onFillThread) {
    while ((s.flags.load() & STREAM_FILLING) && s.sample.load() == stopping) {
      platform::SleepMilliseconds(1);
    }
  }
  return 1;
}

int QZSound::PauseStream() {
  SoundGuard guard(SoundLock());
  _SNDStream& s = g_StreamInfo;
  SNDSample* sample = s.sample;
  const uint32_t current = s.flags.load();
  if (!(current & STREAM_LOADED) || !(current & STREAM_PLAYING) || sample == nullptr ||
      sample->buffer == nullptr) {
    return 1;
  }
  if (!(current & STREAM_PAUSED)) {
    // Marked first, so the fill thread takes the stop that follows for a pause.
    s.flags |= STREAM_PAUSED;
    uint32_t play = 0;
    sample->buffer->GetCurrentPosition(&play, nullptr);
    sample->pausePosition = play;
    sample->buffer->Stop();
  } else {
    s.flags &= ~STREAM_PAUSED;
    sample->buffer->SetCurrentPosition(sample->pausePosition);
    sample->buffer->Play(platform::kPlayLooping);
  }
  return 1;
}

void QZSound::EnableMusic(int on) {
  if (on == 0) StopStream();
  musicEnabled = on;
}

SNDNextStreamFunc QZSound::SetStreamNextFunc(SNDNextStreamFunc function) {
  return g_StreamInfo.nextStreamFunc.exchange(function);
}

SNDNextStreamFunc QZSound::GetStreamNextFunc() {
  return g_StreamInfo.nextStreamFunc.load();
}

void QZSound::ClearStreamNextStreamFunc() {
  g_StreamInfo.nextStreamFunc = nullptr;
}

void QZSound::SetStreamVolume(int32_t level) {
  SoundGuard guard(SoundLock());
  SNDSample* sample = g_StreamInfo.sample;
  if ((g_StreamInfo.flags.load() & STREAM_LOADED) && sample != nullptr &&
      sample->buffer != nullptr) {
    sample->SetVolume(level);
  }
}

int QZSound::GetStreamVolume() {
  SoundGuard guard(SoundLock());
  SNDSample* sample = g_StreamInfo.sample;
  return sample != nullptr ? sample->volume : 0;
}

uint32_t QZSound::GetStreamID() {
  SoundGuard guard(SoundLock());
  SNDSample* sample = g_StreamInfo.sample;
  return sample != nullptr ? sample->id : 0;
}

_SNDStream* QZSound::GetStreamInfoPtr() {
  return &g_StreamInfo;
}

int QZSound::CleanupStream() {
  _SNDStream& s = g_StreamInfo;
  uint32_t id = 0;
  {
    SoundGuard guard(SoundLock());
    SNDSample* sample = s.sample;
    const uint32_t current = s.flags.load();
    if (!(current & STREAM_LOADED) || sample == nullptr || sample->buffer == nullptr) return 1;
    if (!onFillThread && (current & STREAM_FILLING)) {
      // The fill thread waits on the events: it must close them itself. Ask it to.
      s.flags &= ~STREAM_PAUSED;
      sample->buffer->Stop();
      if (g_NotifyEvents[kStopIndex] != nullptr) g_NotifyEvents[kStopIndex]->Signal();
      return 1;
    }
    // The buffer goes first, so the mixer can no longer signal the events being closed.
    sample->buffer->Release();
    sample->buffer = nullptr;
    DeleteStreamEvents();
    id = sample->id;
    ClearSample(sample);
    s.sample = nullptr;
    s.notify = nullptr;
    if (g_pCloseFile != nullptr) g_pCloseFile(s.file);
    s.file = SND_INVALID_HANDLE;
    s.flags &= ~(STREAM_LOADED | STREAM_PLAYING | STREAM_LOOP | STREAM_PAUSED | STREAM_PRIMED);
    s.remaining = 0;
    s.bufferSize = 0;
    s.segmentSize = 0;
  }
  // Outside the lock: the function may load and start the next stream.
  if (SNDNextStreamFunc next = s.nextStreamFunc.load()) next(id);
  return 1;
}

int QZSound::FillStream(void*) {
  onFillThread = true;
  _SNDStream& s = g_StreamInfo;
  // Notifications left until the end of the data has been heard; 0 while more data is to come.
  int endAfter = 0;
  {
    SoundGuard guard(SoundLock());
    SNDSample* sample = s.sample;
    if (sample != nullptr && s.remaining == 0 && s.segmentSize != 0) {
      // The whole piece is already in the buffer: it ends in the segment of its last byte, and
      // is heard out when the cursor enters the next one.
      const uint32_t held = std::min(sample->dataSize, s.bufferSize);
      endAfter = (held == 0 ? 0 : static_cast<int>((held - 1) / s.segmentSize)) + 1;
    }
  }

  for (;;) {
    const int index =
        platform::WaitForAnyEvent(g_NotifyEvents, kEventCount, platform::kWaitForever);
    if (index < 0) break;
    if (index == kStopIndex) {
      // A pause stops the buffer too; the stream lives on. So does a stale stop signal from a
      // pause that has already been resumed.
      SNDSample* sample = s.sample;
      uint32_t status = 0;
      if (sample != nullptr && sample->buffer != nullptr) sample->buffer->GetStatus(&status);
      if ((s.flags.load() & STREAM_PAUSED) || (status & platform::kStatusPlaying)) continue;
      CleanupStream();
      break;
    }

    SNDSample* sample = s.sample;
    if (!(s.flags.load() & STREAM_PRIMED) || sample == nullptr) {
      s.flags |= STREAM_PRIMED;
      continue;
    }
    // The segment before this one has just been played.
    const int segment = index == 0 ? kSegments - 1 : index - 1;
    const bool loop = (s.flags.load() & STREAM_LOOP) != 0;
    if (endAfter > 0 && !loop) {
      if (--endAfter == 0) {
        // Everything has been heard: stopping raises the stop notification, and the clean-up.
        sample->buffer->Stop();
      } else {
        SilenceSegment(sample, segment);
      }
      continue;
    }
    endAfter = RefillSegment(sample, segment);
  }
  // A next-stream function may have loaded the next piece with a fill thread of its own; the
  // flag is that thread's now.
  SoundGuard guard(SoundLock());
  if (g_FillThreadID == platform::CurrentThreadId()) s.flags &= ~STREAM_FILLING;
  return 0;
}

void QZSound::FadeMusic(int32_t from, int32_t to, uint32_t milliseconds) {
  const uint32_t start = Ticks();
  const uint32_t end = start + milliseconds;
  uint32_t now = start;
  while (end > now) {
    const int64_t elapsed = static_cast<int64_t>(now - start);
    // In 64 bits on purpose: for a long fade the product of the elapsed milliseconds and the
    // level range overflows 32 bits and the level would jump.
    const int32_t level =
        from + static_cast<int32_t>(elapsed * (static_cast<int64_t>(to) - from) / milliseconds);
    SetStreamVolume(level);
    if (tickSource == nullptr) platform::SleepMilliseconds(1);
    now = Ticks();
  }
  SetStreamVolume(to);
}

void QZSound::FadeMusicOut(uint32_t milliseconds) {
  FadeMusic(musicVolume, 0, milliseconds);
}

void QZSound::FadeMusicIn(uint32_t milliseconds) {
  FadeMusic(0, musicVolume, milliseconds);
}

void QZSound::SetTickSource(TickSource source) {
  tickSource = source;
}
