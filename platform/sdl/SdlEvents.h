#pragma once
// SDL's events in the program's terms: window messages with the Windows numbers and the input
// state (keys by their place, letters by the layout, typed characters, mouse buttons in picture
// pixels, controllers), and the wait for the display's refresh that a press ends early.

#include <SDL.h>

#include <array>
#include <cstdint>

#include "platform/Messages.h"
#include "platform/PressStretcher.h"
#include "platform/sdl/Controllers.h"
#include "platform/sdl/EventSource.h"

namespace platform {

// What the translation needs of the window.
class WindowEvents {
 public:
  virtual ~WindowEvents() = default;
  // The picture pixel under a position SDL reports in window units.
  virtual void ToPicture(int x, int y, int* pictureX, int* pictureY) const = 0;
  // The window was uncovered.
  virtual void Uncovered(MessageQueue& queue) = 0;
  // Shown, restored or maximised: all of it is drawn at the next present.
  virtual void DrawWholeNext() = 0;
  // Its client area changed size.
  virtual void Resized(MessageQueue& queue) = 0;
};

class EventTranslator {
 public:
  EventTranslator(WindowEvents& window, Controllers& controllers)
      : window(window), controllers(controllers) {}
  EventTranslator(const EventTranslator&) = delete;
  EventTranslator& operator=(const EventTranslator&) = delete;

  // Moves what waits into the queue: the mouse releases now due, the controllers' news, then
  // SDL's events.
  void Pump(MessageQueue& queue);
  void Translate(const SDL_Event& event, MessageQueue& queue);

  // Sleeps until the moment (steady microseconds), but a key, mouse or controller button that goes
  // down or up meanwhile ends the wait at once, so the frame answers it now rather than a refresh
  // later; other events wait for the frame's own pump. The wait is on the display's connection
  // and the controllers' devices where there is a source to wait on; elsewhere it is SDL's, which
  // takes the events in as they come. SDL's own wait polls every millisecond while a controller
  // is plugged in, so there, without a source, it is a plain sleep. The waits are in whole
  // milliseconds: the wait ends within one of the moment, which the refresh grid absorbs, rather
  // than waking twice a frame to sleep off the fraction.
  void WaitUnlessPressed(uint64_t untilMicros, EventSource* source, MessageQueue& queue);

  static uint64_t NowMicros();

 private:
  void TranslateKey(const SDL_KeyboardEvent& key, MessageQueue& queue);
  void TranslateMouseButton(const SDL_MouseButtonEvent& button, MessageQueue& queue);
  static void ApplyRelease(const PressStretcher::Release& release, MessageQueue& queue);

  WindowEvents& window;
  Controllers& controllers;
  PressStretcher presses;
  // An Enter pressed with Alt whose repeats and release are kept from the program.
  std::array<bool, 2> swallowedEnter = {false, false};
};

}  // namespace platform
