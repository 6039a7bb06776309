#include "platform/MessageBox.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

TEST(MessageBox, WithoutADisplayTheTextGoesToStandardError) {
  // Never a real dialog in a test, whatever display the machine has.
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  testing::internal::CaptureStderr();
  platform::ShowMessageBox("Game must be run from the Hubbix", "ERROR", platform::MB_OK);
  const std::string output = testing::internal::GetCapturedStderr();
  EXPECT_EQ(output, "ERROR: Game must be run from the Hubbix\n");
  // Video brought up only to look for a display is put down again.
  EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
}

}  // namespace
