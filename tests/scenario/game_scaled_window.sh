#!/usr/bin/env bash
# The game's window under a window manager on a virtual X display: resized, maximised and
# switched to full screen and back with Alt+Enter, the picture checked from screenshots and
# played with the mouse at its scaled place, the choice of full screen kept for the next start
# (game_scaled_window.py). Runs on a private copy of the staged install layout. Exit code 77
# (skipped) when there is no Xvfb.
set -u

# Room for a 1280 x 720 window and its caption without any of it leaving the screen, where a
# screenshot could not see it.
virtual_screen=1920x1080x24
source "$(dirname "$0")/virtual_display.sh" "the game's scaled window" "$0" "$@"
require_tools xdotool xwininfo xprop xmessage import python3
source "$(dirname "$0")/polling.sh"
start_window_manager || { echo "FAIL: openbox did not start on the virtual display"; exit 1; }
use_private_work
copy_stage
python3 "$(dirname "$0")/game_scaled_window.py" "$work/Hubbix"
