#include "platform/Mci.h"

#include <mpg123.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/AudioDevice.h"
#include "platform/Events.h"
#include "platform/Files.h"
#include "platform/Messages.h"
#include "platform/Thread.h"

namespace platform {

namespace {

// The music plays from a one-second circular buffer in four quarter-second segments. A decoder
// thread, woken as the play cursor enters each segment, refills the segments already played.
constexpr uint32_t kSegments = 4;
constexpr uint32_t kSegmentsPerSecond = 4;
constexpr int kQuitEvent = 0;

// Command words and device names match without regard to case, in plain ASCII.
bool SameWord(const char* a, const char* b) {
  for (; *a != '\0' && *b != '\0'; ++a, ++b) {
    if (std::tolower(static_cast<unsigned char>(*a)) !=
        std::tolower(static_cast<unsigned char>(*b)))
      return false;
  }
  return *a == *b;
}

bool SameName(const std::string& a, const std::string& b) {
  return SameWord(a.c_str(), b.c_str());
}

struct Device {
  uint32_t id = 0;
  std::string name;
  AudioDevice* audio = nullptr;
  SoundBuffer* buffer = nullptr;
  mpg123_handle* decoder = nullptr;
  WaveFormat format{};
  uint32_t segmentBytes = 0;
  // events[0] asks the decoder thread to quit; events[1 + i] fires when segment i starts playing.
  Event events[1 + kSegments];
  Event* eventList[1 + kSegments] = {};
  Thread thread;

