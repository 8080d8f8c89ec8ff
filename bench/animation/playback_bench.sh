#!/bin/sh
# A 60-second play of a project through `chattermask-cli play --json`, once with the software renderer
# and once with OpenGL (Mesa's llvmpipe where there is no GPU), each on a private sound server so the
# played position of a real output stream drives the clock. Reports, per mode: the frame start
# interval (mean and p99; the player aims at 40 ms), the p99 lateness of a frame start past 40 ms, the
# CPU time of the player's thread as a share of one core (and of the whole process, which holds the
# OpenGL driver's own rasteriser threads), and the largest distance between a frame's
# time and the sound's played position when it is done.
#
# Run by hand (not part of ctest), from the source folder:
#   bench/animation/playback_bench.sh build/release/bin/chattermask-cli [SECONDS]
# The project is the default male one made SECONDS long (60 unless given): its voice repeated and its
# tracks repeated with it. The player's thread is found by its name and its CPU time read from /proc
# while it plays, so the figures hold on Linux only.
set -eu
# The sound server of the tests, started for this run and stopped after it.
if [ -z "${CM_PULSE_TEST:-}" ]; then
    exec "$(dirname "$(realpath "$0")")/../../tests/animation_ui/with-pulse.sh" "$0" "$@"
fi
cli=$(realpath "$1")
seconds=${2:-60}
here=$(dirname "$(realpath "$0")")
bin=$(dirname "$cli")
work=$(mktemp -d "${TMPDIR:-/tmp}/cmplaybenchXXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM

"$cli" doc extract "$bin/Default/Male.hax" "$work/hax" >/dev/null
"$cli" timeline dump "$bin/Default/Male.cmx" --json >"$work/timeline.json"
python3 - "$work" "$seconds" <<'PY'
import json, sys, wave
work, seconds = sys.argv[1], int(sys.argv[2])
with wave.open(f"{work}/hax/SPCW.wav") as voice:
    params, frames = voice.getparams(), voice.readframes(voice.getnframes())
samples = len(frames) // 2
wanted = seconds * 16000
repeats = -(-wanted // samples)
with wave.open(f"{work}/voice.wav", "wb") as out:
    out.setparams(params)
    out.writeframes((frames * repeats)[: wanted * 2])
tracks = json.load(open(f"{work}/timeline.json"))
longer = {}
for name, items in tracks.items():
    longer[name] = []
    for k in range(repeats):
        for item in items:
            copy = dict(item)
            for key in ("start", "end", "time"):
                if key in copy:
                    copy[key] += k * samples
            if copy.get("end", copy.get("time", 0)) <= wanted:
                longer[name].append(copy)
json.dump(longer, open(f"{work}/long.json", "w"))
PY
"$cli" hap create "$work/long.hap" --voice "$work/voice.wav" --timeline "$work/long.json" \
    --background "Studio=$work/hax/BGRJ_00_Studio.jpg" >/dev/null
"$cli" cmp create "$work/long.cmp" --hdp "$bin/Default/Male.hdx" --hap "$work/long.hap" >/dev/null

# The player thread's CPU time in clock ticks, sampled each second while it lives; the last sample is
# the total but for at most its last second.
play() {
    mode=$1
    shift
    "$cli" play "$work/long.cmp" --seed 1 --json "$@" >"$work/out.json" &
    pid=$!
    ticks=0
    all=0
    while kill -0 "$pid" 2>/dev/null; do
        whole=$(awk '{ print $14 + $15 }' "/proc/$pid/stat" 2>/dev/null || echo 0)
        [ -n "$whole" ] && [ "$whole" -gt "$all" ] && all=$whole
        for task in /proc/$pid/task/*; do
            [ "$(cat "$task/comm" 2>/dev/null)" = "cm-player" ] || continue
            now=$(awk '{ print $14 + $15 }' "$task/stat" 2>/dev/null || echo 0)
            [ -n "$now" ] && [ "$now" -gt "$ticks" ] && ticks=$now
        done
        sleep 1
    done
    wait "$pid"
    awk -v t="$ticks" -v a="$all" -v hz="$(getconf CLK_TCK)" -v s="$seconds" -v mode="$mode" '
        { print mode ": " $0
          printf "%s: player thread CPU %.0f ms over %d s = %.1f %% of one core\n", mode, t * 1000 / hz, s, t * 100 / hz / s
          printf "%s: whole process CPU %.1f %% of one core (with the sound refill, the feeder and any\n", mode, a * 100 / hz / s
          printf "%s:   rasteriser threads of the OpenGL driver)\n", mode }
    ' "$work/out.json"
}

echo "machine: $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
play software
play opengl --gl
