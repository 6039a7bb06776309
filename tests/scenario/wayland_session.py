#!/usr/bin/env python3
"""Both programs on a Wayland compositor: weston with its pixman renderer, nested in the virtual X
display so that xdotool's input reaches it. The pictures are found in screenshots of weston's
output by the programs' own background pictures.

One weston serves the player's round: the launcher shows its page at once, its game slot opens
the title page, where the players dialog takes a name typed on a German keyboard; "Play" hands
over to the game, whose window comes to the front with the keyboard focus and names the player in
its title, a click pops a group as the rules say, Alt+Enter switches to full screen and back, and
the game runs out of time with the player's result in hiscore.dat. Then the keyboard becomes a
French one: the key marked M on it brings the launcher back on the game's title page with the
keyboard focus, the hall of fame shows the German name, the players dialog takes "Amélie Zoé" and
a dead key, and Esc ends the launcher; each window names its desktop entry as its app id. The
layouts are the X display's (setxkbmap): weston's X11 backend builds its keymap from the layout
the X display names, not from its own configuration. Then the game, started with both displays
named and no driver chosen, must take Wayland, map no GL library of the system, and end within
2 s of the compositor's death with one line and code 1. A second weston has an output of scale
2: the game's first window takes its size from the desktop's logical size and draws its picture
sharp from a buffer of twice its size; this weston is shut down in order under it.

    wayland_session.py <launcher folder> <work folder>   (on an X display, with weston, xdotool,
                                                          xwininfo and ImageMagick's import)

With ZEP_SCREENSHOT set to a file name, the game's picture after the pop is written there as a
PNG file: the screenshot of dist/ is made so.

Exit code: the number of failed checks.
"""
import os
import shutil
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import game_window as gw  # noqa: E402  (the board reader and the rules)
from game_window import (  # noqa: E402  (what the player types, key by key)
    AZERTY_M, FRENCH_ADDRESS, FRENCH_ADDRESS_KEYS, FRENCH_KEYS, FRENCH_NAME, GERMAN_ADDRESS,
    GERMAN_ADDRESS_KEYS, GERMAN_KEYS, GERMAN_NAME)

SOCKET = "zep-wayland"
OUTPUT_W, OUTPUT_H = 1024, 768
TOLERANCE = 12
# How long the board must stay still to count as settled: the game animates without pauses.
QUIET = 0.5

fail = gw.fail
START = time.time()


def note(text):
    """A note with the seconds since the start, which keep the scenario's time in view."""
    gw.note("%5.1f s: %s" % (time.time() - START, text))



def weston_x11_options():
    """Weston nested in X with its software renderer, as this weston names them: weston 10 by
    module (x11-backend.so) with --use-pixman, weston 12 on by short name with --renderer."""
    helptext = subprocess.run(["weston", "--help"], capture_output=True, text=True)
    helptext = helptext.stdout + helptext.stderr
    backend = "x11-backend.so" if "x11-backend.so" in helptext else "x11"
    renderer = "--renderer=pixman" if "--renderer=" in helptext else "--use-pixman"
    return ["--backend=" + backend, renderer]


