#!/usr/bin/env bash
# Two copies of the game on one hall of fame, as two players at one machine would run them: each on
# a virtual display of its own, both started before either ends, each scoring in a four-second
# game. Both results must be in "hiscore.dat" afterwards, although each copy read the table when
# its game began.
#
# Run as `two_games_scores.sh <stage folder>`. Exit code 77 (skipped) when there is no Xvfb.
set -u

source "$(dirname "$0")/virtual_display.sh" "two games scoring at once" "$0" "$@"
source "$(dirname "$0")/polling.sh"
require_tools xdotool python3

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

# Waits up to $1 seconds for the hall of fame to hold $2 results; prints how many it holds.
wait_for_results() {
  python3 - "$game_dir/hiscore.dat" "$1" "$2" <<'PY'
import sys, time
path, seconds, wanted = sys.argv[1], float(sys.argv[2]), int(sys.argv[3])
end = time.monotonic() + seconds
while True:
    try:
        d = open(path, 'rb').read()
    except OSError:
        d = b''
    count = sum(1 for i in range(20) if len(d) >= 4 + 260 * (i + 1) and d[4 + 260 * i] != 0)
    if count >= wanted or time.monotonic() > end:
        break
    time.sleep(0.1)
print(count)
PY
}

windows=()
for display in "${displays[@]}"; do
  (cd "$game_dir" && DISPLAY=$display SDL_AUDIODRIVER=dummy exec ./Zeppolo "$work/Hubbix") \
    >>"$work/games.log" 2>&1 &
  started_pids+=($!)
done
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
count=$(wait_for_results 12 2)
if [ "$count" -eq 2 ]; then
  note "both results are in the hall of fame"
else
  fail "the hall of fame holds $count result(s) of the two games: $(cat "$work/games.log")"
fi

if [ $failures -eq 0 ]; then echo "two_games_scores: all checks passed"; fi
exit $failures
