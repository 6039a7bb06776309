#pragma once
// A controller for the scenario tests, which have no hands to plug one in: when the environment
// variable ZEP_VIRTUAL_PAD names a text file, the program follows the lines appended to it after
// its start, one command a line, with SDL's virtual joystick, so the input takes exactly the way a
// real controller's does (SDL's controller events, Controllers):
//
//   attach                 plugs in a new virtual controller (the next commands drive it)
//   detach                 pulls out the newest one
//   press NAME, release NAME
//                          a button by SDL's name: a, b, x, y, back, start, leftshoulder,
//                          rightshoulder, dpup, dpdown, dpleft, dpright
//   axis NAME VALUE        an axis by SDL's name (leftx, lefty, ...) to a value of -32768..32767
//
// Without the variable nothing of this exists.

#include <SDL.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace platform {

class VirtualPad {
 public:
  static constexpr const char* kVariable = "ZEP_VIRTUAL_PAD";

  // The pad the environment asks for, or null.
  static std::unique_ptr<VirtualPad> FromEnvironment();
  ~VirtualPad();
  VirtualPad(const VirtualPad&) = delete;
  VirtualPad& operator=(const VirtualPad&) = delete;

  // Carries out the next complete line appended, if any: one a call, as SDL reports a virtual
  // controller's buttons by the state it finds at each reading (Controllers::Poll), so that a press
  // and its release carried out between two readings would never be seen, nor a press made before
  // the program has taken the controller's added event. A slow frame (a loaded sanitizer build)
  // then delays the commands instead of losing them.
  void Poll();
  // One command; false when it is not understood.
  bool Run(const std::string& line);

  // Plugs in a virtual controller with every button and axis SDL names, and opens it as a
  // joystick to be driven; the program opens it as a controller on its added event. Null, with
  // SDL's reason, when SDL refuses.
  static SDL_Joystick* AttachController();

 private:
  explicit VirtualPad(FILE* file);
  void Detach();

  FILE* script;
  std::string partial;
  // Device indices move when devices come and go, so each pad is known by its instance.
  struct Attached {
    SDL_JoystickID id;
    SDL_Joystick* joystick;
  };
  std::vector<Attached> attached;
};

}  // namespace platform
