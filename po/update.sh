#!/usr/bin/env bash
# After texts change in the sources: writes the template anew and brings every language's file
# up to date with it (new texts untranslated, changed ones marked fuzzy for a translator to look
# at). Usage: po/update.sh
set -euo pipefail
cd "$(dirname "$0")"
bash extract.sh >hubbix.pot
for language in $(grep -v '^#' LINGUAS); do
  msgmerge --quiet --update --backup=none "$language.po" hubbix.pot
done
