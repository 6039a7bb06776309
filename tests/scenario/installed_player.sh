#!/usr/bin/env bash
# The programs installed like any system-wide package, into a prefix only the superuser may
# write, and played by an ordinary user (uid 65534) with a home of their own: choosing a player on
# the game's page, a short game played with the mouse to its end, the result in the launcher's
# hall of fame. Everything the player's programs write lands in the player's data folder and the
# installed files stay as installed; a second user starts with an empty hall of fame, and switches
# the launcher to full screen on the game's page. Each window names its installed desktop entry as
# its X11 class and carries an icon.
#
# Run as `installed_player.sh <build folder>`. Needs the superuser to install and to change user
# (CI runs as root); exit code 77 (skipped) otherwise, or without Xvfb.
set -u

source "$(dirname "$0")/virtual_display.sh" "the installed programs played by an ordinary user" "$0" "$@"
build="$stage"
source "$(dirname "$0")/polling.sh"

if [ "$(id -u)" -ne 0 ]; then
  echo "SKIPPED: needs the superuser to install into a root-owned prefix and play as another user."
  exit 77
fi
require_tools setpriv xdotool xprop import python3

use_private_work
chmod 755 "$work"

prefix="$work/prefix"
if ! cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1; then
  fail "cmake --install failed: $(cat "$work/install.log")"
  exit 1
fi
tree="$prefix/lib/games/hubbix"
[ -x "$prefix/games/zeppolo" ] || { fail "no zeppolo command in $prefix/games"; exit 1; }
find "$prefix" -type f -exec md5sum {} + | sort >"$work/installed.md5"

home1="$work/home1"
home2="$work/home2"
data1="$home1/.local/share/hubbix"
data2="$home2/.local/share/hubbix"
mkdir -p "$home1" "$home2"
# The first player's own setup.ini makes a ten-second game: it must win over the installed one.
mkdir -p "$data1/Zeppolo"
printf '[setup]\nfullscreen=0\nnowindow=0\n\n[default]\nballoons=2\ngametime=10\n' \
  >"$data1/Zeppolo/setup.ini"
chown -R 65534:65534 "$home1" "$home2"

# The ordinary user 65534, with the display's key and the sanitizers' suppressions in copies it
# may read (polling.sh).
ordinary_player
player() {
  local home=$1
  shift
  "${as_player[@]}" env -u XDG_DATA_HOME -u SDL_VIDEODRIVER HOME="$home" SDL_AUDIODRIVER=dummy "$@"
}

running() { [ -n "$(pids_of "$1")" ]; }
folder_is() { [ "$(readlink "/proc/$1/cwd")" = "$2" ]; }
# The window's X11 class is the name of an installed desktop entry whose StartupWMClass it is, as
# task bars match them, and the window has an icon.
check_window_class() {
  local window=$1 entry=$2 class desktop
  class=$(xprop -id "$window" WM_CLASS 2>/dev/null | sed -n 's/^WM_CLASS.*= ".*", "\(.*\)"$/\1/p')
  desktop="$prefix/share/applications/$class.desktop"
  if [ "$class" != "$entry" ]; then
    fail "the window's class is '$class', not '$entry'"
  elif [ ! -f "$desktop" ] || ! grep -qxF "StartupWMClass=$class" "$desktop"; then
    fail "no installed desktop entry claims the window class $class"
  else
    note "the window's class $class names its installed desktop entry"
  fi
  xprop -id "$window" _NET_WM_ICON 2>/dev/null | grep -q "Icon (64 x 64)" ||
    fail "the $entry window has no 64 x 64 icon"
}

# The hall-of-fame dialog's picture, as raw pixels.
shoot_hall() { import -window "$1" -crop 694x564+53+18 -depth 8 "rgb:$2" 2>/dev/null; }
has_line() { grep -q "$2" "$1" 2>/dev/null; }

# Starts the zeppolo command as a player and waits for the launcher on the game's page.
open_game_page() {
  local home=$1 log=$2
  player "$home" "$prefix/games/zeppolo" >"$log" 2>&1 &
  started_pids+=($!)
  if ! wait_until 100 running "$tree/Hubbix"; then
    fail "the zeppolo command did not start the launcher: $(cat "$log")"
    return 1
  fi
  launcher_pid=$(pids_of "$tree/Hubbix" | head -1)
  started_pids+=("$launcher_pid")
  if ! wait_until 100 found_window "QorvexGames Hubbix"; then
    fail "the launcher's window did not appear: $(cat "$log")"
    return 1
  fi
  launcher_window=$(window_named "QorvexGames Hubbix")
  wait_until 50 folder_is "$launcher_pid" "$tree/Zeppolo" ||
    fail "the zeppolo command did not open the game's page"
  sleep 0.5
}

