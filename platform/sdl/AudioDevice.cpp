#include "platform/AudioDevice.h"

#include <SDL.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

#include "platform/Language.h"
#include "platform/sdl/RunningSdl.h"

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

// The line a missing sound output gives, in the player's language, with the system's reason.
std::string NoOutputLine(const char* reason) {
  char line[512];
  std::snprintf(line, sizeof line, Tr("audio: no sound output (%s)"), reason);
  return line;
}

// Frames per device period: about 23 ms at 22050 Hz, short enough for prompt effects and for the
// quarter-second refills of streamed sound.
constexpr uint16_t kDevicePeriodFrames = 512;
// How often the watch looks at the output: often enough to notice a loss well within a second,
// seldom enough to cost nothing.
constexpr auto kWatchPeriod = std::chrono::milliseconds(250);
// A stream not pulled for this long has stopped (a frozen server, a device gone without a word);
// many periods, so that a busy machine's late callback is not taken for one.
constexpr auto kStallAfter = std::chrono::milliseconds(750);
// Over SDL 3 a stream that stopped for this long is given up and the output looked for anew: its
// PipeWire code neither reports a server that went away nor meets the one that comes back. Its
// pulls after a stop do not count: once the server is gone SDL 3 may pull at a clock's pace into
// nothing, which is not being heard.
constexpr auto kGiveUpOverSdl3 = std::chrono::milliseconds(1500);
// A new stream may wait for an idle output to wake (a sound server's idle sink can sleep for two
// seconds), so it is not taken for stopped this early, unless it was already pulled steadily.
constexpr auto kStartingFor = std::chrono::milliseconds(2500);
constexpr uint32_t kSteadyPulls = 4;
// How often a lost output is looked for again; a failed attempt on a server that is not there
// costs one refused connection.
constexpr auto kRetryPeriod = std::chrono::milliseconds(500);
// The longest a caller waits for the watch to open or close the device: a sound server that
// accepts a connection and then never answers must not hold up the program.
constexpr auto kCallerWaitLimit = std::chrono::seconds(3);

int64_t Nanoseconds(Clock::time_point moment) {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(moment.time_since_epoch()).count();
}

// Without a sound card the mixer is still pulled at the pace of real time and the frames are
// dropped, so that sounds end when they would have been heard out, their copies become free
// again and the music's end is reported, exactly as with a card.
class SilentPacer {
 public:
  // Pacing starts from the given moment: after a stream stopped being pulled, the time it stood
  // still is made up at once, so the sounds and the music stay where their clock says.
  void Start(Clock::time_point from = Clock::now()) {
    if (thread.joinable()) return;
    stopRequested = false;
    thread = std::thread([this, from] { Run(from); });
  }

  void Stop() {
    if (!thread.joinable()) return;
    {
      std::lock_guard<std::mutex> lock(mutex);
      stopRequested = true;
    }
    wake.notify_all();
    thread.join();
  }

 private:
  void Run(Clock::time_point due) {
    // Room for one period in the widest output format (stereo, 16-bit).
    uint8_t scratch[kDevicePeriodFrames * 4];
    std::unique_lock<std::mutex> lock(mutex);
    while (!stopRequested) {
      lock.unlock();
      const WaveFormat format = SharedMixer().OutputFormat();
      SharedMixer().MixAs(format, scratch, kDevicePeriodFrames);
      due += std::chrono::microseconds(static_cast<int64_t>(kDevicePeriodFrames) * 1000000 /
                                       format.samplesPerSec);
      lock.lock();
      wake.wait_until(lock, due, [this] { return stopRequested; });
    }
  }

  std::thread thread;
  std::mutex mutex;
  std::condition_variable wake;
  bool stopRequested = false;
};

// One opening of the SDL device. SDL's audio thread calls back with it until the device is
// closed, so it lives until then.
struct Connection {
  SDL_AudioDeviceID device = 0;
  WaveFormat format{};
  // False while the pacer pulls the mixer instead: the callback then only writes silence.
  std::atomic<bool> feeding{false};
  // When SDL last called back, in steady-clock nanoseconds; 0 before the first time.
  std::atomic<int64_t> lastPull{0};
  std::atomic<uint32_t> pulls{0};
  // Written and read by the watch only: when the mixer was last handed to it, and its pull count
  // then.
  Clock::time_point started{};
  uint32_t pullsAtStart = 0;
  // The last pull before the stream was found stopped.
  Clock::time_point stopped{};
};

