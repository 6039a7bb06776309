#include "game/GameSounds.h"

namespace {

constexpr int kFullVolume = 65535;
constexpr int kCentre = 0;

EffectObserver observer = nullptr;
void* observerUser = nullptr;

}  // namespace

void PlayEffect(const char* name) {
  const bool started = TheSoundBank().Play(name, kFullVolume, kCentre) != nullptr;
  if (observer != nullptr) observer(name, started, observerUser);
}

void SetEffectObserver(EffectObserver newObserver, void* user) {
  observer = newObserver;
  observerUser = user;
}
