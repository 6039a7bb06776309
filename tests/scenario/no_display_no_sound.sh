#!/usr/bin/env bash
# Both programs without a display: each says so in plain words and ends at once with 0, leaving
# no window and no file behind; with no display at all (no DISPLAY, no WAYLAND_DISPLAY) they do
# not fall back to an invisible window either. Without a sound device the game runs silent: it
# starts, plays its frames and ends normally when closed.
set -u
stage="$1"
launcher_dir="$stage/Hubbix"
game_dir="$launcher_dir/Zeppolo"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A copy of the staged layout, so that nothing the programs might write lands in the build.
cp -r "$launcher_dir" "$work/Hubbix"
rm -f "$work/Hubbix/options.ini" "$work/Hubbix/Zeppolo/hiscore.dat"
launcher_dir="$work/Hubbix"
game_dir="$launcher_dir/Zeppolo"

# Runs a program with a time limit; prints its output, returns its exit code (124: still running).
run_limited() {
  local dir="$1"
  shift
  (cd "$dir" && timeout 10 "$@" 2>&1)
}

check_refusal() {
  local what="$1" name="$2" out="$3" code="$4"
  [ "$code" -eq 0 ] || fail "$what: exit code $code (124: it kept running): $out"
  grep -q "^$name cannot start: no window can be shown: " <<<"$out" ||
    fail "$what: no plain reason on standard error: $out"
  grep -q "DirectX not installed" <<<"$out" || fail "$what: no message box text: $out"
}

# 1. A video driver that does not exist.
out=$(SDL_VIDEODRIVER=nonexistent SDL_AUDIODRIVER=dummy run_limited "$game_dir" ./Zeppolo "$launcher_dir")
check_refusal "game, no such video driver" Zeppolo "$out" $?
out=$(SDL_VIDEODRIVER=nonexistent run_limited "$launcher_dir" ./Hubbix)
check_refusal "launcher, no such video driver" "QorvexGames Hubbix" "$out" $?

# 2. No display at all: SDL would fall back to a driver that shows nothing.
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER SDL_AUDIODRIVER=dummy \
  bash -c "cd '$game_dir' && timeout 10 ./Zeppolo '$launcher_dir' 2>&1")
code=$?
check_refusal "game, no display" Zeppolo "$out" $code
grep -q "no display found" <<<"$out" || fail "game, no display: reason not given: $out"
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER \
  bash -c "cd '$launcher_dir' && timeout 10 ./Hubbix 2>&1")
code=$?
check_refusal "launcher, no display" "QorvexGames Hubbix" "$out" $code

[ ! -e "$launcher_dir/options.ini" ] || fail "a refused launcher wrote options.ini"
[ ! -e "$game_dir/hiscore.dat" ] || fail "a refused game wrote hiscore.dat"

# 3. No sound device: the game runs silent until it is closed, then ends normally.
(cd "$game_dir" && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=nonexistent exec ./Zeppolo "$launcher_dir") \
  >"$work/silent.log" 2>&1 &
pid=$!
sleep 2
if kill -0 $pid 2>/dev/null; then
  kill -TERM $pid
  waited=0
  while kill -0 $pid 2>/dev/null && [ $waited -lt 50 ]; do sleep 0.1; waited=$((waited + 1)); done
  if kill -0 $pid 2>/dev/null; then
    kill -KILL $pid
    fail "silent game did not end within 5 s of the close"
  fi
  wait $pid
  code=$?
  [ $code -eq 0 ] || fail "silent game exited $code after the close: $(cat "$work/silent.log")"
  grep -qi "no sound" "$work/silent.log" || fail "silent game did not say it has no sound: $(cat "$work/silent.log")"
else
  wait $pid
  fail "game without a sound device ended on its own with $?: $(cat "$work/silent.log")"
fi

if [ $failures -eq 0 ]; then echo "no_display_no_sound: all checks passed"; fi
exit $failures
