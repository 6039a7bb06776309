#pragma once
// The game's table of named sound effects over the sound library: each effect is loaded once
// under a short name, gets the numeric ID the library needs (10, 11, 12, ... in loading order),
// and is played by name. The bank also passes on the music and sound-effect switches. All calls
// go through the process-wide g_Sound.

#include <cstddef>
#include <cstdint>
#include <vector>

class SNDSample;

struct SampleEntry {
  int32_t id;
  char name[32];  // NUL-terminated; longer names are cut to 31 characters
};

class SoundBank {
 public:
  SoundBank() = default;
  ~SoundBank();
  SoundBank(const SoundBank&) = delete;
  SoundBank& operator=(const SoundBank&) = delete;

  // Creates the entry list and sets the sound library up for the window with that many sample
  // slots (the library's result is not checked: without sound the game runs silent).
  void Init(void* window, int sampleCount);
  // Loads the file under the name; null (and nothing added) when the library cannot load it.
  SampleEntry* LoadSample(const char* path, const char* name);
  // The first entry with that name, or null.
  SampleEntry* Find(const char* name);
  // Plays the named effect; the sample started, or null when there is no such entry or nothing
  // could be started.
  SNDSample* Play(const char* name, int32_t volume, int32_t pan);
  // The same for the entry at position i (0 <= i < Count()); null outside that range.
  SNDSample* PlayIndex(int i, int32_t volume, int32_t pan);
  void Free(const char* name);
  // Frees every effect, stops the stream and empties the library's sample list.
  void FreeAll();
  // FreeAll, then shuts the sound library down.
  void Shutdown();
  void EnableMusic(int on);
  void EnableSfx(int on);

  int Count() const { return static_cast<int>(entries.size()); }
  SampleEntry* At(int i) { return entries[static_cast<size_t>(i)]; }

 private:
  std::vector<SampleEntry*> entries;
};

// The game's one sound bank.
SoundBank& TheSoundBank();
