#include "platform/Termination.h"

#include <errno.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstring>

#include "platform/Descriptors.h"
#include "platform/Language.h"

namespace platform {

namespace {

std::atomic<int> requested{0};  // the signal of the first request; kept, so a second ends at once
std::atomic<bool> pending{false};
int grace = kTerminationGraceSeconds;
// Formatted when the handlers are installed: nothing may be formatted or translated inside one.
char lateLine[256];
size_t lateLength = 0;

// Ends the process as the request's signal would have: the parent sees it killed by that signal.
// late: the grace time ran out, which the player is told; a second request needs no words.
[[noreturn]] void EndNow(int signal, bool late) {
  if (late) WriteToStandardError(lateLine, lateLength);
  struct sigaction standard {};
  standard.sa_handler = SIG_DFL;
  sigaction(signal, &standard, nullptr);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, signal);
  sigprocmask(SIG_UNBLOCK, &only, nullptr);
  raise(signal);
  _exit(128 + signal);
}

void OnRequest(int signal) {
  int none = 0;
  if (!requested.compare_exchange_strong(none, signal)) EndNow(requested.load(), false);
  pending.store(true);
  alarm(static_cast<unsigned>(grace));
}

void OnGraceOver(int) {
  EndNow(requested.load() != 0 ? requested.load() : SIGTERM, true);
}

}  // namespace

void HandleTerminationRequests(int graceSeconds) {
  grace = graceSeconds > 0 ? graceSeconds : 1;
  const int length = std::snprintf(lateLine, sizeof(lateLine),
                                   Tr("%s: did not end within %d s of being asked to; ending.\n"),
                                   program_invocation_short_name, grace);
  lateLength = length < 0 ? 0 : std::strlen(lateLine);
  struct sigaction action {};
  sigemptyset(&action.sa_mask);
  action.sa_handler = &OnRequest;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  action.sa_handler = &OnGraceOver;
  sigaction(SIGALRM, &action, nullptr);
}

bool TakeTerminationRequest() {
  return pending.exchange(false);
}

}  // namespace platform
