#!/usr/bin/env bash
# Two copies of the game on one hall of fame, as two players at one machine would run them: each on
# a virtual display of its own, both started before either ends, each scoring in a four-second
# game. Both results must be in "hiscore.dat" afterwards, although each copy read the table when
# its game began. Then a game that ends while another program holds the hall of fame's lock, and a
# player's game that ends while the file cannot be read: neither freezes the game nor loses a
# result.
#
# Run as `two_games_scores.sh <stage folder>`. Exit code 77 (skipped) when there is no Xvfb.
set -u

source "$(dirname "$0")/virtual_display.sh" "two games scoring at once" "$0" "$@"
source "$(dirname "$0")/polling.sh"
require_tools xdotool python3 flock import md5sum

use_private_work
copy_stage
game_dir="$work/Hubbix/Zeppolo"
printf '[setup]\nfullscreen=0\nnowindow=0\n\n[default]\nballoons=1\ngametime=4\n' \
  >"$game_dir/setup.ini"

# The second display, started the way the first one was.
Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 3>"$work/display" 2>/dev/null &
started_pids+=($!)
wait_until 150 test -s "$work/display" || { fail "the second virtual display did not start"; exit 1; }
displays=("$DISPLAY" ":$(tr -dc 0-9 <"$work/display")")

on() {
  local display=$1
  shift
  DISPLAY=$display "$@"
}
game_window() { on "$1" xdotool search --onlyvisible --name "^Zeppolo" 2>/dev/null | head -1; }
found_window() { [ -n "$(game_window "$1")" ]; }

# Waits up to $1 seconds for the hall of fame to hold $2 results, or, when $3 is given, an entry
# of that player; prints how many results it holds and how many of them are $4's (players whose
# name begins so).
wait_for_results() {
  python3 - "$game_dir/hiscore.dat" "$@" <<'PY'
import sys, time
path, seconds, wanted = sys.argv[1], float(sys.argv[2]), int(sys.argv[3])
player = sys.argv[4] if len(sys.argv) > 4 else ''
family = sys.argv[5] if len(sys.argv) > 5 else '\0'
end = time.monotonic() + seconds
while True:
    try:
        d = open(path, 'rb').read()
    except OSError:
        d = b''
    names = [d[4 + 260 * i:4 + 256 + 260 * i].split(b'\0')[0].decode('latin-1')
             for i in range(20) if len(d) >= 4 + 260 * (i + 1)]
    names = [n for n in names if n]
    found = any(n.startswith(player + ':') for n in names) if player else len(names) >= wanted
    if found or time.monotonic() > end:
        break
    time.sleep(0.1)
print(len(names), sum(1 for n in names if n.startswith(family)))
PY
}

windows=()
for display in "${displays[@]}"; do
  (cd "$game_dir" && DISPLAY=$display SDL_AUDIODRIVER=dummy exec ./Zeppolo "$work/Hubbix") \
    >>"$work/games.log" 2>&1 &
  started_pids+=($!)
done
pair=("${started_pids[@]: -2}")
for display in "${displays[@]}"; do
  wait_until 100 found_window "$display" || { fail "no game window on $display: $(cat "$work/games.log")"; exit 1; }
  windows+=("$(game_window "$display")")
done
sleep 0.3

# Balloons all over the board, in both games by turns; with groups of one every hit scores.
for ((i = 0; i < 6; i++)); do
  for k in 0 1; do
    on "${displays[$k]}" xdotool mousemove --window "${windows[$k]}" \
      $((154 + 16 + (i * 7 % 18) * 32)) $((7 + 20 + (i * 5 % 14) * 40)) click 1
  done
  sleep 0.2
done

# Both games run out of time, show their pictures and enter their results.
read -r count _ < <(wait_for_results 12 2)
if [ "$count" -eq 2 ]; then
  note "both results are in the hall of fame"
else
  fail "the hall of fame holds $count result(s) of the two games: $(cat "$work/games.log")"
fi
kill "${pair[@]}" 2>/dev/null
wait "${pair[@]}" 2>/dev/null

# The md5 sum of a screenshot of the game's window on display $1.
picture() { on "$1" import -window "$window" png:- 2>/dev/null | md5sum; }

