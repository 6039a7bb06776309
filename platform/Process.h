#pragma once
// Starting another program and opening a web address. Behind an interface so that tests observe
// the requests instead of performing them.

#include <string>
#include <vector>

namespace platform {

class ProcessStarter {
 public:
  virtual ~ProcessStarter() = default;
  // Starts the program detached in workingFolder with argument as its one argument (none when
  // empty). A file name ending in ".exe" that does not exist is tried without the suffix.
  // False when nothing could be started.
  virtual bool StartProgram(const std::string& file, const std::string& argument,
                            const std::string& workingFolder) = 0;
  // Hands the address to the desktop's opener (xdg-open), detached. The result is not reported.
  virtual void OpenAddress(const std::string& address) = 0;
};

// The process's starter: the real one unless a test installs another (null restores the real).
ProcessStarter& GetProcessStarter();
void SetProcessStarter(ProcessStarter* starter);

// Records what was asked, for tests.
class RecordingProcessStarter : public ProcessStarter {
 public:
  struct Start {
    std::string file;
    std::string argument;
    std::string workingFolder;
  };
  bool StartProgram(const std::string& file, const std::string& argument,
                    const std::string& workingFolder) override {
    starts.push_back({file, argument, workingFolder});
    return startResult;
  }
  void OpenAddress(const std::string& address) override { addresses.push_back(address); }

  bool startResult = true;
  std::vector<Start> starts;
  std::vector<std::string> addresses;
};

// Blocks of 128 KB and more go back to the system as soon as they are freed. Without this the C
// library raises that line after the first such block is freed, and the picture files read whole
// while they are decoded leave about 1 MB of holes in the heap for the life of the program.
// First thing in main.
void ReturnLargeBlocksToSystem();

}  // namespace platform
