#!/usr/bin/env python3
"""The whole way through both programs without a mouse, on a virtual X display: the launcher's
pages, a game's page, choosing a player, the music and sound switches, the rules, the hall of fame,
"Play", a game played to its end, the game's "Menu" back to the launcher and out again. With
--keys everything is done with the keyboard (xdotool); with --pad with a game controller alone: a
virtual one, plugged into each program at run time through its test hook (ZEP_VIRTUAL_PAD), whose
buttons take SDL's own way as a real controller's do. Screenshots show where the focus and the
pictures are; options.ini and hiscore.dat must hold what the player chose and scored.

The keyboard is a French one (AZERTY, setxkbmap fr) and the programs run in the plain C locale:
the player types "Amélie Zoé" and an address with a dead key into the players dialog, keys pressed
by their keycodes so that the layout decides what they type; the name must show on the title page,
in the game's window title, in hiscore.dat after the game and in the hall of fame, and the key
marked M must bring the launcher back. Then the keyboard becomes a German one (QWERTZ) and the
player becomes "Jürgen Weiß".

    journey.py --keys|--pad <launcher folder>    (run on a display, with xdotool and ImageMagick)

Exit code: the number of failed checks.
"""
import os
import re
import struct
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import game_window  # noqa: E402  (the board reader and the rules of a pop)
from game_window import (  # noqa: E402  (what the player types, key by key)
    AZERTY_M, FRENCH_ADDRESS, FRENCH_ADDRESS_KEYS, FRENCH_EMAIL, FRENCH_EMAIL_KEYS, FRENCH_KEYS,
    FRENCH_NAME, GERMAN_ADDRESS, GERMAN_ADDRESS_KEYS, GERMAN_KEYS, GERMAN_NAME)

# The game scenario's checks count into the same total.
fail, note = game_window.fail, game_window.note
ini_value, first_score = game_window.ini_value, game_window.first_score
wait_until, pids_of = game_window.wait_for, game_window.pids_of
started = []


def folder_of(pid):
    try:
        return os.readlink("/proc/%d/cwd" % pid)
    except OSError:
        return ""


def alive(pid):
    return os.path.exists("/proc/%d" % pid)


def window_named(pattern):
    out = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", pattern],
                         capture_output=True, text=True).stdout.split()
    return out[0] if out else None


def near(a, b, tolerance=10):
    return all(abs(p - q) <= tolerance for p, q in zip(a, b))


def shows(window, work, bmp, left, top, points):
    """Whether the window shows the picture at (left, top), at all but one of its points."""
    _, _, rows = game_window.read_bmp(bmp)
    shot = game_window.Screen(window, work).grab()
    return sum(near(game_window.Reader.pixel(shot, left + x, top + y), rows[y][x])
               for x, y in points) >= len(points) - 1


# The gold band of the focus ring, a few pixels outside what has the focus.
GOLD = (255, 210, 60)
# Points of a dialog's picture that no button of it covers.
SPREAD = [(x, y) for x in (60, 200, 350, 500) for y in (100, 260, 420, 530)]


class Input:
    """The player's hands: the keyboard, or a virtual controller driven through its script."""

    def __init__(self, pad_script):
        self.pad_script = pad_script

    def plug_in(self):
        if self.pad_script:
            self.command("attach")
            time.sleep(0.3)

    def unplug(self):
        self.command("detach")
        time.sleep(0.3)

    def command(self, line):
        with open(self.pad_script, "a") as script:
            script.write(line + "\n")

    # What each action is: a key, or a controller button (or a stick direction).
    KEYS = {"left": "Left", "right": "Right", "up": "Up", "down": "Down", "press": "Return",
            "back": None, "play": None, "blow right": "ctrl+Right", "blow left": "ctrl+Left",
            "new": "n", "menu": "m", "close": "Return"}
    PAD = {"left": "dpleft", "right": "dpright", "up": "dpup", "down": "dpdown", "press": "a",
           "back": "b", "play": "start", "blow right": "rightshoulder",
           "blow left": "leftshoulder", "new": "start", "menu": "back", "close": "a"}

    def do(self, *actions):
        for action in actions:
            if self.pad_script:
                if action == "stick left":
                    self.command("axis leftx -30000")
                    time.sleep(0.12)
                    self.command("axis leftx 0")
                else:
                    button = self.PAD[action]
                    self.command("press " + button)
                    time.sleep(0.08)
                    self.command("release " + button)
            else:
                key = self.KEYS["left" if action == "stick left" else action]
                subprocess.run(["xdotool", "key", key], check=True)
            time.sleep(0.12)


