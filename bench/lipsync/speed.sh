#!/bin/bash
# Speed and peak memory of chattermask-cli lipsync on long voices, without text (phonetic, and with the
# words recognised first: --words) and with their text, on one core, measured by GNU time. The voices are flite sentences of four voices repeated to the length.
# x_realtime_cpu divides the voice's length by the processor time used (user + system), which other
# programs on the machine do not disturb; x_realtime_wall by the elapsed time.
# Usage: bench/lipsync/speed.sh BUILD_BIN_DIR [SECONDS...]   (default lengths: 600 3600)
# SPEED_MODES="plain words" limits the modes measured (default: plain words text); KEEP_VOICES=DIR
# leaves the long voices and texts there.
set -euo pipefail
bin=${1:?usage: speed.sh BUILD_BIN_DIR [SECONDS...]}
shift
lengths=${*:-600 3600}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

sentences=(
    "The quick brown fox jumps over the lazy dog."
    "Open the window and let the morning air into the room."
    "My brother bought four blue balloons at the market."
    "The old man walked slowly along the river bank."
    "Please measure the shelf before you order the glass."
    "Nobody knew the answer, so the teacher smiled."
)
parts=()
: > "$work/round.txt"
n=0
for voice in awb rms slt kal16; do
    for sentence in "${sentences[@]}"; do
        flite -voice "$voice" -t "$sentence" -o "$work/p$n.raw.wav"
        sox "$work/p$n.raw.wav" -r 16000 -c 1 -b 16 "$work/p$n.wav"
        parts+=("$work/p$n.wav")
        echo "$sentence" >> "$work/round.txt"
        n=$((n + 1))
    done
done
sox "${parts[@]}" "$work/round.wav"
round=$(soxi -D "$work/round.wav")

printf '%-8s %-6s %10s %10s %16s %14s %12s\n' length mode wall_s cpu_s x_realtime_wall x_realtime_cpu peak_rss_MB
for seconds in $lengths; do
    repeats=$(python3 -c "import math; print(math.ceil($seconds / $round))")
    sox "$work/round.wav" "$work/long.wav" repeat $((repeats - 1)) trim 0 "$seconds"
    : > "$work/long.txt"
    for ((i = 0; i < repeats; i++)); do cat "$work/round.txt" >> "$work/long.txt"; done
    if [ -n "${KEEP_VOICES:-}" ]; then
        mkdir -p "$KEEP_VOICES"
        cp "$work/long.wav" "$KEEP_VOICES/long$seconds.wav"
        cp "$work/long.txt" "$KEEP_VOICES/long$seconds.txt"
    fi
    for mode in ${SPEED_MODES:-plain words text}; do
        extra=()
        [ "$mode" = words ] && extra=(--words)
        [ "$mode" = text ] && extra=(--text "$work/long.txt")
        taskset -c 0 /usr/bin/time -v -o "$work/time.txt" "$bin/chattermask-cli" lipsync "$work/long.wav" \
            "${extra[@]}" --format tsv > /dev/null 2> "$work/err.txt"
        wall=$(grep 'Elapsed (wall clock)' "$work/time.txt" | awk '{print $NF}' |
            python3 -c "import sys; p=sys.stdin.read().strip().split(':'); print(sum(float(x)*60**i for i,x in enumerate(reversed(p))))")
        cpu=$(awk -F': ' '/User time|System time/ {sum += $2} END {print sum}' "$work/time.txt")
        rss=$(grep 'Maximum resident set size' "$work/time.txt" | awk '{print $NF}')
        printf '%-8s %-6s %10.1f %10.1f %16.1f %14.1f %12.1f\n' "$seconds" "$mode" "$wall" "$cpu" \
            "$(python3 -c "print($seconds / $wall)")" "$(python3 -c "print($seconds / $cpu)")" \
            "$(python3 -c "print($rss / 1024)")"
    done
done
