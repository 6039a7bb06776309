#include "platform/sdl/DisplayConnect.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/Termination.h"
#include "platform/sdl/DisplayLoss.h"

namespace {

// A clock that moves only when the code under test sleeps or an attempt says it took time.
struct FakeClock {
  uint64_t now = 5000;  // not zero, so that a budget counted from zero would show
  std::vector<uint64_t> sleeps;

  platform::RetryClock Clock() {
    platform::RetryClock clock;
    clock.nowMicros = [this] { return now; };
    clock.sleepMicros = [this](uint64_t micros) {
      sleeps.push_back(micros);
      now += micros;
    };
    return clock;
  }
};

TEST(DisplayRetry, WithoutRetryOneAttemptAndNoWait) {
  FakeClock fake;
  int attempts = 0;
  std::string reason;
  const bool up = platform::StartWithRetry(
      [](int, std::string* why) {
        *why = "no display found";
        return false;
      },
      false, fake.Clock(), &reason, &attempts);
  EXPECT_FALSE(up);
  EXPECT_EQ(attempts, 1);
  EXPECT_TRUE(fake.sleeps.empty());
  EXPECT_EQ(reason, "no display found");
}

TEST(DisplayRetry, ADisplayThatNeverAnswersIsTriedForTheWholeBudgetAndNoLonger) {
  FakeClock fake;
  const uint64_t start = fake.now;
  std::vector<uint64_t> startedAt;
  int attempts = 0;
  std::string reason;
  const bool up = platform::StartWithRetry(
      [&](int index, std::string* why) {
        startedAt.push_back(fake.now - start);
        *why = "refused " + std::to_string(index);
        return false;
      },
      true, fake.Clock(), &reason, &attempts, 1000000, 100000);
  EXPECT_FALSE(up);
  // At 0, 0.1 s, ... 1.0 s: the last try at the end of the budget, none after it.
  EXPECT_EQ(attempts, 11);
  ASSERT_EQ(startedAt.size(), 11u);
  EXPECT_EQ(startedAt.back(), 1000000u);
  // The reason is the last attempt's, the one nearest the moment of giving up.
  EXPECT_EQ(reason, "refused 10");
}

TEST(DisplayRetry, SlowAttemptsNeverStartAfterTheBudget) {
  FakeClock fake;
  const uint64_t start = fake.now;
  std::vector<uint64_t> startedAt;
  int attempts = 0;
  platform::StartWithRetry(
      [&](int, std::string*) {
        startedAt.push_back(fake.now - start);
        fake.now += 450000;  // a connection that hangs before it fails
        return false;
      },
      true, fake.Clock(), nullptr, &attempts, 1000000, 100000);
  EXPECT_EQ(attempts, 2);
  for (uint64_t at : startedAt)
    EXPECT_LE(at, 1000000u);
  // The pause before a try is cut to what is left of the budget.
  for (uint64_t pause : fake.sleeps)
    EXPECT_LE(pause, 100000u);
}

TEST(DisplayRetry, StopsAtTheFirstSuccessAndKeepsTheCallersReason) {
  FakeClock fake;
  int attempts = 0;
  std::string reason = "untouched";
  const bool up = platform::StartWithRetry(
      [](int index, std::string* why) {
        *why = "busy";
        return index == 2;
      },
      true, fake.Clock(), &reason, &attempts);
  EXPECT_TRUE(up);
  EXPECT_EQ(attempts, 3);
  EXPECT_EQ(fake.sleeps.size(), 2u);
  EXPECT_EQ(reason, "untouched");
}

platform::DisplayEnvironment Environment(const char* x11, const char* wayland,
                                         const char* drivers) {
  platform::DisplayEnvironment environment;
  environment.x11Display = x11;
  environment.waylandDisplay = wayland;
  environment.requestedDrivers = drivers;
  return environment;
}

TEST(DisplayRetry, RetriesOnlyWhereADisplayIsNamedAndADisplayDriverMayReachIt) {
  // Nothing named: the headless answer must come at once (CI runs this way).
  EXPECT_FALSE(platform::WorthRetrying(Environment(nullptr, nullptr, nullptr)));
  EXPECT_FALSE(platform::WorthRetrying(Environment("", "", nullptr)));
  EXPECT_FALSE(platform::WorthRetrying(Environment(nullptr, nullptr, "x11")));

  EXPECT_TRUE(platform::WorthRetrying(Environment(":0", nullptr, nullptr)));
  EXPECT_TRUE(platform::WorthRetrying(Environment(nullptr, "wayland-0", "")));
  EXPECT_TRUE(platform::WorthRetrying(Environment(":0", nullptr, "X11")));
  EXPECT_TRUE(platform::WorthRetrying(Environment(":0", nullptr, "dummy,x11")));
  // A requested headless or unknown driver works at once or never.
  EXPECT_FALSE(platform::WorthRetrying(Environment(":0", nullptr, "dummy")));
  EXPECT_FALSE(platform::WorthRetrying(Environment(":0", nullptr, "nonexistent")));
  EXPECT_FALSE(platform::WorthRetrying(Environment(":0", nullptr, "x11extra")));
}

TEST(DisplayRetry, EveryAttemptAsksForTheNamedDisplaysDriversWaylandFirstUnlessThePlayerChose) {
  EXPECT_STREQ(platform::PreferredDrivers(Environment(":0", nullptr, nullptr)), "x11");
  EXPECT_STREQ(platform::PreferredDrivers(Environment(":0", "", nullptr)), "x11");
  EXPECT_STREQ(platform::PreferredDrivers(Environment(nullptr, "wayland-0", nullptr)), "wayland");
  EXPECT_STREQ(platform::PreferredDrivers(Environment(":0", "wayland-0", nullptr)), "wayland,x11");
  EXPECT_STREQ(platform::PreferredDrivers(Environment(":0", "wayland-0", "")), "wayland,x11");
  EXPECT_EQ(platform::PreferredDrivers(Environment(":0", "wayland-0", "x11")), nullptr);
  EXPECT_EQ(platform::PreferredDrivers(Environment(":0", nullptr, "x11")), nullptr);
  EXPECT_EQ(platform::PreferredDrivers(Environment(nullptr, nullptr, nullptr)), nullptr);

  EXPECT_EQ(platform::NamedDisplay(Environment(":3", "", nullptr)), "DISPLAY=:3");
  EXPECT_EQ(platform::NamedDisplay(Environment(":3", "w-1", nullptr)),
            "DISPLAY=:3 and WAYLAND_DISPLAY=w-1");
  EXPECT_EQ(platform::NamedDisplay(Environment(nullptr, nullptr, "x11")), "");
}

// Exit handlers stand for the process-wide objects whose destructors would touch the dead
// connection: none of them may run.
void SayExitHandlerRan() {
  std::fputs("exit handler ran\n", stderr);
}

TEST(DisplayLossDeathTest, EndsAtOnceWithOneLineAndNoExitHandler) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        std::atexit(&SayExitHandlerRan);
        platform::EndForLostDisplay(":7");
      },
      testing::ExitedWithCode(platform::kDisplayLostExitCode),
      "^[^\n]*platform_tests: the display \":7\" is gone; ending\\.\n$");
  EXPECT_EXIT(
      {
        std::atexit(&SayExitHandlerRan);
        platform::EndForLostDisplay(nullptr);
      },
      testing::ExitedWithCode(platform::kDisplayLostExitCode),
      "^[^\n]*platform_tests: the display is gone; ending\\.\n$");
}

