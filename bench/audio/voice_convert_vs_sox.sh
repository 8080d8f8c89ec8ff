#!/bin/sh
# Converts the same one-hour 44.1 kHz stereo 16-bit file to the 16 kHz mono working format with our
# `voice convert` and with sox, in one run, and reports wall times, their ratio and peak memory.
# Usage: voice_convert_vs_sox.sh CHATTERMASK_CLI [SECONDS]   (SECONDS defaults to 3600)
set -eu
cli=$1
seconds=${2:-3600}
work=$(mktemp -d "${TMPDIR:-/tmp}/cmbenchXXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM

# Speech-like material: a swept tone with noise, so neither tool meets runs of silence.
sox -n -r 44100 -c 2 -b 16 "$work/in.wav" synth "$seconds" sine 200-3000 whitenoise vol 0.4 2>/dev/null

measure() { # label, command...: prints "label seconds peak_kb"
    label=$1
    shift
    /usr/bin/time -f "%e %M" -o "$work/time.txt" "$@" >/dev/null 2>&1
    printf '%s %s\n' "$label" "$(cat "$work/time.txt")"
}

ours=$(measure ours "$cli" voice convert "$work/in.wav" "$work/ours.wav")
rm -f "$work/ours.wav"
theirs=$(measure sox sox "$work/in.wav" -r 16000 -c 1 -b 16 "$work/sox.wav")
rm -f "$work/sox.wav"

echo "$ours" "$theirs" | awk -v secs="$seconds" '{
    printf "input: %d s of 44.1 kHz stereo 16-bit\n", secs
    printf "voice convert: %.2f s, peak %.1f MB\n", $2, $3 / 1024
    printf "sox:           %.2f s, peak %.1f MB\n", $5, $6 / 1024
    if ($2 > 0) printf "sox time / ours: %.2fx (target >= 3x)\n", $5 / $2
}'
