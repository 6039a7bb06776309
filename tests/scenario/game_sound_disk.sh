#!/usr/bin/env bash
# The game's sound reaches the audio device: run headless with SDL's disk audio driver, which
# writes the mixed output to a file, and look at what was written. With the launcher's switches
# on, the music plays; with the music off, the effects of the game's opening (the board's reveal)
# are still there; with both off, the output is silent.
set -u
stage="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$stage/Hubbix" "$work/"
launcher_dir="$work/Hubbix"
game_dir="$launcher_dir/Zeppolo"
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=disk
failures=0

# Runs the game for two seconds and prints how many written samples are louder than 1/32 of
# full scale, and how many were written.
loud_samples() {
  local out="$work/out.raw"
  rm -f "$out"
  (cd "$game_dir" && SDL_DISKAUDIOFILE="$out" exec ./Zeppolo "$launcher_dir") >/dev/null 2>&1 &
  local pid=$!
  sleep 2
  kill -TERM $pid
  wait $pid || { echo "FAIL: the game exited $?" >&2; failures=$((failures + 1)); }
  local loud
  loud=$(od -An -v -t d2 -w2 "$out" | awk '{ v = $1 < 0 ? -$1 : $1; if (v > 1024) n++ } END { print n + 0 }')
  echo "$loud $(( $(stat -c %s "$out") / 2 ))"
}

check() {
  local what="$1" expect="$2"
  read -r loud total < <(loud_samples)
  echo "$what: $total samples written, $loud loud"
  if [ "$total" -lt 22050 ]; then
    echo "FAIL: $what: too little output"; failures=$((failures + 1))
  elif [ "$expect" = sound ] && [ "$loud" -lt 2205 ]; then
    echo "FAIL: $what: expected sound, found silence"; failures=$((failures + 1))
  elif [ "$expect" = silence ] && [ "$loud" -ne 0 ]; then
    echo "FAIL: $what: expected silence"; failures=$((failures + 1))
  fi
}

check "music and effects on (no options.ini)" sound
printf '[setup]\nMusic=N\nSFX=Y\n' >"$launcher_dir/options.ini"
check "effects only" sound
printf '[setup]\nMusic=N\nSFX=N\n' >"$launcher_dir/options.ini"
check "both off" silence

[ $failures -eq 0 ] && echo "game_sound_disk: all checks passed"
exit $failures
