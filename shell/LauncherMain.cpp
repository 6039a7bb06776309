// Process entry of the launcher.

#include "framework/ScreenManager.h"
#include "launcher/MenuScreen.h"
#include "launcher/TitleScreen.h"
#include "platform/Process.h"
#include "platform/Video.h"
#include "shell/CommandLine.h"
#include "shell/Shell.h"
#include "shell/WindowIcons.h"

namespace {

// The title page first: the pages hand it the chosen game, and are destroyed before it.
TitleScreen titleScreen;
MenuScreen menuScreen(titleScreen);

void AddScreens(ScreenManager& manager, const char* commandLine) {
  manager.AddScreen(&menuScreen);
  manager.AddScreen(&titleScreen);
  manager.Select("Hubbix");
  // A game that hands control back names itself: its title page opens directly.
  if (commandLine != nullptr && commandLine[0] != '\0') menuScreen.SelectByCommandLine(commandLine);
}

const ShellFlavour kLauncher = {
    "QorvexGames Hubbix",  // windowText
    true,                  // isLauncher
    false,                 // requiresCommandLine
    nullptr,               // startAudio
    &AddScreens,           // addScreens
    nullptr,               // releaseGame
    nullptr,               // stopAudio
    nullptr,               // onMusicNotify
    kLauncherAppId,        // appId
    &kHubbixWindowIcon,    // windowIcon
};

}  // namespace

int main(int argc, char** argv) {
  platform::ReturnLargeBlocksToSystem();
  EnterProgramFolder();
  platform::SetVideo(platform::CreateSdlVideo());
  const std::string commandLine = JoinArguments(argc, argv);
  const int result = RunShell(kLauncher, commandLine.c_str());
  platform::GetVideo().Stop();
  return result;
}
