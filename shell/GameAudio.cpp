#include "shell/GameAudio.h"

#include "framework/SoundBank.h"
#include "platform/Mci.h"
#include "platform/Profile.h"

namespace {

QZWindow* musicWindow = nullptr;

// Only an upper-case 'Y' switches on; a missing file or key counts as on.
int SwitchOn(const char* key) {
  char value[2];
  platform::ReadProfileString("setup", key, "Y", value, sizeof(value), "..\\options.ini");
  return value[0] == 'Y' ? 1 : 0;
}

void PlayMusic() {
  platform::MciSendString("open .\\sounds\\music.mp3 alias music", nullptr, 0, musicWindow);
  platform::MciSendString("play music notify", nullptr, 0, musicWindow);
}

}  // namespace

void StartGameAudio(QZWindow* window) {
  musicWindow = window;
  SoundBank& bank = TheSoundBank();
  bank.Init(window, 200);
  const int music = SwitchOn("music");
  bank.EnableMusic(music);
  if (music) PlayMusic();
  bank.EnableSfx(SwitchOn("SFX"));
}

void RestartGameMusic() {
  platform::MciSendString("close music", nullptr, 0, musicWindow);
  PlayMusic();
}

void StopGameAudio() {
  TheSoundBank().Shutdown();
  platform::MciSendString("close music", nullptr, 0, musicWindow);
}
