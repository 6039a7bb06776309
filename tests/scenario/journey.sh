#!/usr/bin/env bash
# Both programs from start to end without a mouse, on a virtual X display (journey.py): with the
# keyboard alone, or with JOURNEY=--pad a game controller alone (a virtual one, plugged into each
# program at run time). Runs on a private copy of the staged install layout. Exit code 77
# (skipped) when there is no Xvfb.
set -u

source "$(dirname "$0")/virtual_display.sh" "the launcher and the game without a mouse" "$0" "$@"
require_tools xdotool import python3 setxkbmap xprop
source "$(dirname "$0")/polling.sh"
use_private_work
copy_stage
python3 "$(dirname "$0")/journey.py" "${JOURNEY:---keys}" "$work/Hubbix"
