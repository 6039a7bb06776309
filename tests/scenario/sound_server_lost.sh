#!/usr/bin/env bash
# The game's sound outlives its sound server: the game plays its music through a real sound server
# (started here, private to the test), which then freezes and is killed, as a hang, a crash or an
# update would do. The game goes on silently without burning the processor, finds the server
# again by itself when it comes back, and plays on; a sink removed and replaced by a new one is
# followed the same way.
#
# Run as `sound_server_lost.sh <stage folder>`, against PulseAudio, or with SOUND_SERVER=pipewire
# against PipeWire and its PulseAudio replacement (sound_server.sh); there the game chooses its
# way to the server as on a player's desktop (SDL 2 through PulseAudio's protocol, SDL 3 through
# PipeWire's own). Exit code 77 (skipped) without the server's programs.
set -u
stage="$1"
source "$(dirname "$0")/polling.sh"
source "$(dirname "$0")/sound_server.sh"

if missing=$(sound_tools_missing); then
  echo "SKIPPED: $missing is not installed (scripts/deps.sh installs the $SOUND_SERVER server)."
  exit 77
fi

use_private_work
sound_setup
copy_stage
game_dir="$work/Hubbix/Zeppolo"
ticks=$(getconf CLK_TCK)
now_ms() { echo $(($(date +%s%N) / 1000000)); }
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
our_stream() { pactl list short sink-inputs 2>/dev/null | grep -q .; }
# Whether the game's log says the text more than $2 times (default 0).
said() { [ "$(grep -c "$1" "$work/game.log")" -gt "${2:-0}" ]; }
# Whether the game said it is heard again after each time it said it was not, and has said nothing
# for 1.5 s: SDL 3 follows a new default output by itself, and its report of the old one's removal
# (after which the game starts its audio anew) may come after the game is heard there.
settled() {
  local lost quiet_ns
  lost=$(grep -c "went away\|stopped taking" "$work/game.log")
  quiet_ns=$(($(date +%s%N) - $(date -r "$work/game.log" +%s%N)))
  [ "$lost" -le "$(grep -c "is back" "$work/game.log")" ] && [ $quiet_ns -gt 1500000000 ]
}

start_sound_server || { fail "the sound server did not start: $(cat "$work/pulse.log")"; exit 1; }
record out "$work/before.raw"
# The sanitizers' suppressions take SDL's own records kept after its audio system starts anew,
# which happens only here.
lsan=$(suppressions_in_work "$(dirname "$0")/lsan-sound-restart.supp")
driver=(-u SDL_AUDIODRIVER)
[ "$SOUND_SERVER" = pipewire ] || driver=(SDL_AUDIODRIVER=pulseaudio)
(cd "$game_dir" && exec env "${driver[@]}" LSAN_OPTIONS="$lsan" SDL_VIDEODRIVER=dummy ./Zeppolo \
  "$work/Hubbix") \
  >"$work/game.log" 2>&1 &
game=$!
started_pids+=("$game")

# 1. The music reaches the server.
wait_until 80 has_sound "$work/before.raw" || fail "no sound before the server went: $(cat "$work/game.log")"

# 2. The server freezes, then dies, as a hung server that is killed would: the game plays on
#    silently, without spinning.
before=$(cpu_ticks $game)
start=$(now_ms)
freeze_sound_server
wait_until 30 said "stopped taking sound" || fail "the game did not notice that the server froze"
stop_sound_server KILL
sleep 1.5
used=$(($(cpu_ticks $game) - before))
elapsed=$(($(now_ms) - start))
note "while the server was frozen or gone the game used $((used * 100000 / (elapsed * ticks)))% of a core"
[ $((used * 4000)) -lt $((elapsed * ticks)) ] || fail "the game used $used ticks in $elapsed ms"
kill -0 $game 2>/dev/null || fail "the game ended without its server: $(cat "$work/game.log")"
# SDL 3 may go on pulling its device into nothing once the server is gone: that is not being heard.
said "is back" && fail "the game said it was heard with its server gone: $(cat "$work/game.log")"

# 3. The server comes back: the game finds it by itself and is heard again.
start_sound_server || fail "the sound server did not start again"
back=$(now_ms)
record out "$work/after.raw"
if wait_until 20 our_stream; then
  note "the game was back on the server $(($(now_ms) - back)) ms after the server"
else
  fail "the game did not come back to the server within 2 s"
fi
if wait_until 60 has_sound "$work/after.raw"; then
  note "the game was heard again $(($(now_ms) - back)) ms after the server came back"
else
  fail "no sound after the server came back"
fi

# 4. A new output device appears and becomes the default, and the old one is taken away: the game
#    follows. (In this order: SDL 3.4's PulseAudio code crashes on a server left with no sink.)
sink_module=$(pactl list short modules | awk '/module-null-sink/ { print $1 }')
pactl load-module module-null-sink sink_name=new rate=22050 >/dev/null
pactl set-default-sink new
pactl unload-module "$sink_module"
record new "$work/new.raw"
wait_until 60 has_sound "$work/new.raw" || fail "no sound on the output that replaced the old one"
# Whatever the game made of the change (SDL 3 starts its audio anew for it), it is over before the
# server freezes again.
wait_until 60 settled ||
  fail "the game did not settle on the new output: $(cat "$work/game.log")"

# 5. The game still ends cleanly when asked, even with its server hung.
frozen=$(grep -c "stopped taking sound" "$work/game.log")
freeze_sound_server
wait_until 30 said "stopped taking sound" "$frozen" ||
  fail "the game did not notice the server hang: $(cat "$work/game.log")"
kill -TERM $game
wait_until 50 bash -c "! kill -0 $game 2>/dev/null" || fail "the game did not end within 5 s"
wait $game
code=$?
[ $code -eq 0 ] || fail "the game exited $code: $(cat "$work/game.log")"
grep -q "Sanitizer" "$work/game.log" && fail "the game reported: $(cat "$work/game.log")"
stop_sound_server KILL

if [ $failures -eq 0 ]; then echo "sound_server_lost ($SOUND_SERVER): all checks passed"; fi
exit $failures
