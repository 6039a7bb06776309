# Sourced by the scenarios that need an X display. Run as `script.sh <stage folder>`, the script
# starts itself again under xvfb-run as `script.sh --inside <stage folder>`, or exits 77 (skipped)
# when there is no xvfb-run. Inside, it sets `stage`.
#
#   source virtual_display.sh "<what goes unchecked without a display>" "$0" "$@"
unchecked="$1"
script="$2"
shift 2
if [ "${1:-}" != "--inside" ]; then
  stage="${1:?usage: $(basename "$script") <stage folder>}"
  if ! command -v xvfb-run >/dev/null 2>&1; then
    echo "SKIPPED: xvfb-run is not installed (Debian package xvfb); $unchecked was not checked."
    exit 77
  fi
  exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$script" --inside "$stage"
fi
stage="$2"
