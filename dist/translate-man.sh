#!/usr/bin/env bash
# One manual page in one language, compressed as Debian installs them: the entries of the
# language's translations that belong to the page, put into it by po4a.
# Usage: dist/translate-man.sh LANGUAGE.po PAGE OUTPUT.gz (PAGE as dist/hubbix.6)
set -euo pipefail
po="$1" page="$2" output="$3"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
msggrep --location="dist/$(basename "$page")" -o "$work/page.po" "$po"
# po4a-translate says it is deprecated on every run; its words matter only when it fails.
if ! po4a-translate --format man --master "$page" --master-charset UTF-8 --po "$work/page.po" \
  --localized "$work/page" --localized-charset UTF-8 --keep 0 >"$work/log" 2>&1; then
  cat "$work/log" >&2
  exit 1
fi
mkdir -p "$(dirname "$output")"
gzip -9nc "$work/page" >"$output"
