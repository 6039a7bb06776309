#include "sound/QZSound.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>

#include "sound/SoundLock.h"

using sound_internal::SoundGuard;
using sound_internal::SoundLock;

namespace sound_internal {

std::recursive_mutex& SoundLock() {
  static std::recursive_mutex lock;
  return lock;
}

}  // namespace sound_internal

QZSound g_Sound;

platform::AudioDevice* QZSound::g_lpDSound = nullptr;
platform::SoundBuffer* QZSound::g_lpSoundBuffer = nullptr;
platform::DeviceCaps QZSound::g_DSCaps = {};
void* QZSound::g_MemHandle = nullptr;
int QZSound::g_nMaxEventCount = 0;
platform::Event** QZSound::g_CallBackHandles = nullptr;
_SNDEvent* QZSound::g_EventList = nullptr;
platform::Thread* QZSound::g_CallBackThread = nullptr;
std::atomic<int> QZSound::g_nCallBackThreadActive{0};
int16_t QZSound::g_VolumeTable[16384];

int QZSound::g_nMaxSampleCount = 0;
SNDSample* QZSound::g_SampleList = nullptr;
SNDSample* QZSound::g_pEndSample = nullptr;
SNDSample* QZSound::g_pLastSample = nullptr;
SNDOpenFunc QZSound::g_pOpenFile = nullptr;
SNDCloseFunc QZSound::g_pCloseFile = nullptr;

