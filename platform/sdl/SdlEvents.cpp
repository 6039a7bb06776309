#include "platform/sdl/SdlEvents.h"

#include <chrono>
#include <thread>

#include "platform/Input.h"
#include "platform/Termination.h"
#include "platform/Utf8.h"
#include "platform/sdl/SdlKeys.h"

namespace platform {

namespace {

// A press of a key, a mouse button or a controller (its buttons, and its stick, which moves the
// focus as the arrows do).
bool IsPress(uint32_t type) {
  switch (type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
    case SDL_CONTROLLERAXISMOTION:
      return true;
    default:
      return false;
  }
}

bool PressWaiting() {
  return SDL_HasEvents(SDL_KEYDOWN, SDL_KEYUP) ||
         SDL_HasEvents(SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP) ||
         SDL_HasEvents(SDL_CONTROLLERAXISMOTION, SDL_CONTROLLERBUTTONUP);
}

}  // namespace

uint64_t EventTranslator::NowMicros() {
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                                   .count());
}

void EventTranslator::Pump(MessageQueue& queue) {
  PressStretcher::Release release;
  while (presses.TakeDue(SDL_GetTicks(), &release))
    ApplyRelease(release, queue);
  controllers.Poll(SDL_GetTicks(), queue);
  if (TakeTerminationRequest()) queue.Post(WM_CLOSE);
  SDL_Event event;
  while (SDL_PollEvent(&event))
    Translate(event, queue);
}

void EventTranslator::WaitUnlessPressed(uint64_t untilMicros, EventSource* source,
                                        MessageQueue& queue) {
  for (uint64_t now = NowMicros(); now < untilMicros; now = NowMicros()) {
    const uint64_t left = untilMicros - now;
    const int milliseconds = static_cast<int>((left + 999) / 1000);
    if (source != nullptr) {
      if (!source->WaitForEvents(milliseconds, controllers.Watches())) return;
      // SDL reads the controllers only when asked (Controllers), and then holds their events
      // with the rest.
      controllers.DrainWatches();
      controllers.Poll(SDL_GetTicks(), queue);
      SDL_PumpEvents();
      if (PressWaiting()) return;
      continue;
    }
    if (controllers.Count() > 0) {
      std::this_thread::sleep_for(std::chrono::microseconds(left));
      return;
    }
    SDL_Event event;
    if (SDL_WaitEventTimeout(&event, milliseconds) == 0) return;
    Translate(event, queue);
    if (IsPress(event.type)) return;
  }
}