// The last time SDL pulled a connection's stream, or its start when it has not yet.
Clock::time_point LastPull(const Connection& c) {
  const int64_t pulled = c.lastPull.load();
  const Clock::time_point last{std::chrono::nanoseconds(pulled)};
  return pulled != 0 && last > c.started ? last : c.started;
}

// Whether a connection's stream has not been pulled for longer than a working one ever waits.
bool Stalled(const Connection& c, Clock::time_point now) {
  const bool starting =
      now - c.started < kStartingFor && c.pulls.load() - c.pullsAtStart < kSteadyPulls;
  return !starting && now - LastPull(c) > kStallAfter;
}

void Feed(void* user, Uint8* stream, int len) {
  auto* c = static_cast<Connection*>(user);
  c->lastPull.store(Nanoseconds(Clock::now()), std::memory_order_relaxed);
  c->pulls.fetch_add(1, std::memory_order_relaxed);
  if (!c->feeding.load()) {
    std::memset(stream, c->format.bitsPerSample == 8 ? 0x80 : 0, static_cast<size_t>(len));
    return;
  }
  const uint32_t frames = static_cast<uint32_t>(len) / c->format.blockAlign;
  SharedMixer().MixAs(c->format, stream, frames);
}

struct OutputState {
  std::mutex mutex;
  AudioOutputKind kind = AudioOutputKind::kSdl;
  int holders = 0;
  bool sdlStarted = false;
  SilentPacer pacer;

  // The watch: the one thread that opens, looks at and closes the SDL device once it is up, so
  // that a loss is noticed and mended without the window's event pump and without blocking the
  // program. An SDL thread, so that SDL frees what it keeps per thread (its error text) when the
  // thread ends. Requests and answers below are guarded by mutex.
  SDL_Thread* watch = nullptr;
  std::condition_variable changed;
  bool stopWanted = false;
  bool reopenWanted = false;
  uint64_t reopensDone = 0;
  bool watchEnded = false;
  bool watchLetGo = false;
  // Written by the watch: whether the mixer is heard now, and whether it left a frozen device
  // open (closing one waits for SDL's stuck thread, so the audio system is then left as it is).
  bool heard = false;
  bool leftFrozen = false;
  // Over SDL 3, set from the event pump when SDL reports an output device gone. SDL 2 stops the
  // device it opened when its output goes, which the watch sees; SDL 3 (under sdl2-compat) keeps
  // the device opened on the system's default output pulling at the pace of a clock, into
  // nothing, and never reaches a sound server that comes back: its one sign is the report that
  // a device went (an SDL 2 event for no device opened). A device that was not the one playing
  // costs a moment's gap when the audio system is started anew for it.
  std::atomic<bool> outputRemoved{false};
};

int SDLCALL OnAudioEvent(void* state, SDL_Event* event) {
  if (event->type == SDL_AUDIODEVICEREMOVED && event->adevice.iscapture == 0 &&
      event->adevice.which == 0) {
    static_cast<OutputState*>(state)->outputRemoved = true;
  }
  return 0;
}

// Never destroyed, like the mixer: a program that ends without releasing the device must not
// find its output threads' state gone (or a running thread destroyed) at exit.
OutputState& Output() {
  static auto* state = new OutputState();
  return *state;
}

// Opens the sound card at the mixer's output format; SDL converts to whatever the card takes, so
// the callback always receives exactly that format. Null, with SDL's reason, on a refusal.
Connection* OpenConnection(std::string* reason) {
  auto* c = new Connection();
  c->format = SharedMixer().OutputFormat();
  SDL_AudioSpec want{};
  want.freq = static_cast<int>(c->format.samplesPerSec);
  want.format = c->format.bitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16SYS;
  want.channels = static_cast<Uint8>(c->format.channels);
  want.samples = kDevicePeriodFrames;
  want.callback = Feed;
  want.userdata = c;
  SDL_AudioSpec have{};
  c->device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (c->device == 0) {
    *reason = SDL_GetError();
    delete c;
    return nullptr;
  }
  return c;
}

