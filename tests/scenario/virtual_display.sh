# Sourced by the scenarios that need an X display. Run as `script.sh <stage folder>`, the script
# starts itself again under xvfb-run as `script.sh --inside <stage folder>`, or exits 77 (skipped)
# when there is no xvfb-run. Inside, it sets `stage`.
#
#   source virtual_display.sh "<what goes unchecked without a display>" "$0" "$@"
#
# The display is 1024 x 768 unless the script sets virtual_screen (as "WIDTHxHEIGHTxDEPTH")
# before sourcing this.
unchecked="$1"
script="$2"
shift 2
if [ "${1:-}" != "--inside" ]; then
  stage="${1:?usage: $(basename "$script") <stage folder>}"
  if ! command -v xvfb-run >/dev/null 2>&1; then
    echo "SKIPPED: xvfb-run is not installed (Debian package xvfb); $unchecked was not checked."
    exit 77
  fi
  exec xvfb-run -a -s "-screen 0 ${virtual_screen:-1024x768x24}" bash "$script" --inside "$stage"
fi
stage="$2"

# Starts openbox on the display, for scenarios that resize, maximise or switch a window to full
# screen as a user would; waits until it manages windows. It ends with the display. False when
# openbox is missing or does not come up.
start_window_manager() {
  command -v openbox >/dev/null 2>&1 || return 1
  openbox >/dev/null 2>&1 &
  window_manager=$!
  for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && return 0
    sleep 0.1
  done
  return 1
}
