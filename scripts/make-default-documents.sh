#!/usr/bin/env bash
# Builds the default documents (content/Default/Male.* and Female.*) from the shipped content by driving
# chattermask-cli: head, face, mask and teeth into the head definition; the voice with its lip-sync track,
# a few expressions, automatic head turns, a background and a marker into the head animation; both into
# the default project. Run after the content or the analysis changes; the results are committed.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
command -v jq >/dev/null || sudo apt-get install -y jq || apt-get install -y jq
cmake --preset release >/dev/null
cmake --build --preset release --target chattermask-cli content_copy
cli="$root/build/release/bin/chattermask-cli"
content="$root/content"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$content/Default"

# Expressions that fit a short friendly statement: joy at the start, surprise in the middle, joy again
# near the end; each as a fraction of the voice's length.
expressions_json() {
    local samples=$1
    jq -n --argjson n "$samples" '[
        {start: ($n * 0.05 | floor), end: ($n * 0.35 | floor), expression: 1, intensity: 40},
        {start: ($n * 0.45 | floor), end: ($n * 0.60 | floor), expression: 6, intensity: 30},
        {start: ($n * 0.70 | floor), end: ($n * 0.95 | floor), expression: 1, intensity: 50}]'
}

make_documents() {
    local name=$1 teeth=$2
    local voice="$content/Voices/$name.wav"
    "$cli" lipsync "$voice" --json > "$work/$name-visemes.json"
    local spans
    spans=$(jq -r '[.visemes[] | select(.viseme != 0) | "\(.start):\(.end)"] | join(",")' "$work/$name-visemes.json")
    "$cli" headturns --visemes "$spans" --offset 7 --json > "$work/$name-turns.json"
    local samples
    samples=$(jq '[.visemes[].end] | max' "$work/$name-visemes.json")
    expressions_json "$samples" > "$work/$name-expressions.json"
    jq -n --slurpfile v "$work/$name-visemes.json" --slurpfile t "$work/$name-turns.json" \
          --slurpfile e "$work/$name-expressions.json" '{
        visemes: $v[0].visemes, expressions: $e[0], headturns: $t[0],
        events: [{time: 0, kind: 1, name: "Studio"}, {time: 8000, kind: 2, name: "Hello"}],
        sounds: []}' > "$work/$name-timeline.json"

    # Each face has its own head: the generic one, or for the female face the same mesh with her hair.
    "$cli" hdp create "$content/Default/$name.hdx" --mesh "$content/Models/${name}Head.cmm" \
        --face "$content/Faces/$name.jpg" --mask "$content/Faces/$name-mask.jpg" \
        --teeth-top "$content/Teeth/$teeth.top" --teeth-bottom "$content/Teeth/$teeth.btm"
    "$cli" hap create "$content/Default/$name.hax" --voice "$voice" --timeline "$work/$name-timeline.json" \
        --background "Studio=$content/Backgrounds/Studio.jpg"
    "$cli" cmp create "$content/Default/$name.cmx" --hdp "$content/Default/$name.hdx" \
        --hap "$content/Default/$name.hax"
}

make_documents Male "${MALE_TEETH:-Natural}"
make_documents Female "${FEMALE_TEETH:-Natural}"
echo "default documents written to $content/Default"
