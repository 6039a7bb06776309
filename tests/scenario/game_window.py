#!/usr/bin/env python3
"""The game in a real window on a virtual X display, played with the mouse like a user: the board
is read back from screenshots, cell by cell, against the game's own balloon pictures; after each
click the screen must show the board that the rules make of the one before it. With --keys the
same game is played with the keyboard only: the arrows walk the cell cursor, Space and Enter pop,
Ctrl with an arrow blows the cursor's row, and the cursor's frame must stand where the keys put it.

    game_window.py [--keys] <launcher folder>    (run on a display, with xdotool and ImageMagick's
                                                  import)

Exit code: the number of failed checks.
"""
import os
import re
import struct
import subprocess
import sys
import time

BOARD_X, BOARD_Y = 154, 7
COLUMNS, ROWS = 18, 14
CELL_W, CELL_H = 32, 40
COLOURS = ["red", "yellow", "green", "blue", "purple"]
# Screenshots come from 5-6-5 pixels widened to 8 bits; the pictures are 8-bit.
TOLERANCE = 10

failures = 0


def fail(text):
    global failures
    failures += 1
    print("FAIL: " + text)


def note(text):
    print("  " + text)


def read_bmp(path):
    """A 24-bit Windows bitmap as (width, height, rows of (r, g, b))."""
    data = open(path, "rb").read()
    offset = struct.unpack("<I", data[10:14])[0]
    width, height = struct.unpack("<ii", data[18:26])
    bits = struct.unpack("<H", data[28:30])[0]
    if bits != 24:
        raise ValueError("%s: %d bits, not 24" % (path, bits))
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(abs(height)):
        row = (abs(height) - 1 - y) if height > 0 else y
        start = offset + row * stride
        end = start + 3 * width
        rows.append(list(zip(data[start + 2:end:3], data[start + 1:end:3], data[start:end:3])))
    return width, abs(height), rows


def sheet_characters():
    """The characters of a font sheet in the order of its glyphs, read from the list the generator
    and the programs share (framework/FontRepertoire.h)."""
    here = os.path.dirname(os.path.abspath(__file__))
    text = open(os.path.join(here, "..", "..", "framework", "FontRepertoire.h")).read()
    ranges = text[text.index("kSheetRanges[]"):]
    ranges = ranges[ranges.index("{") + 1:ranges.index("};")]
    pairs = re.findall(r"\{\s*(0x[0-9A-Fa-f]+)\s*,\s*(0x[0-9A-Fa-f]+)\s*\}", ranges)
    return [c for first, last in pairs for c in range(int(first, 16), int(last, 16) + 1)]


class Lettering:
    """One of the launcher's font sheets, cut into glyphs as the programs cut it, to tell whether a
    picture shows a text drawn with it."""

    BLUE = (0, 0, 255)

    def __init__(self, path, spacing=None):
        width, self.height, self.rows = read_bmp(path)
        empty = [all(self.rows[y][x] == self.BLUE for y in range(self.height))
                 for x in range(width)]
        glyphs, x = [], 0
        while x < width:
            if empty[x]:
                x += 1
                continue
            left = x
            while x < width and not empty[x]:
                x += 1
            glyphs.append((left, x))
        codes = sheet_characters()
        self.glyphs = dict(zip(codes, glyphs))
        self.placeholder = glyphs[len(codes)]
        widest = max(right - left for left, right in glyphs[:94])
        self.space = int(widest * 0.5)
        self.spacing = int(widest * 0.1) if spacing is None else spacing

    def pixels(self, text, x, y):
        """The opaque pixels the text draws from (x, y), as {(x, y): (r, g, b)}."""
        out = {}
        for character in text:
            if character in " \u00a0":
                x += self.space
                continue
            left, right = self.glyphs.get(ord(character), self.placeholder)
            for gx in range(left, right):
                for gy in range(self.height):
                    if self.rows[gy][gx] != self.BLUE:
                        out[(x + gx - left, y + gy)] = self.rows[gy][gx]
            x += right - left + self.spacing
        return out

    def shown(self, shot, text, x, y):
        """Whether the 800 x 600 picture shows every pixel of the text at (x, y)."""
        for (px, py), colour in self.pixels(text, x, y).items():
            i = (py * 800 + px) * 3
            if any(abs(shot[i + k] - colour[k]) > 2 * TOLERANCE for k in range(3)):
                return False
        return True