namespace {

constexpr int kVolumeTableSize = 16384;
constexpr int32_t kSilence = -10000;
constexpr int kMaxEvents = 64;
constexpr uint32_t kPrimaryRate = 22050;

// Entry i is 1000 * log2(i / 16384) hundredths of a decibel, truncated, never below silence:
// each halving of the index costs 10 dB.
void FillVolumeTable() {
  QZSound::g_VolumeTable[0] = kSilence;
  for (int i = 1; i < kVolumeTableSize; ++i) {
    const double level = 1000.0 * std::log2(static_cast<double>(i) / kVolumeTableSize);
    const int32_t truncated = static_cast<int32_t>(level);
    QZSound::g_VolumeTable[i] = static_cast<int16_t>(truncated < kSilence ? kSilence : truncated);
  }
}

void EnsureVolumeTable() {
  static std::once_flag once;
  std::call_once(once, FillVolumeTable);
}

// Filled at start-up as well, so the table can be read before any call.
[[maybe_unused]] const bool volumeTableReady = (EnsureVolumeTable(), true);

// Layout of the one block: handle array, event list, sample slots, each aligned for its type.
struct BlockLayout {
  size_t eventsOffset;
  size_t samplesOffset;
  size_t total;
};

size_t AlignUp(size_t value, size_t alignment) {
  return (value + alignment - 1) / alignment * alignment;
}

BlockLayout LayoutFor(int events, int samples) {
  BlockLayout layout;
  const size_t handles = sizeof(platform::Event*) * static_cast<size_t>(events);
  layout.eventsOffset = AlignUp(handles, alignof(_SNDEvent));
  const size_t eventsEnd = layout.eventsOffset + sizeof(_SNDEvent) * static_cast<size_t>(events);
  layout.samplesOffset = AlignUp(eventsEnd, alignof(SNDSample));
  layout.total = layout.samplesOffset + sizeof(SNDSample) * static_cast<size_t>(samples);
  return layout;
}

bool IsPlaying(SNDSample* sample) {
  return sample->SamplePlaying() != 0;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Construction

QZSound::QZSound(void* window, int sampleCount) {
  Init(window, sampleCount);
}

QZSound::QZSound(const QZSound& other)
    : musicVolume(other.musicVolume.load()),
      musicEnabled(other.musicEnabled.load()),
      sfxEnabled(other.sfxEnabled.load()) {}

QZSound& QZSound::operator=(const QZSound& other) {
  musicVolume = other.musicVolume.load();
  musicEnabled = other.musicEnabled.load();
  sfxEnabled = other.sfxEnabled.load();
  return *this;
}

// ---------------------------------------------------------------------------------------------
// Set-up and shutdown

int QZSound::Init(void* window, int sampleCount) {
  EnsureVolumeTable();
  // A second set-up first takes the first one down, on purpose: set up again over a running
  // one, the first callback thread, device and slots would be left behind.
  if (g_lpDSound != nullptr || g_MemHandle != nullptr) Exit();

  g_FillThread = nullptr;
  sfxEnabled = 1;
  musicEnabled = 1;
  musicVolume = 32768;
  if (sampleCount < 0) return 0;
  g_nMaxSampleCount = sampleCount;

  if (!AllocSampleBuffers()) return 0;

  g_lpDSound = platform::AudioDevice::Open();
  if (g_lpDSound == nullptr) {
    free_sample_buffers();
    return 0;
  }
  if (!g_lpDSound->SetCooperativeLevel(window, platform::kLevelExclusive)) {
    g_lpDSound->Release();
    g_lpDSound = nullptr;
    free_sample_buffers();
    return 0;
  }
  std::memset(&g_DSCaps, 0, sizeof(g_DSCaps));
  g_DSCaps.size = sizeof(g_DSCaps);
  if (g_lpDSound->GetCaps(&g_DSCaps)) debug_dsound_caps(&g_DSCaps);

  if (!CreateMainBuffer()) {
    free_sample_buffers();
    g_lpDSound->Release();
    g_lpDSound = nullptr;
    return 0;
  }

  SetFileOpenFunc(nullptr);
  SetFileCloseFunc(nullptr);
  setup_callback();
  return 1;
}

void QZSound::Exit() {
  // StopStream tears down a loaded stream even if it never started (see there), so Exit leaves
  // no stream behind either.
  StopStream();
  // A stream that ended by itself leaves its finished fill thread to be collected.
  platform::Thread* fill = nullptr;
  {
    SoundGuard guard(SoundLock());
    fill = g_FillThread;
    g_FillThread = nullptr;
  }
  if (fill != nullptr) {
    if (!fill->Join()) fill->Detach();
    delete fill;
  }

  close_callback();
  {
    SoundGuard guard(SoundLock());
    if (g_SampleList != nullptr) {
      for (SNDSample* s = g_SampleList; s < g_pLastSample; ++s) {
        if (s->flags & SAMPLE_INUSE) FreeSample(s);
      }
    }
    free_sample_buffers();
  }
  if (g_lpSoundBuffer != nullptr) {
    g_lpSoundBuffer->Stop();
    g_lpSoundBuffer->Release();
    g_lpSoundBuffer = nullptr;
  }
  if (g_lpDSound != nullptr) {
    g_lpDSound->Release();
    g_lpDSound = nullptr;
  }
}

int QZSound::AllocSampleBuffers() {
  SoundGuard guard(SoundLock());
  // While the manager runs, its callback thread waits on the handles in the block and the loaded
  // samples (the music's among them) live in it: re-creating the block would pull both from
  // under them, so the call is refused and the block stays as it is.
  if (g_lpDSound != nullptr || g_CallBackThread != nullptr) return 0;
  free_sample_buffers();
  if (!alloc_sample_buffers(g_nMaxSampleCount)) return 0;
  g_pLastSample = g_SampleList;
  g_pEndSample = g_SampleList + g_nMaxSampleCount;
  return 1;
}

int QZSound::alloc_sample_buffers(int count) {
  if (count < 0) return 0;
  const int events = count + 1 < kMaxEvents + 1 ? count + 1 : kMaxEvents;
  const BlockLayout layout = LayoutFor(events, count);
  void* block = std::calloc(1, layout.total);
  if (block == nullptr) return 0;
  auto* base = static_cast<unsigned char*>(block);
  g_CallBackHandles = reinterpret_cast<platform::Event**>(base);
  g_EventList = reinterpret_cast<_SNDEvent*>(base + layout.eventsOffset);
  g_SampleList = reinterpret_cast<SNDSample*>(base + layout.samplesOffset);
  for (int i = 0; i < events; ++i)
    new (&g_EventList[i]) _SNDEvent{nullptr, nullptr};
  for (int i = 0; i < count; ++i) {
    new (&g_SampleList[i]) SNDSample;
    g_SampleList[i].Reset();
    g_SampleList[i].notifyOffset = 0;
    g_SampleList[i].notifyEvent = nullptr;
  }
  g_nMaxEventCount = events;
  g_MemHandle = block;
  return 1;
}

int QZSound::free_sample_buffers() {
  SoundGuard guard(SoundLock());
  std::free(g_MemHandle);
  g_MemHandle = nullptr;
  g_CallBackHandles = nullptr;
  g_EventList = nullptr;
  g_SampleList = nullptr;
  g_pEndSample = nullptr;
  g_pLastSample = nullptr;
  g_nMaxEventCount = 0;
  return 1;
}

int QZSound::CreateMainBuffer() {
  platform::BufferDesc desc;
  desc.flags = platform::kBufferPrimary;
  g_lpSoundBuffer = g_lpDSound->CreateSoundBuffer(desc);
  if (g_lpSoundBuffer == nullptr) return 0;

  const uint16_t channels = (g_DSCaps.flags & platform::kCapsPrimaryStereo) ? 2 : 1;
  const uint16_t bits = (g_DSCaps.flags & platform::kCapsPrimary16Bit) ? 16 : 8;
  g_lpSoundBuffer->SetFormat(platform::MakePcmFormat(kPrimaryRate, channels, bits));

  platform::BufferCaps caps;
  if (g_lpSoundBuffer->GetCaps(&caps)) {
    platform::WaveFormat actual;
    g_lpSoundBuffer->GetFormat(&actual);
  }
  if (!g_lpSoundBuffer->Play(platform::kPlayLooping)) {
    g_lpSoundBuffer->Release();
    g_lpSoundBuffer = nullptr;
    return 0;
  }
  return 1;
}

void QZSound::debug_dsound_caps(platform::DeviceCaps*) {}

void QZSound::setup_callback() {
  {
    SoundGuard guard(SoundLock());
    for (int i = 0; i < g_nMaxEventCount; ++i) {
      g_EventList[i].handle = new platform::Event();
      g_EventList[i].sample = nullptr;
      g_CallBackHandles[i] = g_EventList[i].handle;
    }
  }
  auto* thread = new platform::Thread();
  // The flag is up before the thread runs, so a shutdown right after set-up still stops it.
  g_nCallBackThreadActive = 1;
  if (!thread->Start(CallBack, nullptr)) {
    g_nCallBackThreadActive = 0;
    delete thread;
    return;
  }
  g_CallBackThread = thread;
}

void QZSound::close_callback() {
  if (g_CallBackThread != nullptr) {
    if (g_nCallBackThreadActive != 0 && g_CallBackHandles != nullptr) {
      g_CallBackHandles[0]->Signal();
    }
    g_CallBackThread->Join();
    delete g_CallBackThread;
    g_CallBackThread = nullptr;
  }
  SoundGuard guard(SoundLock());
  // Buffers that still name an event would signal it when stopped after it is gone. Every
  // sample is disarmed, not only those marked: a sample started again before its last end was
  // handled is armed without the mark.
  if (g_SampleList != nullptr) {
    for (SNDSample* s = g_SampleList; s < g_pLastSample; ++s) {
      if (s->buffer == nullptr || s == g_StreamInfo.sample.load()) continue;
      if (platform::SoundNotify* notify = s->buffer->QueryNotify()) {
        notify->SetNotificationPositions(0, nullptr);
      }
      s->flags &= ~SAMPLE_NOTIFY;
    }
  }
  for (int i = 0; i < g_nMaxEventCount; ++i) {
    if (g_EventList[i].handle != nullptr) {
      delete g_EventList[i].handle;
      g_EventList[i].handle = nullptr;
      g_EventList[i].sample = nullptr;
      g_CallBackHandles[i] = nullptr;
    }
  }
}

int QZSound::CallBack(void*) {
  g_nCallBackThreadActive = 1;
  int exitCode = 0;
  for (;;) {
    const int index =
        platform::WaitForAnyEvent(g_CallBackHandles, g_nMaxEventCount, platform::kWaitForever);
    if (index == 0) break;
    if (index < 0) {
      exitCode = 1;
      break;
    }
    SoundGuard guard(SoundLock());
    _SNDEvent* entry = &g_EventList[index];
    SNDSample* stopped = entry->sample;
    if (stopped == nullptr) continue;
    FreeSoundEvent(entry);
    if (stopped->next != nullptr) stopped->next->PlaySample(stopped->volume, stopped->pan);
    stopped->flags &= ~SAMPLE_NOTIFY;
    // The buffer's notification still names this entry's event, which may soon report another
    // sample's end: disarm it so a later stop of this buffer cannot signal it (unless the sample
    // has been started again meanwhile and armed with another entry).
    if (stopped->buffer != nullptr && stopped->notifyEvent == entry->handle) {
      if (platform::SoundNotify* notify = stopped->buffer->QueryNotify()) {
        notify->SetNotificationPositions(0, nullptr);
      }
    }
  }
  g_nCallBackThreadActive = 0;
  return exitCode;
}

_SNDEvent* QZSound::AllocSoundEvent() {
  SoundGuard guard(SoundLock());
  if (g_EventList == nullptr) return nullptr;
  for (int i = 1; i < g_nMaxEventCount; ++i) {
    if (g_EventList[i].sample == nullptr && g_EventList[i].handle != nullptr) {
      return &g_EventList[i];
    }
  }
  return nullptr;
}

void QZSound::FreeSoundEvent(_SNDEvent* event) {
  if (event == nullptr) return;
  SoundGuard guard(SoundLock());
  event->sample = nullptr;
}

// ---------------------------------------------------------------------------------------------
// Playing and levels

SNDSample* QZSound::PlaySample(uint32_t id, int32_t volume, int32_t pan) {
  SoundGuard guard(SoundLock());
  SNDSample* sample = FindSample(id);
  if (sample == nullptr) return nullptr;
  sample->PlaySample(volume, pan);
  return sample;
}

int QZSound::PlaySampleIDOnce(uint32_t id, int32_t volume, int32_t pan) {
  SoundGuard guard(SoundLock());
  if (sfxEnabled == 0) return 1;
  SNDSample* sample = FindSample(id);
  if (sample == nullptr || sample->buffer == nullptr) return 0;
  sample->SetPan(pan);
  sample->SetVolume(volume);
  sample->flags &= ~SAMPLE_CLAIMED;
  const uint32_t play = (sample->flags & SAMPLE_LOOP) ? platform::kPlayLooping : 0;
  return sample->buffer->Play(play) ? 1 : 0;
}

void QZSound::EnableSFX(int on) {
  sfxEnabled = on;
}

void QZSound::MemCleanup() {
  if (g_lpDSound != nullptr) g_lpDSound->Compact();
}

uint32_t QZSound::GetLIBVersion() {
  return 1;
}

const char* QZSound::GetLIBDate() {
  return "Fri Dec 22 07:46:08 2000";
}

platform::AudioDevice* QZSound::GetDSObject() {
  return g_lpDSound;
}

platform::SoundBuffer* QZSound::GetDSPrimaryBuffer() {
  return g_lpSoundBuffer;
}

int32_t QZSound::MapVolume(int32_t level) {
  EnsureVolumeTable();
  if (level > 65535) return g_VolumeTable[kVolumeTableSize - 1];
  if (level < 0) return g_VolumeTable[0];
  return g_VolumeTable[level >> 2];
}

int32_t QZSound::MapPan(int32_t pan) {
  EnsureVolumeTable();
  // The library's scale runs from full right (0) through the centre (32767, 32768) to full left.
  if (pan > 65535) return -10000;
  if (pan >= 32768) return g_VolumeTable[16383 - ((pan - 32768) / 2)];
  if (pan >= 1) return -g_VolumeTable[pan / 2];
  return 10000;
}

// ---------------------------------------------------------------------------------------------
// The sample pool

SNDSample* QZSound::AllocSample() {
  SoundGuard guard(SoundLock());
  if (g_SampleList == nullptr) return nullptr;
  for (SNDSample* s = g_SampleList; s < g_pEndSample; ++s) {
    if ((s->flags & SAMPLE_INUSE) == 0) {
      if (s >= g_pLastSample) g_pLastSample = s + 1;
      s->flags |= SAMPLE_INUSE;
      return s;
    }
  }
  return nullptr;
}

void QZSound::ClearSample(SNDSample* sample) {
  if (sample == nullptr) return;
  SoundGuard guard(SoundLock());
  sample->Reset();
  if (g_SampleList == nullptr) return;
  SNDSample* mark = g_pLastSample;
  while (mark > g_SampleList && ((mark - 1)->flags & SAMPLE_INUSE) == 0)
    --mark;
  g_pLastSample = mark;
}

void QZSound::ClearSampleList() {
  SoundGuard guard(SoundLock());
  if (g_SampleList == nullptr) return;
  for (SNDSample* s = g_SampleList; s < g_pEndSample; ++s) {
    // A sample still holding a buffer was busy when its owner freed it. Forgetting the buffer
    // would leave it sounding (for ever, if it loops) with no one able to stop or release it.
    if (s->buffer != nullptr) {
      s->buffer->Release();
      s->buffer = nullptr;
    }
    s->Reset();
  }
  for (int i = 1; i < g_nMaxEventCount; ++i) {
    if (g_EventList[i].sample != nullptr) FreeSoundEvent(&g_EventList[i]);
  }
  g_pLastSample = g_SampleList;
}

void QZSound::SetFileOpenFunc(SNDOpenFunc hook) {
  g_pOpenFile = hook != nullptr ? hook : DefaultOpenFile;
}

void QZSound::SetFileCloseFunc(SNDCloseFunc hook) {
  g_pCloseFile = hook != nullptr ? hook : DefaultCloseFile;
}

SNDHandle QZSound::DefaultOpenFile(const char* fileName) {
  return platform::OpenFileHandle(fileName);
}

int QZSound::DefaultCloseFile(SNDHandle handle) {
  return platform::CloseFileHandle(handle);
}

int QZSound::LoadSample(const char* fileName, uint32_t id) {
  SoundGuard guard(SoundLock());
  if (FindSample(id) != nullptr) return 1;
  SNDSample* sample = AllocSample();
  if (sample == nullptr) return 0;
  if (!sample->LoadSample(fileName, id)) {
    if (sample->buffer != nullptr) {
      FreeSample(sample);
    } else {
      ClearSample(sample);
    }
    return 0;
  }
  return 1;
}

SNDSample* QZSound::FindSample(uint32_t id) {
  SoundGuard guard(SoundLock());
  if (g_SampleList == nullptr) return nullptr;
  SNDSample* answer = nullptr;
  SNDSample* source = nullptr;
  for (SNDSample* s = g_SampleList; s < g_pLastSample; ++s) {
    if ((s->flags & SAMPLE_INUSE) && s->id == id) {
      if ((s->flags & SAMPLE_CLAIMED) == 0 && !IsPlaying(s)) {
        answer = s;
        break;
      }
      if (source == nullptr && (s->flags & SAMPLE_DUPLICATE) == 0) source = s;
    } else if ((s->flags & SAMPLE_DUPLICATE) && (s->flags & SAMPLE_CLAIMED) == 0 && !IsPlaying(s)) {
      // A finished copy of another sound: its slot goes back to the pool.
      FreeSample(s);
    }
  }
  if (answer == nullptr && source != nullptr) answer = source->DupeSample();
  if (answer != nullptr) answer->flags |= SAMPLE_CLAIMED;
  return answer;
}

void QZSound::FreeSample(uint32_t id) {
  SoundGuard guard(SoundLock());
  SNDSample* sample = FindSample(id);
  if (sample != nullptr) FreeSample(sample);
}

void QZSound::FreeSample(SNDSample* sample) {
  SoundGuard guard(SoundLock());
  if (sample == nullptr || sample->buffer == nullptr) return;
  if (IsPlaying(sample)) sample->buffer->Stop();
  sample->buffer->Release();
  sample->buffer = nullptr;
  ClearSample(sample);
}

void QZSound::FlushSamples() {
  SoundGuard guard(SoundLock());
  if (g_SampleList == nullptr) return;
  for (SNDSample* s = g_SampleList; s < g_pLastSample; ++s) {
    if ((s->flags & SAMPLE_INUSE) && (s->flags & SAMPLE_CLAIMED) == 0 &&
        (s->flags & SAMPLE_DUPLICATE) && !IsPlaying(s)) {
      FreeSample(s);
    }
  }
}
