#pragma once
// Flags, hooks and record types of the sound library. The library keeps its own naming marks:
// record types begin with an underscore, statics carry "g_" and a type letter, protected
// operations are lower-case with underscores. Callers outside the game program use these names.

#include <atomic>
#include <cstdint>

#include "platform/Events.h"
#include "platform/FileHandle.h"
#include "platform/SoundBuffer.h"

#define SND_EXPORT __attribute__((visibility("default")))

class SNDSample;

// SNDSample flags.
constexpr uint32_t SAMPLE_INUSE = 0x001;
constexpr uint32_t SAMPLE_CLAIMED = 0x002;
constexpr uint32_t SAMPLE_DUPLICATE = 0x004;
constexpr uint32_t SAMPLE_LOOP = 0x008;
constexpr uint32_t SAMPLE_FORMAT = 0x010;
constexpr uint32_t SAMPLE_PAUSED = 0x100;
constexpr uint32_t SAMPLE_NOTIFY = 0x400;

// Stream flags.
constexpr uint32_t STREAM_LOADED = 0x1;
constexpr uint32_t STREAM_PLAYING = 0x2;
constexpr uint32_t STREAM_LOOP = 0x4;
constexpr uint32_t STREAM_PAUSED = 0x8;
constexpr uint32_t STREAM_FILLING = 0x10;
constexpr uint32_t STREAM_PRIMED = 0x80000000;

// Keeps the slot's present ID when passed as an ID to load with.
constexpr uint32_t SND_KEEP_ID = 0xFFFFFFFF;
// The status a sample reports when it has no buffer or the platform cannot tell.
constexpr int32_t SND_STATUS_INVALID = static_cast<int32_t>(0x80070057);

using SNDHandle = platform::FileHandle;
constexpr SNDHandle SND_INVALID_HANDLE = platform::kInvalidFileHandle;

// File hooks: the library opens and closes sound files through these, so a program can serve them
// from elsewhere. An open hook's handle must work with the platform's file reads and seeks.
using SNDOpenFunc = SNDHandle (*)(const char* fileName);
using SNDCloseFunc = int (*)(SNDHandle handle);
// Told the ID of a stream that has ended and been cleaned up; runs on the stream's fill thread.
using SNDNextStreamFunc = void (*)(uint32_t id);

// The 8-byte RIFF chunk header as it stands in the file.
struct _ChunkHeader {
  uint32_t id;    // four characters read as one little-endian word
  uint32_t size;  // body size in bytes, without the pad byte of an odd size
};

// One entry of the callback thread's event list. Entry 0 is never handed out: its event tells
// the thread to quit.
struct _SNDEvent {
  platform::Event* handle;
  SNDSample* sample;  // the sample whose end it reports; null when free
};

struct _SNDPosition {
  uint32_t offset;
  platform::Event* handle;
};

// The one streamed-music record. The flags and the sample are shared between the caller and the
// fill thread; the other fields are written by whichever of the two owns the stream at the time
// (the loader before the fill thread starts, then the fill thread).
struct _SNDStream {
  std::atomic<uint32_t> flags;
  SNDHandle file;
  uint32_t dataStart;
  uint32_t segmentSize;
  uint32_t bufferSize;
  uint32_t remaining;
  std::atomic<SNDSample*> sample;
  std::atomic<SNDNextStreamFunc> nextStreamFunc;
  platform::SoundNotify* notify;
  _SNDPosition positions[9];
};
