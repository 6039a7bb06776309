// Process entry of the launcher.

#include "framework/ScreenManager.h"
#include "platform/Video.h"
#include "shell/BlankScreen.h"
#include "shell/CommandLine.h"
#include "shell/Shell.h"

namespace {

BlankScreen menuScreen("Hubbix");
BlankScreen titleScreen("title");

void AddScreens(ScreenManager& manager, const char*) {
  manager.AddScreen(&menuScreen);
  manager.AddScreen(&titleScreen);
  manager.Select("Hubbix");
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
};

}  // namespace

int main(int argc, char** argv) {
  platform::SetVideo(platform::CreateSdlVideo());
  const std::string commandLine = JoinArguments(argc, argv);
  const int result = RunShell(kLauncher, commandLine.c_str());
  platform::GetVideo().Stop();
  return result;
}