# Opens the hall of fame on the game's page, takes its picture, closes it and ends the launcher;
# with a second argument, after switching the launcher to full screen with Alt+Enter (Esc ends it
# there).
look_at_hall_and_leave() {
  local shot=$1
  click "$launcher_window" 120 395  # "High scores"
  sleep 1.2
  shoot_hall "$launcher_window" "$shot" || fail "no picture of the hall of fame"
  click "$launcher_window" 670 255  # the dialog's "back"
  sleep 0.5
  if [ -n "${2:-}" ]; then
    xdotool mousemove --window "$launcher_window" 400 300 key alt+Return
    wait_until 30 has_line "$2" "fullscreen=1" || fail "Alt+Enter on the game's page wrote no $2"
    xdotool key Escape
  else
    click "$launcher_window" 716 466  # "Exit"
  fi
  wait_until 60 bash -c "! kill -0 $launcher_pid 2>/dev/null" || fail "the launcher did not end"
}

echo "installed_player: installed into $prefix (owner $(stat -c %U "$tree"))"

# 1. The first user chooses the second player on the game's page.
start=$(date +%s.%N)
open_game_page "$home1" "$work/player1.log" || exit 1
click "$launcher_window" 440 390  # the second name field
if wait_until 50 has_line "$data1/options.ini" "playerid=1"; then
  note "choosing a player wrote $data1/options.ini ($(python3 -c "print('%.2f' % ($(date +%s.%N) - $start))") s after the start)"
else
  fail "choosing a player wrote no options.ini in the player's data folder"
fi
check_window_class "$launcher_window" com.example.qorvexgames.Hubbix

# 2. "Play", then clicks all over the board until the ten seconds are up: a click seldom hits a
#    lone balloon, so some of them pop groups and the score enters the hall of fame.
click "$launcher_window" 716 327
if ! wait_until 100 found_window "^Zeppolo"; then
  fail "the game's window did not appear: $(cat "$work/player1.log")"
  exit 1
fi
game_window=$(window_named "^Zeppolo")
game_pid=$(pids_of "$tree/Zeppolo/Zeppolo" | head -1)
started_pids+=("$game_pid")
check_window_class "$game_window" com.example.qorvexgames.Zeppolo
sleep 0.5
for ((i = 0; i < 60; i++)); do
  click "$game_window" $((154 + 16 + (i * 7 % 18) * 32)) $((7 + 20 + (i * 5 % 14) * 40))
  [ -e "$data1/Zeppolo/hiscore.dat" ] && break
done
if wait_until 100 test -e "$data1/Zeppolo/hiscore.dat"; then
  entry=$(python3 - "$data1/Zeppolo/hiscore.dat" <<'PY'
import sys
d = open(sys.argv[1], 'rb').read()
name = d[4:260].split(b'\0')[0].decode('latin-1')
print(name.split(':')[0], int.from_bytes(d[260:264], 'little', signed=True))
PY
)
  note "the game wrote $data1/Zeppolo/hiscore.dat: first entry '$entry'"
  [[ "$entry" =~ ^Player2\ [1-9][0-9]*$ ]] || fail "the hall of fame's first entry is '$entry'"
else
  fail "the game's end wrote no hiscore.dat in the player's data folder: $(cat "$work/player1.log")"
fi

# 3. The game's "menu" brings the launcher back on the game's page; its hall of fame is read.
sleep 1.5
click "$game_window" 49 448
wait_until 60 bash -c "! kill -0 $game_pid 2>/dev/null" || fail "the game did not end after \"menu\""
if wait_until 100 running "$tree/Hubbix" && wait_until 100 found_window "QorvexGames Hubbix"; then
  launcher_pid=$(pids_of "$tree/Hubbix" | head -1)
  started_pids+=("$launcher_pid")
  launcher_window=$(window_named "QorvexGames Hubbix")
  sleep 1
  look_at_hall_and_leave "$work/hall1.rgb"
else
  fail "the game's \"menu\" did not bring the launcher back"
fi

# 4. A second user starts with an empty hall of fame and writes nothing by looking at it. Alt+Enter
#    on the game's page, where the game's folder is the current one, is the launcher's choice: it
#    lands in the launcher's setup.ini, not in the game's.
open_game_page "$home2" "$work/player2.log" || exit 1
look_at_hall_and_leave "$work/hall2.rgb" "$data2/setup.ini"
[ -e "$data2/Zeppolo/hiscore.dat" ] && fail "the second user has a hiscore.dat without playing"
[ -e "$data2/Zeppolo/setup.ini" ] && fail "Alt+Enter on the game's page wrote the game's setup.ini"
if [ -s "$work/hall1.rgb" ] && [ -s "$work/hall2.rgb" ]; then
  if cmp -s "$work/hall1.rgb" "$work/hall2.rgb"; then
    fail "the first user's hall of fame looks like the second user's empty one"
  else
    note "the first user's hall of fame shows the result; the second user's is empty"
  fi
fi

# 5. The installed files are as installed, and nothing new appeared among them.
find "$prefix" -type f -exec md5sum {} + | sort >"$work/after.md5"
cmp -s "$work/installed.md5" "$work/after.md5" ||
  fail "the installed files changed: $(diff "$work/installed.md5" "$work/after.md5" | head)"
for log in "$work/player1.log" "$work/player2.log"; do
  grep -q "cannot write\|Sanitizer" "$log" && fail "the programs reported: $(cat "$log")"
done

if [ $failures -eq 0 ]; then echo "installed_player: all checks passed"; fi
exit $failures