def ini_value(path, section, key):
    """The value of a key of an INI file (UTF-8), None when it is not there."""
    current = None
    try:
        for line in open(path, encoding="utf-8", errors="replace"):
            line = line.strip()
            if line.startswith("["):
                current = line.strip("[]").lower()
            elif "=" in line and current == section.lower():
                k, v = line.split("=", 1)
                if k.strip().lower() == key.lower():
                    return v.strip()
    except OSError:
        pass
    return None


def first_score(path):
    """Name and score of the hall of fame's first entry, or None."""
    try:
        data = open(path, "rb").read()
    except OSError:
        return None
    if len(data) < 4 + 260:
        return None
    name = data[4:4 + 256].split(b"\0")[0].decode("utf-8", "replace")
    return name, struct.unpack("<i", data[4 + 256:4 + 260])[0]


# Keys by their X keycodes, so that the layout decides what they type. On AZERTY: the letters of
# "Amélie Zoé", and an address whose ê is the dead circumflex (the key right of P) and an e; the
# digits need Shift. The e-mail's ĝ, a letter of Latin Extended-A, comes from the same dead key,
# which the plain C locale's own compose table does not know. On QWERTZ: ü and ß have keys of
# their own, and Z and Y are where a United States keyboard has Y and Z.
FRENCH_NAME = "Am\u00e9lie Zo\u00e9"
FRENCH_KEYS = ["shift+24", "47", "11", "46", "31", "26", "65", "shift+25", "32", "11"]
FRENCH_ADDRESS = "12 rue de la F\u00eate"
FRENCH_ADDRESS_KEYS = ["shift+10", "shift+11", "65", "27", "30", "26", "65", "40", "26", "65",
                       "46", "24", "65", "shift+41", "34", "26", "28", "26"]
FRENCH_EMAIL = "zoe\u011d@exemple.fr"
FRENCH_EMAIL_KEYS = ["25", "32", "26", "34", "42", "ISO_Level3_Shift+19", "26", "53", "26", "47",
                     "33", "46", "26", "shift+59", "41", "27"]
GERMAN_NAME = "J\u00fcrgen Wei\u00df"
GERMAN_KEYS = ["shift+44", "34", "27", "42", "26", "57", "65", "shift+25", "26", "31", "20"]
GERMAN_ADDRESS = "Zwinger 8, Bayreuth"
GERMAN_ADDRESS_KEYS = ["shift+29", "25", "31", "57", "42", "26", "27", "65", "17", "59", "65",
                       "shift+56", "38", "52", "27", "26", "30", "28", "43"]
# The key marked M on AZERTY: right of L, where a United States keyboard has its semicolon.
AZERTY_M = "47"


class Screen:
    def __init__(self, window, work):
        self.window = window
        self.path = os.path.join(work, "shot.rgb")

    def grab(self):
        """The window's 800 x 600 picture as a bytes object of RGB triples."""
        subprocess.run(["import", "-window", self.window, "-depth", "8", "rgb:" + self.path],
                       check=True, stderr=subprocess.DEVNULL)
        data = open(self.path, "rb").read()
        if len(data) < 800 * 600 * 3:
            raise RuntimeError("the screenshot holds %d bytes, not 800 x 600 pixels" % len(data))
        return data

    def click(self, x, y, button=1):
        subprocess.run(["xdotool", "mousemove", "--window", self.window, str(x), str(y)], check=True)
        time.sleep(0.15)
        subprocess.run(["xdotool", "mousedown", str(button)], check=True)
        time.sleep(0.15)
        subprocess.run(["xdotool", "mouseup", str(button)], check=True)
        # Out of the way of the board, so that no hover changes what is compared.
        time.sleep(0.15)
        subprocess.run(["xdotool", "mousemove", "--window", self.window, "40", "590"], check=True)


    def keys(self, *names):
        """Presses and releases each key in turn, as the focused window's user would."""
        if names:
            subprocess.run(["xdotool", "key", "--delay", "80"] + list(names), check=True)


# The keyboard's cell cursor: a frame of four lines inside the cell's edge, dark, light, light,
# dark. Inside it the balloon shows as usual.
CURSOR_RING = 4
CURSOR_DARK = (16, 24, 64)
CURSOR_LIGHT = (255, 255, 255)


