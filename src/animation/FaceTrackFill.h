#pragma once

#include "animation/CFapMixer.h"
#include "timeline/TimelineData.h"

#include <cstdint>
#include <functional>
#include <vector>

// The face half of a play's fill: the tracks that shape the face and the random blinks, turned into
// mixer events. Shared by every front that plays a timeline (the studio's preview and export, and the
// player of the stream file, which rebuilds a timeline from the file's items).

// The stretch of the timeline a play or an export covers, in milliseconds (timeline samples / 16).
struct PlaybackRange {
    std::uint32_t startMs = 0;
    std::uint32_t endMs = 0;
};

// What the play commands cover: the selection when it is longer than one sample, else the whole
// voice. A selection reaching past the voice is cut to it.
PlaybackRange selectionRange(const TimelineData& timeline);
// The whole voice, as the export covers it.
PlaybackRange wholeVoiceRange(const TimelineData& timeline);

// The next value of a rand()-like generator: any non-negative int. The blinks use its low six bits.
using BlinkRandom = std::function<int()>;
// A generator that gives the same values for the same seed on every platform.
BlinkRandom seededBlinkRandom(std::uint32_t seed);

// One event the fill handed to the mixer, with the values it passed.
struct FilledEvent {
    enum class Kind { expression, viseme, blink, turn };
    Kind kind = Kind::expression;
    int row = 0;
    int intensity = 0;
    int pitch = 0;
    int yaw = 0;
    int roll = 0;
    std::uint32_t start = 0;
    std::uint32_t duration = 0;
};

// Empties the mixer, then adds the expressions, visemes and head turns of the whole timeline and the
// blinks drawn from `random` over `range`, each event also appended to `log` when one is given.
void fillFaceEvents(const TimelineData& timeline, CFapMixer& mixer, const PlaybackRange& range,
                    const BlinkRandom& random, std::vector<FilledEvent>* log = nullptr);
