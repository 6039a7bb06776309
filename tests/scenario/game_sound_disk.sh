#!/usr/bin/env bash
# The game's sound reaches the audio device: run headless with SDL's disk audio driver, which
# writes the mixed output to a file, and find the background music in it (not silence).
set -u
stage="$1"
game_dir="$stage/Hubbix/Zeppolo"
out=$(mktemp)
trap 'rm -f "$out"' EXIT
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$out"

(cd "$game_dir" && exec ./Zeppolo "$stage/Hubbix") >/dev/null 2>&1 &
pid=$!
sleep 2
kill -TERM $pid
wait $pid
code=$?
[ $code -eq 0 ] || { echo "FAIL: the game exited $code"; exit 1; }

# Signed 16-bit samples: count those louder than 1/32 of full scale.
loud=$(od -An -v -t d2 -w2 "$out" | awk '{ v = $1 < 0 ? -$1 : $1; if (v > 1024) n++ } END { print n + 0 }')
total=$(( $(stat -c %s "$out") / 2 ))
echo "samples written: $total, loud samples: $loud"
if [ "$total" -lt 22050 ] || [ "$loud" -lt 2205 ]; then
  echo "FAIL: no music in the game's audio output"
  exit 1
fi
echo "game_sound_disk: the music plays"