void CloseConnection(Connection* c) {
  SDL_CloseAudioDevice(c->device);
  delete c;
}

// The watch's own state between its looks.
struct WatchState {
  Connection* live = nullptr;
  Clock::time_point nextAttempt{};
  bool lostReported = false;
  bool failureReported = false;
  // Set once an output was lost or refused: SDL's audio system is started anew before the next
  // attempt. From SDL 2.28 on (and in SDL 3) a sound server is met through one connection made
  // when the audio system starts; once that server is gone, no device opens on it again, whatever
  // server comes back.
  bool restartWanted = false;
  // The SDL driver of the output last heard ("pipewire", "pulseaudio"), empty before the first.
  std::string driver;
};

// With no device open: stops SDL's audio system and starts it again, so that it meets the sound
// server (or the devices) of now. False when it does not start; the next attempt tries again.
// It starts on the driver last heard: while a sound server restarts, SDL would take the next
// driver it knows, ALSA, and play on the sound card itself, which the server coming back may then
// find taken, and the game would never return to the server. (A player's SDL_AUDIODRIVER still
// wins over this.)
bool RestartSdlAudio(OutputState& s, const std::string& driver, std::string* reason) {
  std::unique_lock<std::mutex> lock(s.mutex);
  if (s.sdlStarted) {
    lock.unlock();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    lock.lock();
    s.sdlStarted = false;
  }
  lock.unlock();
  if (!driver.empty()) SDL_SetHint(SDL_HINT_AUDIODRIVER, driver.c_str());
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    *reason = SDL_GetError();
    return false;
  }
  lock.lock();
  s.sdlStarted = true;
  // What was reported gone belonged to the audio system just ended.
  s.outputRemoved = false;
  return true;
}

// The mixer is no longer heard: said before the pacer takes it over, so that nobody who sees the
// pacer's sounds end still finds the output heard.
void StopHearing(OutputState& s) {
  std::lock_guard<std::mutex> lock(s.mutex);
  s.heard = false;
}

// Hands the mixer from the pacer to a fresh connection.
void StartHearing(OutputState& s, WatchState& w, Connection* c) {
  s.pacer.Stop();
  c->started = Clock::now();
  c->pullsAtStart = c->pulls.load();
  c->feeding = true;
  SDL_PauseAudioDevice(c->device, 0);
  w.live = c;
  if (const char* driver = SDL_GetCurrentAudioDriver()) w.driver = driver;
  if (w.lostReported || w.failureReported) {
    std::fprintf(stderr, "%s\n", Tr("audio: the sound output is back"));
  }
  w.lostReported = false;
  w.failureReported = false;
}

void TryOpen(OutputState& s, WatchState& w) {
  std::string reason;
  Connection* c = nullptr;
  if (!w.restartWanted || RestartSdlAudio(s, w.driver, &reason)) c = OpenConnection(&reason);
  if (c != nullptr) {
    w.restartWanted = false;
    StartHearing(s, w, c);
    return;
  }
  w.restartWanted = true;
  s.pacer.Start();
  if (!w.failureReported && !w.lostReported) {
    std::fprintf(stderr, "%s\n", NoOutputLine(reason.c_str()).c_str());
  }
  w.failureReported = true;
  w.nextAttempt = Clock::now() + kRetryPeriod;
}