  // Guarded by mutex; shared by the command caller and the decoder thread.
  std::mutex mutex;
  bool playing = false;
  bool notify = false;
  bool ended = false;      // the decoder has delivered the last sample
  bool atEnd = false;      // the last play ran to the end
  uint64_t cursorSeq = 0;  // number of the segment the play cursor is in, counted from the play
  uint64_t fillSeq = 0;    // number of the next segment to fill
  uint64_t endSeq = 0;     // number of the segment holding the end of the data, once ended
};

struct Registry {
  std::mutex mutex;
  std::vector<std::unique_ptr<Device>> devices;
  uint32_t nextId = 1;
};

Registry& Devices() {
  static Registry* registry = new Registry();
  return *registry;
}

// With d.mutex held: decodes the next segment of music into its slot, silence after the end.
void FillNextSegment(Device& d) {
  const uint32_t slot = static_cast<uint32_t>(d.fillSeq % kSegments);
  void* part1 = nullptr;
  uint32_t bytes1 = 0;
  if (!d.buffer->Lock(slot * d.segmentBytes, d.segmentBytes, &part1, &bytes1, nullptr, nullptr,
                      0)) {
    ++d.fillSeq;
    return;
  }
  auto* out = static_cast<unsigned char*>(part1);
  size_t filled = 0;
  while (!d.ended && filled < bytes1) {
    size_t done = 0;
    const int result = mpg123_read(d.decoder, out + filled, bytes1 - filled, &done);
    filled += done;
    if (result == MPG123_NEW_FORMAT) continue;
    if (result != MPG123_OK || (done == 0 && filled < bytes1)) {
      // The end of the file, or a stream too damaged to go on: either way the music ends here.
      d.ended = true;
      d.endSeq = d.fillSeq;
    }
  }
  // A whole frame count keeps the samples aligned.
  filled -= filled % d.format.blockAlign;
  std::memset(out + filled, 0, bytes1 - filled);
  d.buffer->Unlock(part1, bytes1, nullptr, 0);
  ++d.fillSeq;
}

// With d.mutex held: brings the decoder's view of the cursor up to date and refills every slot
// the cursor has left. Working from the cursor rather than counting signals keeps it right when
// signals coalesce or a stale one arrives after a restart.
void ServeCursor(Device& d, std::vector<uint32_t>* postIds) {
  if (!d.playing) return;
  uint32_t play = 0;
  d.buffer->GetCurrentPosition(&play, nullptr);
  const uint32_t slot = std::min(play / d.segmentBytes, kSegments - 1);
  while (d.cursorSeq % kSegments != slot)
    ++d.cursorSeq;
  if (d.ended && d.cursorSeq > d.endSeq) {
    d.buffer->Stop();
    d.playing = false;
    d.atEnd = true;
    if (d.notify) postIds->push_back(d.id);
    d.notify = false;
    return;
  }
  while (d.fillSeq < d.cursorSeq + kSegments)
    FillNextSegment(d);
}

int DecoderThread(void* parameter) {
  Device& d = *static_cast<Device*>(parameter);
  for (;;) {
    const int index = WaitForAnyEvent(d.eventList, 1 + kSegments, kWaitForever);
    if (index == kQuitEvent || index == kWaitFailed) return 0;
    std::vector<uint32_t> postIds;
    {
      std::lock_guard<std::mutex> lock(d.mutex);
      ServeCursor(d, &postIds);
    }
    for (uint32_t id : postIds)
      Messages().Post(MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, id);
  }
}

void DestroyDevice(std::unique_ptr<Device> d) {
  if (d->buffer != nullptr) d->buffer->Stop();
  if (d->thread.Started()) {
    d->events[kQuitEvent].Signal();
    d->thread.Join();
  }
  if (d->buffer != nullptr) d->buffer->Release();
  if (d->decoder != nullptr) {
    mpg123_close(d->decoder);
    mpg123_delete(d->decoder);
  }
  if (d->audio != nullptr) d->audio->Release();
}

// Splits a command into words; a word in double quotes may hold spaces.
std::vector<std::string> Words(const char* command) {
  std::vector<std::string> words;
  const char* p = command;
  while (*p != '\0') {
    while (*p == ' ' || *p == '\t')
      ++p;
    if (*p == '\0') break;
    std::string word;
    if (*p == '"') {
      ++p;
      while (*p != '\0' && *p != '"')
        word += *p++;
      if (*p == '"') ++p;
    } else {
      while (*p != '\0' && *p != ' ' && *p != '\t')
        word += *p++;
    }
    words.push_back(word);
  }
  return words;
}

void SetReturn(char* text, uint32_t size, const char* value) {
  if (text == nullptr || size == 0) return;
  std::snprintf(text, size, "%s", value);
}

// With the registry mutex held.
Device* FindDevice(Registry& r, const std::string& name) {
  for (auto& d : r.devices) {
    if (SameName(d->name, name)) return d.get();
  }
  return nullptr;
}

uint32_t OpenDecoder(Device& d, const std::string& path) {
  mpg123_init();
  int error = MPG123_OK;
  d.decoder = mpg123_new(nullptr, &error);
  if (d.decoder == nullptr) return MCIERR_HARDWARE;
  mpg123_param(d.decoder, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
  // Sixteen-bit samples at the file's own rate and channels; the mixer resamples.
  mpg123_format_none(d.decoder);
  const long* rates = nullptr;
  size_t rateCount = 0;
  mpg123_rates(&rates, &rateCount);
  for (size_t i = 0; i < rateCount; ++i) {
    mpg123_format(d.decoder, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
  }
  if (mpg123_open(d.decoder, path.c_str()) != MPG123_OK) return MCIERR_INVALID_FILE;
  long rate = 0;
  int channels = 0;
  int encoding = 0;
  if (mpg123_getformat(d.decoder, &rate, &channels, &encoding) != MPG123_OK || rate <= 0 ||
      (channels != 1 && channels != 2) || encoding != MPG123_ENC_SIGNED_16) {
    return MCIERR_INVALID_FILE;
  }
  // Later format changes inside the file would break the buffer's format: keep this one.
  mpg123_format_none(d.decoder);
  mpg123_format(d.decoder, rate, channels, MPG123_ENC_SIGNED_16);
  d.format = MakePcmFormat(static_cast<uint32_t>(rate), static_cast<uint16_t>(channels), 16);
  return 0;
}

uint32_t CommandOpen(const std::vector<std::string>& w) {
  if (w.size() < 2) return MCIERR_MISSING_STRING_ARGUMENT;
  const std::string file = w[1];
  std::string name = file;
  for (size_t i = 2; i < w.size(); ++i) {
    if (SameWord(w[i].c_str(), "alias") || SameWord(w[i].c_str(), "type")) {
      if (i + 1 >= w.size()) return MCIERR_MISSING_STRING_ARGUMENT;
      if (SameWord(w[i].c_str(), "alias")) name = w[i + 1];
      ++i;
    } else if (!SameWord(w[i].c_str(), "wait")) {
      return MCIERR_UNRECOGNIZED_KEYWORD;
    }
  }

  Registry& r = Devices();
  {
    std::lock_guard<std::mutex> lock(r.mutex);
    if (FindDevice(r, name) != nullptr) return MCIERR_DUPLICATE_ALIAS;
  }

  const std::string path = ReadLocation(file.c_str());
  FILE* probe = std::fopen(path.c_str(), "rb");
  if (probe == nullptr) return MCIERR_FILE_NOT_FOUND;
  std::fclose(probe);

  auto d = std::make_unique<Device>();
  d->name = name;
  for (uint32_t i = 0; i < 1 + kSegments; ++i)
    d->eventList[i] = &d->events[i];
  if (const uint32_t error = OpenDecoder(*d, path); error != 0) {
    DestroyDevice(std::move(d));
    return error;
  }
  d->audio = AudioDevice::Open();
  const uint32_t framesPerSegment = d->format.samplesPerSec / kSegmentsPerSecond;
  d->segmentBytes = std::max<uint32_t>(framesPerSegment, 1) * d->format.blockAlign;
  BufferDesc desc;
  desc.flags = kBufferCtrlPositionNotify;
  desc.bytes = d->segmentBytes * kSegments;
  desc.format = &d->format;
  d->buffer = d->audio->CreateSoundBuffer(desc);
  if (d->buffer == nullptr) {
    DestroyDevice(std::move(d));
    return MCIERR_HARDWARE;
  }
  PositionNotify positions[kSegments];
  for (uint32_t i = 0; i < kSegments; ++i) {
    positions[i] = {i * d->segmentBytes, &d->events[1 + i]};
  }
  d->buffer->SetNotificationPositions(kSegments, positions);
  if (!d->thread.Start(DecoderThread, d.get())) {
    DestroyDevice(std::move(d));
    return MCIERR_HARDWARE;
  }

  std::lock_guard<std::mutex> lock(r.mutex);
  if (FindDevice(r, name) != nullptr) {
    // Another thread opened the same name meanwhile.
    DestroyDevice(std::move(d));
    return MCIERR_DUPLICATE_ALIAS;
  }
  d->id = r.nextId++;
  r.devices.push_back(std::move(d));
  return 0;
}

uint32_t CommandPlay(Device& d, const std::vector<std::string>& w) {
  bool notify = false;
  for (size_t i = 2; i < w.size(); ++i) {
    if (SameWord(w[i].c_str(), "notify")) {
      notify = true;
    } else {
      return MCIERR_UNRECOGNIZED_KEYWORD;
    }
  }
  std::lock_guard<std::mutex> lock(d.mutex);
  // A new play replaces the wait of an earlier one for the end.
  d.notify = notify;
  if (d.playing) return 0;
  if (d.atEnd || d.fillSeq == 0) {
    if (d.atEnd && mpg123_seek(d.decoder, 0, SEEK_SET) < 0) return MCIERR_HARDWARE;
    d.atEnd = false;
    d.ended = false;
    d.cursorSeq = 0;
    d.fillSeq = 0;
    d.buffer->SetCurrentPosition(0);
    for (uint32_t i = 0; i < kSegments; ++i)
      FillNextSegment(d);
  }
  d.playing = true;
  if (!d.buffer->Play(kPlayLooping)) {
    d.playing = false;
    return MCIERR_HARDWARE;
  }
  return 0;
}

uint32_t CommandStop(Device& d) {
  std::lock_guard<std::mutex> lock(d.mutex);
  d.buffer->Stop();
  d.playing = false;
  d.notify = false;
  return 0;
}

uint32_t CommandStatus(Device& d, const std::vector<std::string>& w, char* text, uint32_t size) {
  if (w.size() < 3) return MCIERR_MISSING_PARAMETER;
  if (!SameWord(w[2].c_str(), "mode") || w.size() > 3) return MCIERR_UNRECOGNIZED_KEYWORD;
  std::lock_guard<std::mutex> lock(d.mutex);
  SetReturn(text, size, d.playing ? "playing" : "stopped");
  return 0;
}

uint32_t CommandClose(const std::vector<std::string>& w) {
  if (w.size() < 2) return MCIERR_MISSING_PARAMETER;
  for (size_t i = 2; i < w.size(); ++i) {
    if (!SameWord(w[i].c_str(), "wait")) return MCIERR_UNRECOGNIZED_KEYWORD;
  }
  std::vector<std::unique_ptr<Device>> closing;
  {
    Registry& r = Devices();
    std::lock_guard<std::mutex> lock(r.mutex);
    if (SameWord(w[1].c_str(), "all")) {
      closing.swap(r.devices);
    } else {
      auto it = std::find_if(r.devices.begin(), r.devices.end(),
                             [&](const auto& d) { return SameName(d->name, w[1]); });
      if (it == r.devices.end()) return MCIERR_INVALID_DEVICE_NAME;
      closing.push_back(std::move(*it));
      r.devices.erase(it);
    }
  }
  for (auto& d : closing)
    DestroyDevice(std::move(d));
  return 0;
}

}  // namespace

uint32_t MciSendString(const char* command, char* returnText, uint32_t returnSize, void*) {
  SetReturn(returnText, returnSize, "");
  if (command == nullptr) return MCIERR_MISSING_COMMAND_STRING;
  const std::vector<std::string> w = Words(command);
  if (w.empty()) return MCIERR_MISSING_COMMAND_STRING;
  const char* verb = w[0].c_str();
  if (SameWord(verb, "open")) return CommandOpen(w);
  if (SameWord(verb, "close")) return CommandClose(w);
  if (!SameWord(verb, "play") && !SameWord(verb, "stop") && !SameWord(verb, "status")) {
    return MCIERR_UNRECOGNIZED_COMMAND;
  }
  if (w.size() < 2) return MCIERR_MISSING_PARAMETER;

  // The device stays in the registry while the command runs: only close removes it, and the
  // registry lock is held until this command is done.
  Registry& r = Devices();
  std::lock_guard<std::mutex> lock(r.mutex);
  Device* d = FindDevice(r, w[1]);
  if (d == nullptr) return MCIERR_INVALID_DEVICE_NAME;
  if (SameWord(verb, "play")) return CommandPlay(*d, w);
  if (SameWord(verb, "stop")) {
    if (w.size() > 2) return MCIERR_UNRECOGNIZED_KEYWORD;
    return CommandStop(*d);
  }
  return CommandStatus(*d, w, returnText, returnSize);
}

bool MciGetErrorString(uint32_t error, char* text, uint32_t size) {
  const char* message = nullptr;
  switch (error) {
    case MCIERR_UNRECOGNIZED_KEYWORD:
      message = "The command has a keyword that is not known.";
      break;
    case MCIERR_UNRECOGNIZED_COMMAND:
      message = "The command is not known.";
      break;
    case MCIERR_HARDWARE:
      message = "The sound output cannot play this.";
      break;
    case MCIERR_INVALID_DEVICE_NAME:
      message = "No device is open under that name.";
      break;
    case MCIERR_MISSING_COMMAND_STRING:
      message = "No command was given.";
      break;
    case MCIERR_MISSING_STRING_ARGUMENT:
      message = "A name is missing after a keyword.";
      break;
    case MCIERR_MISSING_PARAMETER:
      message = "The command needs a device name or an item.";
      break;
    case MCIERR_FILE_NOT_FOUND:
      message = "The file cannot be found.";
      break;
    case MCIERR_DUPLICATE_ALIAS:
      message = "A device is already open under that name.";
      break;
    case MCIERR_INVALID_FILE:
      message = "The file is not an MP3 file that can be played.";
      break;
    default:
      return false;
  }
  SetReturn(text, size, message);
  return true;
}

bool MciWaitIdle(int timeoutMs) {
  Registry& r = Devices();
  std::lock_guard<std::mutex> lock(r.mutex);
  for (auto& d : r.devices) {
    if (!WaitUntilEventsServed(d->eventList, 1 + kSegments, timeoutMs)) return false;
  }
  return true;
}

}  // namespace platform
