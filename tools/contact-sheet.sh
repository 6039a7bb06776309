#!/usr/bin/env bash
# Renders every generated picture of a staged layout into labelled PNG contact sheets, for
# looking the artwork over: screens and panels, small pictures and strips, tall tile sheets.
# Needs ImageMagick. Usage: tools/contact-sheet.sh STAGE_DIR OUT_DIR
set -euo pipefail
stage="${1:?stage folder (build/stage)}"
out="${2:?output folder}"
mkdir -p "$out"
cd "$stage/Hubbix"
sizes=$(find . -name '*.bmp' -exec identify -format '%w %h %i\n' {} \; | sort -k3)
pick() { awk "$1 {print \$3}" <<<"$sizes"; }
mapfile -t large < <(pick '$1 >= 400 && $2 >= 400')
mapfile -t tall < <(pick '$1 < 400 && $2 > 400')
mapfile -t small < <(pick '$2 <= 400 && !($1 >= 400 && $2 >= 400)')
montage -label '%i' "${large[@]}" -resize 50% -geometry '+6+6' -tile 3x -background '#9a9a9a' \
  "$out/screens.png"
montage -label '%i (%wx%h)' "${small[@]}" -geometry '+6+6>' -tile 5x -background '#9a9a9a' \
  "$out/pictures.png"
montage -label '%i' "${tall[@]}" -resize 'x900>' -geometry '+6+6' -background '#9a9a9a' \
  "$out/sheets.png"
echo "$out/screens.png $out/pictures.png $out/sheets.png"
