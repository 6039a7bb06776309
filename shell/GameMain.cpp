// Process entry of the game.

#include "framework/ScreenManager.h"
#include "platform/Video.h"
#include "shell/BlankScreen.h"
#include "shell/CommandLine.h"
#include "shell/GameAudio.h"
#include "shell/Shell.h"

namespace {

BlankScreen playScreen("balloon");

void AddScreens(ScreenManager& manager, const char*) {
  manager.AddScreen(&playScreen);
  manager.Select("balloon");
}

const ShellFlavour kGame = {
    "Zeppolo",          // windowText
    false,              // isLauncher
    true,               // requiresCommandLine
    &StartGameAudio,    // startAudio
    &AddScreens,        // addScreens
    nullptr,            // releaseGame
    &StopGameAudio,     // stopAudio
    &RestartGameMusic,  // onMusicNotify
};

}  // namespace

int main(int argc, char** argv) {
  platform::SetVideo(platform::CreateSdlVideo());
  const std::string commandLine = JoinArguments(argc, argv);
  const int result = RunShell(kGame, commandLine.c_str());
  platform::GetVideo().Stop();
  return result;
}
