# Polling helpers shared by the scenarios that start real programs; sourced, not run.

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
