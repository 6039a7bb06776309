#!/usr/bin/env bash
# Renders the generated pictures of a staged layout into labelled PNG contact sheets, for looking
# the artwork over: screens and panels, small pictures and strips, tall tile sheets. Each
# language named gets a folder of sheets: "en" every English picture, any other language the
# pictures drawn in it (those with words; the others are the English ones).
# Needs ImageMagick. Usage: tools/contact-sheet.sh STAGE_DIR OUT_DIR [LANGUAGE...] (default en)
set -euo pipefail
stage="${1:?stage folder (build/stage)}"
out="${2:?output folder}"
shift 2
[ $# -gt 0 ] || set -- en
cd "$stage/Hubbix"
for language in "$@"; do
  sheets="$out/$language"
  mkdir -p "$sheets"
  if [ "$language" = en ]; then
    files=$(find . -name '*.bmp' ! -path '*/[a-z][a-z]/*' ! -path '*/[a-z][a-z]_[A-Z][A-Z]/*')
  else
    files=$(find . -path "*/$language/*.bmp")
  fi
  [ -n "$files" ] || { echo "no pictures for $language" >&2; continue; }
  sizes=$(xargs identify -format '%w %h %i\n' <<<"$files" | sort -k3)
  pick() { awk "$1 {print \$3}" <<<"$sizes"; }
  mapfile -t large < <(pick '$1 >= 400 && $2 >= 400')
  mapfile -t tall < <(pick '$1 < 400 && $2 > 400')
  mapfile -t small < <(pick '$2 <= 400 && !($1 >= 400 && $2 >= 400)')
  made=()
  if [ ${#large[@]} -gt 0 ]; then
    montage -label '%i' "${large[@]}" -resize 50% -geometry '+6+6' -tile 3x -background '#9a9a9a' \
      "$sheets/screens.png"
    made+=("$sheets/screens.png")
  fi
  if [ ${#small[@]} -gt 0 ]; then
    montage -label '%i (%wx%h)' "${small[@]}" -geometry '+6+6>' -tile 5x -background '#9a9a9a' \
      "$sheets/pictures.png"
    made+=("$sheets/pictures.png")
  fi
  if [ ${#tall[@]} -gt 0 ]; then
    montage -label '%i' "${tall[@]}" -resize 'x900>' -geometry '+6+6' -background '#9a9a9a' \
      "$sheets/sheets.png"
    made+=("$sheets/sheets.png")
  fi
  echo "${made[*]}"
done
