#!/usr/bin/env bash
# Each program in a real window on a virtual X display, on a copy of the staged install layout
# with one of its pictures removed, driven with the mouse: the launcher without the title page's
# picture opens the game's page and ends with "Exit"; the game without the rules picture shows
# its (empty) rules, is clicked back into play and ends with "exit". Both must end with 0, in
# time, and without a sanitizer report. Exit code 77 (skipped) when there is no Xvfb.
set -u

source "$(dirname "$0")/virtual_display.sh" "the programs with a missing picture in a real window" "$0" "$@"
require_tools xdotool
source "$(dirname "$0")/polling.sh"

use_private_work
export SDL_AUDIODRIVER=dummy
unset SDL_VIDEODRIVER

ended() { ! kill -0 "$1" 2>/dev/null; }

# Starts a program of a fresh copy of the layout with one file removed; sets pid, window, log.
start() {
  local name=$1 removed=$2 program=$3 title=$4
  shift 4
  rm -rf "$work/Hubbix"
  copy_stage
  rm -f "$work/Hubbix/$removed"
  log="$work/$name.log"
  (cd "$work/Hubbix/$(dirname "$program")" && exec "./$(basename "$program")" "$@") >"$log" 2>&1 &
  pid=$!
  started_pids+=("$pid")
  window=""
  if wait_until 150 found_window "$title"; then
    window=$(window_named "$title")
    sleep 1
  else
    fail "$name: the window did not appear: $(tail -n 20 "$log")"
  fi
}

# The program must have ended with 0 within the time given, and reported no memory error.
finish() {
  local name=$1 tenths=$2
  if ! wait_until "$tenths" ended "$pid"; then
    fail "$name: did not end"
    kill -KILL "$pid" 2>/dev/null
  fi
  wait "$pid"
  local code=$?
  [ $code -eq 0 ] || fail "$name: ended with $code: $(tail -n 40 "$log")"
  if grep -q "Sanitizer" "$log"; then
    fail "$name: a sanitizer report: $(grep -A 30 -m 1 "Sanitizer" "$log")"
  fi
  [ $failures -eq 0 ] && note "$name: ended cleanly"
}

# 1. The launcher without the title page's picture: the page opens without it, the launcher
#    runs on it for a while and "Exit" ends it.
start launcher Zeppolo/title/titlebackground.bmp Hubbix "QorvexGames Hubbix"
if [ -n "$window" ]; then
  click "$window" 120 190 0.3  # the game's slot
  if wait_until 50 bash -c "[ \"\$(readlink /proc/$pid/cwd)\" = \"$(cd "$work/Hubbix/Zeppolo" && pwd -P)\" ]"; then
    note "launcher: the game's page is open"
  else
    fail "launcher: the game's page did not open"
  fi
  sleep 2
  click "$window" 716 466 0.3  # "Exit"
fi
finish launcher 100

# 2. The game without its rules picture: "help" shows nothing to look at, a click anywhere goes
#    back to the game, and "exit" ends it.
start game Zeppolo/title/HowToPlay.bmp Zeppolo/Zeppolo "^Zeppolo" "$work/Hubbix"
if [ -n "$window" ]; then
  click "$window" 50 500 0.3  # "help" at (12, 475)
  click "$window" 400 300 0.3
  click "$window" 50 562 0.3  # "exit" at (12, 525)
fi
finish game 100

if [ $failures -eq 0 ]; then echo "missing_file_window: all checks passed"; fi
exit $failures