class Reader:
    """Recognises each cell of the board in a screenshot by the game's own pictures."""

    def __init__(self, game_dir):
        self.pictures = []
        for colour in COLOURS:
            for star in (False, True):
                name = colour + ("star" if star else "") + ".bmp"
                w, h, rows = read_bmp(os.path.join(game_dir, name))
                if (w, h) != (CELL_W, CELL_H):
                    raise ValueError("%s is %d x %d, not a cell" % (name, w, h))
                opaque = [(x, y, rows[y][x]) for y in range(h) for x in range(w)
                          if rows[y][x] != (0, 0, 255)]
                self.pictures.append(((colour, star), opaque))
        _, _, self.background = read_bmp(os.path.join(game_dir, "background.bmp"))

    @staticmethod
    def pixel(shot, x, y):
        i = (y * 800 + x) * 3
        return shot[i], shot[i + 1], shot[i + 2]

    def cell(self, shot, col, row, inset=0):
        """(colour, star) of the balloon shown in the cell, None for an empty one, "?" when the
        cell shows neither a balloon nor the background. With an inset only the inside of the
        cell is compared (the cursor's frame covers the rest)."""
        left, top = BOARD_X + col * CELL_W, BOARD_Y + row * CELL_H

        def inside(x, y):
            return inset <= x < CELL_W - inset and inset <= y < CELL_H - inset

        best, best_error = None, None
        for key, opaque in self.pictures:
            error, count = 0, 0
            for x, y, colour in opaque:
                if not inside(x, y):
                    continue
                seen = self.pixel(shot, left + x, top + y)
                error += sum(abs(a - b) for a, b in zip(seen, colour))
                count += 1
            error /= 3.0 * max(count, 1)
            if best_error is None or error < best_error:
                best, best_error = key, error
        if best_error <= TOLERANCE:
            return best
        empty_error, count = 0, 0
        for y in range(CELL_H):
            for x in range(CELL_W):
                if not inside(x, y):
                    continue
                seen = self.pixel(shot, left + x, top + y)
                wanted = self.background[top + y][left + x]
                empty_error += sum(abs(a - b) for a, b in zip(seen, wanted))
                count += 1
        if empty_error / (3.0 * max(count, 1)) <= TOLERANCE:
            return None
        return "?"

    def cursor_frame_at(self, shot, col, row):
        """Whether the cursor's frame is drawn around the cell."""
        left, top = BOARD_X + col * CELL_W, BOARD_Y + row * CELL_H
        for ring in range(CURSOR_RING):
            wanted = CURSOR_LIGHT if ring in (1, 2) else CURSOR_DARK
            for x, y in ((left + ring, top + CELL_H // 2), (left + CELL_W // 2, top + ring),
                         (left + CELL_W - 1 - ring, top + CELL_H // 2),
                         (left + CELL_W // 2, top + CELL_H - 1 - ring)):
                if any(abs(a - b) > TOLERANCE for a, b in zip(self.pixel(shot, x, y), wanted)):
                    return False
        return True

    def board(self, shot, cursor=None):
        return [[self.cell(shot, c, r, CURSOR_RING if (c, r) == cursor else 0)
                 for c in range(COLUMNS)] for r in range(ROWS)]


def board_region(shot):
    return b"".join(shot[(y * 800 + BOARD_X) * 3:(y * 800 + BOARD_X + COLUMNS * CELL_W) * 3]
                    for y in range(BOARD_Y, BOARD_Y + ROWS * CELL_H))


def settled_shot(screen, seconds=20.0, quiet=1.0):
    """A screenshot once the board's part of the screen has stopped changing (pops paced,
    balloons risen, score labels gone) for quiet seconds."""
    deadline = time.time() + seconds
    last, since = None, time.time()
    while time.time() < deadline:
        shot = screen.grab()
        region = board_region(shot)
        if region != last:
            last, since = region, time.time()
        elif time.time() - since >= quiet:
            return shot
        time.sleep(0.2)
    return None


def settled_board_and_shot(screen, reader, seconds=20.0, cursor=None, quiet=1.0):
    """The settled board and the screenshot it was read from (None, None when nothing settled).
    A cell that shows neither a balloon nor the background is a picture caught between frames (a
    score label passing, a slow machine's late frame within the quiet time): the board is looked
    at again until every cell reads, or the time is up and the board is given as it was."""
    deadline = time.time() + seconds
    shot, board = None, None
    while time.time() < deadline:
        again = settled_shot(screen, deadline - time.time(), quiet)
        if again is None:
            break
        shot, board = again, reader.board(again, cursor)
        if not any("?" in row for row in board):
            break
    return board, shot


def settled_board(screen, reader, seconds=20.0, cursor=None, quiet=1.0):
    """The settled board; the cell under the cursor, when given, must show its frame."""
    board, shot = settled_board_and_shot(screen, reader, seconds, cursor, quiet)
    if shot is None:
        return None
    if cursor is not None and not reader.cursor_frame_at(shot, *cursor):
        fail("the cursor's frame is not around cell (%d, %d)" % cursor)
    return board


# The rules the screen is held to: a group is the cells of one colour joined side by side; after
# a pop every column rises into its gaps; a blow shifts the row's first run of balloons one cell
# at a time towards its side until the row is packed, each moved balloon rising at once.

def group_at(board, col, row):
    colour = board[row][col][0]
    seen, todo = set(), [(col, row)]
    while todo:
        c, r = todo.pop()
        if (c, r) in seen or not (0 <= c < COLUMNS and 0 <= r < ROWS):
            continue
        if board[r][c] is None or board[r][c][0] != colour:
            continue
        seen.add((c, r))
        todo += [(c - 1, r), (c + 1, r), (c, r - 1), (c, r + 1)]
    return seen


def rise(board, col, row):
    """Moves the balloon at (col, row) into the topmost free cell of the gap right above it."""
    target = row
    while target > 0 and board[target - 1][col] is None:
        target -= 1
    if target != row:
        board[target][col], board[row][col] = board[row][col], None


def rise_all(board):
    for row in range(1, ROWS):
        for col in range(COLUMNS):
            if board[row][col] is not None:
                rise(board, col, row)


def popped(board, cells):
    after = [list(r) for r in board]
    for c, r in cells:
        after[r][c] = None
    rise_all(after)
    return after


def blown(board, row, rightwards):
    after = [list(r) for r in board]
    # Columns in the blow's direction, so that one walk serves both sides.
    order = list(range(COLUMNS)) if rightwards else list(range(COLUMNS - 1, -1, -1))
    while True:
        line = [after[row][c] for c in order]
        a = next((i for i, v in enumerate(line) if v is not None), None)
        if a is None:
            break
        g = next((i for i in range(a + 1, COLUMNS) if line[i] is None), None)
        if g is None:
            break
        for j in range(g, a, -1):
            source, target = order[j - 1], order[j]
            if after[row][source] is None:
                continue
            after[row][target], after[row][source] = after[row][source], None
            rise(after, target, row)
    rise_all(after)
    return after


def differences(expected, seen):
    out = []
    for r in range(ROWS):
        for c in range(COLUMNS):
            if expected[r][c] != seen[r][c]:
                out.append("(%d, %d) %s shown as %s" % (c, r, expected[r][c], seen[r][c]))
    return out


def check_board(label, expected, seen):
    if seen is None:
        fail("%s: the board did not settle" % label)
        return False
    wrong = differences(expected, seen)
    if wrong:
        fail("%s: %d cells differ: %s" % (label, len(wrong), "; ".join(wrong[:6])))
        return False
    note("%s: the screen shows the board the rules make (%d balloons)" %
         (label, sum(v is not None for row in seen for v in row)))
    return True


def cell_centre(col, row):
    return BOARD_X + col * CELL_W + CELL_W // 2, BOARD_Y + row * CELL_H + CELL_H // 2


def largest_group(board):
    """The largest group on the board (the highest of equal ones) and a cell of it."""
    groups = {}
    for r in range(ROWS):
        for c in range(COLUMNS):
            if board[r][c] is not None:
                groups[frozenset(group_at(board, c, r))] = (c, r)
    return max(groups.items(), key=lambda item: (len(item[0]), -item[1][1]))


def play_by_keys(screen, reader, board):
    """Two pops (Space, then Enter) and a blow (Ctrl and an arrow), with the keyboard alone."""
    subprocess.run(["xdotool", "windowfocus", "--sync", screen.window], check=True)
    # The first arrow only shows the cursor, at the top left where it starts.
    cursor = (0, 0)
    screen.keys("Right")
    seen = settled_board(screen, reader, cursor=cursor)
    if not check_board("the cursor shown by the first arrow", board, seen):
        return

    def walk(to):
        nonlocal cursor
        (c, r), (tc, tr) = cursor, to
        screen.keys(*((["Right"] * (tc - c) if tc > c else ["Left"] * (c - tc)) +
                      (["Down"] * (tr - r) if tr > r else ["Up"] * (r - tr))))
        cursor = to

    for turn, key in ((1, "space"), (2, "Return")):
        group, (c, r) = largest_group(board)
        if len(group) < 2:
            fail("no group to pop on the board shown")
            return
        expected = popped(board, group)
        walk((c, r))
        screen.keys(key)
        seen = settled_board(screen, reader, cursor=cursor)
        if not check_board("%s on %d %s balloons at (%d, %d)" %
                           (key, len(group), board[r][c][0], c, r), expected, seen):
            return
        board = seen

    # The lowest row that a blow changes, either way.
    chosen = None
    for row in range(ROWS - 1, -1, -1):
        for rightwards in (True, False):
            after = blown(board, row, rightwards)
            if after != board:
                chosen = (row, rightwards, after)
                break
        if chosen:
            break
    if chosen is None:
        chosen = (ROWS - 1, True, board)
    row, rightwards, expected = chosen
    walk((cursor[0], row))
    key = "ctrl+Right" if rightwards else "ctrl+Left"
    screen.keys(key)
    seen = settled_board(screen, reader, cursor=cursor)
    check_board("%s on row %d" % (key, row), expected, seen)


def window_place(window):
    """(x, y, width, height) of the window on the display."""
    out = subprocess.run(["xdotool", "getwindowgeometry", "--shell", window],
                         capture_output=True, text=True).stdout
    values = dict(line.split("=", 1) for line in out.split() if "=" in line)
    return tuple(int(values.get(name, -1)) for name in ("X", "Y", "WIDTH", "HEIGHT"))


def wait_for(condition, seconds=10.0):
    """The condition's first true value within the time, or its last value."""
    deadline = time.time() + seconds
    while time.time() < deadline:
        result = condition()
        if result:
            return result
        time.sleep(0.1)
    return condition()


def pids_of(program):
    """The processes running the program file, by its full path."""
    found = []
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            try:
                if os.readlink("/proc/%s/exe" % entry) == program:
                    found.append(int(entry))
            except OSError:
                pass
    return found


def threads_of(pid):
    """Each thread of a process with its state and the system call it is in (or "running"),
    for a failure that finds a program stuck."""
    found = []
    try:
        for task in sorted(os.listdir("/proc/%d/task" % pid), key=int):
            base = "/proc/%d/task/%s/" % (pid, task)
            try:
                name = open(base + "comm").read().strip()
                state = open(base + "stat").read().rsplit(")", 1)[1].split()[0]
                call = open(base + "syscall").read().split()[0]
            except (OSError, IndexError):
                continue
            found.append("%s %s %s" % (name, state, call))
    except OSError:
        return "gone"
    return ", ".join(found)


def start_game(launcher_dir, game_dir, log):
    """Starts the game as the launcher would, on the virtual display; returns the process and its
    window, or None for the window when none appeared within 20 s."""
    env = dict(os.environ, SDL_AUDIODRIVER="dummy")
    env.pop("SDL_VIDEODRIVER", None)
    game = subprocess.Popen(["./Zeppolo", launcher_dir], cwd=game_dir, env=env, stdout=log,
                            stderr=subprocess.STDOUT)
    window = None
    for _ in range(200):
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Zeppolo"],
                               capture_output=True, text=True).stdout.split()
        if found:
            window = found[0]
            break
        if game.poll() is not None:
            break
        time.sleep(0.1)
    return game, window


def main():
    by_keys = sys.argv[1] == "--keys"
    launcher_dir = os.path.realpath(sys.argv[-1])
    game_dir = os.path.join(launcher_dir, "Zeppolo")
    work = os.path.dirname(launcher_dir)
    log = open(os.path.join(work, "game.log"), "w")
    game, window = start_game(launcher_dir, game_dir, log)
    try:
        if window is None:
            state = "still running" if game.poll() is None else "ended with %d" % game.returncode
            fail("the game's window did not appear (the game %s): %s" %
                 (state, open(log.name).read()))
            return
        screen = Screen(window, work)
        reader = Reader(game_dir)

        # 1. A fresh board: every cell holds a balloon of one of the five pictures, 15 with stars.
        board = settled_board(screen, reader)
        if board is None:
            fail("the fresh board did not settle")
            return
        unknown = [(c, r) for r in range(ROWS) for c in range(COLUMNS) if board[r][c] in ("?", None)]
        if unknown:
            fail("cells of the fresh board show no balloon: %s" % unknown[:10])
            return
        stars = sum(v[1] for row in board for v in row)
        if stars != 15:
            fail("the fresh board shows %d stars, not 15" % stars)
        note("the fresh board shows %d balloons, %d with stars" % (COLUMNS * ROWS, stars))
        if by_keys:
            play_by_keys(screen, reader, board)
            if game.poll() is not None:
                fail("the game ended by itself with %d" % game.returncode)
            return

        # 2. Two pops: the largest group, then the largest one of what is left.
        for turn in (1, 2):
            group, (c, r) = largest_group(board)
            if len(group) < 2:
                fail("no group to pop on the board shown")
                return
            expected = popped(board, group)
            screen.click(*cell_centre(c, r))
            seen = settled_board(screen, reader)
            if not check_board("pop %d of %d %s balloons at (%d, %d)" %
                               (turn, len(group), board[r][c][0], c, r), expected, seen):
                return
            board = seen

        # 3. A blow with the right button, then one with a cloud: the lowest rows that a blow
        #    changes. Odd rows blow right, even rows left.
        def changing_row(rightwards_of):
            for row in range(ROWS - 1, -1, -1):
                after = blown(board, row, rightwards_of(row))
                if after != board:
                    return row, after
            return None, None

        row, expected = changing_row(lambda r: r % 2 == 1)
        if row is None:
            # Every row packed on its side: a blow moves nothing, which is checked as well.
            row, expected = ROWS - 1, board
        c = next(c for c in range(COLUMNS) if board[row][c] is not None)
        screen.click(*cell_centre(c, row), button=3)
        seen = settled_board(screen, reader)
        if not check_board("right click on row %d" % row, expected, seen):
            return
        board = seen

        # The cloud on the side that changes the lowest row: left of the board it blows right.
        candidates = []
        for rightwards, cloud_x in ((True, 88 + 31), (False, 730 + 31)):
            row, expected = changing_row(lambda r, w=rightwards: w)
            if row is not None:
                candidates.append((row, rightwards, cloud_x, expected))
        if not candidates:
            candidates.append((ROWS - 1, True, 88 + 31, board))
        row, rightwards, cloud_x, expected = max(candidates, key=lambda c: c[0])
        screen.click(cloud_x, 40 * row + 4 + 19)
        side = "left" if rightwards else "right"
        seen = settled_board(screen, reader)
        if not check_board("the cloud %s of row %d" % (side, row), expected, seen):
            return
        board = seen

        # 4. Alt+Enter where no window manager runs: the window itself must cover the display,
        #    and a second Alt+Enter put it back where it was, the board whole at its old size.
        display = tuple(int(v) for v in subprocess.run(
            ["xdotool", "getdisplaygeometry"], capture_output=True, text=True).stdout.split())
        windowed = window_place(window)
        screen.keys("alt+Return")
        if not wait_for(lambda: window_place(window) == (0, 0) + display):
            fail("Alt+Enter did not make the window cover the %d x %d display: %s" %
                 (display + (window_place(window),)))
            return
        screen.keys("alt+Return")
        if not wait_for(lambda: window_place(window) == windowed):
            fail("a second Alt+Enter did not bring the window back to %s: %s" %
                 (windowed, window_place(window)))
            return
        if not check_board("back in the window after full screen", board,
                           settled_board(screen, reader)):
            return
        note("Alt+Enter: the display covered, then the window back at %s" % (windowed,))

        if game.poll() is not None:
            fail("the game ended by itself with %d" % game.returncode)
    finally:
        if game.poll() is None:
            game.terminate()
            try:
                game.wait(10)
            except subprocess.TimeoutExpired:
                game.kill()
                fail("the game did not end within 10 s of being closed")
        if game.returncode not in (0, None) and failures == 0:
            fail("the game ended with %d after the close" % game.returncode)
        log.close()
        report = open(log.name).read()
        if "Sanitizer" in report:
            fail("a sanitizer report from the game: " + report[report.index("Sanitizer") - 40:][:3000])


if __name__ == "__main__":
    main()
    if failures == 0:
        print("game_window: all checks passed")
    sys.exit(min(failures, 100))
