#!/usr/bin/env bash
# A display that goes away under a running program (a logout, a display server that crashes or
# restarts): each program, started on a virtual X display of its own, ends within two seconds of
# the server's end, with one line on standard error and no process left behind; both for a
# server that shuts down in order and for one killed outright. And a display that comes up a
# moment after the program starts: the program waits for it instead of saying there is none.
#
# Runs on a private copy of the staged install layout. Exit code 77 (skipped) when Xvfb is not
# installed.
set -u
stage="${1:?usage: $(basename "$0") <stage folder>}"
if ! command -v Xvfb >/dev/null 2>&1; then
  echo "SKIPPED: Xvfb is not installed (Debian package xvfb); a lost display was not checked."
  exit 77
fi
command -v xdotool >/dev/null 2>&1 || { echo "FAIL: xdotool is not installed"; exit 1; }

source "$(dirname "$0")/polling.sh"

use_private_work

copy_stage
launcher_dir=$(cd "$work/Hubbix" && pwd -P)
game_dir="$launcher_dir/Zeppolo"
export SDL_AUDIODRIVER=dummy
unset SDL_VIDEODRIVER WAYLAND_DISPLAY

now_ms() { echo $(($(date +%s%N) / 1000000)); }


window_shown() { [ -n "$(DISPLAY="$1" xdotool search --onlyvisible --name "$2" 2>/dev/null)" ]; }
ready() { [ -s "$1" ]; }

# Starts a virtual display server and waits until it accepts clients. With a display number as
# $1 it takes that one; without, the server picks a free one itself. Sets server_pid, display and
# server_ready_ms.
start_server() {
  local ready_file="$work/display.$RANDOM"
  : >"$ready_file"
  # The server writes its display number to descriptor 3 once it accepts connections.
  Xvfb ${1:+":$1"} -displayfd 3 -nolisten tcp -screen 0 1024x768x24 \
    3>"$ready_file" 2>>"$work/xvfb.log" &
  server_pid=$!
  started_pids+=("$server_pid")
  wait_until 150 ready "$ready_file" || return 1
  server_ready_ms=$(now_ms)
  display=":$(tr -dc 0-9 <"$ready_file")"
}

