#!/usr/bin/env bash
# The Debian package: made by `cpack -G DEB` from the build folder, it holds exactly the installed
# layout under /usr (the program tree in /usr/lib/games/hubbix, the commands, desktop entries,
# icons, metainfo and its screenshot, manual pages in every language and the Debian documents),
# nothing the programs write at run time, and depends on the runtime libraries the programs link.
# Every language's catalogue, pictures and manual pages are in it, its desktop entries and
# metainfo carry every translation, and it stays under 12 MB. The desktop entries, the metainfo
# and the package itself pass their validators where those are installed.
#
# Run as `debian_package.sh <build folder>`. Exit code 77 (skipped) without dpkg-deb.
set -u
build="${1:?usage: debian_package.sh <build folder>}"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
note() { echo "  $*"; }

for tool in dpkg-deb dpkg-shlibdeps; do
  if ! command -v $tool >/dev/null 2>&1; then
    echo "SKIPPED: $tool is not installed (Debian package dpkg-dev); the package was not checked."
    exit 77
  fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if ! (cd "$build" && cpack -G DEB -B "$work/out") >"$work/cpack.log" 2>&1; then
  fail "cpack failed: $(tail -n 30 "$work/cpack.log")"
  exit 1
fi
deb=$(ls "$work"/out/*.deb 2>/dev/null | head -1)
[ -n "$deb" ] || { fail "cpack made no .deb: $(tail -n 30 "$work/cpack.log")"; exit 1; }
size=$(stat -c %s "$deb")
note "$(basename "$deb"): $size bytes"
[ "$size" -lt $((12 * 1024 * 1024)) ] || fail "the package is $size bytes, more than 12 MB"

# 1. The file list.
dpkg-deb -c "$deb" | awk '{print $1, $6}' | sed 's| \./| /|' >"$work/list"
files=$(awk '$1 !~ /^d/ {print $2}' "$work/list" | sort)
expected_files="/usr/games/hubbix
/usr/games/zeppolo
/usr/lib/games/hubbix/Hubbix
/usr/lib/games/hubbix/Zeppolo/Zeppolo
/usr/lib/games/hubbix/Zeppolo/setup.ini
/usr/lib/games/hubbix/Zeppolo/sounds/music.mp3
/usr/lib/games/hubbix/Zeppolo/title/titlebackground.bmp
/usr/lib/games/hubbix/libqz.so
/usr/lib/games/hubbix/libqzwindowegl.so
/usr/lib/games/hubbix/setup.ini
/usr/share/applications/com.example.qorvexgames.Hubbix.desktop
/usr/share/applications/com.example.qorvexgames.Zeppolo.desktop
/usr/share/doc/hubbix/changelog.gz
/usr/share/doc/hubbix/copyright
/usr/share/doc/hubbix/screenshots/zeppolo.png
/usr/share/man/man6/hubbix.6.gz
/usr/share/man/man6/zeppolo.6.gz
/usr/share/metainfo/com.example.qorvexgames.Zeppolo.metainfo.xml"
for size in 48 64 128 256; do
  expected_files+=$'\n'"/usr/share/icons/hicolor/${size}x${size}/apps/hubbix.png"
  expected_files+=$'\n'"/usr/share/icons/hicolor/${size}x${size}/apps/zeppolo.png"
done
languages=$(grep -v '^#' "$(dirname "$0")/../../po/LINGUAS")
for language in $languages; do
  expected_files+=$'\n'"/usr/lib/games/hubbix/locale/$language.mo"
  expected_files+=$'\n'"/usr/lib/games/hubbix/Zeppolo/title/$language/HowToPlay.bmp"
  expected_files+=$'\n'"/usr/share/man/$language/man6/hubbix.6.gz"
  expected_files+=$'\n'"/usr/share/man/$language/man6/zeppolo.6.gz"
done
while read -r file; do
  grep -qxF "$file" <<<"$files" || fail "the package lacks $file"
done <<<"$expected_files"
outside=$(grep -v '^/usr/\(games\|lib/games/hubbix\|share/\(applications\|doc/hubbix\|icons/hicolor\|man/\([a-z][a-z]\(_[A-Z][A-Z]\)\?/\)\?man6\|metainfo\)\)/' <<<"$files")
[ -z "$outside" ] || fail "files outside the install layout: $outside"
grep -E '/(options\.ini|hiscore\.dat|debug\.log)$|/\.[^/]*$' <<<"$files" &&
  fail "the package holds files the programs write at run time"
# The game's every picture and sound, as the generator made them.
stage_count=$(find "$build/stage/Hubbix" -type f ! -name options.ini ! -name hiscore.dat \
  ! -name debug.log ! -name '.*' | wc -l)
tree_count=$(grep -c '^/usr/lib/games/hubbix/' <<<"$files")
[ "$tree_count" -eq "$stage_count" ] ||
  fail "the program tree holds $tree_count files, the staged one $stage_count"
grep -q '^-rwxr-xr-x /usr/lib/games/hubbix/libqz' "$work/list" &&
  fail "a shared library is executable"
note "$(wc -l <<<"$files") files, $tree_count of them in the program tree"

# 2. The dependencies: the libraries the programs link, from the shared-library scan. Each is
#    named by the package that holds the library on this system, whatever the release calls it
#    (libmpg123-0 on Debian 12, libmpg123-0t64 on 13).
depends=$(dpkg-deb -f "$deb" Depends)
note "Depends: $depends"
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH 2>/dev/null || gcc -print-multiarch)
for library in libSDL2-2.0.so.0 libmpg123.so.0 libc.so.6 libstdc++.so.6; do
  package=$(dpkg-query -S "*/$library" 2>/dev/null | grep -m1 "/$multiarch/$library\$" |
    sed 's/[:,].*//')
  if [ -z "$package" ]; then
    fail "no installed package holds $library"
  elif ! [[ ", $depends," =~ ", ${package}"[\ ,] ]]; then
    fail "no dependency on $package, which holds $library"
  fi
