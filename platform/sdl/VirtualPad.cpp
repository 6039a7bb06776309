#include "platform/sdl/VirtualPad.h"

#include <SDL.h>

#include <cstdlib>
#include <sstream>

namespace platform {

std::unique_ptr<VirtualPad> VirtualPad::FromEnvironment() {
  const char* path = std::getenv(kVariable);
  if (path == nullptr || path[0] == '\0') return nullptr;
  FILE* file = std::fopen(path, "r");
  if (file == nullptr) {
    std::fprintf(stderr, "%s names %s, which cannot be read: no virtual controller\n", kVariable,
                 path);
    return nullptr;
  }
  // Only what is written from now on is for this process: a program started later by this one
  // inherits the variable and must not replay the commands given to its parent.
  std::fseek(file, 0, SEEK_END);
  return std::unique_ptr<VirtualPad>(new VirtualPad(file));
}

VirtualPad::VirtualPad(FILE* file) : script(file) {}

VirtualPad::~VirtualPad() {
  while (!attached.empty())
    Detach();
  std::fclose(script);
}

void VirtualPad::Poll() {
  char buffer[256];
  while (std::fgets(buffer, sizeof(buffer), script) != nullptr) {
    partial += buffer;
    if (partial.empty() || partial.back() != '\n') continue;
    partial.pop_back();
    if (!Run(partial))
      std::fprintf(stderr, "virtual controller: not understood: %s\n", partial.c_str());
    partial.clear();
    return;
  }
  // The end of the file for now; the writer appends more later.
  std::clearerr(script);
}

void VirtualPad::Detach() {
  const Attached pad = attached.back();
  attached.pop_back();
  SDL_JoystickClose(pad.joystick);
  for (int index = 0; index < SDL_NumJoysticks(); ++index) {
    if (SDL_JoystickGetDeviceInstanceID(index) == pad.id) {
      SDL_JoystickDetachVirtual(index);
      return;
    }
  }
}

SDL_Joystick* VirtualPad::AttachController() {
  SDL_VirtualJoystickDesc desc;
  SDL_zero(desc);
  desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
  desc.naxes = SDL_CONTROLLER_AXIS_MAX;
  desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
  desc.name = "Virtual controller";
  const int index = SDL_JoystickAttachVirtualEx(&desc);
  if (index < 0) return nullptr;
  SDL_Joystick* joystick = SDL_JoystickOpen(index);
  if (joystick == nullptr) SDL_JoystickDetachVirtual(index);
  return joystick;
}

bool VirtualPad::Run(const std::string& line) {
  std::istringstream words(line);
  std::string command;
  std::string name;
  words >> command >> name;
  if (command == "attach") {
    SDL_Joystick* joystick = AttachController();
    if (joystick == nullptr) return false;
    attached.push_back({SDL_JoystickInstanceID(joystick), joystick});
    return true;
  }
  if (attached.empty()) return false;
  SDL_Joystick* joystick = attached.back().joystick;
  if (command == "detach") {
    Detach();
    return true;
  }
  if (command == "press" || command == "release") {
    const SDL_GameControllerButton button = SDL_GameControllerGetButtonFromString(name.c_str());
    if (button == SDL_CONTROLLER_BUTTON_INVALID) return false;
    return SDL_JoystickSetVirtualButton(joystick, button, command == "press" ? 1 : 0) == 0;
  }
  if (command == "axis") {
    const SDL_GameControllerAxis axis = SDL_GameControllerGetAxisFromString(name.c_str());
    long value = 0;
    if (axis == SDL_CONTROLLER_AXIS_INVALID || !(words >> value)) return false;
    if (value < -32768 || value > 32767) return false;
    return SDL_JoystickSetVirtualAxis(joystick, axis, static_cast<Sint16>(value)) == 0;
  }
  return false;
}

}  // namespace platform
