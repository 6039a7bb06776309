# A private PulseAudio server for the scenarios that hear the game: a null sink as the default
# output, its monitor recorded with parec, on a socket in $work so that no other server is ever
# touched. Sourced after polling.sh's use_private_work; needs pulseaudio and pulseaudio-utils.
#
#   start_sound_server [SINK]       starts it (again), its sink named SINK (default "out"), and
#                                   waits until it answers
#   stop_sound_server [SIGNAL]      ends it (default KILL, as a crash would)
#   record SINK FILE                records SINK's monitor into FILE (raw s16le mono 22050 Hz)
#   loud_samples FILE               how many recorded samples are louder than 1/32 of full scale

sound_tools_missing() {
  local tool
  for tool in pulseaudio pactl parec; do
    command -v $tool >/dev/null 2>&1 || { echo "$tool"; return 0; }
  done
  return 1
}

# The server and its clients find each other here, and nothing lands in a real home.
sound_setup() {
  mkdir -p "$work/pulse" "$work/pulse-home"
  chmod 700 "$work/pulse"
  export PULSE_RUNTIME_PATH="$work/pulse" PULSE_SERVER="unix:$work/pulse/native"
  export PULSE_STATE_PATH="$work/pulse" HOME="$work/pulse-home" XDG_CONFIG_HOME="$work/pulse-home"
  sound_server=""
}

start_sound_server() {
  rm -f "$work/pulse/native"
  # -n: no configuration of the system's; the sink runs at the game's own rate.
  pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --disable-shm=yes \
    -L "module-null-sink sink_name=${1:-out} rate=22050" \
    -L "module-native-protocol-unix socket=$work/pulse/native auth-anonymous=1" \
    >>"$work/pulse.log" 2>&1 &
  sound_server=$!
  started_pids+=("$sound_server")
  wait_until 100 pactl info >/dev/null 2>&1
}

stop_sound_server() {
  [ -n "$sound_server" ] || return 0
  kill -"${1:-KILL}" "$sound_server" 2>/dev/null
  wait "$sound_server" 2>/dev/null
  sound_server=""
}

# A recorder asks for a short latency: a null sink that nobody hurries sleeps for two seconds at a
# time, which would hold back every new stream.
record() {
  parec -d "$1.monitor" --latency-msec=10 --format=s16le --rate=22050 --channels=1 --raw \
    >"$2" 2>/dev/null &
  started_pids+=($!)
}

loud_samples() {
  od -An -v -t d2 -w2 "$1" 2>/dev/null |
    awk '{ v = $1 < 0 ? -$1 : $1; if (v > 1024) n++ } END { print n + 0 }'
}

has_sound() { [ "$(loud_samples "$1")" -gt 0 ]; }
