#include "platform/sdl/WaylandPresenter.h"

#include <SDL_syswm.h>
#include <wayland-client.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/Descriptors.h"
#include "platform/Files.h"
#include "platform/SharedMemory.h"
#include "platform/sdl/DisplayLoss.h"
#include "platform/sdl/RunningSdl.h"
#include "xdg-activation-v1-client-protocol.h"

namespace platform {

namespace {

// Two buffers take turns; a third is made only while a compositor holds on to both.
constexpr size_t kMostBuffers = 3;
// How long a present waits for the compositor to give a buffer back before it is skipped.
constexpr int kReleaseWaitMilliseconds = 20;
// Parts a buffer has missed beyond this many are drawn as the one rectangle around them.
constexpr size_t kMostStaleParts = 16;

PixelRect Bounds(const std::vector<PixelRect>& parts) {
  int left = parts.front().x;
  int top = parts.front().y;
  int right = left + parts.front().width;
  int bottom = top + parts.front().height;
  for (const PixelRect& part : parts) {
    left = std::min(left, part.x);
    top = std::min(top, part.y);
    right = std::max(right, part.x + part.width);
    bottom = std::max(bottom, part.y + part.height);
  }
  return {left, top, right - left, bottom - top};
}

// The name the lost-display line gives the compositor, as WAYLAND_DISPLAY names it.
const char* CompositorName() {
  const char* name = std::getenv("WAYLAND_DISPLAY");
  return name != nullptr && name[0] != '\0' ? name : "wayland-0";
}

}  // namespace

struct WaylandPresenter::State {
  struct Buffer {
    SharedMemory memory;
    wl_buffer* buffer = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
    // Held by the compositor until it says it is done with it.
    bool busy = false;
    // Client rectangles shown since this buffer was last drawn, so not yet in it.
    std::vector<PixelRect> stale;
  };

  SDL_Window* window = nullptr;
  wl_display* display = nullptr;
  wl_surface* surface = nullptr;
  // Our objects' events come on a queue of their own, so that SDL's dispatch never meets them.
  wl_event_queue* queue = nullptr;
  wl_registry* registry = nullptr;
  wl_shm* shm = nullptr;
  xdg_activation_v1* activation = nullptr;
  // A seat of our own tells the serial of the player's last press, which proves to the
  // compositor that a program started now was asked for.
  wl_seat* seat = nullptr;
  wl_pointer* pointer = nullptr;
  wl_keyboard* keyboard = nullptr;
  uint32_t lastPressSerial = 0;
  std::array<std::unique_ptr<Buffer>, kMostBuffers> buffers;
  // Buffers of an old size, kept until a buffer of the new size is shown: the compositor may
  // still be drawing the window from one.
  std::vector<std::unique_ptr<Buffer>> retired;
  // The buffer Draw filled for the next Show.
  Buffer* drawn = nullptr;

  ~State() {
    SDL_DelEventWatch(&State::Watch, this);
    for (auto& buffer : buffers)
      DestroyBuffer(buffer);
    for (auto& buffer : retired)
      DestroyBuffer(buffer);
    if (keyboard != nullptr) wl_keyboard_destroy(keyboard);
    if (pointer != nullptr) wl_pointer_destroy(pointer);
    if (seat != nullptr) wl_seat_destroy(seat);
    if (activation != nullptr) xdg_activation_v1_destroy(activation);
    if (shm != nullptr) wl_shm_destroy(shm);
    if (registry != nullptr) wl_registry_destroy(registry);
    if (display != nullptr) wl_display_flush(display);
    if (queue != nullptr) wl_event_queue_destroy(queue);
  }

  static void DestroyBuffer(std::unique_ptr<Buffer>& buffer) {
    if (buffer && buffer->buffer != nullptr) wl_buffer_destroy(buffer->buffer);
    buffer.reset();
  }

  // A compositor that went away ends the program as a lost X display does: SDL alone would only
  // post a quit, and the program would end as if the player had closed it.
  void EndIfDisconnected() const {
    if (wl_display_get_error(display) != 0) EndForLostDisplay(CompositorName());
  }

  void DispatchOurs() {
    if (wl_display_dispatch_queue_pending(display, queue) < 0) EndIfDisconnected();
  }

  // Reads what the compositor sent within the time, for our queue and SDL's alike, and runs
  // ours.
  void ReadAndDispatch(int timeoutMilliseconds) {
    while (wl_display_prepare_read_queue(display, queue) != 0)
      DispatchOurs();
    wl_display_flush(display);
    if (WaitReadable(wl_display_get_fd(display), timeoutMilliseconds)) {
      wl_display_read_events(display);
    } else {
      wl_display_cancel_read(display);
    }
    DispatchOurs();
    EndIfDisconnected();
  }