# Waits for the server to end; a server that was killed leaves its lock and socket behind, which
# are removed here (only when the lock still names that server).
stop_server() {
  { wait "$server_pid"; } 2>/dev/null
  local number=${display#:}
  if [ "$(tr -dc 0-9 2>/dev/null <"/tmp/.X$number-lock")" = "$server_pid" ]; then
    rm -f "/tmp/.X$number-lock" "/tmp/.X11-unix/X$number"
  fi
}

# 1. The display ends under a running program.
#    lose_display <what> <signal for the server> <window name> <folder> <program> [argument]
case_number=0
lose_display() {
  local what=$1 signal=$2 window=$3 dir=$4 program=$5
  shift 5
  case_number=$((case_number + 1))
  local log="$work/program$case_number.log"
  if ! start_server; then
    fail "$what: the virtual display did not start: $(tail -n 5 "$work/xvfb.log")"
    return
  fi
  (cd "$dir" && DISPLAY="$display" exec "./$program" "$@") >/dev/null 2>"$log" &
  local pid=$!
  started_pids+=("$pid")
  if ! wait_until 150 window_shown "$display" "$window"; then
    fail "$what: the window did not appear: $(cat "$log")"
    kill -KILL "$pid" "$server_pid" 2>/dev/null
    stop_server
    return
  fi
  sleep 0.5  # some frames on the display before it goes
  local before
  before=$(wc -l <"$log")
  local start
  start=$(now_ms)
  # The shell's own note of a killed server is kept out of the output.
  {
    kill "-$signal" "$server_pid"
    while kill -0 "$pid" && (($(now_ms) - start < 2000)); do sleep 0.05; done
    wait "$server_pid"
  } 2>/dev/null
  local elapsed=$(($(now_ms) - start))
  if kill -0 "$pid" 2>/dev/null; then
    fail "$what: still running 2 s after the display ended, at $(ps -o pcpu= -p "$pid")% of a core"
    kill -KILL "$pid" 2>/dev/null
  fi
  wait "$pid"
  local code=$?
  stop_server
  local said
  said=$(tail -n +$((before + 1)) "$log")
  local expected="$program: the display \"$display\" is gone; ending."
  if [ "$said" != "$expected" ]; then
    fail "$what: standard error after the display ended was not the one line '$expected':"
    sed 's/^/    | /' <<<"$said" | head -n 40
  fi
  [ "$code" -eq 1 ] || fail "$what: exit code $code, not 1"
  local left
  left=$(pids_of "$dir/$program")
  [ -z "$left" ] || fail "$what: processes of the program are left: $left"
  note "$what: ended ${elapsed} ms after the display, with code $code"
}

lose_display "launcher, display server shut down" TERM "QorvexGames Hubbix" "$launcher_dir" Hubbix
lose_display "launcher, display server killed" KILL "QorvexGames Hubbix" "$launcher_dir" Hubbix
lose_display "game, display server shut down" TERM "^Zeppolo" "$game_dir" Zeppolo "$launcher_dir"
lose_display "game, display server killed" KILL "^Zeppolo" "$game_dir" Zeppolo "$launcher_dir"

# 2. A display that refuses the program's first try and comes up a moment later: the program tries
#    again and finds it. A stand-in listens where the X server will, and refuses one connection
#    (so the program has surely tried and failed once); then the real server starts there.
number=""
for ((i = 0; i < 50; i++)); do
  candidate=$((100 + RANDOM % 301))
  if [ ! -e "/tmp/.X$candidate-lock" ] && [ ! -e "/tmp/.X11-unix/X$candidate" ]; then
    number=$candidate
    break
  fi
done
if [ -z "$number" ]; then
  fail "no free display number for the late display"
elif ! command -v python3 >/dev/null 2>&1; then
  note "(no python3: a display that comes up late was not checked)"
else
  log="$work/late.log"
  python3 - "$number" >"$work/standin.log" 2>&1 <<'PY' &
import socket, sys
server = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
# The abstract address X clients on Linux try first.
server.bind("\0/tmp/.X11-unix/X" + sys.argv[1])
server.listen(8)
server.settimeout(30)
print("listening", flush=True)
connection, _ = server.accept()
connection.close()
server.close()
print("refused", flush=True)
PY
  standin_pid=$!
  started_pids+=("$standin_pid")
  if ! wait_until 100 grep -q listening "$work/standin.log"; then
    fail "late display: the stand-in did not listen: $(cat "$work/standin.log")"
  else
    (cd "$launcher_dir" && DISPLAY=":$number" exec ./Hubbix) >/dev/null 2>"$log" &
    pid=$!
    started_pids+=("$pid")
    if ! wait_until 300 grep -q refused "$work/standin.log"; then
      fail "late display: the launcher never tried the display: $(cat "$log")"
    else
      refused_at=$(now_ms)
      if ! start_server "$number"; then
        fail "late display: the virtual display did not start: $(tail -n 5 "$work/xvfb.log")"
      elif wait_until 150 window_shown ":$number" "QorvexGames Hubbix"; then
        note "late display: refused once, up $((server_ready_ms - refused_at)) ms later;" \
          "the launcher waited for it"
        kill -TERM "$pid"
        wait_until 50 bash -c "! kill -0 $pid 2>/dev/null" ||
          fail "late display: the launcher did not close"
      elif grep -q "cannot start" "$log" && ((server_ready_ms - refused_at > 900)); then
        note "late display: the server took $((server_ready_ms - refused_at)) ms to start," \
          "longer than the launcher waits; not checked"
      elif kill -0 "$pid" 2>/dev/null; then
        fail "late display: the launcher runs but showed no window within 15 s: $(cat "$log")"
      else
        fail "late display: the launcher did not wait for the display: $(cat "$log")"
      fi
      kill -TERM "$server_pid" 2>/dev/null
      stop_server
    fi
  fi
fi

if [ $failures -eq 0 ]; then echo "display_lost: all checks passed"; fi
exit $failures
