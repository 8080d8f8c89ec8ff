#!/usr/bin/env bash
# Regenerates the default content besides the head: expression files, teeth pairs, the two default faces
# and their masks, the default voices and the studio background, plus content/CREDITS stays as written.
# The outputs are committed; CI does not run this. Needs root (or sudo) for apt-get on a fresh machine.
# PICTURES_ONLY=1 remakes the teeth, backdrop, faces and masks alone and keeps the voices as they are
# (a newer espeak-ng would change them, and every default document with them).
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${BUILD:-$ROOT/build/content-rel}
CONTENT=$ROOT/content
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo

# --- Face sources ---------------------------------------------------------------------------------
# Public-domain NASA portrait shipped in the data folder of Debian's python3-skimage. Only the one
# picture is taken from the package, so the project gains no Python dependency.
FACE_PACKAGE=python3-skimage
FACE_FILE=usr/lib/python3/dist-packages/skimage/data/astronaut.png
# Landmarks found by hand in the 512 x 512 source (pixel indices, row 0 at the top). The subject's
# right eye is the one on the left of the picture. Only the pupils drive the alignment; the others
# are printed after the transform to show how far they land from where the head expects them.
FACE_RIGHT_EYE=204,101
FACE_LEFT_EYE=245.5,103.5
FACE_NOSE=223,126
FACE_MOUTH=224,145
FACE_RIGHT_LIP=203.8,140.8
FACE_LEFT_LIP=244.5,141
FACE_CHIN=224,179
# The person's silhouette in the same source, clockwise on screen from the left shoulder: the mask is
# white inside it. The photo's bottom edge runs from about (85,218) to (349,234) here, so the closing
# points lie below it and the shoulders reach the bottom edge at full strength. Names are for review
# only; the order is what draws the outline.
FACE_OUTLINE=(
    # Left shoulder of the suit, in front of the flag, and the collar ring's outer rim up to the jaw.
    left-shoulder-low=86,228 left-shoulder=99,216 left-shoulder-top=107,209 collar-latch-foot=113,205
    collar-latch=112.5,188 collar-strap=121,180 collar-left-low=125,174 collar-left=131.5,163.5
    collar-left-high=137,158 collar-top-left=145,153 collar-top=158,149.5 collar-meets-jaw=184,148
    # Left cheek and ear, then the hair from its lowest tip over the crown and down the far side.
    left-cheek=183,140 left-ear-low=181.5,132 left-ear=175,127.5 hair-left-tip=170.5,118
    hair-left-low=163,110 hair-left=156,96 hair-left-wide=153,80 hair-left-high=155,63
    hair-left-shoulder=162,52 hair-left-top=177,42 hair-parting=190,31 hair-front=204,21
    hair-crown-left=218,17 hair-crown=232,15 hair-crown-right=250,19 hair-right-top=266,26
    hair-right-shoulder=282,39 hair-right-high=294,56 hair-right-wide=300,72 hair-right=301,90
    hair-right-low=297,103 hair-right-lower=290,117 hair-right-tip=280.5,128.5
    # Right ear, cheek and jaw down to the collar, then the rim down past the picture's bottom edge.
    right-ear=276,134 right-cheek=267.5,137.5 right-jaw=264.5,148 right-jaw-low=258.5,160
    right-neck=256,168 collar-meets-neck=256,173 collar-right-high=266,180 collar-right=278,190
    collar-right-mid=289,200 collar-right-low=297,213 collar-right-lower=302,225 collar-right-bottom=304,234
    # Below the picture: closes the outline without a visible edge.
    below-right=306,255 below-left=86,250
)

# --- Voices -----------------------------------------------------------------------------------------
MALE_VOICE=en+m3
FEMALE_VOICE=en+f3
SPEECH_RATE=150
MALE_TEXT="Hello, and welcome to Chattermask Studio. I am the default male head. \
Give me a photograph and a voice, and I will speak your words. Watch my lips as I talk."
FEMALE_TEXT="Hi there! I am the default female head of Chattermask Studio. \
Import your own voice, add a smile or a frown, and press play to watch me speak."

need_packages() {
    local missing=()
    for p in "$@"; do
        dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        $SUDO apt-get update
        $SUDO apt-get install -y "${missing[@]}"
    fi
}

build_tools() {
    cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$BUILD" --target contentgen chattermask-cli -j"${JOBS:-1}"
}

# The source picture: from the installed package when present, else from the package file alone.
face_source() {
    if [ -f "/$FACE_FILE" ]; then
        echo "/$FACE_FILE"
        return
    fi
    (cd "$WORK" && { apt-get download "$FACE_PACKAGE" >/dev/null 2>&1 ||
        { $SUDO apt-get update >/dev/null && apt-get download "$FACE_PACKAGE" >/dev/null; }; })
    dpkg-deb -x "$WORK"/"$FACE_PACKAGE"_*.deb "$WORK/pkg"
    echo "$WORK/pkg/$FACE_FILE"
}

make_face() { # NAME SOURCE
    "$BUILD/bin/contentgen" face "$2" "$CONTENT/Faces/$1.jpg" "$CONTENT/Faces/$1-mask.jpg" \
        right-eye=$FACE_RIGHT_EYE left-eye=$FACE_LEFT_EYE nose=$FACE_NOSE mouth=$FACE_MOUTH \
        right-lip=$FACE_RIGHT_LIP left-lip=$FACE_LEFT_LIP chin=$FACE_CHIN "${FACE_OUTLINE[@]/#/outline.}"
}

make_voice() { # NAME VOICE TEXT
    espeak-ng -v "$2" -s "$SPEECH_RATE" -w "$WORK/$1-raw.wav" "$3"
    "$BUILD/bin/chattermask-cli" voice convert "$WORK/$1-raw.wav" "$CONTENT/Voices/$1.wav" >/dev/null
    chmod 644 "$CONTENT/Voices/$1.wav" # the converter creates private files; content is for everyone
}

PICTURES_ONLY=${PICTURES_ONLY:-0}
need_packages build-essential cmake ninja-build libjpeg62-turbo-dev libpng-dev
[ "$PICTURES_ONLY" = 1 ] || need_packages espeak-ng
build_tools
mkdir -p "$CONTENT"/{Expressions,Teeth,Faces,Voices,Backgrounds}

[ "$PICTURES_ONLY" = 1 ] || "$BUILD/bin/contentgen" expressions "$CONTENT/Expressions"
"$BUILD/bin/contentgen" teeth "$CONTENT/Teeth"
"$BUILD/bin/contentgen" backdrop "$CONTENT/Backgrounds/Studio.jpg"

SOURCE=$(face_source)
# No male frontal portrait with a clear public-domain or CC0 licence was found in Debian's packages,
# so both default faces come from the same portrait (see content/CREDITS).
make_face Female "$SOURCE"
make_face Male "$SOURCE"

if [ "$PICTURES_ONLY" != 1 ]; then
    make_voice Male "$MALE_VOICE" "$MALE_TEXT"
    make_voice Female "$FEMALE_VOICE" "$FEMALE_TEXT"
fi
echo "content regenerated under $CONTENT"