class Weston:
    """A weston of our own, nested in the X display, with a runtime folder of its own."""

    def __init__(self, work, scale):
        self.scale = scale
        self.runtime = os.path.join(work, "runtime-%d" % scale)
        os.mkdir(self.runtime, 0o700)
        self.log = open(os.path.join(work, "weston-%d.log" % scale), "w")
        self.env = dict(os.environ, XDG_RUNTIME_DIR=self.runtime)
        self.process = subprocess.Popen(
            ["weston"] + weston_x11_options() +
            ["--no-config", "--idle-time=0", "--socket=" + SOCKET, "--width=%d" % OUTPUT_W,
             "--height=%d" % OUTPUT_H, "--scale=%d" % scale],
            env=self.env, stdout=self.log, stderr=subprocess.STDOUT)
        self.window = None
        socket = os.path.join(self.runtime, SOCKET)
        deadline = time.time() + 15
        while time.time() < deadline and self.window is None and self.process.poll() is None:
            if os.path.exists(socket):
                self.window = self.output_window()
            time.sleep(0.05)
        if self.window is not None:
            # Keys go to the X window with the input focus: weston's, which hands them on to the
            # Wayland window it has focused.
            subprocess.run(["xdotool", "windowfocus", self.window], stderr=subprocess.DEVNULL)
        self.width, self.height = OUTPUT_W * scale, OUTPUT_H * scale
        self.shot_path = os.path.join(work, "output.rgb")

    def output_window(self):
        tree = subprocess.run(["xwininfo", "-root", "-tree"], capture_output=True,
                              text=True).stdout
        for line in tree.splitlines():
            if "Weston Compositor" in line:
                return line.split()[0]
        return None

    def program_env(self, both_displays=False):
        """The environment of a program on this compositor: Wayland asked for by name, unless
        both displays are named and the program chooses."""
        env = dict(self.env, WAYLAND_DISPLAY=SOCKET, SDL_AUDIODRIVER="dummy")
        # In the sanitizer build, allocations are traced through the system's libraries too,
        # which the leak suppressions of the Wayland libraries need (other builds ignore this).
        env["ASAN_OPTIONS"] = ":".join(
            filter(None, (os.environ.get("ASAN_OPTIONS"), "fast_unwind_on_malloc=0")))
        for name in ("SDL_VIDEO_X11_WMCLASS", "SDL_VIDEO_WAYLAND_WMCLASS"):
            env.pop(name, None)
        if both_displays:
            env.pop("SDL_VIDEODRIVER", None)
        else:
            env["SDL_VIDEODRIVER"] = "wayland"
            env.pop("DISPLAY", None)
        return env

    def grab(self):
        subprocess.run(["import", "-window", self.window, "-depth", "8", "rgb:" + self.shot_path],
                       check=True, stderr=subprocess.DEVNULL)
        return open(self.shot_path, "rb").read()

    def click(self, x, y, button=1):
        subprocess.run(["xdotool", "mousemove", "--window", self.window, str(x), str(y)],
                       check=True)
        time.sleep(0.15)
        subprocess.run(["xdotool", "mousedown", str(button)], check=True)
        time.sleep(0.15)
        subprocess.run(["xdotool", "mouseup", str(button)], check=True)
        time.sleep(0.15)
        self.point_away()

    def point_away(self):
        """The compositor draws the pointer into its output: it goes where no picture is
        compared (the output's last pixel)."""
        subprocess.run(["xdotool", "mousemove", "--window", self.window, str(self.width - 1),
                        str(self.height - 1)], check=True)

    def keys(self, *names):
        subprocess.run(["xdotool", "key", "--delay", "80"] + list(names), check=True)

    def end(self, sig=signal.SIGTERM):
        if self.process.poll() is None:
            self.process.send_signal(sig)
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.log.close()