# Starts one game on display $1 for the player "$2" (options.ini's first player), run by the words
# in as_player; waits for its window and scores. Sets window and game.
play_one_game() {
  local display=$1
  printf '[setup]\nplayerid=0\n\n[Player1]\nname=%s\n' "$2" >"$work/Hubbix/options.ini"
  : >"$work/games.log"
  (cd "$game_dir" && DISPLAY=$display SDL_AUDIODRIVER=dummy exec "${as_player[@]}" \
    ./Zeppolo "$work/Hubbix") >>"$work/games.log" 2>&1 &
  game=$!
  started_pids+=($game)
  wait_until 100 found_window "$display" || { fail "no game window on $display: $(cat "$work/games.log")"; exit 1; }
  window=$(game_window "$display")
  # A few balloons over 1.2 s: a slow sanitizer game may not yet take the first click, and a game
  # that scores nothing enters no result.
  local i
  for ((i = 0; i < 4; i++)); do
    sleep 0.3
    on "$display" xdotool mousemove --window "$window" \
      $((154 + 16 + (i * 7 % 18) * 32)) $((7 + 20 + (i * 5 % 14) * 40)) click 1
  done
}

# Another program holds the folder's lock, as a copy stopped with Ctrl+Z in the middle of its own
# update would. The game ends meanwhile: it shows its pictures, then answers New Game at once, and
# enters its result once the lock is free. The other program holds it for 20 s, and longer where a
# loaded machine's slow game has not come to New Game by then: it lets go when told.
as_player=(env)
play_one_game "${displays[0]}" "Locked"
# (It also lets go when the scenario's folder is gone, should the scenario end before telling it.)
flock "$game_dir" sh -c 'while [ -d "$1" ] && [ ! -e "$1/let-go" ]; do sleep 0.1; done' sh "$work" &
holder=$!
held_since=$SECONDS
started_pids+=($holder)
# Four seconds of play, two of the game-over picture, one of the hall-of-fame notice; then the
# picture stands still.
sleep 7
still() {
  before=$(picture "${displays[0]}")
  sleep 0.3
  [ "$(picture "${displays[0]}")" = "$before" ]
}
wait_until 30 still || fail "the game's picture did not stand still after its end"
on "${displays[0]}" xdotool key --window "$window" n
changed() { [ "$(picture "${displays[0]}")" != "$before" ]; }
if wait_until 15 changed; then
  note "New Game answered while the hall of fame's lock was held elsewhere"
else
  fail "New Game did nothing within 1.5 s while the hall of fame's lock was held elsewhere"
fi
kill -0 "$holder" 2>/dev/null || fail "the lock was let go before New Game was pressed"
sleep $((held_since + 20 > SECONDS ? held_since + 20 - SECONDS : 0))
: >"$work/let-go"
read -r count _ < <(wait_for_results 16 0 Locked)
if [ "$count" -eq 3 ]; then
  note "the result was entered once the lock was free"
else
  fail "the hall of fame holds $count results, not the one of the game that ended under the lock"
fi
grep -q "hiscore.dat is locked by another program" "$work/games.log" ||
  fail "the held lock was not reported: $(cat "$work/games.log")"
kill "$game" 2>/dev/null

# A player's game ends while the hall of fame, with twenty results, cannot be read (made so while
# the game ran): the twenty stay, and the result is entered once the file can be read again.
python3 - "$game_dir/hiscore.dat" <<'PY'
import struct, sys
entries = b''.join(('old%02d:::Y' % i).encode().ljust(256, b'\0') + struct.pack('<i', 50 - i)
                   for i in range(20))
open(sys.argv[1], 'wb').write(struct.pack('<i', 20) + entries)
PY
ordinary_player
[ "$(id -u)" -ne 0 ] || chown -R 65534:65534 "$game_dir"
play_one_game "${displays[1]}" "Unread"
sleep 1
chmod 000 "$game_dir/hiscore.dat"
twenty=$(md5sum <"$game_dir/hiscore.dat")
# The game's end comes some 8 s on; later on a loaded machine.
wait_until 200 grep -q "cannot read .*hiscore.dat" "$work/games.log" ||
  fail "the unreadable hall of fame was not reported: $(cat "$work/games.log")"
sleep 1
[ "$(md5sum <"$game_dir/hiscore.dat")" = "$twenty" ] ||
  fail "the hall of fame was rewritten while it could not be read"
chmod 644 "$game_dir/hiscore.dat"
read -r count old < <(wait_for_results 3 0 Unread old)
if [ "$count" -eq 20 ] && [ "$old" -eq 19 ]; then
  note "the result was entered beside nineteen old ones once the file could be read"
else
  fail "the hall of fame holds $count results, $old of them old, after the unreadable file: $(cat "$work/games.log")"
fi

if [ $failures -eq 0 ]; then echo "two_games_scores: all checks passed"; fi
exit $failures