  static int SDLCALL Watch(void* data, SDL_Event* event) {
    State* self = static_cast<State*>(data);
    switch (event->type) {
      case SDL_QUIT:
        self->EndIfDisconnected();
        break;
      // Our seat's events arrive with SDL's: taken here, the serials stay current and the queue
      // stays short.
      case SDL_MOUSEMOTION:
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP:
      case SDL_KEYDOWN:
      case SDL_KEYUP:
        self->DispatchOurs();
        break;
      default:
        break;
    }
    return 0;
  }

  Buffer* FreeBuffer(int width, int height) {
    for (auto& buffer : buffers) {
      if (buffer && (buffer->width != width || buffer->height != height)) {
        retired.push_back(std::move(buffer));
      }
    }
    if (Buffer* idle = IdleBuffer()) return idle;
    for (auto& buffer : buffers) {
      if (!buffer) {
        buffer = MakeBuffer(width, height);
        return buffer.get();
      }
    }
    ReadAndDispatch(kReleaseWaitMilliseconds);
    return IdleBuffer();
  }

  Buffer* IdleBuffer() const {
    for (const auto& buffer : buffers) {
      if (buffer && !buffer->busy) return buffer.get();
    }
    return nullptr;
  }

  std::unique_ptr<Buffer> MakeBuffer(int width, int height) {
    // A pool's size travels as a 32-bit number.
    if (width <= 0 || height <= 0 || width > INT32_MAX / 4 / height) return nullptr;
    const int stride = width * 4;
    const size_t size = static_cast<size_t>(stride) * static_cast<size_t>(height);
    auto buffer = std::make_unique<Buffer>();
    if (!buffer->memory.Create(size)) return nullptr;
    wl_shm_pool* pool =
        wl_shm_create_pool(shm, buffer->memory.Descriptor(), static_cast<int32_t>(size));
    buffer->buffer =
        wl_shm_pool_create_buffer(pool, 0, width, height, stride, WL_SHM_FORMAT_XRGB8888);
    // The buffer keeps the memory; the pool is needed only to make it.
    wl_shm_pool_destroy(pool);
    if (buffer->buffer == nullptr) return nullptr;
    static const wl_buffer_listener kListener = {&State::OnRelease};
    wl_buffer_add_listener(buffer->buffer, &kListener, buffer.get());
    buffer->width = width;
    buffer->height = height;
    buffer->stride = stride;
    buffer->stale.push_back({0, 0, width, height});
    return buffer;
  }

  static void OnRelease(void* data, wl_buffer*) { static_cast<Buffer*>(data)->busy = false; }

  // The factor between the buffer and the window's size, when a whole one.
  int WholeScale(int bufferWidth, int bufferHeight) const {
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(window, &width, &height);
    if (width <= 0 || height <= 0 || bufferWidth % width != 0) return 0;
    const int scale = bufferWidth / width;
    return scale >= 1 && bufferHeight == height * scale ? scale : 0;
  }

  static void OnGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface,
                       uint32_t version) {
    State* self = static_cast<State*>(data);
    const std::string kind = interface;
    if (kind == wl_shm_interface.name && self->shm == nullptr) {
      self->shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
    } else if (kind == xdg_activation_v1_interface.name && self->activation == nullptr) {
      self->activation = static_cast<xdg_activation_v1*>(
          wl_registry_bind(registry, name, &xdg_activation_v1_interface, 1));
    } else if (kind == wl_seat_interface.name && self->seat == nullptr && version >= 1) {
      self->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
      static const wl_seat_listener kSeatListener = [] {
        wl_seat_listener listener{};
        listener.capabilities = &State::OnSeatCapabilities;
        return listener;
      }();
      wl_seat_add_listener(self->seat, &kSeatListener, self);
    }
  }

  static void OnGlobalRemove(void*, wl_registry*, uint32_t) {}

  static void OnSeatCapabilities(void* data, wl_seat* seat, uint32_t capabilities) {
    State* self = static_cast<State*>(data);
    if ((capabilities & WL_SEAT_CAPABILITY_POINTER) != 0 && self->pointer == nullptr) {
      static const wl_pointer_listener kPointerListener = PointerListener();
      self->pointer = wl_seat_get_pointer(seat);
      wl_pointer_add_listener(self->pointer, &kPointerListener, self);
    }
    if ((capabilities & WL_SEAT_CAPABILITY_KEYBOARD) != 0 && self->keyboard == nullptr) {
      static const wl_keyboard_listener kKeyboardListener = KeyboardListener();
      self->keyboard = wl_seat_get_keyboard(seat);
      wl_keyboard_add_listener(self->keyboard, &kKeyboardListener, self);
    }
  }

