#!/usr/bin/env bash
# The game in a real window on a virtual X display, played with the keyboard only: the arrows,
# Space, Enter and Ctrl with an arrow, each move checked by reading the board and the cursor's
# frame back from a screenshot (game_window.py --keys). Runs on a private copy of the staged
# install layout. Exit code 77 (skipped) when there is no Xvfb.
set -u

source "$(dirname "$0")/virtual_display.sh" "the game played by keys in a real window" "$0" "$@"
for tool in xdotool import python3; do
  command -v $tool >/dev/null 2>&1 || { echo "FAIL: $tool is not installed"; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -a "$stage/Hubbix" "$work/Hubbix"
rm -f "$work/Hubbix/options.ini" "$work/Hubbix/Zeppolo/hiscore.dat"
python3 "$(dirname "$0")/game_window.py" --keys "$work/Hubbix"
