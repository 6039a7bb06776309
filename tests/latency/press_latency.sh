#!/usr/bin/env bash
# Prints how long a press takes to show in each program's window on a virtual X display: mouse
# presses on poppable groups and arrow keys moving the cursor in the game, presses on a game
# button in the launcher (press_latency, XTest and XDamage). A report, not a pass or fail: it
# fails only when nothing could be measured. Runs on a private copy of the staged layout.
#
#   press_latency.sh <stage folder> <press_latency program>
#
# Exit code 77 (skipped) when there is no Xvfb.
set -u

# The display script runs this one again with the stage folder only: the tool goes along in the
# environment.
[ "${1:-}" = "--inside" ] || export PRESS_LATENCY_TOOL="${2:?usage: $0 <stage> <press_latency>}"
source "$(dirname "$0")/../scenario/virtual_display.sh" "the press latency" "$0" "$@"
source "$(dirname "$0")/../scenario/polling.sh"
tool="$PRESS_LATENCY_TOOL"
command -v xdotool >/dev/null 2>&1 || { echo "FAIL: xdotool is not installed"; exit 1; }
# The programs show their windows on this display, whatever driver the test run chose.
unset SDL_VIDEODRIVER WAYLAND_DISPLAY
use_private_work
copy_stage

# run NAME TITLE FOLDER MODE COMMAND...: starts the program, waits for its window and lets the
# first frames settle, then measures.
run() {
  local name="$1" title="$2" folder="$3" mode="$4"
  shift 4
  (cd "$folder" && SDL_AUDIODRIVER=dummy exec "$@") >"$work/$name.log" 2>&1 &
  local pid=$!
  started_pids+=("$pid")
  local window=""
  wait_until 150 eval 'window=$(window_named "$title"); [ -n "$window" ]'
  if [ -z "$window" ]; then
    fail "$name: no window appeared: $(tail -n 5 "$work/$name.log")"
    return
  fi
  sleep 1.5
  "$tool" "$mode" "$window" || fail "$name: nothing could be measured"
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
}

echo "press to picture, load $(cut -d' ' -f1-3 /proc/loadavg):"
run game "^Zeppolo" "$work/Hubbix/Zeppolo" game ./Zeppolo "$work/Hubbix"
run launcher "Hubbix" "$work/Hubbix" launcher ./Hubbix
exit $failures