  // The seat is bound at version 1, so only version 1's events come; the members that later
  // versions of the headers add stay null, and any version of the headers builds.
  static wl_pointer_listener PointerListener() {
    wl_pointer_listener listener{};
    listener.enter = [](void*, wl_pointer*, uint32_t, wl_surface*, wl_fixed_t, wl_fixed_t) {};
    listener.leave = [](void*, wl_pointer*, uint32_t, wl_surface*) {};
    listener.motion = [](void*, wl_pointer*, uint32_t, wl_fixed_t, wl_fixed_t) {};
    listener.button = &State::OnButton;
    listener.axis = [](void*, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) {};
    return listener;
  }

  static wl_keyboard_listener KeyboardListener() {
    wl_keyboard_listener listener{};
    // The map comes as a descriptor of its own, which nothing here reads.
    listener.keymap = [](void*, wl_keyboard*, uint32_t, int32_t descriptor, uint32_t) {
      CloseDescriptor(descriptor);
    };
    listener.enter = [](void*, wl_keyboard*, uint32_t, wl_surface*, wl_array*) {};
    listener.leave = [](void*, wl_keyboard*, uint32_t, wl_surface*) {};
    listener.key = &State::OnKey;
    listener.modifiers = [](void*, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) {
    };
    return listener;
  }

  static void OnButton(void* data, wl_pointer*, uint32_t serial, uint32_t, uint32_t,
                       uint32_t buttonState) {
    if (buttonState == WL_POINTER_BUTTON_STATE_PRESSED) {
      static_cast<State*>(data)->lastPressSerial = serial;
    }
  }

  static void OnKey(void* data, wl_keyboard*, uint32_t serial, uint32_t, uint32_t,
                    uint32_t keyState) {
    if (keyState == WL_KEYBOARD_KEY_STATE_PRESSED)
      static_cast<State*>(data)->lastPressSerial = serial;
  }
};

std::string WindowOnlyEglLibrary() {
  // SDL 2.29.1 and later (SDL 2 over SDL 3 too) make a window without GL unless it is asked for;
  // there the window is made without our EGL, and nothing loads one. The version is the running
  // library's: the one built against may be older or newer.
  if (RunningSdlAtLeast(2, 29, 1)) return std::string();
  const std::string folder = ProgramTreeFolder();
  return folder.empty() ? std::string() : folder + "/libqzwindowegl.so";
}

bool LoadWindowOnlyEgl() {
  const std::string library = WindowOnlyEglLibrary();
  return !library.empty() && SDL_GL_LoadLibrary(library.c_str()) == 0;
}

void ReleaseWindowOnlyEgl() {
  SDL_GL_UnloadLibrary();
}

WaylandPresenter::WaylandPresenter(std::unique_ptr<State> state) : state(std::move(state)) {}

WaylandPresenter::~WaylandPresenter() = default;

std::unique_ptr<WaylandPresenter> WaylandPresenter::Create(SDL_Window* window,
                                                           std::string* reason) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (window == nullptr || !SDL_GetWindowWMInfo(window, &info) ||
      info.subsystem != SDL_SYSWM_WAYLAND || info.info.wl.display == nullptr ||
      info.info.wl.surface == nullptr) {
    return nullptr;
  }
  auto state = std::make_unique<State>();
  state->window = window;
  state->display = info.info.wl.display;
  state->surface = info.info.wl.surface;
  state->queue = wl_display_create_queue(state->display);
  auto* wrapper = static_cast<wl_display*>(wl_proxy_create_wrapper(state->display));
  if (state->queue == nullptr || wrapper == nullptr) {
    if (wrapper != nullptr) wl_proxy_wrapper_destroy(wrapper);
    if (reason != nullptr) *reason = "no event queue could be made";
    return nullptr;
  }
  wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapper), state->queue);
  state->registry = wl_display_get_registry(wrapper);
  wl_proxy_wrapper_destroy(wrapper);
  static const wl_registry_listener kRegistryListener = {&State::OnGlobal, &State::OnGlobalRemove};
  wl_registry_add_listener(state->registry, &kRegistryListener, state.get());
  // The globals, then what the seat has.
  wl_display_roundtrip_queue(state->display, state->queue);
  wl_display_roundtrip_queue(state->display, state->queue);
  state->EndIfDisconnected();
  if (state->shm == nullptr) {
    if (reason != nullptr) *reason = "the compositor offers no shared memory (wl_shm)";
    return nullptr;
  }
  SDL_AddEventWatch(&State::Watch, state.get());
  return std::unique_ptr<WaylandPresenter>(new WaylandPresenter(std::move(state)));
}

bool WaylandPresenter::Prepare(int* width, int* height, bool* replaced) {
  SDL_GetWindowSizeInPixels(state->window, width, height);
  *replaced = false;
  return true;
}