TEST(DisplayLossDeathTest, AnOverlongDisplayNameStillGivesOneWholeLine) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const std::string name(2000, 'x');
  EXPECT_EXIT(platform::EndForLostDisplay(name.c_str()),
              testing::ExitedWithCode(platform::kDisplayLostExitCode), "^[^\n]*xxx\n$");
}

// A request to end is a close the pump takes once; a program that does not end in time, held
// where no close is seen, ends anyway with a line; a second request ends it at once.
TEST(TerminationDeathTest, ARequestIsOneCloseAndAProgramThatDoesNotEndIsEnded) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        platform::HandleTerminationRequests(30);
        raise(SIGTERM);
        const bool once = platform::TakeTerminationRequest() && !platform::TakeTerminationRequest();
        std::_Exit(once ? 3 : 4);
      },
      testing::ExitedWithCode(3), "");
  EXPECT_EXIT(
      {
        platform::HandleTerminationRequests(1);
        raise(SIGTERM);
        for (;;)
          pause();
      },
      testing::KilledBySignal(SIGTERM), "did not end within 1 s of being asked to; ending\\.\n$");
  EXPECT_EXIT(
      {
        platform::HandleTerminationRequests(30);
        raise(SIGINT);
        raise(SIGTERM);
        for (;;)
          pause();
      },
      testing::KilledBySignal(SIGINT), "^$");
}

}  // namespace
