#pragma once
// Game controllers through SDL's game controller interface. Any number may be plugged in or out at
// any time; each one's input becomes key messages on the program's queue beside the keyboard's and
// the mouse's: the d-pad and the left stick as the arrow keys (PadDirections), the other buttons as
// the Windows virtual keys of gamepad buttons (VK_GAMEPAD_A and so on), which the screens give
// their own meanings.

#include <SDL.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/JoystickDevices.h"
#include "platform/Messages.h"
#include "platform/PadDirections.h"

namespace platform {

class VirtualPad;

class Controllers {
 public:
  Controllers();
  ~Controllers();
  Controllers(const Controllers&) = delete;
  Controllers& operator=(const Controllers&) = delete;

  // Brings up SDL's controller support, at once when a controller is plugged in or the
  // environment asks for the test pad (VirtualPad), else once one is (JoystickDevices); the
  // controllers already plugged in then arrive as added events. Without it the program simply has
  // none.
  void Start();
  void Stop();
  // Takes the event when it is a controller's: true then.
  bool Translate(const SDL_Event& event, MessageQueue& queue);
  // Reads the controllers (their events then wait in SDL's queue) and repeats held directions;
  // once per pump, before the events are taken.
  void Poll(uint32_t now, MessageQueue& queue);
  // Every controller lets go of what it holds (the window lost the focus).
  void ReleaseAll(MessageQueue& queue);

  int Count() const { return static_cast<int>(pads.size()); }
  // The device nodes of the controllers, opened to see when one has something to say, so that a
  // wait for the display can end at a controller's press as at a key's (EventSource). A pad
  // without a node of its own (the test pad) has none.
  std::vector<int> Watches() const;
  // Reads away what woke a wait on the watches; SDL reads the controllers themselves.
  void DrainWatches() const;
  // The virtual key of a controller button with a meaning of its own; 0 for none.
  static uint32_t ButtonKey(int sdlButton);

 private:
  struct Pad {
    SDL_GameController* controller;
    SDL_JoystickID id;
    PadDirections directions;
    int watch;  // its device node opened to watch (WatchDevice), or -1
  };
  void Close(Pad& pad);
  void StartSdl();
  Pad* Find(SDL_JoystickID id);
  void Remove(SDL_JoystickID id, MessageQueue& queue);

  bool started = false;
  bool sdlUp = false;
  JoystickDevices devices;
  // When the device folder or SDL was last looked at for controllers plugged in, on SDL's clock.
  uint32_t lastLook = 0;
  std::vector<Pad> pads;
  std::unique_ptr<VirtualPad> testPad;
};

}  // namespace platform
