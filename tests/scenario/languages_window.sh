#!/usr/bin/env bash
# The programs in the player's language, read off the screen: for German, French and Polish the
# launcher started with LANGUAGE set opens the game's title page, its rules and its hall of fame,
# each taken as a screenshot of a real window on a virtual X display and read by OCR (tesseract
# with that language's data), which must find that language's words and not the English ones. In
# German "Play" then starts the game, which must show its rules in German too: the game started
# by the launcher speaks the launcher's language.
#
# Runs on a private copy of the staged install layout. Exit code 77 (skipped) when there is no
# Xvfb.
set -u

source "$(dirname "$0")/virtual_display.sh" "the programs' languages on the screen" "$0" "$@"
source "$(dirname "$0")/polling.sh"

require_tools xdotool import convert tesseract

use_private_work
copy_stage
export SDL_AUDIODRIVER=dummy
unset SDL_VIDEODRIVER

ended() { ! kill -0 "$1" 2>/dev/null; }

# Reads what the window shows into $text, at twice its size (the lettering is small for OCR):
# dark lettering on light cards as it is; the buttons' white lettering with its dark outline
# ("white") from only the whitest pixels, black on white.
read_window() {
  local window=$1 name=$2 ocr=$3 lettering=${4:-dark}
  import -window "$window" "$work/$name.png" 2>/dev/null
  if [ "$lettering" = white ]; then
    convert "$work/$name.png" -resize 200% -colorspace Gray -threshold 80% -negate \
      "$work/$name-read.png"
  else
    convert "$work/$name.png" -resize 200% "$work/$name-read.png"
  fi
  text=$(OMP_THREAD_LIMIT=1 tesseract "$work/$name-read.png" - -l "$ocr" 2>/dev/null | tr '\n' ' ')
}

# The screen must show at least two of the language's words and none of the English ones. It is
# read again, a moment later, while too few are found: a dialog may still be on its way.
expect_screen() {
  local window=$1 name=$2 ocr=$3 lettering=$4 theirs=$5 english=$6 word seen missing
  for attempt in 1 2 3 4; do
    read_window "$window" "$name" "$ocr" "$lettering"
    seen=0 missing=""
    for word in $theirs; do
      if grep -qiF "$word" <<<"$text"; then seen=$((seen + 1)); else missing+=" $word"; fi
    done
    [ $seen -ge 2 ] && break
    sleep 1
  done
  for word in $english; do
    grep -qiF "$word" <<<"$text" && fail "$name: the English \"$word\" is on the screen"
  done
  if [ $seen -ge 2 ]; then
    note "$name: $seen of $(wc -w <<<"$theirs") words read (not read:${missing:- none})"
  else
    fail "$name: too few of its words were read (not read:$missing): $text"
  fi
}

# language  tesseract  title-page words  rules words  hall-of-fame words  (each list "a b c")
check_language() {
  local language=$1 ocr=$2 title=$3 rules=$4 fame=$5
  LANGUAGE=$language "$work/Hubbix/Hubbix" Zeppolo >"$work/$language.log" 2>&1 &
  local pid=$!
  started_pids+=("$pid")
  if ! wait_until 150 found_window "QorvexGames Hubbix"; then
    fail "$language: the launcher's window did not appear: $(tail -n 20 "$work/$language.log")"
    return
  fi
  local window
  window=$(window_named "QorvexGames Hubbix")
  expect_screen "$window" "$language-title-page" "$ocr" white "$title" "Exit High"
  click "$window" 142 327 0.8  # "HowToPlay" at (52, 296)
  expect_screen "$window" "$language-rules" "$ocr" dark "$rules" "balloons seconds"
  click "$window" 400 300 0.8  # anywhere closes the rules
  click "$window" 142 396 0.8  # "HighScores" at (52, 365)
  expect_screen "$window" "$language-hall-of-fame" "$ocr" dark "$fame" "Upload empties"
  click "$window" 690 261 0.8  # "back" at (595, 220) of the panel placed at (53, 18)
  if [ "$language" = de ]; then
    # "Play": the launcher closes, the game starts in the launcher's language.
    click "$window" 716 327 0.8
    if wait_until 150 found_window "^Zeppolo"; then
      local game
      game=$(window_named "^Zeppolo")
      started_pids+=($(pids_of "$(cd "$work/Hubbix/Zeppolo" && pwd -P)/Zeppolo"))
      sleep 1.5
      click "$game" 48 498 0.8  # "help" at (12, 475)
      expect_screen "$game" "$language-game-rules" "$ocr" dark "$rules" "balloons seconds"
      click "$game" 400 300 0.8
      click "$game" 48 548 0.8  # "exit" at (12, 525)
    else
      fail "$language: the game did not start: $(tail -n 20 "$work/$language.log")"
    fi
  else
    click "$window" 716 466 0.8  # "Exit" at (636, 435)
  fi
  wait_until 100 ended "$pid" || fail "$language: the launcher did not end"
}

check_language de deu "Spielregeln Bestenliste Spielen Mitwirkende" \
  "Klicke Gruppe Ballons Sekunden" "Bestenliste Ergebnisse Hochladen"
check_language fr fra "Jouer Joueurs Crédits Règles" \
  "Cliquez groupe ballons secondes" "honneur meilleurs Envoyer"
check_language pl pol "Zasady Najlepsi Gracze Muzyka" \
  "Kliknij grupę balonów sekund" "Najlepsi wyników Wyślij"

if [ $failures -eq 0 ]; then echo "languages_window: all checks passed"; fi
exit $failures
