// How long a press takes to reach the picture in a real window: a press injected through XTest,
// timed to the X server's first damage report over the place it changes (XDamage). Prints figures,
// judges nothing.
//
//   press_latency game WINDOW [POPS [KEYS]]   mouse presses on poppable groups, then arrow keys
//                                             moving the keyboard cursor
//   press_latency launcher WINDOW [PRESSES]   mouse presses on the first game button of the pages
//
// WINDOW is the program's X window id. The picture is assumed at one times its size in the window.

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>
#include <X11/keysym.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// The game's board and the launcher's first game button, in picture pixels.
constexpr int kBoardX = 154;
constexpr int kBoardY = 7;
constexpr int kColumns = 18;
constexpr int kRows = 14;
constexpr int kCellWidth = 32;
constexpr int kCellHeight = 40;
constexpr int kSlotX = 14;
constexpr int kSlotY = 140;
constexpr int kSlotWidth = 250;
constexpr int kSlotHeight = 102;

struct Area {
  int x;
  int y;
  int width;
  int height;
  bool Meets(const XRectangle& r) const {
    return r.x < x + width && x < r.x + r.width && r.y < y + height && y < r.y + r.height;
  }
};

double Ms(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

// With PRESS_LATENCY_TRACE set, each sample's press and answer on the steady clock, to line up
// with a trace the program writes.
void Trace(const char* what, Clock::time_point pressed, Clock::time_point shown) {
  if (std::getenv("PRESS_LATENCY_TRACE") == nullptr) return;
  std::fprintf(stderr, "%s pressed %.3f shown %.3f\n", what, Ms(pressed.time_since_epoch()),
               Ms(shown.time_since_epoch()));
}

void Sleep(double ms) {
  std::this_thread::sleep_for(std::chrono::microseconds(static_cast<int64_t>(ms * 1000)));
}

class Session {
 public:
  bool Open(Window target) {
    display = XOpenDisplay(nullptr);
    if (display == nullptr) return Fail("no X display");
    int major = 0;
    int minor = 0;
    int error = 0;
    int opcode = 0;
    if (!XTestQueryExtension(display, &opcode, &error, &major, &minor))
      return Fail("the X server has no XTest");
    if (!XDamageQueryExtension(display, &damageEvent, &error))
      return Fail("the X server has no DAMAGE");
    window = target;
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, window, &attributes) == 0) return Fail("no such window");
    width = attributes.width;
    height = attributes.height;
    Window child = 0;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &rootX, &rootY,
                          &child);
    // Every drawing into the window is reported as it lands, rectangle by rectangle.
    damage = XDamageCreate(display, window, XDamageReportRawRectangles);
    XSync(display, False);
    return true;
  }

  ~Session() {
    if (display == nullptr) return;
    if (damage != 0) XDamageDestroy(display, damage);
    XCloseDisplay(display);
  }

  void MovePointer(int x, int y) {
    XTestFakeMotionEvent(display, DefaultScreen(display), rootX + x, rootY + y, CurrentTime);
    XFlush(display);
  }
  void Button(bool down) {
    XTestFakeButtonEvent(display, 1, down ? True : False, CurrentTime);
    XFlush(display);
  }
  void Key(KeySym sym, bool down) {
    XTestFakeKeyEvent(display, XKeysymToKeycode(display, sym), down ? True : False, CurrentTime);
    XFlush(display);
  }

  // Waits up to timeoutMs for a damage report meeting the area; the time it arrived, or none.
  bool WaitForDamage(const Area& area, double timeoutMs, Clock::time_point* at,
                     XRectangle* where = nullptr) {
    const auto deadline = Clock::now() + std::chrono::microseconds(int64_t(timeoutMs * 1000));
    for (;;) {
      while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type != damageEvent + XDamageNotify) continue;
        const auto& notify = reinterpret_cast<const XDamageNotifyEvent&>(event);
        const auto now = Clock::now();
        Note(notify.area, now);
        if (area.Meets(notify.area)) {
          *at = now;
          if (where != nullptr) *where = notify.area;
          return true;
        }
      }
      if (Clock::now() >= deadline) return false;
      WaitReadable(deadline);
    }
  }

  // Drains reports until none meets the area for quietMs (at most limitMs in all).
  void WaitQuiet(const Area& area, double quietMs, double limitMs) {
    const auto end = Clock::now() + std::chrono::microseconds(int64_t(limitMs * 1000));
    Clock::time_point seen;
    while (Clock::now() < end) {
      if (!WaitForDamage(area, quietMs, &seen)) return;
    }
  }

  // The picture as 0x00RRGGBB pixels.
  std::vector<uint32_t> Grab() {
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height, 0);
    XImage* image = XGetImage(display, window, 0, 0, width, height, AllPlanes, ZPixmap);
    if (image == nullptr) return pixels;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        pixels[static_cast<size_t>(y) * width + x] =
            static_cast<uint32_t>(XGetPixel(image, x, y) & 0xFFFFFF);
    XDestroyImage(image);
    return pixels;
  }

  // Reports meeting the area since Track started, one time per present.
  void Track(const Area& area) {
    tracked = area;
    tracking = true;
    presents.clear();
  }
  std::vector<Clock::time_point> StopTracking() {
    tracking = false;
    return presents;
  }

  int Width() const { return width; }
  int Height() const { return height; }

 private:
  bool Fail(const char* why) {
    std::fprintf(stderr, "press_latency: %s\n", why);
    return false;
  }

  void WaitReadable(Clock::time_point deadline) {
    const double left = Ms(deadline - Clock::now());
    if (left <= 0) return;
    fd_set set;
    FD_ZERO(&set);
    FD_SET(ConnectionNumber(display), &set);
    timeval tv{static_cast<time_t>(left / 1000), static_cast<suseconds_t>(left * 1000) % 1000000};
    select(ConnectionNumber(display) + 1, &set, nullptr, nullptr, &tv);
  }

  // One present sends several rectangles within a moment; they count once.
  void Note(const XRectangle& r, Clock::time_point now) {
    if (!tracking || !tracked.Meets(r)) return;
    if (presents.empty() || Ms(now - presents.back()) > 2.0) presents.push_back(now);
  }

  Display* display = nullptr;
  Window window = 0;
  Damage damage = 0;
  int damageEvent = 0;
  int width = 0;
  int height = 0;
  int rootX = 0;
  int rootY = 0;
  bool tracking = false;
  Area tracked{};
  std::vector<Clock::time_point> presents;
};

