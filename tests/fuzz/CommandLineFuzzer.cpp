// The command line of both programs: arguments (separated by NUL bytes in the input) joined as
// Windows hands them over, then taken by the shell. A line that is taken is kept exactly and
// leaves room for the launcher's path after it; one that is not is refused before any window.

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/Video.h"
#include "shell/CommandLine.h"
#include "shell/Shell.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

void AddNoScreens(ScreenManager&, const char*) {}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // argv as the system builds it: the program's name, then the arguments.
  std::vector<std::string> arguments = {"Zeppolo"};
  std::string current;
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      arguments.push_back(current);
      current.clear();
    } else {
      current += static_cast<char>(data[i]);
    }
  }
  arguments.push_back(current);
  std::vector<char*> argv;
  for (std::string& argument : arguments)
    argv.push_back(argument.data());
  argv.push_back(nullptr);
  const std::string line = JoinArguments(static_cast<int>(arguments.size()), argv.data());

  for (const bool isLauncher : {false, true}) {
    // The video start is the step after the command line is taken: failing it ends the run
    // there, with the line kept or refused.
    auto video = std::make_unique<platform::MemoryVideo>();
    video->failStart = true;
    platform::MemoryVideo* memory = video.get();
    platform::SetVideo(std::move(video));
    const ShellFlavour flavour = {isLauncher ? "QorvexGames Hubbix" : "Zeppolo",
                                  isLauncher,
                                  !isLauncher,
                                  nullptr,
                                  &AddNoScreens,
                                  nullptr,
                                  nullptr,
                                  nullptr};
    FUZZ_CHECK(RunShell(flavour, line.c_str()) == 0);
    FUZZ_CHECK(memory->windowsCreated == 0);
    const size_t kept = strnlen(LauncherDir(), kLauncherDirSize);
    FUZZ_CHECK(kept < static_cast<size_t>(kLauncherDirSize));
    const bool acceptable =
        line.size() <= static_cast<size_t>(kMaxCommandLine) && (isLauncher || !line.empty());
    if (acceptable) {
      FUZZ_CHECK(LauncherDir() == line);
      FUZZ_CHECK(kept + strlen("\\Hubbix.exe") < static_cast<size_t>(kLauncherDirSize));
    } else {
      FUZZ_CHECK(kept == 0);
    }
  }
  platform::SetVideo(nullptr);
  return 0;
}
