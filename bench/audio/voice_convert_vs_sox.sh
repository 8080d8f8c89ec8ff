#!/bin/sh
# Voice conversion beside its peers, in one run on the same speech-like material:
#   - a one-hour 44.1 kHz stereo 16-bit WAV converted by our `voice convert` and by
#     `sox IN -r 16000 -c 1 -b 16 OUT`;
#   - the same hour as a 128 kbit/s MP3 decoded and converted by `voice convert` and by
#     `ffmpeg -i IN -ar 16000 -ac 1 OUT`.
# For each: wall time, peak memory (GNU time), and the energy folded back from above 8 kHz. Peak memory
# is also taken on a six-minute cut of the WAV, to show that it does not grow with the file's length.
#
# Run by hand (not part of ctest), from the build: `cmake --build --preset release --target
# audio_convert_bench`, or directly: bench/audio/voice_convert_vs_sox.sh build/release/bin/chattermask-cli
# [SECONDS]. SECONDS defaults to 3600; the run needs about 2 GB of temporary space (TMPDIR) and some
# minutes, most of them spent making the material and encoding the MP3.
#
# The material: espeak-ng speech band-limited to 4 kHz, repeated to the length, plus a hiss band from
# 8.5 to 11.5 kHz (the sibilants' part of a voice). A converter without a working low-pass filter folds
# that hiss to 4.5 to 7.5 kHz (16 kHz minus its frequency), where the material has nothing, so the
# energy found there in the output, relative to the speech band, is the folded energy.
set -eu
cli=$1
seconds=${2:-3600}
work=$(mktemp -d "${TMPDIR:-/tmp}/cmbenchXXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM

espeak-ng -w "$work/speech.wav" "The quick brown fox jumps over the lazy dog. She sells sea shells by the \
sea shore, and the shells she sells are surely seashells. Six thick thistle sticks, six thick thistles stick."
sox "$work/speech.wav" -r 44100 "$work/speech44.wav" sinc -4000 norm -3
speech=$(soxi -D "$work/speech44.wav")
repeats=$(awk -v s="$seconds" -v d="$speech" 'BEGIN { print int(s / d) + 1 }')
sox "$work/speech44.wav" "$work/long.wav" repeat "$repeats" trim 0 "$seconds"
sox -n -r 44100 -c 1 -b 16 "$work/hiss.wav" synth "$seconds" whitenoise sinc 8500-11500 vol 0.5
sox -m "$work/long.wav" "$work/hiss.wav" -c 2 -b 16 "$work/in.wav" remix 1 1v0.9
rm -f "$work/long.wav" "$work/hiss.wav"
sox "$work/in.wav" "$work/cut.wav" trim 0 360
ffmpeg -v error -i "$work/in.wav" -c:a libmp3lame -b:a 128k "$work/in.mp3"

measure() { # label output command...: prints "label seconds peak_kb"
    label=$1
    shift
    /usr/bin/time -f "%e %M" -o "$work/time.txt" "$@" >/dev/null 2>&1
    printf '%s %s\n' "$label" "$(cat "$work/time.txt")"
}

level() { # file sox-effect...: RMS level in dB of the first channel after the effect
    file=$1
    shift
    sox "$file" -n remix 1 "$@" stats 2>&1 | awk '/RMS lev dB/ { print $4 }'
}

folded() { # file: energy in 4.5-7.5 kHz against the 0-4 kHz speech band, in dB
    awk -v band="$(level "$1" sinc 4500-7500)" -v speech="$(level "$1" sinc -4000)" \
        'BEGIN { printf "%.1f", band - speech }'
}

{
    measure ours-wav "$cli" voice convert "$work/in.wav" "$work/ours.wav"
    measure sox-wav sox "$work/in.wav" -r 16000 -c 1 -b 16 "$work/sox.wav"
    measure ours-mp3 "$cli" voice convert "$work/in.mp3" "$work/ours-mp3.wav"
    measure ffmpeg-mp3 ffmpeg -v error -y -i "$work/in.mp3" -ar 16000 -ac 1 "$work/ffmpeg.wav"
    measure ours-cut "$cli" voice convert "$work/cut.wav" "$work/ours-cut.wav"
} >"$work/times.txt"

echo "input: $seconds s of 44.1 kHz stereo 16-bit speech-like material"
echo "hiss above the band in the input: $(awk -v h="$(level "$work/in.wav" sinc 8500-11500)" \
    -v s="$(level "$work/in.wav" sinc -4000)" 'BEGIN { printf "%.1f", h - s }') dB against the speech band"
echo "input's own 4.5-7.5 kHz floor: $(folded "$work/in.wav") dB"
awk -v ours="$(folded "$work/ours.wav")" -v sox="$(folded "$work/sox.wav")" \
    -v oursmp3="$(folded "$work/ours-mp3.wav")" -v ffmpeg="$(folded "$work/ffmpeg.wav")" '
    { time[$1] = $2; peak[$1] = $3 / 1024 }
    END {
        printf "%-28s %9s %10s %14s\n", "", "seconds", "peak MB", "folded dB"
        printf "%-28s %9.2f %10.1f %14s\n", "WAV: voice convert", time["ours-wav"], peak["ours-wav"], ours
        printf "%-28s %9.2f %10.1f %14s\n", "WAV: sox", time["sox-wav"], peak["sox-wav"], sox
        printf "%-28s %9.2f %10.1f %14s\n", "MP3: voice convert", time["ours-mp3"], peak["ours-mp3"], oursmp3
        printf "%-28s %9.2f %10.1f %14s\n", "MP3: ffmpeg", time["ffmpeg-mp3"], peak["ffmpeg-mp3"], ffmpeg
        printf "%-28s %9.2f %10.1f\n", "6-minute WAV: voice convert", time["ours-cut"], peak["ours-cut"]
        if (time["ours-wav"] > 0)
            printf "sox time / ours: %.2fx (target >= 1x)\n", time["sox-wav"] / time["ours-wav"]
        if (time["ours-mp3"] > 0)
            printf "ffmpeg time / ours: %.2fx\n", time["ffmpeg-mp3"] / time["ours-mp3"]
        printf "targets: folded energy <= -50 dB; peak memory of the hour within a few MB of the cut\n"
    }' "$work/times.txt"