double Percentile(std::vector<double> values, double share) {
  std::sort(values.begin(), values.end());
  const double at = share * static_cast<double>(values.size() - 1);
  const size_t below = static_cast<size_t>(at);
  const size_t above = std::min(below + 1, values.size() - 1);
  return values[below] + (values[above] - values[below]) * (at - static_cast<double>(below));
}

void Report(const char* what, const std::vector<double>& ms) {
  if (ms.empty()) {
    std::printf("%-44s no samples\n", what);
    return;
  }
  std::printf("%-44s %3zu  median %5.1f ms  min %5.1f  p90 %5.1f  max %5.1f\n", what, ms.size(),
              Percentile(ms, 0.5), *std::min_element(ms.begin(), ms.end()), Percentile(ms, 0.9),
              *std::max_element(ms.begin(), ms.end()));
}

// Frames that change the picture: how far apart, and how many fall on the 10 ms frame grid (a
// frame that changes nothing there sends nothing, so two frames apart is a whole step too).
void ReportIntervals(const char* what, const std::vector<double>& ms) {
  if (ms.empty()) {
    std::printf("%-44s no samples\n", what);
    return;
  }
  size_t onGrid = 0;
  for (const double gap : ms) {
    const double frames = std::max(1.0, std::round(gap / 10.0));
    if (std::fabs(gap - 10.0 * frames) <= 2.0) ++onGrid;
  }
  std::printf("%-44s %3zu  median %5.1f ms  p10 %5.1f  p90 %5.1f  on the 10 ms grid %3.0f%%\n",
              what, ms.size(), Percentile(ms, 0.5), Percentile(ms, 0.1), Percentile(ms, 0.9),
              100.0 * static_cast<double>(onGrid) / static_cast<double>(ms.size()));
}

Area Cell(int column, int row) {
  return {kBoardX + column * kCellWidth, kBoardY + row * kCellHeight, kCellWidth, kCellHeight};
}

// Two cells show the same balloon when the middle of their pictures is equal: the mark of a
// colour sits there, and no sky does.
bool SameBalloon(const std::vector<uint32_t>& pixels, int width, const Area& a, const Area& b) {
  for (int y = 10; y < 30; ++y)
    for (int x = 8; x < 24; ++x)
      if (pixels[static_cast<size_t>(a.y + y) * width + a.x + x] !=
          pixels[static_cast<size_t>(b.y + y) * width + b.x + x])
        return false;
  return true;
}

// Cells with a like neighbour to the right or below, top rows first (balloons rise, so the
// empty cells gather at the bottom).
std::vector<Area> PoppableCells(const std::vector<uint32_t>& pixels, int width) {
  std::vector<Area> found;
  for (int row = 0; row < kRows; ++row) {
    for (int column = 0; column < kColumns; ++column) {
      const Area cell = Cell(column, row);
      if ((column + 1 < kColumns && SameBalloon(pixels, width, cell, Cell(column + 1, row))) ||
          (row + 1 < kRows && SameBalloon(pixels, width, cell, Cell(column, row + 1))))
        found.push_back(cell);
    }
  }
  return found;
}

const Area kBoard{kBoardX, kBoardY, kColumns* kCellWidth, kRows* kCellHeight};

