#!/bin/bash
# Runs a command against a private sound server: a 16 kHz mono null sink as the speakers, its monitor
# remapped into an ordinary source as the microphone, and a low-latency silence stream that keeps the
# sink awake. Everything started here is stopped here, by process id.
set -u
runtime=$(mktemp -d)
export XDG_RUNTIME_DIR=$runtime PULSE_RUNTIME_PATH=$runtime PULSE_STATE_PATH=$runtime HOME=$runtime
export PULSE_SERVER=unix:$runtime/native
pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --log-target=file:$runtime/log \
    -L "module-native-protocol-unix socket=$runtime/native auth-anonymous=1" \
    -L "module-null-sink sink_name=speakers rate=16000 channels=1 format=s16le" \
    -L "module-remap-source master=speakers.monitor source_name=microphone" &
server=$!
keeper=
cleanup() {
    [ -n "$keeper" ] && kill "$keeper" 2>/dev/null && wait "$keeper" 2>/dev/null
    kill "$server" 2>/dev/null && wait "$server" 2>/dev/null
    rm -rf "$runtime"
}
trap cleanup EXIT

for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
pactl info >/dev/null 2>&1 || { echo "the sound server did not start"; cat "$runtime/log"; exit 1; }
pactl set-default-sink speakers
pactl set-default-source microphone
pacat --latency-msec=20 --rate=16000 --channels=1 --format=s16le /dev/zero &
keeper=$!
# An idle null sink stalls new streams until its latency has come down.
for _ in $(seq 100); do
    latency=$(pactl list sinks | sed -n 's/.*Latency: \([0-9]*\) usec.*/\1/p' | head -1)
    [ -n "$latency" ] && [ "$latency" -gt 0 ] && [ "$latency" -lt 100000 ] && break
    sleep 0.1
done
CM_PULSE_TEST=1 "$@"
