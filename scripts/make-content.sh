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
# Each face is one picture taken out of a Debian package (so the project gains no dependency on it),
# landmarks and outlines found by hand in that source (pixel indices, row 0 at the top; the subject's
# right eye is the one on the left of the picture). Only the pupils drive the alignment; the other
# landmarks are printed after the transform to show how far they land from where the head expects them.
# "outline." traces the whole person, clockwise on screen from the left shoulder: outside it the photo
# shows the studio background. "stays." traces what does not turn with the head (collar and shoulders):
# only that shows in the mask. Names are for review only; the order is what draws the outlines.

# Female: public-domain NASA portrait shipped in the data folder of python3-skimage.
FEMALE_PACKAGE=python3-skimage
FEMALE_FILE=usr/lib/python3/dist-packages/skimage/data/astronaut.png
FEMALE_POINTS=(
    right-eye=204,101 left-eye=245.5,103.5 nose=223,126 mouth=224,145 right-lip=203.8,140.8
    left-lip=244.5,141 chin=224,179
    # Left shoulder of the suit, in front of the flag, and the collar ring's outer rim up to the jaw.
    outline.left-shoulder-low=86,228 outline.left-shoulder=99,216 outline.left-shoulder-top=107,209
    outline.collar-latch-foot=113,205 outline.collar-latch=112.5,188 outline.collar-strap=121,180
    outline.collar-left-low=125,174 outline.collar-left=131.5,163.5 outline.collar-left-high=137,158
    outline.collar-top-left=145,153 outline.collar-top=158,149.5 outline.collar-meets-jaw=184,148
    # Left cheek and ear, then the hair from its lowest tip over the crown and down the far side.
    outline.left-cheek=183,140 outline.left-ear-low=181.5,132 outline.left-ear=175,127.5
    outline.hair-left-tip=170.5,118 outline.hair-left-low=163,110 outline.hair-left=156,96
    outline.hair-left-wide=153,80 outline.hair-left-high=155,63 outline.hair-left-shoulder=162,52
    outline.hair-left-top=177,42 outline.hair-parting=190,31 outline.hair-front=204,21
    outline.hair-crown-left=218,17 outline.hair-crown=232,15 outline.hair-crown-right=250,19
    outline.hair-right-top=266,26 outline.hair-right-shoulder=282,39 outline.hair-right-high=294,56
    outline.hair-right-wide=300,72 outline.hair-right=301,90 outline.hair-right-low=297,103
    outline.hair-right-lower=290,117 outline.hair-right-tip=280.5,128.5
    # Right ear, cheek and jaw down to the collar, then the rim down past the picture's bottom edge.
    outline.right-ear=276,134 outline.right-cheek=267.5,137.5 outline.right-jaw=264.5,148
    outline.right-jaw-low=258.5,160 outline.right-neck=256,168 outline.collar-meets-neck=256,173
    outline.collar-right-high=266,180 outline.collar-right=278,190 outline.collar-right-mid=289,200
    outline.collar-right-low=297,213 outline.collar-right-lower=302,225 outline.collar-right-bottom=304,234
    # The suit's right shoulder, the helmet held in front of it, and round below the picture's edges.
    outline.suit-right-shoulder=340,268 outline.suit-right=358,300 outline.helmet-top=400,345
    outline.helmet-right=470,380 outline.below-right=470,560 outline.below-left=30,560
    outline.suit-left=30,290 outline.left-shoulder-out=70,240
    # The suit and its collar ring, kept below the head's jaw and neck, which the mesh carries.
    stays.left-shoulder-low=86,228 stays.left-shoulder=99,216 stays.left-shoulder-top=107,209
    stays.collar-latch-foot=113,205 stays.collar-latch=112.5,188 stays.collar-strap=121,180
    stays.collar-left-low=125,174 stays.collar-left=131.5,163.5 stays.collar-left-high=137,158
    stays.collar-top-left=145,153 stays.collar-top=158,156 stays.under-jaw-left=190,190
    stays.under-chin=224,195 stays.under-jaw-right=252,190 stays.collar-meets-neck=262,190
    stays.collar-right-high=272,192 stays.collar-right=278,190 stays.collar-right-mid=289,200
    stays.collar-right-low=297,213 stays.collar-right-lower=302,225 stays.collar-right-bottom=304,234
    stays.suit-right-shoulder=340,268 stays.suit-right=358,300 stays.helmet-top=400,345
    stays.helmet-right=470,380 stays.below-right=470,560 stays.below-left=30,560 stays.suit-left=30,290
    stays.left-shoulder-out=70,240
    # The smile's gap between the lips (teeth, and the shadows in both corners), closed over with her
    # lips so that the face at rest keeps its mouth shut; the head's own mouth opens over it.
    lip-gap-top.right-corner=202.5,139 lip-gap-top.right=207,140 lip-gap-top.right-teeth=211,141.5
    lip-gap-top.right-middle=216,142.5 lip-gap-top.middle=222,143 lip-gap-top.left-middle=230,143.2
    lip-gap-top.left-teeth=234,141.5 lip-gap-top.left=238,140.3 lip-gap-top.left-corner=244.8,139.8
    lip-gap-bottom.right-corner=202.5,139 lip-gap-bottom.right-shadow=204,141.8 lip-gap-bottom.right=207,143.5
    lip-gap-bottom.right-teeth=211,145.5 lip-gap-bottom.right-middle=215,147.5 lip-gap-bottom.middle=222,148.7
    lip-gap-bottom.left-middle=230,148.5 lip-gap-bottom.left-teeth=233,147.2 lip-gap-bottom.left=236,146.5
    lip-gap-bottom.left-shadow=240,144.8 lip-gap-bottom.left-low=243,142.5 lip-gap-bottom.left-corner=244.8,139.8
)