// One look at the output: a device SDL has given up on is closed and the mixer paced silently, a
// stream that stopped being pulled is paced over until it moves again (over SDL 3, until it is
// given up), and a lost output is looked for again every so often.
void Look(OutputState& s, WatchState& w) {
  const Clock::time_point now = Clock::now();
  Connection* c = w.live;
  if (c == nullptr) {
    if (now >= w.nextAttempt) TryOpen(s, w);
    return;
  }
  const Clock::time_point lastPull = LastPull(*c);
  // Over SDL 3 a device's status never tells a loss, and asking waits for the device's lock,
  // which its audio thread may hold for as long as it hangs.
  const bool overSdl3 = RunningOverSdl3();
  const bool gone = overSdl3 ? s.outputRemoved.exchange(false) ||
                                   (!c->feeding && now - c->stopped > kGiveUpOverSdl3)
                             : SDL_GetAudioDeviceStatus(c->device) != SDL_AUDIO_PLAYING;
  if (gone) {
    if (c->feeding.exchange(false)) {
      StopHearing(s);
      s.pacer.Start();
    }
    if (!w.lostReported) {
      std::fprintf(stderr, "%s\n", Tr("audio: the sound output went away; playing on silently"));
    }
    w.lostReported = true;
    // SDL 2's thread now only marks time, so the close returns at once; SDL 3's may wait for a
    // frozen server to answer or to die, with the pacer moving the mixer meanwhile.
    CloseConnection(c);
    w.live = nullptr;
    w.restartWanted = true;
    w.nextAttempt = now;
  } else if (c->feeding && Stalled(*c, now)) {
    c->feeding = false;
    c->stopped = lastPull;
    StopHearing(s);
    s.pacer.Start(lastPull);
    if (!w.lostReported) {
      std::fprintf(stderr, "%s\n",
                   Tr("audio: the sound output stopped taking sound; playing on silently"));
    }
    w.lostReported = true;
  } else if (!c->feeding && now - lastPull < kWatchPeriod && !overSdl3) {
    StartHearing(s, w, c);
  }
}

void Watch(OutputState& s) {
  WatchState w;
  std::unique_lock<std::mutex> lock(s.mutex);
  while (!s.stopWanted) {
    const bool reopen = s.reopenWanted;
    s.reopenWanted = false;
    lock.unlock();
    const WaveFormat wanted = SharedMixer().OutputFormat();
    if (reopen && w.live != nullptr && w.live->format.samplesPerSec == wanted.samplesPerSec &&
        w.live->format.channels == wanted.channels &&
        w.live->format.bitsPerSample == wanted.bitsPerSample) {
      // The format set is the one playing: nothing to reopen.
    } else if (reopen) {
      // A new output format, or the first opening.
      // The mixer moves on meanwhile, however long SDL takes.
      s.pacer.Start();
      if (w.live != nullptr) {
        w.live->feeding = false;
        CloseConnection(w.live);
        w.live = nullptr;
      }
      TryOpen(s, w);
    } else {
      Look(s, w);
    }
    lock.lock();
    s.heard = w.live != nullptr && w.live->feeding;
    if (reopen) ++s.reopensDone;
    s.changed.notify_all();
    s.changed.wait_for(lock, kWatchPeriod, [&s] { return s.stopWanted || s.reopenWanted; });
  }
  lock.unlock();
  if (w.live != nullptr) {
    w.live->feeding = false;
    const bool frozen = Stalled(*w.live, Clock::now());
    if (!frozen) CloseConnection(w.live);
    lock.lock();
    s.leftFrozen = frozen;
    lock.unlock();
  }
  lock.lock();
  s.heard = false;
  s.watchEnded = true;
  s.changed.notify_all();
}

int SDLCALL WatchThread(void* state) {
  Watch(*static_cast<OutputState*>(state));
  return 0;
}

// With the output mutex held: asks the watch to open the device anew and waits a while for it.
void ReopenAndWait(OutputState& s, std::unique_lock<std::mutex>& lock) {
  const uint64_t target = s.reopensDone + 1;
  s.reopenWanted = true;
  s.changed.notify_all();
  s.changed.wait_for(lock, kCallerWaitLimit, [&s, target] { return s.reopensDone >= target; });
}