def type_keys(keys):
    if keys:
        subprocess.run(["xdotool", "key", "--delay", "80"] + keys, check=True)
        time.sleep(0.2)


def layout(name):
    """Makes the display's keyboard a French or German one; False when the server kept its own."""
    subprocess.run(["setxkbmap", name], check=True)
    query = subprocess.run(["setxkbmap", "-query"], capture_output=True, text=True).stdout
    return ("layout:     %s" % name) in query


def window_title(window):
    """The window's title as the desktop shows it (_NET_WM_NAME, UTF-8)."""
    out = subprocess.run(["xprop", "-id", window, "_NET_WM_NAME"], capture_output=True).stdout
    text = out.split(b"=", 1)[-1].strip().strip(b'"')
    # xprop writes bytes it takes for unprintable in this locale as octal escapes.
    text = re.sub(rb"\\([0-7]{3})", lambda m: bytes([int(m.group(1), 8)]), text)
    return text.decode("utf-8", "replace")


def shows_text(window, work, sheet, text, x, y, spacing=None):
    return game_window.Lettering(sheet, spacing).shown(game_window.Screen(window, work).grab(),
                                                       text, x, y)


def edit_player(hands, window, work, launcher_dir, options, lines, clear):
    """From "Players" with the focus ring: the dialog, its name, address and e-mail lines each
    cleared and typed (a line without keys is left as it is), then its "Enter" button, by keys.
    True when options.ini holds the third player's lines and the title page shows the name."""
    hands.do("press")
    time.sleep(0.5)
    for i, (text, line_keys) in enumerate(lines):
        keys = ["BackSpace"] * clear + line_keys if line_keys is not None else []
        type_keys(keys + (["Tab"] if i + 1 < len(lines) else []))
    # From the last line down to "Remove", right to "Enter".
    hands.do("down", "right", "press")
    section_is = lambda: all(ini_value(options, "Player3", key) == text for key, (text, _) in
                             zip(("name", "address", "email"), lines))
    if not wait_until(section_is, 5):
        fail("the players dialog stored name=%r address=%r email=%r, not %r" % (
            ini_value(options, "Player3", "name"), ini_value(options, "Player3", "address"),
            ini_value(options, "Player3", "email"), [text for text, _ in lines]))
        return False
    note("typed and stored in options.ini as UTF-8: %s" % " / ".join(text for text, _ in lines))
    name = lines[0][0]
    # Only the first word shows on the title page, in the current player's highlighted font.
    sheet = os.path.join(launcher_dir, "h_font.bmp")
    if not wait_until(lambda: shows_text(window, work, sheet, name.split(" ")[0], 238, 420), 5):
        fail("the title page does not show %r for the third player" % name.split(" ")[0])
        return False
    return True


def start(program, arguments, folder, env, log):
    process = subprocess.Popen([program] + arguments, cwd=folder, env=env, stdout=log,
                               stderr=subprocess.STDOUT)
    started.append(process.pid)
    return process


# The game's length in the journey: the moves and their checks fit well within it, and it ends by
# itself soon after.
GAME_SECONDS = 14


