#!/usr/bin/env bash
# Runs both programs headless from the staged install layout: the game refuses to start without
# the launcher's folder, and each program opens, runs frames and shuts down cleanly when asked to
# close (SDL turns SIGTERM into a quit event, which reaches the shell as WM_CLOSE).
set -u
stage="$1"
launcher_dir="$stage/Hubbix"
game_dir="$launcher_dir/Zeppolo"
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# 1. No arguments: the refusal on standard error, exit code 0, no window.
out=$(cd "$game_dir" && ./Zeppolo 2>&1)
code=$?
[ $code -eq 0 ] || fail "game without arguments exited $code"
grep -q "Game must be run from the Hubbix" <<<"$out" || fail "refusal text missing: $out"

# 2. An over-long command line is refused the same way.
long=$(printf 'x%.0s' $(seq 1 300))
out=$(cd "$game_dir" && ./Zeppolo "$long" 2>&1)
code=$?
[ $code -eq 0 ] || fail "game with a 300-character argument exited $code"
grep -q "too long" <<<"$out" || fail "long command line not refused: $out"

# 3. Each program runs until closed, then ends with 0.
run_and_close() {
  local dir="$1" prog="$2"
  shift 2
  (cd "$dir" && exec "./$prog" "$@") >"$TMPDIR_RUN/$prog.log" 2>&1 &
  local pid=$!
  sleep 1.5
  if ! kill -0 $pid 2>/dev/null; then
    wait $pid
    fail "$prog ended on its own with $? before being closed: $(cat "$TMPDIR_RUN/$prog.log")"
    return
  fi
  kill -TERM $pid
  local waited=0
  while kill -0 $pid 2>/dev/null && [ $waited -lt 50 ]; do sleep 0.1; waited=$((waited + 1)); done
  if kill -0 $pid 2>/dev/null; then
    kill -KILL $pid
    fail "$prog did not end within 5 s of the close"
    return
  fi
  wait $pid
  local code=$?
  [ $code -eq 0 ] || fail "$prog exited $code after the close: $(cat "$TMPDIR_RUN/$prog.log")"
}

TMPDIR_RUN=$(mktemp -d)
trap 'rm -rf "$TMPDIR_RUN"' EXIT
run_and_close "$game_dir" Zeppolo "$launcher_dir"
run_and_close "$launcher_dir" Hubbix

if [ $failures -eq 0 ]; then echo "programs_headless: all checks passed"; fi
exit $failures
