#!/usr/bin/env bash
# The game in a real window on a virtual X display, played with the mouse: pops, a right-click
# blow and a cloud's blow, each checked by reading the board back from a screenshot
# (game_window.py). Runs on a private copy of the staged install layout. Exit code 77 (skipped)
# when there is no Xvfb.
set -u

source "$(dirname "$0")/virtual_display.sh" "the game in a real window" "$0" "$@"
require_tools xdotool import python3
source "$(dirname "$0")/polling.sh"
use_private_work
copy_stage
python3 "$(dirname "$0")/game_window.py" "$work/Hubbix"