int MeasureGame(Session& session, int pops, int keys) {
  std::mt19937 rng(23);
  std::uniform_real_distribution<double> phase(0.0, 10.0);
  std::vector<double> popMs;
  std::vector<double> intervals;
  int misses = 0;
  while (static_cast<int>(popMs.size()) < pops && misses < 3 * pops) {
    const std::vector<Area> cells = PoppableCells(session.Grab(), session.Width());
    if (cells.empty()) break;
    const Area cell = cells[rng() % std::min<size_t>(cells.size(), 6)];
    session.MovePointer(cell.x + cell.width / 2, cell.y + cell.height / 2);
    session.WaitQuiet(kBoard, 60, 1000);
    Sleep(phase(rng));  // presses land anywhere within a frame
    // Below the pressed cell only the balloons rising into the gap change; the points float up.
    const int below = cell.y + cell.height;
    session.Track({kBoard.x, below, kBoard.width, kBoard.y + kBoard.height - below});
    session.Button(true);
    const auto pressed = Clock::now();
    Clock::time_point shown;
    const bool popped = session.WaitForDamage(cell, 300, &shown);
    Sleep(50);
    session.Button(false);
    if (!popped) {
      ++misses;
      session.StopTracking();
      continue;
    }
    popMs.push_back(Ms(shown - pressed));
    Trace("pop", pressed, shown);
    // The group pops balloon by balloon, then the balloons below rise into the gap.
    session.WaitQuiet(kBoard, 300, 8000);
    const std::vector<Clock::time_point> frames = session.StopTracking();
    for (size_t i = 1; i < frames.size(); ++i) {
      const double gap = Ms(frames[i] - frames[i - 1]);
      if (gap < 50) intervals.push_back(gap);
    }
  }
  Report("game: mouse press to popped group", popMs);
  ReportIntervals("game: changed frames while balloons rise", intervals);

  // The keyboard cursor: the pointer rests off the board, since moving it hides the cursor.
  session.MovePointer(40, 590);
  session.WaitQuiet(kBoard, 100, 2000);
  session.Key(XK_Right, true);
  session.Key(XK_Right, false);
  Clock::time_point shown;
  XRectangle where{};
  if (!session.WaitForDamage(kBoard, 1000, &shown, &where)) {
    std::printf("game: the keyboard cursor did not show\n");
    return 1;
  }
  int column = (where.x - kBoardX) / kCellWidth;
  const int row = (where.y - kBoardY) / kCellHeight;
  int step = column + 1 < kColumns ? 1 : -1;
  std::vector<double> keyMs;
  for (int k = 0; k < keys; ++k) {
    session.WaitQuiet(kBoard, 60, 1000);
    Sleep(phase(rng));
    if (column + step < 0 || column + step >= kColumns) step = -step;
    const KeySym sym = step > 0 ? XK_Right : XK_Left;
    session.Key(sym, true);
    const auto pressed = Clock::now();
    const bool moved = session.WaitForDamage(Cell(column + step, row), 300, &shown);
    session.Key(sym, false);
    if (moved) {
      keyMs.push_back(Ms(shown - pressed));
      Trace("key", pressed, shown);
      column += step;
    }
  }
  Report("game: arrow key to moved cursor", keyMs);
  return popMs.empty() || keyMs.empty() ? 1 : 0;
}

int MeasureLauncher(Session& session, int presses) {
  std::mt19937 rng(23);
  std::uniform_real_distribution<double> phase(0.0, 16.7);
  const Area slot{kSlotX, kSlotY, kSlotWidth, kSlotHeight};
  const Area page{0, 0, session.Width(), session.Height()};
  std::vector<double> ms;
  for (int i = 0; i < presses; ++i) {
    session.MovePointer(slot.x + slot.width / 2, slot.y + slot.height / 2);
    session.WaitQuiet(page, 80, 1000);
    Sleep(phase(rng));
    session.Button(true);
    const auto pressed = Clock::now();
    Clock::time_point shown;
    const bool answered = session.WaitForDamage(slot, 300, &shown);
    // Released off the button, so the press is no click and the page stays.
    session.MovePointer(slot.x + slot.width / 2, 590);
    session.WaitQuiet(page, 40, 1000);
    session.Button(false);
    session.WaitQuiet(page, 60, 1000);
    if (answered) {
      ms.push_back(Ms(shown - pressed));
      Trace("button", pressed, shown);
    }
  }
  Report("launcher: mouse press to pressed game button", ms);
  return ms.empty() ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: press_latency game|launcher WINDOW [COUNT [KEYS]]\n");
    return 2;
  }
  const std::string mode = argv[1];
  const Window window = static_cast<Window>(std::strtoul(argv[2], nullptr, 0));
  Session session;
  if (!session.Open(window)) return 1;
  if (mode == "game") {
    return MeasureGame(session, argc > 3 ? std::atoi(argv[3]) : 11,
                       argc > 4 ? std::atoi(argv[4]) : 15);
  }
  if (mode == "launcher") return MeasureLauncher(session, argc > 3 ? std::atoi(argv[3]) : 11);
  std::fprintf(stderr, "press_latency: no mode %s\n", mode.c_str());
  return 2;
}
