# A private sound server for the scenarios that hear the game: a null sink as the default output,
# its monitor recorded with parec, on sockets in $work so that no other server is ever touched.
# Sourced after polling.sh's use_private_work. $SOUND_SERVER chooses the server:
#   pulseaudio (default)  PulseAudio itself (Debian packages pulseaudio, pulseaudio-utils)
#   pipewire              PipeWire with WirePlumber and its PulseAudio replacement, as the
#                         desktops of Debian 13 have it (pipewire, pipewire-pulse, wireplumber,
#                         pulseaudio-utils, and dbus-daemon for WirePlumber's session bus)
#
#   sound_tools_missing             prints the first missing tool; false when none is
#   start_sound_server [SINK]       starts it (again), its sink named SINK (default "out"), and
#                                   waits until it answers
#   freeze_sound_server             stops the server's processes where they are (SIGSTOP)
#   stop_sound_server [SIGNAL]      ends it (default KILL, as a crash would)
#   record SINK FILE                records SINK's monitor into FILE (raw s16le mono 22050 Hz)
#   loud_samples FILE               how many recorded samples are louder than 1/32 of full scale

SOUND_SERVER=${SOUND_SERVER:-pulseaudio}

sound_tools_missing() {
  local tool tools=(pactl parec)
  case $SOUND_SERVER in
    pipewire) tools+=(pipewire pipewire-pulse wireplumber dbus-daemon) ;;
    *) tools+=(pulseaudio) ;;
  esac
  for tool in "${tools[@]}"; do
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
  if [ "$SOUND_SERVER" = pipewire ]; then
    # PipeWire's sockets, PipeWire's PulseAudio socket (pulse/native) and a session bus of our
    # own, which WirePlumber needs, all in one runtime folder.
    export XDG_RUNTIME_DIR="$work/pulse" XDG_STATE_HOME="$work/pulse-home"
    export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/pulse/bus"
    unset PIPEWIRE_REMOTE PIPEWIRE_RUNTIME_DIR
    dbus-daemon --session --nofork --nopidfile --address="$DBUS_SESSION_BUS_ADDRESS" \
      >>"$work/pulse.log" 2>&1 &
    started_pids+=($!)
  fi
  sound_server=""
}

start_sound_server() {
  local sink=${1:-out}
  # A server that was killed leaves its sockets behind: the wait below must see the new ones.
  rm -f "$work/pulse/native" "$work/pulse/pipewire-0" "$work/pulse/pipewire-0-manager"
  if [ "$SOUND_SERVER" = pipewire ]; then
    pipewire >>"$work/pulse.log" 2>&1 &
    sound_server="$!"
    wait_until 50 test -S "$work/pulse/pipewire-0" || return 1
    wireplumber >>"$work/pulse.log" 2>&1 &
    sound_server+=" $!"
    pipewire-pulse >>"$work/pulse.log" 2>&1 &
    sound_server+=" $!"
    started_pids+=($sound_server)
    wait_until 100 pactl info >/dev/null 2>&1 || return 1
    # The null sink at the game's own rate, made the default output as a desktop's sound card is
    # (once WirePlumber, which keeps the default, is there).
    pactl load-module module-null-sink sink_name="$sink" rate=22050 >/dev/null &&
      wait_until 100 pactl set-default-sink "$sink" 2>/dev/null
    return
  fi
  # -n: no configuration of the system's; the sink runs at the game's own rate.
  pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --disable-shm=yes \
    -L "module-null-sink sink_name=$sink rate=22050" \
    -L "module-native-protocol-unix socket=$work/pulse/native auth-anonymous=1" \
    >>"$work/pulse.log" 2>&1 &
  sound_server=$!
  started_pids+=("$sound_server")
  wait_until 100 pactl info >/dev/null 2>&1
}

freeze_sound_server() {
  # shellcheck disable=SC2086 # one id or several
  kill -STOP $sound_server
}

stop_sound_server() {
  local pid
  [ -n "$sound_server" ] || return 0
  for pid in $sound_server; do
    kill -CONT "$pid" 2>/dev/null
    kill -"${1:-KILL}" "$pid" 2>/dev/null
  done
  for pid in $sound_server; do
    wait "$pid" 2>/dev/null
  done
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
