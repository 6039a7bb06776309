#!/usr/bin/env bash
# The translations keep up with the texts: the template in po/ holds exactly the texts the
# sources mark (the programs' and the generator's Tr, the desktop entries, the metainfo, the
# manual pages), and every language of po/LINGUAS translates each of them, none left fuzzy, with
# the same printf conversions.
# Run as `translations.sh <source folder>`.
set -u
source_dir="${1:?usage: translations.sh <source folder>}"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if ! bash "$source_dir/po/extract.sh" >"$work/fresh.pot" 2>"$work/extract.log"; then
  fail "the texts could not be extracted: $(cat "$work/extract.log")"
  exit 1
fi
template="$source_dir/po/hubbix.pot"
msgcmp --use-untranslated "$template" "$work/fresh.pot" >"$work/out" 2>&1 ||
  fail "po/hubbix.pot lacks texts the sources mark (run po/update.sh): $(head -n 20 "$work/out")"
msgcmp --use-untranslated "$work/fresh.pot" "$template" >"$work/out" 2>&1 ||
  fail "po/hubbix.pot holds texts the sources no longer mark (run po/update.sh): $(head -n 20 "$work/out")"
for language in $(grep -v '^#' "$source_dir/po/LINGUAS"); do
  po="$source_dir/po/$language.po"
  msgfmt --check -o /dev/null "$po" >"$work/out" 2>&1 || fail "$language: $(head -n 20 "$work/out")"
  msgcmp "$po" "$work/fresh.pot" >"$work/out" 2>&1 ||
    fail "$language: texts without a translation: $(head -n 20 "$work/out")"
done
if [ $failures -eq 0 ]; then echo "translations: all checks passed"; fi
exit $failures
