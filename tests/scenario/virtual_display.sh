# Sourced by the scenarios that need an X display. Run as `script.sh <stage folder>`, the script
# starts a virtual display server of its own and runs itself again on it as
# `script.sh --inside <stage folder>`, or exits 77 (skipped) when there is no Xvfb. Inside, it
# sets `stage`, with no SDL_VIDEODRIVER or WAYLAND_DISPLAY to lead the programs off the display.
#
#   source virtual_display.sh "<what goes unchecked without a display>" "$0" "$@"
#
# The display is 1024 x 768 unless the script sets virtual_screen (as "WIDTHxHEIGHTxDEPTH")
# before sourcing this. The server picks a free display number itself and reports it once it
# accepts clients, so any number of scenarios may run at once.
unchecked="$1"
script="$2"
shift 2
if [ "${1:-}" != "--inside" ]; then
  stage="${1:?usage: $(basename "$script") <stage folder>}"
  if ! command -v Xvfb >/dev/null 2>&1; then
    echo "SKIPPED: Xvfb is not installed (Debian package xvfb); $unchecked was not checked."
    exit 77
  fi
  display_file=$(mktemp)
  display_log=$(mktemp)
  # -noreset: a desktop's server keeps its state while programs come and go; without it the
  # server resets whenever its last client leaves, and a keyboard layout set with setxkbmap (a
  # client of its own) would be gone before the programs start.
  Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 "${virtual_screen:-1024x768x24}" \
    3>"$display_file" 2>"$display_log" &
  display_server=$!
  trap 'kill "$display_server" 2>/dev/null; wait "$display_server" 2>/dev/null
        rm -f "$display_file" "$display_log"' EXIT
  trap 'exit 143' TERM INT
  for _ in $(seq 300); do
    [ -s "$display_file" ] && break
    kill -0 "$display_server" 2>/dev/null || break
    sleep 0.05
  done
  if [ ! -s "$display_file" ]; then
    echo "FAIL: the virtual display did not start: $(tail -n 5 "$display_log")"
    exit 1
  fi
  # Only the virtual display: a Wayland desktop the tests run in must not receive their windows.
  # The programs show on this display whatever the caller's environment chose (CI runs everything
  # else on SDL's headless driver) and whatever Wayland desktop the tests run inside.
  env -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER DISPLAY=":$(tr -dc 0-9 <"$display_file")" \
    bash "$script" --inside "$stage"
  exit $?
fi
stage="$2"

# Fails the scenario, naming the first of the tools it needs that is missing.
require_tools() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null 2>&1 || { echo "FAIL: $tool is not installed"; exit 1; }
  done
}

# Starts openbox on the display, for scenarios that resize, maximise or switch a window to full
# screen as a user would; waits until it manages windows (with wait_until, from polling.sh). It
# ends with the display. False when openbox is missing or does not come up. Openbox announces
# itself before it has read its theme (where its first run on a system builds the font cache), and
# a window mapped in that time is never shown: so the wait is for a probe window it has shown, made
# anew while none is.
start_window_manager() {
  command -v openbox >/dev/null 2>&1 || return 1
  openbox >/dev/null 2>&1 &
  window_manager=$!
  wait_until 100 eval 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"' ||
    return 1
  local probe
  for _ in $(seq 20); do
    xmessage -name window-manager-probe -geometry 50x20+0+0 probe >/dev/null 2>&1 &
    probe=$!
    wait_until 10 eval \
      '[ -n "$(xdotool search --onlyvisible --classname window-manager-probe 2>/dev/null)" ]'
    local shown=$?
    kill "$probe" 2>/dev/null
    wait "$probe" 2>/dev/null
    [ $shown -eq 0 ] && return 0
    kill -0 "$window_manager" 2>/dev/null || return 1
  done
  return 1
}