done
grep -q -- '-dev\b' <<<"$depends" && fail "a development package among the dependencies"
[ "$(dpkg-deb -f "$deb" Section)" = "games" ] || fail "the package is not in the games section"

# 3. What the package installs works as installed: unpacked, the programs find their library and
#    are stripped, and the validators pass the desktop entries and the metainfo.
dpkg-deb -x "$deb" "$work/root"
for program in Hubbix Zeppolo/Zeppolo; do
  path="$work/root/usr/lib/games/hubbix/$program"
  ldd "$path" 2>&1 | grep -q "not found" && fail "$program misses a library: $(ldd "$path")"
  if command -v file >/dev/null 2>&1; then
    file -L "$path" | grep -q ", stripped" || fail "$program is not stripped"
  fi
done
# Every language names the programs in the menus and describes the game in the software centre.
for language in $languages; do
  grep -q "^GenericName\[$language\]=" "$work"/root/usr/share/applications/*.Hubbix.desktop ||
    fail "the launcher's desktop entry has no $language translation"
  grep -q "^Keywords\[$language\]=" "$work"/root/usr/share/applications/*.Zeppolo.desktop ||
    fail "the game's desktop entry has no $language keywords"
  # msgfmt writes a region as the locale names it (pt_BR) up to gettext 0.22, as XML's language
  # tags do (pt-BR) from 0.23 on; AppStream reads both.
  grep -Eq "<summary xml:lang=\"($language|${language/_/-})\">" \
    "$work"/root/usr/share/metainfo/*.xml || fail "the metainfo has no $language summary"
done
if command -v desktop-file-validate >/dev/null 2>&1; then
  out=$(desktop-file-validate "$work"/root/usr/share/applications/*.desktop 2>&1) ||
    fail "desktop-file-validate: $out"
fi
if command -v appstreamcli >/dev/null 2>&1; then
  out=$(appstreamcli validate --no-net "$work"/root/usr/share/metainfo/*.xml 2>&1) ||
    fail "appstreamcli: $out"
fi
if command -v lintian >/dev/null 2>&1; then
  lintian --allow-root "$deb" >"$work/lintian" 2>&1
  grep -q '^E:' "$work/lintian" && fail "lintian reports errors: $(cat "$work/lintian")"
  note "lintian: $(grep -c '^E:' "$work/lintian") errors, $(grep -c '^W:' "$work/lintian") warnings"
fi

if [ $failures -eq 0 ]; then echo "debian_package: all checks passed"; fi
exit $failures
