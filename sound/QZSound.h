#pragma once
// The sound manager: sets up the audio device for the main window, owns the primary buffer, the
// pool of samples and a callback thread that starts the successor of a chained sample when its
// predecessor stops, plays samples by ID, maps the library's 0..65535 volume and pan scales onto
// the platform's hundredths of a decibel, and plays one long WAV file at a time as a stream with
// a fill thread, a next-stream function and fades.
//
// Threads: the caller's, the callback thread and, while a stream is loaded, the fill thread. The
// pool, the event list and the samples' fields are guarded by one recursive library lock, taken
// briefly by every operation on them and by the callback thread while it handles an end; no lock
// is held while a thread is waited for. The stream's flags and sample are atomics shared with the
// fill thread.

#include <atomic>
#include <cstdint>

#include "platform/AudioDevice.h"
#include "platform/Thread.h"
#include "sound/SNDSample.h"
#include "sound/SNDTypes.h"

class SND_EXPORT QZSound {
 public:
  // Sets nothing: the process-wide instance starts zeroed and is set up by Init.
  QZSound() {}
  QZSound(void* window, int sampleCount);
  QZSound(const QZSound& other);
  // Copies the three fields.
  QZSound& operator=(const QZSound& other);

  std::atomic<int32_t> musicVolume;
  std::atomic<int> musicEnabled;
  std::atomic<int> sfxEnabled;

  // ---- set-up and playing
  int Init(void* window, int sampleCount);
  void Exit();
  int AllocSampleBuffers();
  SNDSample* PlaySample(uint32_t id, int32_t volume, int32_t pan);
  int PlaySampleIDOnce(uint32_t id, int32_t volume, int32_t pan);
  void EnableSFX(int on);
  void MemCleanup();
  uint32_t GetLIBVersion();
  const char* GetLIBDate();
  static platform::AudioDevice* GetDSObject();
  static platform::SoundBuffer* GetDSPrimaryBuffer();
  static int32_t MapVolume(int32_t level);
  static int32_t MapPan(int32_t pan);
  static _SNDEvent* AllocSoundEvent();
  static void FreeSoundEvent(_SNDEvent* event);

  // ---- the sample pool
  static SNDSample* AllocSample();
  static void ClearSample(SNDSample* sample);
  static void ClearSampleList();
  static void SetFileOpenFunc(SNDOpenFunc hook);
  static void SetFileCloseFunc(SNDCloseFunc hook);
  static SNDHandle DefaultOpenFile(const char* fileName);
  static int DefaultCloseFile(SNDHandle handle);
  int LoadSample(const char* fileName, uint32_t id);
  SNDSample* FindSample(uint32_t id);
  void FreeSample(uint32_t id);
  void FreeSample(SNDSample* sample);
  void FlushSamples();

  // ---- the stream
  int LoadStream(const char* fileName, uint32_t id);
  int PlayStream(uint32_t flags);
  int StopStream();
  int PauseStream();
  void EnableMusic(int on);
  SNDNextStreamFunc SetStreamNextFunc(SNDNextStreamFunc function);
  SNDNextStreamFunc GetStreamNextFunc();
  void FadeMusic(int32_t from, int32_t to, uint32_t milliseconds);
  void FadeMusicOut(uint32_t milliseconds);
  void FadeMusicIn(uint32_t milliseconds);
  static void SetStreamVolume(int32_t level);
  static int GetStreamVolume();
  static uint32_t GetStreamID();
  static _SNDStream* GetStreamInfoPtr();
  static void ClearStreamNextStreamFunc();
  static int CleanupStream();
  static int FillStream(void* parameter);

  // Where fades read the time, in milliseconds; the platform's steady clock unless replaced. A
  // null source puts the steady clock back. For tests that step time themselves.
  using TickSource = uint32_t (*)();
  static void SetTickSource(TickSource source);

  // ---- statics of the manager
  static platform::AudioDevice* g_lpDSound;
  static platform::SoundBuffer* g_lpSoundBuffer;
  static platform::DeviceCaps g_DSCaps;
  static void* g_MemHandle;
  static int g_nMaxEventCount;
  static platform::Event** g_CallBackHandles;
  static _SNDEvent* g_EventList;
  static platform::Thread* g_CallBackThread;
  static std::atomic<int> g_nCallBackThreadActive;
  static int16_t g_VolumeTable[16384];

  // ---- statics of the pool
  static int g_nMaxSampleCount;
  static SNDSample* g_SampleList;
  static SNDSample* g_pEndSample;
  static SNDSample* g_pLastSample;
  static SNDOpenFunc g_pOpenFile;
  static SNDCloseFunc g_pCloseFile;

  // ---- statics of the stream
  static _SNDStream g_StreamInfo;
  static platform::Event* g_NotifyEvents[9];
  static platform::Thread* g_FillThread;
  static uint32_t g_FillThreadID;

 protected:
  int CreateMainBuffer();
  int alloc_sample_buffers(int count);
  int free_sample_buffers();
  void setup_callback();
  void close_callback();
  void debug_dsound_caps(platform::DeviceCaps* caps);
  void init_stream_buffer();
  static int CallBack(void* parameter);
};

// The process-wide instance every sample consults for the sound-effects switch.
SND_EXPORT extern QZSound g_Sound;
