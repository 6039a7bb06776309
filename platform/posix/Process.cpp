#include "platform/Process.h"

#include <malloc.h>
#include <signal.h>
#include <spawn.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/Environment.h"
#include "platform/Files.h"
#include "platform/Language.h"
#include "platform/Video.h"

namespace platform {

namespace {

bool IsRegularFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool EndsWithExe(const std::string& name) {
  if (name.size() < 4) return false;
  const std::string tail = name.substr(name.size() - 4);
  return strcasecmp(tail.c_str(), ".exe") == 0;
}

std::string AbsoluteFolder(const std::string& folder) {
  if (!folder.empty() && folder[0] == '/') return folder;
  char current[4096];
  if (!GetCurrentFolder(current, sizeof current)) return std::string();
  std::string result = current;
  if (!folder.empty()) result += "/" + folder;
  return result;
}

constexpr char kActivationVariable[] = "XDG_ACTIVATION_TOKEN";

// The environment for the program started now: the player's (without what this program set for
// its own libraries), with the window's activation token when the desktop gave one, and never
// with a token this process was started with (a token serves once, and that one was ours).
std::vector<std::string> ProgramEnvironment(const std::string& activationToken) {
  const std::string prefix = std::string(kActivationVariable) + "=";
  std::vector<std::string> variables;
  for (const std::string& entry : PlayersEnvironment()) {
    if (entry.compare(0, prefix.size(), prefix) != 0) variables.push_back(entry);
  }
  if (!activationToken.empty()) variables.push_back(prefix + activationToken);
  return variables;
}

std::vector<char*> Pointers(const std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (const std::string& text : texts)
    pointers.push_back(const_cast<char*>(text.c_str()));
  pointers.push_back(nullptr);
  return pointers;
}

// Runs program with args in folder (none: the current folder) so that it is never our child:
// a short-lived intermediate process spawns it and exits at once, and we reap the intermediate,
// so the program is adopted by the system and leaves no zombie behind. True when the program
// was started (the intermediate reports whether its spawn succeeded). The program may come to
// the front with the keyboard focus: it is started at the player's request.
bool SpawnDetached(const std::string& program, const std::vector<std::string>& args,
                   const std::string& folder) {
  std::vector<char*> argv = Pointers(args);
  // Taken before the fork: the token comes from the display connection, which only this
  // process may use.
  const std::vector<std::string> variables = ProgramEnvironment(GetVideo().ActivationToken());
  std::vector<char*> environment = Pointers(variables);

  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  if (posix_spawn_file_actions_init(&actions) != 0) return false;
  if (posix_spawnattr_init(&attributes) != 0) {
    posix_spawn_file_actions_destroy(&actions);
    return false;
  }
  bool ready = true;
  if (!folder.empty()) {
    ready = posix_spawn_file_actions_addchdir_np(&actions, folder.c_str()) == 0;
  }
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
  // Our own descriptors (display, audio, open files) are no business of the other program.
  ready = ready && posix_spawn_file_actions_addclosefrom_np(&actions, 3) == 0;
#endif
  // The program starts with a clean signal state whatever this process has blocked or caught.
  sigset_t noSignals;
  sigset_t allSignals;
  sigemptyset(&noSignals);
  sigfillset(&allSignals);
  ready =
      ready && posix_spawnattr_setsigmask(&attributes, &noSignals) == 0 &&
      posix_spawnattr_setsigdefault(&attributes, &allSignals) == 0 &&
      posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF) == 0;

  bool started = false;
  if (ready) {
    const pid_t intermediate = fork();
    if (intermediate == 0) {
      pid_t child;
      const int rc = posix_spawn(&child, program.c_str(), &actions, &attributes, argv.data(),
                                 environment.data());
      _exit(rc == 0 ? 0 : 1);
    }
    if (intermediate > 0) {
      int status = 0;
      pid_t waited;
      do {
        waited = waitpid(intermediate, &status, 0);
      } while (waited < 0 && errno == EINTR);
      started = waited == intermediate && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
  }
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  return started;
}

std::string FindOnSearchPath(const char* name) {
  const char* searchPath = getenv("PATH");
  std::string list = searchPath ? searchPath : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(':', start);
    if (end == std::string::npos) end = list.size();
    std::string folder = list.substr(start, end - start);
    if (folder.empty()) folder = ".";
    const std::string candidate = folder + "/" + name;
    if (IsRegularFile(candidate) && access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return std::string();
}

class SystemProcessStarter : public ProcessStarter {
 public:
  bool StartProgram(const std::string& file, const std::string& argument,
                    const std::string& workingFolder) override {
    if (file.empty()) return false;
    const std::string folder =
        AbsoluteFolder(workingFolder.empty() ? std::string() : NativePath(workingFolder.c_str()));
    if (folder.empty()) return false;

    // Like the Windows shell, a relative file name is taken in the working folder.
    std::string windowsName = file;
    for (char& c : windowsName) {
      if (c == '\\') c = '/';
    }
    std::string program =
        NativePath((windowsName[0] == '/' ? windowsName : folder + "/" + windowsName).c_str());
    if (!IsRegularFile(program) && EndsWithExe(program)) {
      program = NativePath(program.substr(0, program.size() - 4).c_str());
    }
    if (!IsRegularFile(program)) return false;

    std::vector<std::string> args{program};
    if (!argument.empty()) args.push_back(argument);
    return SpawnDetached(program, args, folder);
  }

  void OpenAddress(const std::string& address) override {
    const std::string opener = FindOnSearchPath("xdg-open");
    if (opener.empty() || !SpawnDetached(opener, {opener, address}, std::string())) {
      fprintf(stderr, Tr("Cannot open %s: xdg-open could not be started"), address.c_str());
      fputc('\n', stderr);
    }
  }
};

std::atomic<ProcessStarter*> installedStarter{nullptr};

}  // namespace

ProcessStarter& GetProcessStarter() {
  static SystemProcessStarter systemStarter;
  ProcessStarter* starter = installedStarter.load();
  return starter ? *starter : systemStarter;
}

void SetProcessStarter(ProcessStarter* starter) {
  installedStarter.store(starter);
}

void ReturnLargeBlocksToSystem() {
  // A fixed line also keeps the C library from moving it; nothing the programs draw or play frame
  // by frame needs a block this large.
  mallopt(M_MMAP_THRESHOLD, 128 * 1024);
}

}  // namespace platform