class Picture:
    """A program's 800 x 600 picture found on the output by points of its background that
    nothing covers; at scale s each picture pixel is an s x s block."""

    def __init__(self, bmp, static):
        _, _, self.rows = gw.read_bmp(bmp)
        self.points = [(x, y) for y in range(0, 600, 3) for x in range(0, 800, 3) if static(x, y)]
        # A few points far apart turn most places down before the full comparison.
        self.probes = self.points[::max(1, len(self.points) // 12)]

    def error(self, shot, width, height, ox, oy, scale, limit):
        total = 0
        for x, y in self.points:
            sx, sy = ox + scale * x, oy + scale * y
            if not (0 <= sx < width and 0 <= sy < height):
                return None
            i = (sy * width + sx) * 3
            r, g, b = self.rows[y][x]
            total += abs(shot[i] - r) + abs(shot[i + 1] - g) + abs(shot[i + 2] - b)
            if total > limit:
                return None
        return total

    def near(self, shot, width, height, ox, oy, scale, point):
        x, y = point
        sx, sy = ox + scale * x, oy + scale * y
        if not (0 <= sx < width and 0 <= sy < height):
            return False
        i = (sy * width + sx) * 3
        return all(abs(shot[i + k] - self.rows[y][x][k]) <= 3 * TOLERANCE for k in range(3))

    def locate(self, shot, width, height, scale=1):
        """The picture's top-left corner on the output, or None."""
        limit = TOLERANCE * len(self.points)
        x0, y0 = self.probes[0]
        r0, g0, b0 = self.rows[y0][x0]
        best = None
        # Only where the whole picture lies on the output: the compositor places windows so.
        for sy in range(scale * y0, height - scale * (600 - y0) + 1):
            row = sy * width * 3
            for sx in range(scale * x0, width - scale * (800 - x0) + 1):
                i = row + sx * 3
                if (abs(shot[i] - r0) > TOLERANCE or abs(shot[i + 1] - g0) > TOLERANCE or
                        abs(shot[i + 2] - b0) > TOLERANCE):
                    continue
                ox, oy = sx - scale * x0, sy - scale * y0
                if not all(self.near(shot, width, height, ox, oy, scale, p) for p in self.probes):
                    continue
                found = self.error(shot, width, height, ox, oy, scale, limit)
                if found is not None and (best is None or found < best[0]):
                    best = (found, ox, oy)
        return None if best is None else best[1:]

    def settled_at(self, weston, scale=1):
        """The picture's place where two screenshots agree: weston zooms a new window in, and a
        frame of that can match the picture a pixel or two away from where it comes to rest."""
        first = self.locate(weston.grab(), weston.width, weston.height, scale)
        if first is None:
            return None
        again = self.locate(weston.grab(), weston.width, weston.height, scale)
        return first if again == first else None

    def shown_at(self, shot, width, height, ox, oy, scale=1):
        return self.error(shot, width, height, ox, oy, scale,
                          TOLERANCE * len(self.points)) is not None


def crop(shot, width, ox, oy):
    """The 800 x 600 picture at (ox, oy) of the output, as the board reader takes it."""
    return b"".join(shot[((oy + y) * width + ox) * 3:((oy + y) * width + ox + 800) * 3]
                    for y in range(600))


wait_for = gw.wait_for
pids_of = gw.pids_of


def gone(pid):
    try:
        os.kill(pid, 0)
    except OSError:
        return True
    return False


class GameView:
    """The game's picture on the output, for the board reader's helpers."""

    def __init__(self, weston, ox, oy):
        self.weston, self.ox, self.oy = weston, ox, oy

    def grab(self):
        return crop(self.weston.grab(), self.weston.width, self.ox, self.oy)


def edit_player(weston, view, launcher_dir, name, keys, address, address_keys):
    """The players dialog from the title page at view: the first player's name and address
    cleared and typed by keycodes, then its "Enter" button. True when options.ini holds them
    and the title page shows the name's first word."""
    options = os.path.join(launcher_dir, "options.ini")
    weston.click(view.ox + 290, view.oy + 328)
    time.sleep(0.5)
    weston.keys(*(["BackSpace"] * 12 + keys + ["Tab"] + ["BackSpace"] * 20 + address_keys))
    weston.click(view.ox + 53 + 474 + 10, view.oy + 18 + 471 + 10)
    stored = lambda: (gw.ini_value(options, "Player1", "name"),
                      gw.ini_value(options, "Player1", "address"))
    if not wait_for(lambda: stored() == (name, address), 5):
        fail("the players dialog stored %r, not %r" % (stored(), (name, address)))
        return False
    sheet = gw.Lettering(os.path.join(launcher_dir, "h_font.bmp"))
    if not wait_for(lambda: sheet.shown(view.grab(), name.split(" ")[0], 239, 378), 5):
        fail("the title page does not show %r" % name.split(" ")[0])
        return False
    note("typed on the players dialog and stored as UTF-8: %s / %s; the title page shows %s" %
         (name, address, name.split(" ")[0]))
    return True


def players_round(weston, launcher_dir, work, game_picture):
    game_dir = os.path.join(launcher_dir, "Zeppolo")
    # A game that runs out of time soon after the round's moves; the other checks' games take
    # the usual time again.
    setup = os.path.join(game_dir, "setup.ini")
    settings = open(setup).read()
    lines = [("gametime=40" if line.strip().lower().startswith("gametime=") else line)
             for line in settings.splitlines()]
    open(setup, "w").write("\n".join(lines) + "\n")
    _, _, title_page_rows = gw.read_bmp(os.path.join(game_dir, "title", "titlebackground.bmp"))
    launcher_page = Picture(os.path.join(launcher_dir, "background.bmp"),
                            lambda x, y: (x < 600 and y < 110) or y >= 572)
    # The title page's upper part, where nothing covers its background, at the points where it
    # differs from the launcher's page.
    page_rows = launcher_page.rows
    title_page = Picture(
        os.path.join(game_dir, "title", "titlebackground.bmp"),
        lambda x, y: y < 280 and sum(abs(a - b) for a, b in zip(
            title_page_rows[y][x], page_rows[y][x])) > 6 * TOLERANCE)

    def shows_title_page(ox, oy):
        return title_page.shown_at(weston.grab(), weston.width, weston.height, ox, oy)

    log = open(os.path.join(work, "launcher.log"), "w")
    # The protocol log shows the app id each window gives the compositor.
    env = dict(weston.program_env(), WAYLAND_DEBUG="client")
    start = time.time()
    launcher = subprocess.Popen(["./Hubbix"], cwd=launcher_dir, env=env, stdout=log,
                                stderr=subprocess.STDOUT)
    try:
        # 1. The launcher's page, at once.
        at = wait_for(lambda: launcher_page.settled_at(weston), 15)
        if at is None:
            fail("the launcher's page did not show on Wayland: %s" % tail(log.name))
            return
        note("the launcher's page showed %.1f s after the start, at %s" % (time.time() - start, at))
        ox, oy = at
        # 2. The game's slot opens its title page; "Play" starts the game and the launcher ends.
        weston.click(ox + 120, oy + 190)
        if not wait_for(lambda: shows_title_page(ox, oy), 10):
            fail("a click on the game's slot did not show its title page")
            return
        # The first player's name and address, typed on a German keyboard.
        edit_player(weston, GameView(weston, ox, oy), launcher_dir, GERMAN_NAME, GERMAN_KEYS,
                    GERMAN_ADDRESS, GERMAN_ADDRESS_KEYS)
        weston.click(ox + 716, oy + 327)
        if not wait_for(lambda: pids_of(os.path.join(game_dir, "Zeppolo")), 15):
            fail("\"Play\" did not start the game: %s" % tail(log.name))
            return
        game_pid = pids_of(os.path.join(game_dir, "Zeppolo"))[0]
        note("\"Play\" started the game")

        # 3. The game's picture, and the keyboard focus: its first arrow shows the cell cursor.
        at = wait_for(lambda: game_picture.settled_at(weston), 15)
        if at is None:
            fail("the game's picture did not show after the hand-over")
            return
        view = GameView(weston, *at)
        reader = gw.Reader(game_dir)
        board = gw.settled_board(view, reader, quiet=QUIET)
        if board is None:
            fail("the game's board did not settle")
            return
        weston.keys("Right")
        seen = gw.settled_board(view, reader, cursor=(0, 0), quiet=QUIET)
        if gw.check_board("the first arrow after the hand-over (the game has the keyboard)",
                          board, seen):
            board = seen

        # The launcher closed by itself 1.5 s after "Play".
        try:
            code = launcher.wait(10)
            if code != 0:
                fail("the launcher ended with %d after \"Play\"" % code)
        except subprocess.TimeoutExpired:
            fail("the launcher did not end after \"Play\"")

        # 4. A click pops the largest group.
        group, (c, r) = gw.largest_group(board)
        expected = gw.popped(board, group)
        weston.click(view.ox + gw.cell_centre(c, r)[0], view.oy + gw.cell_centre(c, r)[1])
        seen, shot = gw.settled_board_and_shot(view, reader, quiet=QUIET)
        if (gw.check_board("a click on %d %s balloons at (%d, %d)" %
                           (len(group), board[r][c][0], c, r), expected, seen) and
                os.environ.get("ZEP_SCREENSHOT")):
            # The picture of a game under way, as the package's metainfo shows it.
            # ImageMagick 7 names its tool "magick"; 6 has "convert" only.
            tool = "magick" if shutil.which("magick") else "convert"
            subprocess.run([tool, "-size", "800x600", "-depth", "8", "rgb:-",
                            "png:" + os.environ["ZEP_SCREENSHOT"]], input=shot, check=True)

        # 5. Alt+Enter: the picture fills the output, its corners at the output's corners; and
        #    back to the window.
        setup = os.path.join(game_dir, "setup.ini")
        weston.keys("alt+Return")
        scaled = lambda: fills_output(weston, game_picture)
        if wait_for(scaled, 10) and "fullscreen=1" in open(setup).read():
            note("Alt+Enter: the picture fills the output")
        else:
            fail("Alt+Enter did not show the game full screen")
        weston.keys("alt+Return")
        at = wait_for(lambda: game_picture.settled_at(weston), 10)
        if at is not None and "fullscreen=0" in open(setup).read():
            note("Alt+Enter again: back in a window at %s" % (at,))
            view = GameView(weston, *at)
        else:
            fail("a second Alt+Enter did not give the window back")
            return

        # 6. The clock runs out: the result enters hiscore.dat under the player's line.
        scores = os.path.join(game_dir, "hiscore.dat")
        entry = wait_for(lambda: (gw.first_score(scores) or (None,))[0], 60)
        line = ":".join([GERMAN_NAME, GERMAN_ADDRESS, "", "Y"])
        if entry != line:
            fail("the hall of fame's first entry is %r, not %r" % (entry, line))
        else:
            note("the game ran out of time; hiscore.dat holds %s" % entry)
        time.sleep(3.5)  # the game-over picture and the hall-of-fame notice

        # 7. The key marked M on a French keyboard starts the launcher on the game's title page
        #    and ends the game.
        subprocess.run(["setxkbmap", "fr"], check=True)
        time.sleep(0.5)
        weston.keys(AZERTY_M)
        back = wait_for(lambda: pids_of(os.path.join(launcher_dir, "Hubbix")), 15)
        if not back:
            fail("the key marked M on AZERTY did not start the launcher")
            return
        if not wait_for(lambda: gone(game_pid), 10):
            fail("the game did not end after \"menu\"")
        at = wait_for(lambda: title_page.settled_at(weston), 15)
        if at is None:
            fail("the launcher did not come back on the game's title page")
            return
        note("the key marked M on AZERTY brought the launcher back on the game's title page")
        view = GameView(weston, *at)
        # 8. The hall of fame shows the German name in its first row; then the French one is typed.
        weston.click(view.ox + 62, view.oy + 375)
        hall = gw.Lettering(os.path.join(launcher_dir, "HallPurpleFont.bmp"), 1)
        if wait_for(lambda: hall.shown(view.grab(), GERMAN_NAME, 53 + 56, 18 + 275), 5):
            note("the hall of fame shows %s" % GERMAN_NAME)
        else:
            fail("the hall of fame does not show %s in its first row" % GERMAN_NAME)
        weston.click(view.ox + 53 + 595 + 10, view.oy + 18 + 220 + 10)
        time.sleep(0.5)
        edit_player(weston, view, launcher_dir, FRENCH_NAME, FRENCH_KEYS, FRENCH_ADDRESS,
                    FRENCH_ADDRESS_KEYS)
        # It has the keyboard too: Esc ends it.
        weston.keys("Escape")
        if wait_for(lambda: gone(back[0]), 10):
            note("Esc ended the launcher")
        else:
            fail("Esc did not end the launcher that came back")
    finally:
        log.close()
        open(setup, "w").write(settings)
        for program in (os.path.join(game_dir, "Zeppolo"), os.path.join(launcher_dir, "Hubbix")):
            for pid in pids_of(program):
                os.kill(pid, signal.SIGTERM)
        if launcher.poll() is None:
            launcher.kill()
            launcher.wait()
    report = open(log.name, encoding="utf-8", errors="replace").read()
    for app_id in ("com.example.qorvexgames.Hubbix", "com.example.qorvexgames.Zeppolo"):
        if 'set_app_id("%s")' % app_id not in report:
            fail("no window gave the app id %s" % app_id)
    title = 'set_title("Zeppolo - %s")' % GERMAN_NAME
    if title not in report:
        fail("the game's window did not take the title %s" % title)
    else:
        note("the game's window title: Zeppolo - %s" % GERMAN_NAME)
    if "Sanitizer" in report:
        fail("a sanitizer report: " + report[report.index("Sanitizer") - 40:][:3000])


def fills_output(weston, game_picture):
    """The picture scaled to the whole output (4:3, as the picture): its static points, scaled,
    show the background's colours."""
    shot = weston.grab()
    factor = weston.width / 800.0
    bad = 0
    for x, y in game_picture.points[::7]:
        sx, sy = int((x + 0.5) * factor), int((y + 0.5) * factor)
        i = (sy * weston.width + sx) * 3
        if any(abs(shot[i + k] - game_picture.rows[y][x][k]) > 3 * TOLERANCE for k in range(3)):
            bad += 1
    return bad * 20 < len(game_picture.points[::7])


def tail(path, lines=20):
    try:
        return "".join(open(path).readlines()[-lines:])
    except OSError:
        return ""


def start_game(weston, launcher_dir, work, name, both_displays=False):
    log = open(os.path.join(work, name + ".log"), "w")
    game = subprocess.Popen(["./Zeppolo", launcher_dir], cwd=os.path.join(launcher_dir, "Zeppolo"),
                            env=weston.program_env(both_displays), stdout=subprocess.DEVNULL,
                            stderr=log)
    return game, log


def ends_with_compositor(weston, game, log, sig, what):
    """Ends the compositor under the running game: the game must end within 2 s, with one line
    on standard error and code 1."""
    before = os.path.getsize(log.name)
    start = time.time()
    weston.process.send_signal(sig)
    try:
        code = game.wait(2.0)
        note("%s: the game ended %d ms after the compositor" %
             (what, (time.time() - start) * 1000))
    except subprocess.TimeoutExpired:
        fail("%s: the game still runs 2 s after the compositor ended" % what)
        game.kill()
        code = game.wait()
    weston.end(sig)
    log.close()
    said = open(log.name).read()[before:]
    expected = "Zeppolo: the display \"%s\" is gone; ending.\n" % SOCKET
    if said != expected:
        fail("%s: standard error was not the one line %r: %r" % (what, expected, said[:2000]))
    if code != 1:
        fail("%s: exit code %s, not 1" % (what, code))


def gl_libraries(pid):
    """The system's GL libraries a process has mapped: the dispatchers (libGL, libGLX,
    libGLdispatch, libEGL, libGLES) as much as a driver (Mesa's, LLVM); the window-only EGL
    of our own (libqzwindowegl) is none of them."""
    found = set()
    with open("/proc/%d/maps" % pid) as maps:
        for line in maps:
            path = line.split()[-1] if len(line.split()) >= 6 else ""
            name = os.path.basename(path)
            if (name.startswith(("libGL", "libEGL", "libgallium", "libLLVM")) or
                    "/dri/" in path):
                found.add(name)
    return sorted(found)


def both_displays(weston, launcher_dir, work, game_picture):
    """Both displays named, no driver chosen: the game takes Wayland, without a GL driver; then
    the compositor is killed under it."""
    game, log = start_game(weston, launcher_dir, work, "game-both", True)
    try:
        at = wait_for(lambda: game_picture.settled_at(weston), 15)
        if at is None:
            fail("with both displays named, the game did not show on Wayland: %s" %
                 tail(log.name))
        else:
            note("with both displays named, the game chose Wayland")
            loaded = gl_libraries(game.pid)
            if loaded:
                fail("the game on Wayland loaded GL libraries: %s" % ", ".join(loaded))
        ends_with_compositor(weston, game, log, signal.SIGKILL, "compositor killed")
    finally:
        if game.poll() is None:
            game.kill()
            game.wait()


def steady_blocks(weston, ox, oy):
    """Of the picture's pixels at scale 2 (sampled), how many are the same in two screenshots
    and how many of those are sharp 2 x 2 blocks; None while a tenth or more changed between the
    two (the compositor still drew the window's arrival)."""
    first, second = weston.grab(), weston.grab()
    sampled = steady = sharp = 0
    for y in range(0, 600, 5):
        for x in range(0, 800, 5):
            top = ((oy + 2 * y) * weston.width + ox + 2 * x) * 3
            bottom = top + weston.width * 3
            block = first[top:top + 6] + first[bottom:bottom + 6]
            sampled += 1
            if block != second[top:top + 6] + second[bottom:bottom + 6]:
                continue
            steady += 1
            sharp += block[0:3] == block[3:6] == block[6:9] == block[9:12]
    return (steady, sharp) if steady * 10 >= sampled * 9 else None


def scale_two(weston, launcher_dir, work, game_picture):
    """On an output of scale 2 the first window is 800 x 600 of the desktop's logical size, drawn
    sharp from a buffer of twice that; then the compositor shuts down in order under it."""
    weston.point_away()
    game, log = start_game(weston, launcher_dir, work, "game-scale-2")
    try:
        at = wait_for(lambda: game_picture.settled_at(weston, 2), 15)
        if at is None:
            fail("at scale 2 the game's picture is not shown at twice its size")
        else:
            # The compositor's own stretching of a picture of half the size blends most of them,
            # for good; its first frames of a new window may blend a few for a moment.
            seen = []

            def all_sharp():
                seen.append(steady_blocks(weston, *at))
                return seen[-1] is not None and seen[-1][0] == seen[-1][1]

            wait_for(all_sharp, 10)
            counts = seen[-1]
            if counts is None:
                fail("at scale 2 the picture did not hold still")
            elif counts[1] < counts[0]:
                fail("at scale 2, %d of %d steady picture pixels are not sharp 2 x 2 blocks" %
                     (counts[0] - counts[1], counts[0]))
            else:
                note("at scale 2 the picture is drawn sharp from a buffer of twice its size")
        ends_with_compositor(weston, game, log, signal.SIGTERM, "compositor shut down")
    finally:
        if game.poll() is None:
            game.kill()
            game.wait()


def main():
    launcher_dir = os.path.realpath(sys.argv[1])
    work = os.path.realpath(sys.argv[2])
    game_picture = Picture(os.path.join(launcher_dir, "Zeppolo", "background.bmp"),
                           lambda x, y: (x < 80 and y < 40) or (y >= 575 and x >= 90))
    # Weston's X11 backend builds its keymap from the layout the X display names.
    subprocess.run(["setxkbmap", "de"], check=True)
    for scale, checks in ((1, (players_round, both_displays)), (2, (scale_two,))):
        weston = Weston(work, scale)
        try:
            if weston.window is None:
                fail("weston at scale %d did not start: %s" % (scale, tail(weston.log.name)))
                continue
            for check in checks:
                check(weston, launcher_dir, work, game_picture)
        finally:
            weston.end(signal.SIGKILL)


if __name__ == "__main__":
    main()
    if gw.failures == 0:
        print("wayland_session: all checks passed")
    sys.exit(min(gw.failures, 100))
