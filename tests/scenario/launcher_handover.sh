#!/usr/bin/env bash
# The hand-over between the two programs on a virtual X display, driven like a user with the
# mouse: the launcher opens the game's title page, "Play" starts the game in its own folder with
# the launcher's folder as its one argument and the launcher closes; the game's "menu" starts the
# launcher again, which comes back on the game's title page.
#
# Runs on a private copy of the staged install layout, so the files the programs write stay out
# of the build tree. Exit code 77 (skipped) when there is no Xvfb.
set -u

source "$(dirname "$0")/virtual_display.sh" "the hand-over between the launcher and the game" "$0" "$@"
source "$(dirname "$0")/polling.sh"

require_tools xdotool

use_private_work

copy_stage
launcher_dir=$(cd "$work/Hubbix" && pwd -P)
game_dir="$launcher_dir/Zeppolo"
export SDL_AUDIODRIVER=dummy
unset SDL_VIDEODRIVER

# The arguments of a process, one a line, without the program itself.
arguments_of() { tr '\0' '\n' <"/proc/$1/cmdline" | tail -n +2; }
folder_of() { readlink "/proc/$1/cwd"; }


single_pid() {
  local list
  list=$(pids_of "$1")
  [ -n "$list" ] && [ "$(wc -l <<<"$list")" -eq 1 ]
}
folder_is() { [ "$(folder_of "$1")" = "$2" ]; }

# The title page's picture is on the screen: a point of the window that no button covers shows
# the game's title background, not the launcher's page background (16-bit colours, so compared
# with a little tolerance). Needs ImageMagick's import; says so when it is missing.
shows_title_page() {
  local window=$1
  if ! command -v import >/dev/null 2>&1 || ! command -v python3 >/dev/null 2>&1; then
    note "(no ImageMagick import or python3: the picture itself was not compared)"
    return 0
  fi
  import -window "$window" -depth 8 "rgb:$work/shot.rgb" 2>/dev/null || return 1
  python3 - "$work/shot.rgb" "$game_dir/title/titlebackground.bmp" "$launcher_dir/background.bmp" <<'PY'
import struct, sys
shot = open(sys.argv[1], 'rb').read()
def bmp_pixel(path, x, y):
    d = open(path, 'rb').read()
    off, w, h = struct.unpack('<I', d[10:14])[0], *struct.unpack('<ii', d[18:26])
    stride = (w * 3 + 3) & ~3
    row = (h - 1 - y) if h > 0 else y
    b, g, r = d[off + row * stride + x * 3: off + row * stride + x * 3 + 3]
    return (r, g, b)
near = lambda a, b: all(abs(p - q) <= 8 for p, q in zip(a, b))
points = [(400, 60), (120, 200), (700, 250), (400, 575)]
good = 0
for x, y in points:
    i = (y * 800 + x) * 3
    seen = tuple(shot[i:i + 3])
    if near(seen, bmp_pixel(sys.argv[2], x, y)) and not near(seen, bmp_pixel(sys.argv[3], x, y)):
        good += 1
sys.exit(0 if good >= 3 else 1)
PY
}

echo "launcher_handover: launcher in $launcher_dir"

# 1. The launcher shows its pages; a click on the game's slot opens the title page, which makes
#    the game's folder the current one.
(cd "$launcher_dir" && exec ./Hubbix) >"$work/hubbix1.log" 2>&1 &
launcher_pid=$!
started_pids+=("$launcher_pid")
if ! wait_until 100 found_window "QorvexGames Hubbix"; then
  fail "the launcher's window did not appear: $(cat "$work/hubbix1.log")"
  exit 1
fi
hubbix_window=$(window_named "QorvexGames Hubbix")
sleep 0.5
click "$hubbix_window" 120 190  # slot 1, where the only game stands
if wait_until 50 folder_is "$launcher_pid" "$game_dir"; then
  note "the game's title page is open (the launcher's folder is now $game_dir)"
else
  fail "a click on the game's slot did not open its title page (folder $(folder_of "$launcher_pid"))"
fi
wait_until 30 shows_title_page "$hubbix_window" || fail "the screen does not show the game's title page"

# 2. "Play" starts the game in its folder with the launcher's folder as its one argument; the
#    launcher closes by itself 1.5 seconds later.
click "$hubbix_window" 716 327
if wait_until 100 single_pid "$game_dir/Zeppolo"; then
  game_pid=$(pids_of "$game_dir/Zeppolo")
  started_pids+=("$game_pid")
  note "the game started (process $game_pid)"
  folder_is "$game_pid" "$game_dir" || fail "the game runs in $(folder_of "$game_pid"), not $game_dir"
  args=$(arguments_of "$game_pid")
  [ "$args" = "$launcher_dir" ] || fail "the game's arguments are '$args', not '$launcher_dir'"
else
  fail "\"Play\" did not start the game: $(cat "$work/hubbix1.log")"
  exit 1
fi
if wait_until 60 bash -c "! kill -0 $launcher_pid 2>/dev/null"; then
  wait "$launcher_pid"
  code=$?
  [ $code -eq 0 ] || fail "the launcher ended with $code after \"Play\": $(tail -n 40 "$work/hubbix1.log")"
  note "the launcher closed after starting the game"
else
  fail "the launcher did not close after \"Play\""
fi

# 3. The game's "menu" starts the launcher again with the game's name; it opens the game's
#    title page directly. Only a game with its play screen has that button.
if ! nm -C "$game_dir/Zeppolo" 2>/dev/null | grep -q 'PlayScreen'; then
  echo "NOTE: this game program has no play screen yet, so it has no \"menu\" button; the way"
  echo "      back (game -> launcher on the game's title page) was not checked."
else
  if ! wait_until 100 found_window "^Zeppolo"; then
    fail "the game's window did not appear"
  else
    game_window=$(window_named "^Zeppolo")
    sleep 1
    click "$game_window" 49 448  # "menu" at (13, 425)
    if wait_until 100 single_pid "$launcher_dir/Hubbix"; then
      back_pid=$(pids_of "$launcher_dir/Hubbix")
      started_pids+=("$back_pid")
      args=$(arguments_of "$back_pid")
      [ "$args" = "Zeppolo" ] || fail "the launcher came back with the arguments '$args'"
      if wait_until 100 folder_is "$back_pid" "$game_dir"; then
        note "the launcher came back on the game's title page"
      else
        fail "the launcher came back in $(folder_of "$back_pid"), not on the game's title page"
      fi
      if wait_until 100 found_window "QorvexGames Hubbix"; then
        sleep 1
        back_window=$(window_named "QorvexGames Hubbix")
        wait_until 30 shows_title_page "$back_window" ||
          fail "the screen does not show the game's title page"
        click "$back_window" 716 466  # "Exit"
        wait_until 60 bash -c "! kill -0 $back_pid 2>/dev/null" ||
          fail "the launcher's \"Exit\" did not end it"
      else
        fail "the launcher's window did not come back"
      fi
    else
      fail "the game's \"menu\" did not start the launcher"
    fi
    wait_until 60 bash -c "! kill -0 $game_pid 2>/dev/null" || fail "the game did not end after \"menu\""
  fi
fi

# The game and the launcher it started write to the first launcher's output, which they inherit: in
# the sanitizer build a report of either shows there, though their exit codes cannot be seen.
if grep -q "Sanitizer" "$work/hubbix1.log"; then
  fail "a sanitizer report from the programs: $(grep -A 30 -m 1 "Sanitizer" "$work/hubbix1.log")"
fi

if [ $failures -eq 0 ]; then echo "launcher_handover: all checks passed"; fi
exit $failures
