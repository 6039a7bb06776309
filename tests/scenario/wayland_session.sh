#!/usr/bin/env bash
# Both programs on a Wayland compositor nested in a virtual X display (wayland_session.py): the
# player's round from the launcher's page to the game and back, a pop, Alt+Enter, the choice of
# display, a compositor that dies or shuts down under the game, and an output of scale 2. Runs on
# a private copy of the staged install layout. Exit code 77 (skipped) when Xvfb or weston is
# missing.
set -u

# Room for weston's output at scale 2.
virtual_screen=2048x1536x24
source "$(dirname "$0")/virtual_display.sh" "the programs on Wayland" "$0" "$@"
if ! command -v weston >/dev/null 2>&1; then
  echo "SKIPPED: weston is not installed (Debian package weston); Wayland was not checked."
  exit 77
fi
require_tools xdotool xwininfo import python3 setxkbmap
source "$(dirname "$0")/polling.sh"

# The leaks the sanitizers pass over in these programs must be named by code that never calls ours:
# a name our Wayland listeners run under (libwayland's round trips and dispatch, libffi's calls),
# SDL (which calls our event watches, audio callback and threads) or one of our own modules would
# hide our leaks as well. Patterns match as LeakSanitizer's do: a
# part of the name, or all of it between ^ and $.
hiding=$(python3 - "$(dirname "$0")/lsan-system.supp" <<'PY'
import re, sys
ours = ["wl_display_roundtrip_queue", "wl_display_roundtrip", "wl_display_dispatch_queue_pending",
        "wl_display_dispatch_queue", "wl_display_dispatch", "wl_closure_invoke", "ffi_call",
        "libwayland-client.so.0", "libffi.so.8", "libSDL2-2.0.so.0", "libSDL3.so.0", "libqz.so",
        "Zeppolo", "Hubbix"]
for line in open(sys.argv[1]):
    if not line.startswith("leak:"):
        continue
    pattern = line[5:].strip()
    body = re.escape(pattern.strip("^$")).replace(r"\*", ".*")
    regex = ("^" if pattern.startswith("^") else "") + body + ("$" if pattern.endswith("$") else "")
    for name in ours:
        if re.search(regex, name):
            print("%s hides %s" % (pattern, name))
PY
)
[ -z "$hiding" ] || fail "the leak suppressions hide our own code: $hiding"

use_private_work
copy_stage
python3 "$(dirname "$0")/wayland_session.py" "$work/Hubbix" "$work" || failures=$((failures + 1))
exit $failures