def blow_bottom_row(hands, screen, reader, col, row):
    """Moves the cursor from (col, row) to the bottom row and blows it the way that moves
    something. Its balloons must then lie packed against that end, in the order they had: those
    blown into a column with room above float up out of the row. False when the journey cannot
    go on."""
    bottom = game_window.ROWS - 1

    def bottom_row(shot, cursor):
        return [reader.cell(shot, c, bottom, game_window.CURSOR_RING if (c, bottom) == cursor else 0)
                for c in range(game_window.COLUMNS)]

    shot = game_window.settled_shot(screen)
    if shot is None:
        fail("the board did not settle after the pop")
        return False
    before = bottom_row(shot, (col, row))
    balloons = [cell for cell in before if cell is not None]
    gaps = len(before) - len(balloons)
    if "?" in before or gaps == 0:
        fail("the bottom row after the pop is %s" % before)
        return False
    # Right, unless its balloons lie packed against the right end already.
    right = before != [None] * gaps + balloons
    hands.do(*(["down"] * (bottom - row)))
    hands.do("blow right" if right else "blow left")
    shot = game_window.settled_shot(screen)
    after = None if shot is None else bottom_row(shot, (col, bottom))
    kept = [cell for cell in after or [] if cell is not None]
    packed = [None] * (game_window.COLUMNS - len(kept)) + kept if right else \
        kept + [None] * (game_window.COLUMNS - len(kept))
    remaining = iter(balloons)
    in_order = all(any(cell == other for other in remaining) for cell in kept)
    if after is None or after == before or after != packed or not in_order:
        fail("blown %s, the bottom row %s became %s" % ("right" if right else "left", before, after))
        return True
    note("the bottom row, blown %s, is packed against that end" % ("right" if right else "left"))
    return True


