# Helpers shared by the scenarios that start real programs; sourced, not run.

# Checks count their failures; the scenario's exit code is the count.
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
note() { echo "  $*"; }

# Makes a private folder, $work, and arranges that on exit every program the scenario started
# (its pid appended to started_pids) is ended, asked first and killed if it will not go, and the
# folder removed.
use_private_work() {
  work=$(mktemp -d)
  started_pids=()
  trap end_started_programs EXIT
}

end_started_programs() {
  local pid alive=""
  for pid in "${started_pids[@]}"; do
    kill -0 "$pid" 2>/dev/null && kill -TERM "$pid" 2>/dev/null && alive=1
  done
  if [ -n "$alive" ]; then
    sleep 0.5
    for pid in "${started_pids[@]}"; do
      kill -0 "$pid" 2>/dev/null && kill -KILL "$pid" 2>/dev/null
    done
  fi
  rm -rf "$work"
}

# A private copy of the staged layout in $work/Hubbix, without the files a player's run writes.
copy_stage() {
  cp -a "$stage/Hubbix" "$work/Hubbix"
  rm -f "$work/Hubbix/options.ini" "$work/Hubbix/Zeppolo/hiscore.dat"
}

# Polls a command for up to $1 tenths of a second; true as soon as it succeeds.
wait_until() {
  local tenths=$1
  shift
  for ((i = 0; i < tenths; i++)); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

# The ids of the running processes whose program is the given file.
pids_of() {
  local program=$1 pid
  for exe in /proc/[0-9]*/exe; do
    pid=${exe#/proc/}
    pid=${pid%/exe}
    [ "$(readlink "$exe" 2>/dev/null)" = "$program" ] && echo "$pid"
  done
}

# The first visible window whose title matches.
window_named() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1; }
found_window() { [ -n "$(window_named "$1")" ]; }

# A player's click on a point of a window: the pointer moves there and the button is held a
# moment; then a pause of $4 seconds (none by default) for what the click starts.
click() {
  xdotool mousemove --window "$1" "$2" "$3"
  sleep 0.2
  xdotool mousedown 1
  sleep 0.2
  xdotool mouseup 1
  sleep "${4:-0}"
}

# LSAN_OPTIONS with the sanitizers' suppressions, where the run names a file, in a copy in $work
# that anyone may read, with the lines of the files given added to it: the clone's own may lie in a
# folder only root may enter, and a scenario may pass over more of what a system library keeps.
suppressions_in_work() {
  local lsan="${LSAN_OPTIONS:-}"
  if [[ "$lsan" =~ (^|:)suppressions=([^:]*) ]]; then
    cat "${BASH_REMATCH[2]}" "$@" >"$work/lsan.supp"
    chmod 644 "$work/lsan.supp"
    lsan="${lsan/"suppressions=${BASH_REMATCH[2]}"/suppressions=$work/lsan.supp}"
  fi
  echo "$lsan"
}

# Sets the array as_player to the words that run a program as an ordinary player: the unprivileged
# user 65534 when the scenario runs as root, so that a file's permissions hold for the program as
# they do for a player, and the scenario's own user otherwise. The display's key and the
# sanitizers' suppressions go with copies in $work that the player may read; $work is opened to
# the player for them.
ordinary_player() {
  as_player=(env)
  [ "$(id -u)" -eq 0 ] || return 0
  chmod 755 "$work"
  : >"$work/player.xauthority"
  if [ -n "${XAUTHORITY:-}" ]; then cp "$XAUTHORITY" "$work/player.xauthority"; fi
  chown 65534:65534 "$work/player.xauthority"
  as_player=(setpriv --reuid=65534 --regid=65534 --clear-groups
             env XAUTHORITY="$work/player.xauthority" LSAN_OPTIONS="$(suppressions_in_work)")
}
