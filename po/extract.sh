#!/usr/bin/env bash
# Writes the template of every text to translate to standard output: the texts the programs
# write and the generator draws (marked with Tr in the C++ sources), the desktop entries' names,
# comments and keywords, the AppStream description and the manual pages.
# Usage: po/extract.sh > po/hubbix.pot (po/update.sh also brings every language's file up to date)
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Tr(text) and Tr(context, text), in the programs and in the generator.
find platform qz framework sound shell game launcher tools -name '*.cpp' | LC_ALL=C sort |
  xgettext --files-from=- --language=C++ --from-code=UTF-8 --keyword= \
    --keyword=Tr:1,1t --keyword=Tr:1c,2,2t --add-comments=TRANSLATORS: \
    --package-name=hubbix --msgid-bugs-address=maintainers@qorvexgames.example.com \
    --sort-by-file -o "$work/code.pot"
# The programs' names stay as they are in every language.
xgettext --language=Desktop --from-code=UTF-8 --keyword= --keyword=GenericName \
  --keyword=Comment --keyword=Keywords --sort-by-file -o "$work/desktop.pot" \
  dist/com.example.qorvexgames.Hubbix.desktop dist/com.example.qorvexgames.Zeppolo.desktop
xgettext --from-code=UTF-8 --sort-by-file -o "$work/metainfo.pot" \
  dist/com.example.qorvexgames.Zeppolo.metainfo.xml
for page in hubbix.6 zeppolo.6; do
  po4a-updatepo --format man --master "dist/$page" --master-charset UTF-8 \
    --package-name hubbix --copyright-holder QorvexGames --po "$work/$page.pot" >/dev/null
done
# One template: the header of the code's, then every text once, each with the files it comes
# from (not the lines, which every edit of a source would change).
msgcat --use-first --sort-by-file --add-location=file "$work/code.pot" "$work/desktop.pot" \
  "$work/metainfo.pot" "$work/hubbix.6.pot" "$work/zeppolo.6.pot" |
  sed '/^"POT-Creation-Date: /d'
