#!/usr/bin/env python3
"""The game's window under a window manager, resized, maximised and switched to full screen like
a user would: each time the screenshot must show the whole picture scaled with its aspect kept,
centred between black bars, and a click on a balloon where it is drawn must pop its group. So
must a window resized and uncovered while another window holds the focus.
Alt+Enter switches to full screen and back, and the next start opens the way the last one ended.

    game_scaled_window.py <launcher folder>    (on a display with a window manager, with xdotool,
                                                xwininfo and ImageMagick's import)

Exit code: the number of failed checks.
"""
import os
import re
import subprocess
import sys
import time

# The shared helpers are imported from the source folder, which the test must not write into.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import game_window as gw  # noqa: E402

# A scaled screenshot read back at picture pixels mixes in some of each neighbour.
gw.TOLERANCE = 32


def fail(text):
    gw.fail(text)


def note(text):
    gw.note(text)


def placement(width, height):
    """Where the 800 x 600 picture lies in a client area: as large as fits, centred."""
    if width * 600 <= height * 800:
        w, h = width, max(width * 600 // 800, 1)
    else:
        w, h = max(height * 800 // 600, 1), height
    return (width - w) // 2, (height - h) // 2, w, h


def geometry(window):
    out = subprocess.run(["xwininfo", "-id", window], capture_output=True, text=True).stdout
    value = lambda name: int(re.search(name + r":\s+(-?\d+)", out).group(1))
    return (value("Absolute upper-left X"), value("Absolute upper-left Y"), value("Width"),
            value("Height"))


wait_for = gw.wait_for


class ScaledScreen:
    """The window's client area, read back at picture pixels through the placement."""

    def __init__(self, window, work):
        self.window = window
        self.path = os.path.join(work, "scaled.ppm")

    def raw(self):
        """(width, height, RGB bytes) of the window as the screenshot found it; the size comes
        with the picture, as the window may be changing size while it is taken."""
        subprocess.run(["import", "-window", self.window, "-depth", "8", "ppm:" + self.path],
                       check=True, stderr=subprocess.DEVNULL)
        data = open(self.path, "rb").read()
        fields = re.match(rb"P6\s+(\d+)\s+(\d+)\s+(\d+)\s", data)
        if not fields:
            raise RuntimeError("the screenshot is not a PPM picture")
        w, h = int(fields.group(1)), int(fields.group(2))
        pixels = data[fields.end():]
        if len(pixels) != w * h * 3:
            raise RuntimeError("a %d x %d screenshot holds %d bytes" % (w, h, len(pixels)))
        return w, h, pixels

    @staticmethod
    def resample(w, h, data, shift=0):
        """The 800 x 600 picture sampled at each picture pixel's centre (shift: client pixels
        to the right, to see how a misplaced picture compares)."""
        px, py, pw, ph = placement(w, h)
        columns = [min(max(px + shift + (2 * x + 1) * pw // 1600, 0), w - 1) for x in range(800)]
        out = bytearray(800 * 600 * 3)
        for y in range(600):
            row = (py + (2 * y + 1) * ph // 1200) * w
            o = y * 800 * 3
            for x, c in enumerate(columns):
                i = (row + c) * 3
                out[o:o + 3] = data[i:i + 3]
                o += 3
        return bytes(out)

    def grab(self):
        return self.resample(*self.raw())

    def click(self, col, row):
        """Clicks the centre of a board cell where the scaled picture shows it."""
        _, _, w, h = geometry(self.window)
        px, py, pw, ph = placement(w, h)
        x, y = gw.cell_centre(col, row)
        cx, cy = px + (2 * x + 1) * pw // 1600, py + (2 * y + 1) * ph // 1200
        subprocess.run(["xdotool", "mousemove", "--window", self.window, str(cx), str(cy)],
                       check=True)
        time.sleep(0.15)
        subprocess.run(["xdotool", "click", "1"], check=True)
        time.sleep(0.15)
        subprocess.run(["xdotool", "mousemove", "--window", self.window, str(px + 5),
                        str(py + ph - 5)], check=True)


def mean_difference(a, b):
    step = 7  # every seventh byte is plenty to tell a match from a miss
    return sum(abs(a[i] - b[i]) for i in range(0, len(a), step)) / (len(a) / step)


def check_scaled(label, screen, reference):
    """The whole picture scaled into the window's client area, centred, black around it."""
    w, h, data = screen.raw()
    px, py, pw, ph = placement(w, h)
    bars = [(x, y) for y in range(0, h, 5) for x in range(0, w, 5)
            if not (px <= x < px + pw and py <= y < py + ph)]
    lit = [(x, y) for x, y in bars if data[(y * w + x) * 3:(y * w + x) * 3 + 3] != b"\0\0\0"]
    if lit:
        fail("%s: the bars beside the picture are not black at %s" % (label, lit[:5]))
    seen = screen.resample(w, h, data)
    error = mean_difference(seen, reference)
    shifted = mean_difference(screen.resample(w, h, data, shift=max(3, pw // 200)), reference)
    if error > 12 or shifted < error * 1.5:
        fail("%s: the %d x %d client does not show the picture at %d x %d from (%d, %d) "
             "(difference %.1f there, %.1f a few pixels aside)" %
             (label, w, h, pw, ph, px, py, error, shifted))
        return False
    note("%s: %d x %d client shows the picture at %d x %d from (%d, %d), bars black "
         "(difference %.1f, %.1f when shifted)" % (label, w, h, pw, ph, px, py, error, shifted))
    return True


def active_window():
    return subprocess.run(["xdotool", "getactivewindow"], capture_output=True,
                          text=True).stdout.strip()


def check_inactive_repaint(window, screen, reference, display_w):
    """Another window holds the focus, so the game runs no frame; its window, resized and then
    covered and uncovered, must still show the whole picture scaled to its new size."""
    other = subprocess.Popen(["xmessage", "-geometry", "300x100+20+20", "another window"],
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        found = []
        wait_for(lambda: found.extend(subprocess.run(
            ["xdotool", "search", "--onlyvisible", "--name", "^xmessage$"],
            capture_output=True, text=True).stdout.split()) or bool(found))
        if not found:
            fail("inactive: the other window did not appear")
            return False
        subprocess.run(["xdotool", "windowactivate", "--sync", found[0]], check=False)
        if not wait_for(lambda: active_window() == found[0], 5):
            fail("inactive: the other window did not take the focus")
            return False
        size = (1000, 750)
        subprocess.run(["xdotool", "windowsize", window, str(size[0]), str(size[1])], check=True)
        if not wait_for(lambda: geometry(window)[2:] == size):
            fail("inactive: the window did not take the size %d x %d" % size)
            return False
        time.sleep(0.5)
        if not check_scaled("inactive, resized", screen, reference):
            return False
        x, y, _, _ = geometry(window)
        subprocess.run(["xdotool", "windowmove", found[0], str(x + 200), str(y + 200)], check=True)
        time.sleep(0.3)
        subprocess.run(["xdotool", "windowmove", found[0], str(display_w - 320), "20"],
                       check=True)
        time.sleep(0.5)
        if active_window() != found[0]:
            fail("inactive: the game took the focus back by itself")
        return check_scaled("inactive, uncovered", screen, reference)
    finally:
        other.terminate()
        other.wait()
        subprocess.run(["xdotool", "windowactivate", "--sync", window], check=False)


def pop_largest(label, screen, reader, board):
    groups = {}
    for r in range(gw.ROWS):
        for c in range(gw.COLUMNS):
            if board[r][c] is not None:
                groups[frozenset(gw.group_at(board, c, r))] = (c, r)
    group, (c, r) = max(groups.items(), key=lambda item: (len(item[0]), -item[1][1]))
    if len(group) < 2:
        fail("%s: no group to pop" % label)
        return None
    expected = gw.popped(board, group)
    screen.click(c, r)
    seen = gw.settled_board(screen, reader)
    if not gw.check_board("%s: pop of %d %s balloons at (%d, %d)" %
                          (label, len(group), board[r][c][0], c, r), expected, seen):
        return None
    return seen


def setup_value(game_dir):
    text = open(os.path.join(game_dir, "setup.ini")).read()
    found = re.search(r"(?im)^fullscreen\s*=\s*(\S*)", text)
    return found.group(1) if found else None


def alt_enter(window):
    subprocess.run(["xdotool", "windowactivate", "--sync", window], check=False)
    time.sleep(0.3)
    subprocess.run(["xdotool", "key", "--clearmodifiers", "alt+Return"], check=True)


def stop(game):
    if game.poll() is None:
        game.terminate()
        try:
            game.wait(10)
        except subprocess.TimeoutExpired:
            game.kill()
            fail("the game did not end within 10 s of being closed")


def main():
    launcher_dir = os.path.realpath(sys.argv[1])
    game_dir = os.path.join(launcher_dir, "Zeppolo")
    work = os.path.dirname(launcher_dir)
    display_w, display_h = (int(v) for v in subprocess.run(
        ["xdotool", "getdisplaygeometry"], capture_output=True, text=True).stdout.split())
    log = open(os.path.join(work, "game.log"), "w")
    game, window = gw.start_game(launcher_dir, game_dir, log)
    try:
        if window is None:
            fail("the game's window did not appear (its threads: %s): %s" %
                 (gw.threads_of(game.pid), open(log.name).read()))
            return
        screen = ScaledScreen(window, work)
        reader = gw.Reader(game_dir)
        wait_for(lambda: geometry(window)[2:] == (800, 600), 5)
        if geometry(window)[2:] != (800, 600):
            fail("the first window on a %d x %d display is %d x %d, not 800 x 600" %
                 ((display_w, display_h) + geometry(window)[2:]))
        board = gw.settled_board(screen, reader)
        if board is None:
            fail("the fresh board did not settle")
            return
        reference = screen.grab()

        # 1. Resized by the border to 1000 x 750 and to 1280 x 720: the whole picture, scaled.
        for size in ((1000, 750), (1280, 720)):
            subprocess.run(["xdotool", "windowsize", window, str(size[0]), str(size[1])],
                           check=True)
            if not wait_for(lambda: geometry(window)[2:] == size):
                fail("the window did not take the size %d x %d" % size)
                return
            label = "%d x %d" % size
            seen = gw.settled_board(screen, reader)
            if not gw.check_board(label + ": the board before a click", board, seen):
                return
            if not check_scaled(label, screen, reference):
                return
            board = pop_largest(label, screen, reader, board)
            if board is None:
                return
            reference = screen.grab()
        if not check_inactive_repaint(window, screen, reference, display_w):
            return

        # 2. Maximised by a double click on the caption: larger, still whole and centred.
        x, y, w, h = geometry(window)
        subprocess.run(["xdotool", "mousemove", str(x + w // 2), str(max(y - 8, 0)), "click",
                        "--repeat", "2", "--delay", "80", "1"], check=True)
        if not wait_for(lambda: geometry(window)[2] == display_w):
            fail("the window was not maximised: %s" % (geometry(window),))
            return
        time.sleep(0.5)
        seen = gw.settled_board(screen, reader)
        if not gw.check_board("maximised: the board before a click", board, seen):
            return
        if not check_scaled("maximised", screen, reference):
            return
        board = pop_largest("maximised", screen, reader, board)
        if board is None:
            return
        reference = screen.grab()
        windowed = geometry(window)

        # 3. Alt+Enter: full screen and back, each choice written to setup.ini at once.
        alt_enter(window)
        if not wait_for(lambda: geometry(window) == (0, 0, display_w, display_h)):
            fail("Alt+Enter did not make the window full screen: %s" % (geometry(window),))
            return
        # The window manager may show the new geometry before the program has written its choice.
        if not wait_for(lambda: setup_value(game_dir) == "1"):
            fail("full screen is not kept in setup.ini: fullscreen=%s" % setup_value(game_dir))
        seen = gw.settled_board(screen, reader)
        if not gw.check_board("full screen", board, seen) or \
                not check_scaled("full screen", screen, reference):
            return
        alt_enter(window)
        if not wait_for(lambda: geometry(window)[2:] != (display_w, display_h)):
            fail("a second Alt+Enter did not leave full screen: %s" % (geometry(window),))
            return
        note("Alt+Enter again: back to a %d x %d window (it was %d x %d)" %
             (geometry(window)[2:] + windowed[2:]))
        if not wait_for(lambda: setup_value(game_dir) == "0"):
            fail("the window is not kept in setup.ini: fullscreen=%s" % setup_value(game_dir))

        # 4. Full screen once more, then the game ends: the next start opens full screen.
        alt_enter(window)
        wait_for(lambda: geometry(window) == (0, 0, display_w, display_h))
        subprocess.run(["xdotool", "key", "Escape"], check=True)
        try:
            game.wait(10)
        except subprocess.TimeoutExpired:
            fail("Esc did not end the game")
            return
        if setup_value(game_dir) != "1":
            fail("setup.ini after the game ended full screen: fullscreen=%s" %
                 setup_value(game_dir))
        game, window = gw.start_game(launcher_dir, game_dir, log)
        if window is None:
            fail("the game did not start again: %s" % open(log.name).read())
            return
        if not wait_for(lambda: geometry(window) == (0, 0, display_w, display_h)):
            fail("the next start is not full screen: %s" % (geometry(window),))
        else:
            note("the next start opens full screen, as the last one ended")
    finally:
        stop(game)
        log.close()
        report = open(log.name).read()
        if "Sanitizer" in report:
            fail("a sanitizer report from the game: " +
                 report[report.index("Sanitizer") - 40:][:3000])


if __name__ == "__main__":
    main()
    if gw.failures == 0:
        print("game_scaled_window: all checks passed")
    sys.exit(min(gw.failures, 100))