void EventTranslator::Translate(const SDL_Event& event, MessageQueue& queue) {
  InputState& input = Input();
  switch (event.type) {
    case SDL_QUIT:
      queue.Post(WM_CLOSE);
      break;
    case SDL_WINDOWEVENT:
      switch (event.window.event) {
        case SDL_WINDOWEVENT_EXPOSED:
          window.Uncovered(queue);
          break;
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_MAXIMIZED:
          window.DrawWholeNext();
          break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
          queue.Post(WM_ACTIVATEAPP, 1, 0);
          queue.Post(WM_ACTIVATE, WA_ACTIVE, 0);
          break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
          // The keys are let go when the program takes the message below, after the keys
          // before it.
          input.SetMouseButtons(0);
          controllers.ReleaseAll(queue);
          swallowedEnter = {false, false};
          queue.Post(WM_ACTIVATE, WA_INACTIVE, 0);
          queue.Post(WM_ACTIVATEAPP, 0, 0);
          break;
        case SDL_WINDOWEVENT_MOVED:
          queue.Post(WM_MOVE, 0, MakeLParam(event.window.data1, event.window.data2));
          break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
          window.Resized(queue);
          break;
        case SDL_WINDOWEVENT_CLOSE:
          queue.Post(WM_CLOSE);
          break;
        default:
          break;
      }
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      TranslateKey(event.key, queue);
      break;
    case SDL_TEXTINPUT: {
      // One message per character; controls are editing keys, which come as keys.
      const char* text = event.text.text;
      uint32_t character = 0;
      for (size_t at = 0, step = 0;
           (step = DecodeUtf8(text + at, sizeof(event.text.text) - at, &character)) != 0;
           at += step) {
        if (character >= 0x20 && character != 0x7F) queue.Post(WM_UNICHAR, character);
      }
      break;
    }
    case SDL_TEXTEDITING:
      input.SetComposition(ValidUtf8(event.edit.text));
      break;
    case SDL_MOUSEMOTION: {
      int px = 0;
      int py = 0;
      window.ToPicture(event.motion.x, event.motion.y, &px, &py);
      queue.Post(WM_MOUSEMOVE, input.MouseButtons(), MakeLParam(px, py));
      break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      TranslateMouseButton(event.button, queue);
      break;
    default:
      controllers.Translate(event, queue);
      break;
  }
}

void EventTranslator::TranslateKey(const SDL_KeyboardEvent& key, MessageQueue& queue) {
  const bool down = key.type == SDL_KEYDOWN;
  const SDL_Scancode code = key.keysym.scancode;
  const int enter = code == SDL_SCANCODE_RETURN ? 0 : code == SDL_SCANCODE_KP_ENTER ? 1 : -1;
  if (enter >= 0) {
    // Alt+Enter belongs to the window, as on Windows: it arrives as a system key, and neither its
    // press nor its release reaches the key table or the key messages.
    if (down && (key.keysym.mod & KMOD_ALT) != 0) {
      swallowedEnter[static_cast<size_t>(enter)] = true;
      if (!key.repeat) queue.Post(WM_SYSKEYDOWN, VK_RETURN, kKeyAltHeld);
      return;
    }
    if (swallowedEnter[static_cast<size_t>(enter)]) {
      swallowedEnter[static_cast<size_t>(enter)] = down && key.repeat;
      if (!down || key.repeat) return;
    }
  }
  // The key table takes the key by its place when the program takes this message
  // (FollowKeyMessage), so every key known by place has one, even without a virtual key.
  const int dik = ScancodeToDik(code);
  // Letter shortcuts follow the letter the layout puts on the key; other keys, their place.
  const int vk = LayoutVirtualKey(dik, LayoutCharacter(key.keysym.sym));
  intptr_t flags = KeyPlaceBits(dik);
  if (down && key.repeat != 0) flags |= kKeyRepeated;
  if ((key.keysym.mod & KMOD_ALT) != 0) flags |= kKeyAltHeld;
  if ((key.keysym.mod & KMOD_CTRL) != 0) flags |= kKeyControlHeld;
  if ((key.keysym.mod & KMOD_SHIFT) != 0) flags |= kKeyShiftHeld;
  if (vk != 0 || dik != 0) {
    queue.Post(down ? WM_KEYDOWN : WM_KEYUP, static_cast<uintptr_t>(vk), flags);
  }
}

void EventTranslator::TranslateMouseButton(const SDL_MouseButtonEvent& button,
                                           MessageQueue& queue) {
  const bool down = button.type == SDL_MOUSEBUTTONDOWN;
  int index = -1;
  if (button.button == SDL_BUTTON_LEFT) index = 0;
  if (button.button == SDL_BUTTON_RIGHT) index = 1;
  if (index < 0) return;
  int px = 0;
  int py = 0;
  window.ToPicture(button.x, button.y, &px, &py);
  if (!down) {
    if (presses.ReleaseNow(index, button.timestamp, px, py)) ApplyRelease({index, px, py}, queue);
    return;
  }
  PressStretcher::Release release;
  if (presses.Press(index, button.timestamp, &release)) ApplyRelease(release, queue);
  InputState& input = Input();
  input.SetMouseButton(index, true);
  queue.Post(index == 0 ? WM_LBUTTONDOWN : WM_RBUTTONDOWN, input.MouseButtons(),
             MakeLParam(px, py));
}

void EventTranslator::ApplyRelease(const PressStretcher::Release& release, MessageQueue& queue) {
  InputState& input = Input();
  input.SetMouseButton(release.button, false);
  queue.Post(release.button == 0 ? WM_LBUTTONUP : WM_RBUTTONUP, input.MouseButtons(),
             MakeLParam(release.x, release.y));
}

}  // namespace platform