// With the output mutex held (through lock).
void StartSdl(OutputState& s, std::unique_lock<std::mutex>& lock) {
  if (!s.sdlStarted) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
      std::fprintf(stderr, "%s\n", NoOutputLine(SDL_GetError()).c_str());
      s.pacer.Start();
      return;
    }
    s.sdlStarted = true;
    if (RunningOverSdl3()) SDL_AddEventWatch(OnAudioEvent, &s);
  }
  // A watch let go at the last release still owns the output until SDL lets it return.
  if (s.watchLetGo && !s.watchEnded) return;
  s.stopWanted = false;
  s.watchEnded = false;
  s.watchLetGo = false;
  s.leftFrozen = false;
  s.watch = SDL_CreateThread(WatchThread, "audio watch", &s);
  if (s.watch == nullptr) {
    std::fprintf(stderr, "%s\n", NoOutputLine(SDL_GetError()).c_str());
    s.pacer.Start();
    return;
  }
  ReopenAndWait(s, lock);
}

// With the output mutex held (through lock). A watch stuck in SDL (a server that never answers)
// is let go, and the audio system with it: the program ends without waiting for it.
void StopSdl(OutputState& s, std::unique_lock<std::mutex>& lock) {
  if (s.watch != nullptr) {
    s.stopWanted = true;
    s.changed.notify_all();
    const bool ended = s.changed.wait_for(lock, kCallerWaitLimit, [&s] { return s.watchEnded; });
    SDL_Thread* watch = s.watch;
    s.watch = nullptr;
    if (!ended) {
      // The pacer stays the watch's: it keeps the mixer moving until the process ends.
      SDL_DetachThread(watch);
      s.watchLetGo = true;
      return;
    }
    lock.unlock();
    SDL_WaitThread(watch, nullptr);
    lock.lock();
  }
  s.pacer.Stop();
  if (s.sdlStarted && !s.leftFrozen) {
    SDL_DelEventWatch(OnAudioEvent, &s);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    s.sdlStarted = false;
  }
}

void ReopenOnFormatChange(void*) {
  OutputState& s = Output();
  std::unique_lock<std::mutex> lock(s.mutex);
  if (s.watch == nullptr || s.watchEnded) return;
  ReopenAndWait(s, lock);
}

}  // namespace

Mixer& SharedMixer() {
  // Never destroyed: an audio thread still running at exit must not find it gone.
  static Mixer* mixer = new Mixer();
  return *mixer;
}

void SetAudioOutputKind(AudioOutputKind kind) {
  std::lock_guard<std::mutex> lock(Output().mutex);
  Output().kind = kind;
}

AudioOutputKind GetAudioOutputKind() {
  std::lock_guard<std::mutex> lock(Output().mutex);
  return Output().kind;
}

AudioDevice* AudioDevice::Open() {
  OutputState& s = Output();
  std::unique_lock<std::mutex> lock(s.mutex);
  if (s.holders++ == 0) {
    SharedMixer().SetFormatListener(ReopenOnFormatChange, nullptr);
    if (s.kind == AudioOutputKind::kSdl) StartSdl(s, lock);
  }
  return new AudioDevice();
}

void AudioDevice::Release() {
  {
    OutputState& s = Output();
    std::unique_lock<std::mutex> lock(s.mutex);
    if (--s.holders == 0) StopSdl(s, lock);
  }
  delete this;
}

Mixer& AudioDevice::GetMixer() {
  return SharedMixer();
}

bool AudioDevice::SetCooperativeLevel(void*, uint32_t newLevel) {
  if (newLevel < kLevelNormal || newLevel > kLevelWritePrimary) return false;
  level = newLevel;
  return true;
}

bool AudioDevice::GetCaps(DeviceCaps* caps) const {
  if (caps == nullptr || caps->size != sizeof(DeviceCaps)) return false;
  caps->flags = kCapsPrimaryMono | kCapsPrimaryStereo | kCapsPrimary8Bit | kCapsPrimary16Bit |
                kCapsContinuousRate | kCapsEmulated;
  caps->minSecondaryRate = kFrequencyMin;
  caps->maxSecondaryRate = kFrequencyMax;
  caps->maxMixingBuffers = 0;
  return true;
}

bool AudioDevice::HasSoundCard() const {
  OutputState& s = Output();
  std::lock_guard<std::mutex> lock(s.mutex);
  return s.heard;
}

}  // namespace platform