# Male: Henry Moseley, about 1914, in the X-ray periodic table example of python-xraylarch-doc. A
# black-and-white photograph, so it is coloured from its brightness inside the skin and lip ellipses.
MALE_PACKAGE=python-xraylarch-doc
MALE_FILE=usr/share/doc/python-xraylarch-doc/examples/xraytable/images/Henry_Moseley.jpg
MALE_POINTS=(
    right-eye=95.5,146 left-eye=158.75,146 nose=130,190 mouth=130,220 right-lip=102.5,220
    left-lip=158.75,219 chin=130,270
    outline.left-shoulder-far=-100,340 outline.left-shoulder-edge=0,292 outline.left-shoulder=30,270
    outline.left-collar=62,250 outline.left-neck=70,238 outline.left-jaw=68,222 outline.left-ear-low=50,192
    outline.left-ear=35,152 outline.left-ear-top=40,130 outline.left-hair=42,100 outline.left-hair-high=52,60
    outline.hair-top-left=80,30 outline.hair-top=125,16 outline.hair-top-right=170,28
    outline.right-hair-high=196,60 outline.right-hair=203,100 outline.right-ear-top=207,130
    outline.right-ear=211,150 outline.right-ear-low=201,182 outline.right-jaw=188,222
    outline.right-neck=186,238 outline.right-collar=192,250 outline.right-shoulder=225,270
    outline.right-shoulder-edge=255,290 outline.right-shoulder-far=360,340 outline.below-right=360,470
    outline.below-left=-100,470
    stays.left-shoulder-far=-100,340 stays.left-shoulder-edge=0,292 stays.left-shoulder=30,270
    stays.left-collar=60,274 stays.collar-top-left=74,284 stays.collar-left=90,280
    stays.collar-left-low=105,283 stays.knot-left=120,288 stays.knot=130,292 stays.knot-right=140,288
    stays.collar-right-low=155,283 stays.collar-right=170,280 stays.collar-top-right=184,284
    stays.right-collar=196,274 stays.right-shoulder=225,270 stays.right-shoulder-edge=255,290
    stays.right-shoulder-far=360,340 stays.below-right=360,470 stays.below-left=-100,470
    skin.face=127,172,72,120 skin.crown=127,75,82,62 skin.neck=127,258,46,26 skin.left-ear=45,160,17,34
    skin.right-ear=205,155,13,30 lips=130,222,30,9
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

# A source picture (PACKAGE FILE): from the installed package when present, else from the package file
# alone, downloaded into the work folder.
face_source() {
    if [ -f "/$2" ]; then
        echo "/$2"
        return
    fi
    (cd "$WORK" && { apt-get download "$1" >/dev/null 2>&1 ||
        { $SUDO apt-get update >/dev/null && apt-get download "$1" >/dev/null; }; })
    dpkg-deb -x "$WORK"/"$1"_*.deb "$WORK/pkg-$1"
    echo "$WORK/pkg-$1/$2"
}

make_face() { # NAME SOURCE POINTS...
    local name=$1 source=$2
    shift 2
    "$BUILD/bin/contentgen" face "$source" "$CONTENT/Faces/$name.jpg" "$CONTENT/Faces/$name-mask.jpg" "$@"
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

make_face Female "$(face_source "$FEMALE_PACKAGE" "$FEMALE_FILE")" "${FEMALE_POINTS[@]}"
make_face Male "$(face_source "$MALE_PACKAGE" "$MALE_FILE")" "${MALE_POINTS[@]}"

if [ "$PICTURES_ONLY" != 1 ]; then
    make_voice Male "$MALE_VOICE" "$MALE_TEXT"
    make_voice Female "$FEMALE_VOICE" "$FEMALE_TEXT"
fi
echo "content regenerated under $CONTENT"