bool WaylandPresenter::Draw(const Surface& picture, const std::vector<PixelRect>& parts,
                            const PictureScaler& scaler) {
  state->drawn = nullptr;
  state->DispatchOurs();
  State::Buffer* buffer =
      state->FreeBuffer(scaler.View().ClientWidth(), scaler.View().ClientHeight());
  if (buffer == nullptr) return false;
  std::vector<PixelRect>& todo = buffer->stale;
  if (todo.size() + parts.size() > kMostStaleParts) {
    todo.insert(todo.end(), parts.begin(), parts.end());
    todo = {Bounds(todo)};
  } else {
    todo.insert(todo.end(), parts.begin(), parts.end());
  }
  auto* pixels = static_cast<uint32_t*>(buffer->memory.Data());
  for (const PixelRect& part : todo)
    scaler.Render(picture.Pixels(), picture.Pitch(), part, pixels, buffer->stride);
  todo.clear();
  state->drawn = buffer;
  return true;
}

void WaylandPresenter::Show(const std::vector<PixelRect>& parts) {
  State::Buffer* buffer = state->drawn;
  if (buffer == nullptr) return;
  state->drawn = nullptr;
  wl_surface* surface = state->surface;
  const int scale = state->WholeScale(buffer->width, buffer->height);
  // SDL sets the same scale for a whole factor; said again here so that it always comes in the
  // same commit as a buffer of the matching size. A fractional factor is SDL's viewport's.
  if (scale >= 1) wl_surface_set_buffer_scale(surface, scale);
  wl_surface_attach(surface, buffer->buffer, 0, 0);
  const bool bufferDamage = wl_proxy_get_version(reinterpret_cast<wl_proxy*>(surface)) >=
                            WL_SURFACE_DAMAGE_BUFFER_SINCE_VERSION;
  for (const PixelRect& part : parts) {
    if (bufferDamage) {
      wl_surface_damage_buffer(surface, part.x, part.y, part.width, part.height);
    } else {
      // In window units, rounded outwards.
      const int factor = scale >= 1 ? scale : 1;
      const int left = part.x / factor;
      const int top = part.y / factor;
      wl_surface_damage(surface, left, top, (part.x + part.width + factor - 1) / factor - left,
                        (part.y + part.height + factor - 1) / factor - top);
    }
  }
  wl_surface_commit(surface);
  buffer->busy = true;
  for (auto& old : state->retired)
    State::DestroyBuffer(old);
  state->retired.clear();
  for (auto& other : state->buffers) {
    if (other && other.get() != buffer) {
      other->stale.insert(other->stale.end(), parts.begin(), parts.end());
    }
  }
  if (wl_display_flush(state->display) < 0) state->EndIfDisconnected();
}

bool WaylandPresenter::Reshow(bool wholeDrawDue) {
  wl_surface_commit(state->surface);
  if (wl_display_flush(state->display) < 0) state->EndIfDisconnected();
  return !wholeDrawDue;
}

bool WaylandPresenter::WaitForEvents(int timeoutMilliseconds, const std::vector<int>& alsoWatch) {
  state->DispatchOurs();
  // Events read but not yet taken by SDL are there already.
  if (wl_display_prepare_read(state->display) != 0) return true;
  wl_display_flush(state->display);
  std::vector<int> descriptors{wl_display_get_fd(state->display)};
  descriptors.insert(descriptors.end(), alsoWatch.begin(), alsoWatch.end());
  const int ready = WaitAnyReadable(descriptors, timeoutMilliseconds);
  if (ready == 0) {
    wl_display_read_events(state->display);
  } else {
    wl_display_cancel_read(state->display);
  }
  state->DispatchOurs();
  state->EndIfDisconnected();
  return ready >= 0;
}

std::string WaylandPresenter::ActivationToken() {
  if (state->activation == nullptr) return std::string();
  state->DispatchOurs();
  struct Wait {
    std::string token;
    bool done = false;
  } wait;
  xdg_activation_token_v1* request = xdg_activation_v1_get_activation_token(state->activation);
  static const xdg_activation_token_v1_listener kListener = {
      [](void* data, xdg_activation_token_v1*, const char* token) {
        static_cast<Wait*>(data)->token = token != nullptr ? token : "";
        static_cast<Wait*>(data)->done = true;
      }};
  xdg_activation_token_v1_add_listener(request, &kListener, &wait);
  if (state->seat != nullptr && state->lastPressSerial != 0) {
    xdg_activation_token_v1_set_serial(request, state->lastPressSerial, state->seat);
  }
  xdg_activation_token_v1_set_surface(request, state->surface);
  xdg_activation_token_v1_commit(request);
  // Compositors answer at once; a few round trips leave room for one that takes a moment.
  for (int trip = 0; trip < 4 && !wait.done; ++trip) {
    if (wl_display_roundtrip_queue(state->display, state->queue) < 0) break;
  }
  xdg_activation_token_v1_destroy(request);
  state->EndIfDisconnected();
  return wait.token;
}

}  // namespace platform