def journey(mode, launcher_dir):
    game_dir = os.path.join(launcher_dir, "Zeppolo")
    work = os.path.dirname(launcher_dir)
    # A short game, so that it ends by itself soon after the player's moves.
    setup = os.path.join(game_dir, "setup.ini")
    lines = [("gametime=%d" % GAME_SECONDS if line.strip().lower().startswith("gametime=")
              else line.rstrip("\n")) for line in open(setup)]
    open(setup, "w").write("\n".join(lines) + "\n")
    env = dict(os.environ, SDL_AUDIODRIVER="dummy")
    env.pop("SDL_VIDEODRIVER", None)
    pad_script = None
    if mode == "--pad":
        pad_script = os.path.join(work, "pad.txt")
        open(pad_script, "w").close()
        env["ZEP_VIRTUAL_PAD"] = pad_script
    else:
        # A player whose locale names no character set at all.
        for name in ("LANG", "LANGUAGE", "LC_CTYPE", "LC_MESSAGES"):
            env.pop(name, None)
        env["LC_ALL"] = "C"
        if not layout("fr"):
            fail("the display did not take the French keyboard layout")
            return
        Input.KEYS["menu"] = AZERTY_M
    hands = Input(pad_script)
    log = open(os.path.join(work, "programs.log"), "w")
    options = os.path.join(launcher_dir, "options.ini")
    scores = os.path.join(game_dir, "hiscore.dat")
    title_picture = os.path.join(game_dir, "title", "titlebackground.bmp")

    # Files edited by hand in Latin-1, which is not UTF-8: they must read without harm and show
    # their bytes as placeholders.
    if not pad_script:
        open(options, "wb").write(b"[Player8]\r\nname=Zo\xe9 Lat\r\n")
        entry = b"Bj\xf6rn:::Y".ljust(256, b"\0") + struct.pack("<i", 1)
        open(scores, "wb").write(struct.pack("<i", 20) + entry + bytes(260 * 19))

    # 1. The launcher's pages; the focus starts on the first game.
    launcher = start("./Hubbix", [], launcher_dir, env, log)
    if not wait_until(lambda: window_named("QorvexGames Hubbix"), 20):
        fail("the launcher's window did not appear: " + open(log.name).read())
        return
    window = window_named("QorvexGames Hubbix")
    if not pad_script:
        subprocess.run(["xdotool", "windowfocus", "--sync", window], check=True)
    hands.plug_in()
    hands.do("press")
    if not wait_until(lambda: folder_of(launcher.pid) == game_dir, 10):
        fail("pressing on the pages did not open the game's page")
        return
    if not wait_until(lambda: shows(window, work, title_picture, 0, 0, [(400, 60), (120, 200),
                                                                        (700, 250), (400, 575)]), 5):
        fail("the screen does not show the game's page")
    note("the first game's page opened from the pages")
    if not pad_script:
        sheet = os.path.join(launcher_dir, "n_font.bmp")
        if not wait_until(lambda: shows_text(window, work, sheet, "Zo\ufffd", 408, 510), 5):
            fail("the eighth name, in Latin-1, does not show as Zo and a placeholder")
        else:
            note("a Latin-1 name from options.ini shows its byte as a placeholder")

    # 2. A player: from "Play" left to "Players", down twice to the third name; its ring shows.
    hands.do("stick left" if pad_script else "left", "down", "down")
    time.sleep(0.3)
    ring = game_window.Reader.pixel(game_window.Screen(window, work).grab(), 238 + 75, 420 - 3)
    if not near(ring, GOLD):
        fail("the ring is not around the third name: %s" % (ring,))
    hands.do("press")
    if not wait_until(lambda: ini_value(options, "setup", "playerid") == "2", 5):
        fail("choosing the third name wrote playerid=%s" % ini_value(options, "setup", "playerid"))
    else:
        note("the third player is chosen (options.ini: playerid=2)")
    player = "Player3:::Y"
    if not pad_script:
        # Up to "Players" and the player's name, address and e-mail typed on AZERTY; then back
        # down to the third name.
        hands.do("up", "up")
        lines = [(FRENCH_NAME, FRENCH_KEYS), (FRENCH_ADDRESS, FRENCH_ADDRESS_KEYS),
                 (FRENCH_EMAIL, FRENCH_EMAIL_KEYS)]
        if edit_player(hands, window, work, launcher_dir, options, lines, 8):
            note("the title page shows %s" % FRENCH_NAME.split(" ")[0])
        player = ":".join([FRENCH_NAME, FRENCH_ADDRESS, FRENCH_EMAIL, "Y"])
        hands.do("down", "down")

    # 3. The switches: left to "Credits", down to "Music", then "Sound" beside it.
    hands.do("left", "down", "press", "left", "press")
    if not wait_until(lambda: ini_value(options, "setup", "Music") == "N" and
                      ini_value(options, "setup", "SFX") == "N", 5):
        fail("the switches wrote Music=%s SFX=%s" % (ini_value(options, "setup", "Music"),
                                                    ini_value(options, "setup", "SFX")))
    else:
        note("music and sound switched off (options.ini: Music=N, SFX=N)")

    # 4. The rules, up the left column, and the hall of fame below them; each closed again.
    for steps, picture, name in ((("up", "up", "up"), os.path.join(game_dir, "title",
                                                                 "HowToPlay.bmp"), "the rules"),
                                 (("down",), os.path.join(launcher_dir, "HallOfFameScreen.bmp"),
                                  "the hall of fame")):
        hands.do(*steps)
        hands.do("press")
        if not wait_until(lambda: shows(window, work, picture, 53, 18, SPREAD), 5):
            fail("%s did not show" % name)
            continue
        hands.do("back" if pad_script else "close")
        if not wait_until(lambda: shows(window, work, title_picture, 0, 0, [(400, 60), (700, 250),
                                                                            (400, 575)]), 5):
            fail("%s did not close" % name)
        else:
            note("%s showed and closed" % name)

    # A controller pulled out and plugged in again meanwhile works on as before.
    if pad_script:
        hands.unplug()
        hands.plug_in()

    # 5. "Play": Start on a controller; by keys up, right twice to "Play" and Enter. The game's
    #    pictures are read first, for its board to be read at once.
    reader = game_window.Reader(game_dir)
    if pad_script:
        hands.do("play")
    else:
        hands.do("up", "right", "right", "press")
    game_program = os.path.join(game_dir, "Zeppolo")
    if not wait_until(lambda: len(pids_of(game_program)) == 1, 20):
        fail("\"Play\" did not start the game: " + open(log.name).read())
        return
    game_pid = pids_of(game_program)[0]
    started.append(game_pid)
    if not wait_until(lambda: launcher.poll() is not None, 10):
        fail("the launcher did not close after \"Play\"")
    note("the game started and the launcher closed")

    # 6. The game: the largest group popped, a row blown, then the clock runs out.
    if not wait_until(lambda: window_named("^Zeppolo"), 20):
        fail("the game's window did not appear")
        return
    window = window_named("^Zeppolo")
    game_shown = time.time()
    if not pad_script:
        title = window_title(window)
        if title != "Zeppolo - " + FRENCH_NAME:
            fail("the game's window title is %r" % title)
        else:
            note("the game's window title: %s" % title)
    if not pad_script:
        subprocess.run(["xdotool", "windowfocus", "--sync", window], check=True)
    hands.plug_in()
    screen = game_window.Screen(window, work)
    hands.do("right")  # shows the cursor at the top left
    shot = game_window.settled_shot(screen)
    if shot is None or not reader.cursor_frame_at(shot, 0, 0):
        fail("the cursor did not show at the top left of a settled board")
        return
    # Only the corner is read, which is quick: a group there is near, so that the moves fit well
    # within the game's time. A board may have no pair in its corner: the read then widens.
    board = [[None] * game_window.COLUMNS for _ in range(game_window.ROWS)]
    read = set()
    for columns, rows in ((6, 4), (12, 8), (game_window.COLUMNS, game_window.ROWS)):
        corner = [(c, r) for r in range(rows) for c in range(columns)]
        for c, r in corner:
            if (c, r) not in read:
                board[r][c] = reader.cell(shot, c, r,
                                          game_window.CURSOR_RING if (c, r) == (0, 0) else 0)
                read.add((c, r))
        pairs = [(c, r) for c, r in corner if board[r][c] not in (None, "?") and
                 len(game_window.group_at(board, c, r)) >= 2]
        if pairs:
            break
    if not pairs:
        fail("no pair of balloons on the board: %s" % board)
        return
    col, row = min(pairs, key=lambda p: p[0] + p[1])
    group = game_window.group_at(board, col, row)
    hands.do(*(["right"] * col + ["down"] * row))
    hands.do("press")
    note("popped %d or more balloons at (%d, %d), %.1f s into the game's %d" %
         (len(group), col, row, time.time() - game_shown, GAME_SECONDS))
    # The popped balloons' columns lose their bottom balloons as the rest rise: the bottom row has
    # a gap, which a blow closes, packing that row's balloons against the end it blows them to.
    if not blow_bottom_row(hands, screen, reader, col, row):
        return
    # The game-over picture waits 2 s for a click; a key or A closes it at once. It counts as
    # closed by the key only when it goes well before 2 s from the last look that did not see it.
    game_over = os.path.join(game_dir, "GameOverOOT.bmp")
    width, height, _ = game_window.read_bmp(game_over)
    spread = [(width * i // 5, height * j // 5) for i in (1, 2, 3, 4) for j in (1, 2, 4)]
    # A file from before may be there already: the result is in when the player's line leads it.
    entered = lambda: (first_score(scores) or ("",))[0] == player
    showing = lambda: shows(window, work, game_over, 400 - width // 2, 300 - height // 2, spread)
    unseen, deadline = time.time(), time.time() + 20
    while time.time() < deadline and not entered() and not showing():
        unseen = time.time()
        time.sleep(0.05)
    if entered() or time.time() >= deadline:
        fail("the game-over picture was never seen")
    else:
        hands.do("close")
        if not wait_until(lambda: not showing(), 2):
            fail("the game-over picture stayed")
        elif time.time() - unseen >= 1.7:
            fail("the game-over picture went only %.1f s after it came, as its own time "
                 "closes it: \"close\" did not" % (time.time() - unseen))
        else:
            note("\"close\" took the game-over picture away %.1f s after it came" %
                 (time.time() - unseen))
    wait_until(entered, 10)
    if first_score(scores) is None:
        fail("no score was entered in the hall of fame")
    else:
        name, score = first_score(scores)
        if name != player or score <= 0:
            fail("the hall of fame's first entry is %r with %d" % (name, score))
        else:
            note("the score %d of %s is in hiscore.dat" % (score, name.split(":")[0]))

    # 7. "Menu": the launcher comes back on the game's page, then out by Esc or by the pages'
    #    Exit button.
    time.sleep(1.5)  # the hall-of-fame notice
    hands.do("menu")
    launcher_program = os.path.join(launcher_dir, "Hubbix")
    if not wait_until(lambda: len(pids_of(launcher_program)) == 1, 20):
        fail("the game's menu did not start the launcher")
        return
    back_pid = pids_of(launcher_program)[0]
    started.append(back_pid)
    if not wait_until(lambda: not alive(game_pid), 10):
        fail("the game did not end after \"Menu\"")
    if not wait_until(lambda: folder_of(back_pid) == game_dir and
                      window_named("QorvexGames Hubbix"), 20):
        fail("the launcher did not come back on the game's page")
        return
    window = window_named("QorvexGames Hubbix")
    time.sleep(0.5)
    if pad_script:
        hands.plug_in()
        hands.do("back", "up", "right", "press")  # the pages, "Info", "Exit"
    else:
        subprocess.run(["xdotool", "windowfocus", "--sync", window], check=True)
        note("the key marked M on AZERTY brought the launcher back")
        # 8. The hall of fame shows the name in its first row: from "Play" left to "Players", to
        #    "How to Play", down to "High Scores".
        hands.do("left", "left", "left", "down", "press")
        sheet = os.path.join(launcher_dir, "HallPurpleFont.bmp")
        black = os.path.join(launcher_dir, "HallBlackFont.bmp")
        if not wait_until(lambda: shows_text(window, work, sheet, FRENCH_NAME, 53 + 56, 18 + 275,
                                             1), 5):
            fail("the hall of fame does not show %s in its first row" % FRENCH_NAME)
        elif not shows_text(window, work, black, "Bj\ufffdrn", 53 + 56, 18 + 275 + 26, 1):
            fail("the hall of fame's second row, in Latin-1, does not show Bj, a placeholder, rn")
        else:
            note("the hall of fame shows %s, and a Latin-1 name with a placeholder" % FRENCH_NAME)
        hands.do("close")
        # 9. A German keyboard: right to the first name, up to "Players".
        if not layout("de"):
            fail("the display did not take the German keyboard layout")
        hands.do("right", "up")
        lines = [(GERMAN_NAME, GERMAN_KEYS), (GERMAN_ADDRESS, GERMAN_ADDRESS_KEYS),
                 (FRENCH_EMAIL, None)]
        if edit_player(hands, window, work, launcher_dir, options, lines, 20):
            note("the title page shows %s" % GERMAN_NAME.split(" ")[0])
        subprocess.run(["xdotool", "key", "Escape"], check=True)
    if not wait_until(lambda: not alive(back_pid), 15):
        fail("the launcher did not end")
    else:
        note("the launcher came back on the game's page and ended")
    if ini_value(options, "setup", "playerid") != "2":
        fail("options.ini lost the player: %s" % open(options).read())
    log.close()
    report = open(log.name).read()
    if "Sanitizer" in report:
        fail("a sanitizer report: " + report[report.index("Sanitizer") - 40:][:3000])


def main():
    mode, launcher_dir = sys.argv[1], os.path.realpath(sys.argv[2])
    try:
        journey(mode, launcher_dir)
    finally:
        for pid in started:
            if alive(pid):
                os.kill(pid, 15)
        time.sleep(0.3)
        for pid in started:
            if alive(pid):
                os.kill(pid, 9)


if __name__ == "__main__":
    main()
    if game_window.failures == 0:
        print("journey %s: all checks passed" % sys.argv[1])
    sys.exit(min(game_window.failures, 100))
