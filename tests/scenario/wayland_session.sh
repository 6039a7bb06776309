#!/usr/bin/env bash
# Both programs on a Wayland compositor nested in a virtual X display (wayland_session.py): the
# player's round from the launcher's page to the game and back, a pop, Alt+Enter, the choice of
# display, a compositor that dies or shuts down under the game, and an output of scale 2. Runs on
# a private copy of the staged install layout. Exit code 77 (skipped) when Xvfb or weston is
# missing.
set -u

# Room for weston's output at scale 2.
virtual_screen=2048x1536x24
source "$(dirname "$0")/virtual_display.sh" "the programs on Wayland" "$0" "$@"
if ! command -v weston >/dev/null 2>&1; then
  echo "SKIPPED: weston is not installed (Debian package weston); Wayland was not checked."
  exit 77
fi
require_tools xdotool xwininfo import python3 setxkbmap
source "$(dirname "$0")/polling.sh"
use_private_work
copy_stage
python3 "$(dirname "$0")/wayland_session.py" "$work/Hubbix" "$work"
