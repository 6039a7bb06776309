// Process entry of the game.

#include "framework/ScreenManager.h"
#include "game/Game.h"
#include "game/PlayScreen.h"
#include "platform/Process.h"
#include "platform/Video.h"
#include "shell/CommandLine.h"
#include "shell/GameAudio.h"
#include "shell/Shell.h"
#include "shell/WindowIcons.h"

namespace {

void AddScreens(ScreenManager& manager, const char*) {
  PlayScreen& playScreen = ThePlayScreen();
  playScreen.SetLauncherDirSource(&LauncherDir);
  TheGame().SetTitleSetter(&SetTitle);
  manager.AddScreen(&playScreen);
  manager.Select("balloon");
}

void ReleaseGame() {
  TheGame().Release();
}

const ShellFlavour kGame = {
    "Zeppolo",            // windowText
    false,                // isLauncher
    true,                 // requiresCommandLine
    &StartGameAudio,      // startAudio
    &AddScreens,          // addScreens
    &ReleaseGame,         // releaseGame
    &StopGameAudio,       // stopAudio
    &RestartGameMusic,    // onMusicNotify
    kGameAppId,           // appId
    &kZeppoloWindowIcon,  // windowIcon
};

}  // namespace

int main(int argc, char** argv) {
  platform::ReturnLargeBlocksToSystem();
  EnterProgramFolder();
  platform::SetVideo(platform::CreateSdlVideo());
  const std::string commandLine = JoinArguments(argc, argv);
  const int result = RunShell(kGame, commandLine.c_str());
  platform::GetVideo().Stop();
  return result;
}
