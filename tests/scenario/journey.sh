#!/usr/bin/env bash
# Both programs from start to end without a mouse, on a virtual X display (journey.py): with the
# keyboard alone, or with JOURNEY=--pad a game controller alone (a virtual one, plugged into each
# program at run time). Runs on a private copy of the staged install layout. Exit code 77
# (skipped) when there is no Xvfb.
set -u

source "$(dirname "$0")/virtual_display.sh" "the launcher and the game without a mouse" "$0" "$@"
for tool in xdotool import python3; do
  command -v $tool >/dev/null 2>&1 || { echo "FAIL: $tool is not installed"; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -a "$stage/Hubbix" "$work/Hubbix"
rm -f "$work/Hubbix/options.ini" "$work/Hubbix/Zeppolo/hiscore.dat"
python3 "$(dirname "$0")/journey.py" "${JOURNEY:---keys}" "$work/Hubbix"
