#include "platform/sdl/Controllers.h"

#include "platform/Descriptors.h"
#include "platform/sdl/VirtualPad.h"

namespace platform {

namespace {

// How often the device folder, or SDL once up, is looked at for controllers plugged in while
// none is present.
constexpr uint32_t kLookPeriodMs = 250;

PadDirections::Direction DpadDirection(int sdlButton) {
  switch (sdlButton) {
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
      return PadDirections::kLeft;
    case SDL_CONTROLLER_BUTTON_DPAD_UP:
      return PadDirections::kUp;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
      return PadDirections::kRight;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
      return PadDirections::kDown;
    default:
      return PadDirections::kNone;
  }
}

}  // namespace

Controllers::Controllers() = default;
Controllers::~Controllers() {
  Stop();
}

uint32_t Controllers::ButtonKey(int sdlButton) {
  switch (sdlButton) {
    case SDL_CONTROLLER_BUTTON_A:
      return VK_GAMEPAD_A;
    case SDL_CONTROLLER_BUTTON_B:
      return VK_GAMEPAD_B;
    case SDL_CONTROLLER_BUTTON_X:
      return VK_GAMEPAD_X;
    case SDL_CONTROLLER_BUTTON_Y:
      return VK_GAMEPAD_Y;
    case SDL_CONTROLLER_BUTTON_LEFTSHOULDER:
      return VK_GAMEPAD_LEFT_SHOULDER;
    case SDL_CONTROLLER_BUTTON_RIGHTSHOULDER:
      return VK_GAMEPAD_RIGHT_SHOULDER;
    case SDL_CONTROLLER_BUTTON_START:
      return VK_GAMEPAD_MENU;
    case SDL_CONTROLLER_BUTTON_BACK:
      return VK_GAMEPAD_VIEW;
    default:
      return 0;
  }
}

void Controllers::Start() {
  if (started) return;
  started = true;
  lastLook = SDL_GetTicks();
  testPad = VirtualPad::FromEnvironment();
  // The watch begins before the look, so that nothing plugged in between goes unseen.
  if (testPad || !devices.Watch() || devices.AnyPresent()) StartSdl();
}

void Controllers::StartSdl() {
  // SDL would look for new devices at every event pump, a few system calls a frame even with
  // no controller anywhere; Poll updates them itself instead.
  SDL_SetHint(SDL_HINT_AUTO_UPDATE_JOYSTICKS, "0");
  // A machine without controller support still plays by mouse and keyboard.
  sdlUp = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
  lastLook = SDL_GetTicks() - kLookPeriodMs;
}

void Controllers::Stop() {
  if (!started) return;
  testPad.reset();
  for (Pad& pad : pads)
    Close(pad);
  pads.clear();
  if (sdlUp) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
  sdlUp = false;
  started = false;
}

Controllers::Pad* Controllers::Find(SDL_JoystickID id) {
  for (Pad& pad : pads) {
    if (pad.id == id) return &pad;
  }
  return nullptr;
}

void Controllers::Remove(SDL_JoystickID id, MessageQueue& queue) {
  for (auto it = pads.begin(); it != pads.end(); ++it) {
    if (it->id != id) continue;
    // An arrow held on a controller pulled out would otherwise stay down for ever.
    it->directions.ReleaseAll(queue);
    Close(*it);
    pads.erase(it);
    return;
  }
}

bool Controllers::Translate(const SDL_Event& event, MessageQueue& queue) {
  if (!sdlUp) return false;
  switch (event.type) {
    case SDL_CONTROLLERDEVICEADDED: {
      // The event names a device index; a controller already open is not opened twice.
      const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(event.cdevice.which);
      if (id < 0 || Find(id) != nullptr) return true;
      SDL_GameController* controller = SDL_GameControllerOpen(event.cdevice.which);
      if (controller != nullptr) {
        const char* node = SDL_GameControllerPath(controller);
        pads.push_back({controller, id, PadDirections(), node != nullptr ? WatchDevice(node) : -1});
      }
      return true;
    }
    case SDL_CONTROLLERDEVICEREMOVED:
      Remove(event.cdevice.which, queue);
      return true;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP: {
      Pad* pad = Find(event.cbutton.which);
      if (pad == nullptr) return true;
      const bool down = event.type == SDL_CONTROLLERBUTTONDOWN;
      const PadDirections::Direction direction = DpadDirection(event.cbutton.button);
      if (direction != PadDirections::kNone) {
        pad->directions.SetDpad(direction, down, event.cbutton.timestamp, queue);
      } else if (const uint32_t key = ButtonKey(event.cbutton.button)) {
        queue.Post(down ? WM_KEYDOWN : WM_KEYUP, key, 0);
      }
      return true;
    }
    case SDL_CONTROLLERAXISMOTION: {
      Pad* pad = Find(event.caxis.which);
      if (pad == nullptr) return true;
      if (event.caxis.axis == SDL_CONTROLLER_AXIS_LEFTX) {
        pad->directions.SetStick(0, event.caxis.value, event.caxis.timestamp, queue);
      } else if (event.caxis.axis == SDL_CONTROLLER_AXIS_LEFTY) {
        pad->directions.SetStick(1, event.caxis.value, event.caxis.timestamp, queue);
      }
      return true;
    }
    default:
      return false;
  }
}

void Controllers::Poll(uint32_t now, MessageQueue& queue) {
  if (!started) return;
  if (!sdlUp) {
    // SDL, once up, reports the controller that woke it as plugged in.
    if (now - lastLook < kLookPeriodMs) return;
    lastLook = now;
    if (!devices.Changed() || !devices.AnyPresent()) return;
    StartSdl();
    if (!sdlUp) return;
  }
  if (testPad) testPad->Poll();
  // With a joystick present every frame reads it, so a press shows in the next frame; with none,
  // a look for one plugged in a few times a second is soon enough.
  if (SDL_NumJoysticks() > 0 || now - lastLook >= kLookPeriodMs) {
    SDL_JoystickUpdate();
    lastLook = now;
  }
  for (Pad& pad : pads)
    pad.directions.Repeat(now, queue);
}

void Controllers::Close(Pad& pad) {
  SDL_GameControllerClose(pad.controller);
  CloseDescriptor(pad.watch);
  pad.watch = -1;
}

std::vector<int> Controllers::Watches() const {
  std::vector<int> watches;
  for (const Pad& pad : pads) {
    if (pad.watch >= 0) watches.push_back(pad.watch);
  }
  return watches;
}

void Controllers::DrainWatches() const {
  for (const Pad& pad : pads)
    DrainDescriptor(pad.watch);
}

void Controllers::ReleaseAll(MessageQueue& queue) {
  for (Pad& pad : pads)
    pad.directions.ReleaseAll(queue);
}

}  // namespace platform
