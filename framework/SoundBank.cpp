#include "framework/SoundBank.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "sound/QZSound.h"

namespace {

constexpr int32_t kFirstId = 10;

bool SameName(const SampleEntry* entry, const char* name) {
  // Compared as stored: cut to the field's length.
  return std::strncmp(entry->name, name, sizeof(entry->name) - 1) == 0;
}

}  // namespace

SoundBank::~SoundBank() {
  for (SampleEntry* e : entries)
    delete e;
}

void SoundBank::Init(void* window, int sampleCount) {
  entries.reserve(1);
  g_Sound.Init(window, sampleCount);
}

SampleEntry* SoundBank::LoadSample(const char* path, const char* name) {
  if (path == nullptr || name == nullptr) return nullptr;
  int32_t id = Count() + kFirstId;
  // After a Free the count no longer says which IDs are taken; an ID still held by an entry
  // would make the library answer with that entry's sound instead of reading this file.
  while (std::any_of(entries.begin(), entries.end(), [&](SampleEntry* e) { return e->id == id; })) {
    ++id;
  }
  if (!g_Sound.LoadSample(path, static_cast<uint32_t>(id))) return nullptr;
  auto* entry = new SampleEntry;
  entry->id = id;
  std::snprintf(entry->name, sizeof(entry->name), "%s", name);
  entries.push_back(entry);
  return entry;
}

SampleEntry* SoundBank::Find(const char* name) {
  if (name == nullptr) return nullptr;
  for (SampleEntry* e : entries) {
    if (SameName(e, name)) return e;
  }
  return nullptr;
}

SNDSample* SoundBank::Play(const char* name, int32_t volume, int32_t pan) {
  SampleEntry* entry = Find(name);
  if (entry == nullptr) return nullptr;
  return g_Sound.PlaySample(static_cast<uint32_t>(entry->id), volume, pan);
}

SNDSample* SoundBank::PlayIndex(int i, int32_t volume, int32_t pan) {
  if (i < 0 || i >= Count()) return nullptr;
  return g_Sound.PlaySample(static_cast<uint32_t>(At(i)->id), volume, pan);
}

void SoundBank::Free(const char* name) {
  SampleEntry* entry = Find(name);
  if (entry == nullptr) return;
  g_Sound.FreeSample(static_cast<uint32_t>(entry->id));
  entries.erase(std::find(entries.begin(), entries.end(), entry));
  delete entry;
}

void SoundBank::FreeAll() {
  for (SampleEntry* e : entries) {
    g_Sound.FreeSample(static_cast<uint32_t>(e->id));
    delete e;
  }
  entries.clear();
  g_Sound.StopStream();
  QZSound::ClearSampleList();
}

void SoundBank::Shutdown() {
  FreeAll();
  entries.shrink_to_fit();
  g_Sound.Exit();
}

void SoundBank::EnableMusic(int on) {
  g_Sound.EnableMusic(on);
}

void SoundBank::EnableSfx(int on) {
  g_Sound.EnableSFX(on);
}

SoundBank& TheSoundBank() {
  static SoundBank bank;
  return bank;
}
